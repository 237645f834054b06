#include "update/sha256_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include "support/scratch_dir_win.h"

namespace {

// The same digest through another platform API, for inputs without a published test vector.
std::string ReferenceSha256(const std::string& bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32] = {};
  BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
  BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
  BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), static_cast<ULONG>(bytes.size()), 0);
  BCryptFinishHash(hash, digest, sizeof digest, 0);
  BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  char text[65] = {};
  for (int i = 0; i < 32; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
  return text;
}

// Known digests and a file held open for writing are checked by the verification run.
TEST(Sha256File, MatchesTheReferenceAcrossReadBlocksAndIsEmptyForNoFile) {
  ScratchDir dir;
  for (size_t size : {size_t{0}, size_t{1} << 20, (size_t{1} << 20) + 1, (size_t{5} << 19) + 3}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::string path = dir / ("f" + std::to_string(size));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_EQ(Sha256File(path), ReferenceSha256(bytes)) << size << " bytes, in lower case";
  }
  EXPECT_EQ(Sha256File(dir / "missing.pak"), "") << "a missing file has no digest";
  EXPECT_EQ(Sha256File(dir / "nodir\\x.pak"), "");
}

}  // namespace
