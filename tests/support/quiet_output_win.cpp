// In a brief run (the one scripts/run-tests makes) each test's standard output is held back: the
// launcher's progress lines show only with the failure they explain. A run without --gtest_brief
// prints everything as it comes.
#include <gtest/gtest.h>

#include <memory>

#include "support/test_server_win.h"

namespace {

class QuietOutput : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    if (GTEST_FLAG_GET(brief)) captured_ = std::make_unique<CapturedStdout>();
  }
  // Runs before the result printer's line for the test; a failed test's capture is passed on then.
  void OnTestEnd(const ::testing::TestInfo&) override { captured_.reset(); }

  std::unique_ptr<CapturedStdout> captured_;
};

[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new QuietOutput);
  return true;
}();

}  // namespace
