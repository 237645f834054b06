#include "update/sha256_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include "core/unique_handle_win.h"
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

TEST(Sha256File, KnownDigestsInLowerCase) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "empty", ""));
  ASSERT_TRUE(WriteFileBytes(dir / "abc", "abc"));
  EXPECT_EQ(Sha256File(dir / "empty"), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256File(dir / "abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Sha256File, BlockBoundaries) {
  ScratchDir dir;
  for (size_t size : {size_t{1} << 20, (size_t{1} << 20) + 1, (size_t{5} << 19) + 3}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::string path = dir / ("f" + std::to_string(size));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_EQ(Sha256File(path), ReferenceSha256(bytes)) << size << " bytes";
  }
}

TEST(Sha256File, EmptyTextWhenTheFileCannotBeRead) {
  ScratchDir dir;
  EXPECT_EQ(Sha256File(dir / "missing.pak"), "");
  EXPECT_EQ(Sha256File(dir / "nodir\\x.pak"), "");

  // A file some program is still writing is not judged: sharing is per handle, so a writer in
  // this process blocks the hash just as the game client would.
  const std::string path = dir / "busy.pak";
  ASSERT_TRUE(WriteFileBytes(path, "half written"));
  UniqueKernelHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_EQ(Sha256File(path), "");
  writer.reset();
  EXPECT_EQ(Sha256File(path), ReferenceSha256("half written"));
}

}  // namespace
