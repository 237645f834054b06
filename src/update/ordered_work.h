#pragma once
// Work on several threads, results in order. Portable: standard threads only.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Threads for work that is mostly reading files: one per core, but no more than a disk serves well.
inline unsigned WorkThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(cores, 1u, 4u);
}

// Runs work(i) for every item 0..count-1 on up to `threads` threads, the caller's included, and calls deliver(i,
// result) on the calling thread for every item in increasing order, exactly as a plain loop would. Workers stay at
// most `ahead` items ahead of delivery, so only that many results wait at a time: item i starts once item i - ahead
// has been handed to deliver (possibly while deliver still runs). `work` must not throw; when `deliver` throws, the
// items under way are finished and the exception goes on to the caller.
template <typename Result, typename Work, typename Deliver>
void RunInOrder(std::size_t count, unsigned threads, Work work, Deliver deliver, std::size_t ahead = 64) {
  const std::size_t kAhead = std::max<std::size_t>(ahead, 1);
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::optional<Result>> done(kAhead);
  std::size_t started = 0;    // items handed to a thread
  std::size_t delivered = 0;  // items handed to deliver
  std::size_t last = count;   // no item from here on is started (lowered when delivery stops early)

  const auto startable = [&] { return started < last && started < delivered + kAhead; };
  // Called with the lock held; runs the next item without it.
  const auto runNext = [&](std::unique_lock<std::mutex>& lock) {
    const std::size_t item = started++;
    lock.unlock();
    Result result = work(item);
    lock.lock();
    done[item % kAhead] = std::move(result);
    changed.notify_all();
  };

  std::vector<std::thread> pool;
  const auto stopAndJoin = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      last = started;
    }
    changed.notify_all();
    for (std::thread& thread : pool) thread.join();
  };
  try {
    for (unsigned t = 1; t < threads && t < count; ++t) {
      pool.emplace_back([&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
          changed.wait(lock, [&] { return started >= last || startable(); });
          if (started >= last) return;
          runNext(lock);
        }
      });
    }
  } catch (...) {
    // No more threads to be had: the ones running, and the caller, do the work.
  }

  try {
    for (std::size_t item = 0; item < count; ++item) {
      std::unique_lock<std::mutex> lock(mutex);
      std::optional<Result>& slot = done[item % kAhead];
      while (!slot) {
        // The caller works too rather than wait idle.
        if (startable()) {
          runNext(lock);
        } else {
          changed.wait(lock);
        }
      }
      Result result = std::move(*slot);
      slot.reset();
      ++delivered;
      lock.unlock();
      changed.notify_all();
      deliver(item, result);
    }
  } catch (...) {
    stopAndJoin();
    throw;
  }
  stopAndJoin();
}
