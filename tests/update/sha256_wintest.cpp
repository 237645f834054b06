#include "update/sha256_win.h"

#include <gtest/gtest.h>

#include "support/scratch_dir_win.h"

namespace {

// Digests written out from another implementation; the sizes straddle the 1 MiB read block. Known digests of
// game files and a file held open for writing are checked by the verification run.
TEST(Sha256File, DigestsAcrossReadBlocksInLowerCaseAndNoneForNoFile) {
  const struct {
    size_t size;
    const char* digest;
  } cases[] = {
      {0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {1048576, "f5600770a8695a85fc7bb6d18a40a5b80a2b8a39c86f346a1b58f8ccc1e8fde6"},
      {1048577, "32433ee969c82c7d8ed4c05abf7f5ea7227ceef92175df89b10a58d0e86bf954"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    std::string bytes(c.size, '\0');
    for (size_t i = 0; i < c.size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    ASSERT_TRUE(WriteFileBytes(dir / "f", bytes));
    EXPECT_EQ(Sha256File(dir / "f"), c.digest) << "SHA-256 of " << c.size << " bytes";
  }
  EXPECT_EQ(Sha256File(dir / "missing.pak"), "") << "a missing file has no digest";
}

}  // namespace
