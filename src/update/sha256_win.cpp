#include "update/sha256_win.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "core/unique_handle_win.h"

namespace {

void ReleaseContext(HCRYPTPROV context) { CryptReleaseContext(context, 0); }
using UniqueCryptContext = UniqueHandle<HCRYPTPROV, &ReleaseContext>;
using UniqueCryptHash = UniqueHandle<HCRYPTHASH, &::CryptDestroyHash>;

constexpr DWORD kBlock = 1 << 20;

}  // namespace

std::string Sha256File(const std::string& path) {
  HCRYPTPROV rawContext = 0;
  if (!CryptAcquireContextA(&rawContext, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return std::string();
  UniqueCryptContext context(rawContext);
  HCRYPTHASH rawHash = 0;
  if (!CryptCreateHash(context.get(), CALG_SHA_256, 0, 0, &rawHash)) return std::string();
  UniqueCryptHash hash(rawHash);

  // Shared for reading only: a file another program is still writing is not judged half-written.
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::string();

  std::vector<BYTE> buffer(kBlock);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), kBlock, &read, nullptr) || read == 0) break;
    if (!CryptHashData(hash.get(), buffer.data(), read, 0)) return std::string();
  }
  file.reset();

  BYTE digest[32];
  DWORD digestLength = sizeof digest;
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &digestLength, 0) || digestLength != sizeof digest) {
    return std::string();
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (BYTE b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}
