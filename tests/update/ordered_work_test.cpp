#include "update/ordered_work.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

namespace {

// Items that finish in a scrambled order still reach the caller one by one, in item order, on its own thread.
TEST(RunInOrder, DeliversEveryItemInOrderOnTheCallingThread) {
  std::vector<std::size_t> expected(300);
  std::iota(expected.begin(), expected.end(), 0);
  for (unsigned threads : {1u, 3u, 9u}) {
    std::vector<std::size_t> delivered;
    const std::thread::id caller = std::this_thread::get_id();
    const auto work = [](std::size_t item) {  // scrambled finishing order
      std::this_thread::sleep_for(std::chrono::microseconds(item * 7919 % 13 * 50));
      return item * 2;
    };
    RunInOrder<std::size_t>(300, threads, work, [&](std::size_t item, std::size_t result) {
      EXPECT_EQ(result, item * 2);
      EXPECT_EQ(std::this_thread::get_id(), caller) << "results reach the caller on its own thread";
      delivered.push_back(item);
    });
    EXPECT_EQ(delivered, expected) << threads << " threads";
  }
}

}  // namespace
