#include "update/sha256_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <memory>
#include <mutex>
#include <vector>

#include "core/unique_handle_win.h"

namespace {

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
void DestroyHash(BCRYPT_HASH_HANDLE hash) { BCryptDestroyHash(hash); }
using UniqueAlgorithm = UniqueHandle<BCRYPT_ALG_HANDLE, &CloseAlgorithm>;
using UniqueHash = UniqueHandle<BCRYPT_HASH_HANDLE, &DestroyHash>;

constexpr DWORD kBlock = 1 << 20;

// What a call keeps for the next one. Opening a provider and touching a fresh 1 MiB buffer cost milliseconds
// (the provider library is loaded, the pages are faulted in), more than hashing a small file; a reusable CNG hash
// object starts over by itself after each digest.
struct Hasher {
  UniqueAlgorithm algorithm;
  UniqueHash hash;
  std::unique_ptr<BYTE[]> buffer;  // not zero-filled: pages are touched only as far as files fill them

  bool Ready() {
    if (hash) return true;
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!algorithm) {
      if (BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_HASH_REUSABLE_FLAG) != 0) {
        return false;
      }
      algorithm.reset(rawAlgorithm);
    }
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (BCryptCreateHash(algorithm.get(), &rawHash, nullptr, 0, nullptr, 0, BCRYPT_HASH_REUSABLE_FLAG) != 0) {
      return false;
    }
    hash.reset(rawHash);
    if (!buffer) buffer.reset(new BYTE[kBlock]);
    return true;
  }
};

// Idle hashers. A call takes one (or makes one) and gives it back, so a thread hashing file after file keeps
// reusing the same one, and there are never more than calls that ran at once. Not thread_local: with the
// emulated thread storage of this toolchain, thread_local destructors may run on storage already freed (seen as
// crashes in BCryptCloseAlgorithmProvider at thread exit). Never destroyed: a worker may still be hashing while
// the process ends.
struct HasherPool {
  std::mutex lock;
  std::vector<std::unique_ptr<Hasher>> idle;
};
HasherPool& Pool() {
  static HasherPool* pool = new HasherPool;
  return *pool;
}

std::unique_ptr<Hasher> TakeHasher() {
  HasherPool& pool = Pool();
  std::lock_guard<std::mutex> held(pool.lock);
  if (pool.idle.empty()) return std::make_unique<Hasher>();
  std::unique_ptr<Hasher> hasher = std::move(pool.idle.back());
  pool.idle.pop_back();
  return hasher;
}

void GiveBack(std::unique_ptr<Hasher> hasher) {
  HasherPool& pool = Pool();
  std::lock_guard<std::mutex> held(pool.lock);
  pool.idle.push_back(std::move(hasher));
}

std::string HashFile(Hasher& hasher, const std::string& path) {
  if (!hasher.Ready()) return std::string();

  // Shared for reading only: a file another program is still writing is not judged half-written.
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::string();

  // A failing read ends the input like the end of the file.
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), hasher.buffer.get(), kBlock, &read, nullptr) || read == 0) break;
    if (BCryptHashData(hasher.hash.get(), hasher.buffer.get(), read, 0) != 0) {
      hasher.hash.reset();  // holds part of this file now: the next call starts from a new object
      return std::string();
    }
  }
  file.reset();

  UCHAR digest[32];
  if (BCryptFinishHash(hasher.hash.get(), digest, sizeof digest, 0) != 0) {
    hasher.hash.reset();
    return std::string();
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (UCHAR b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

}  // namespace

std::string Sha256File(const std::string& path) {
  try {
    std::unique_ptr<Hasher> hasher = TakeHasher();
    std::string hash = HashFile(*hasher, path);
    GiveBack(std::move(hasher));
    return hash;
  } catch (...) {
    return std::string();  // no memory: the file is judged unreadable, never matching
  }
}
