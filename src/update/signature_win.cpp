// Signature checks with the platform's CNG: ECDSA P-256 over the SHA-256 of the document's exact bytes.
#include "update/signature_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <vector>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/text_file.h"
#include "core/unique_handle_win.h"
#include "resources/resource_ids.h"
#include "update/sha256_win.h"
#include "update/signature.h"

namespace {

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
using UniqueAlgorithm = UniqueHandle<BCRYPT_ALG_HANDLE, &CloseAlgorithm>;
using UniqueKey = UniqueHandle<BCRYPT_KEY_HANDLE, &::BCryptDestroyKey>;

// The public-key text that the build embedded; false when this launcher has none.
bool EmbeddedKeyText(std::string& text) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_SIGNING_KEY), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (resource == nullptr) return false;
  const HGLOBAL loaded = LoadResource(module, resource);
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  text = data ? std::string(data, SizeofResource(module, resource)) : std::string();
  return true;
}

enum class Verdict { Valid, Invalid, KeyUnusable };

Verdict VerifyAny(const P256PublicKey& key, const Sha256Digest& digest, const std::vector<P256Signature>& signatures) {
  BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
    return Verdict::KeyUnusable;
  }
  UniqueAlgorithm algorithm(rawAlgorithm);
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::copy_n(reinterpret_cast<const UCHAR*>(&header), sizeof header, blob.begin());
  std::copy(key.begin(), key.end(), blob.begin() + sizeof header);
  BCRYPT_KEY_HANDLE rawKey = nullptr;
  if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &rawKey, blob.data(),
                                          static_cast<ULONG>(blob.size()), 0))) {
    return Verdict::KeyUnusable;
  }
  UniqueKey imported(rawKey);  // destroyed before the provider it came from
  Sha256Digest hashed = digest;
  for (P256Signature signature : signatures) {
    if (BCryptVerifySignature(imported.get(), nullptr, hashed.data(), static_cast<ULONG>(hashed.size()),
                              signature.data(), static_cast<ULONG>(signature.size()), 0) == 0) {
      return Verdict::Valid;
    }
  }
  return Verdict::Invalid;
}

}  // namespace

bool HasSigningKey() {
  std::string text;
  return EmbeddedKeyText(text);
}

void LogRefusedDocument(const std::string& name, const std::string& reason) {
  const std::string line = name + " rechazado: " + reason;
  Log("%s", line.c_str());
  PrintLine(line);
}

bool AcceptSignedDocument(LauncherApp& app, const std::string& url, const std::string& localPath,
                          const std::string& name) {
  std::string keyText;
  if (!EmbeddedKeyText(keyText)) return true;
  const auto refuse = [&name](const std::string& reason) {
    LogRefusedDocument(name, reason);
    return false;
  };
  P256PublicKey key;
  if (!ParsePublicKeyText(keyText, key)) return refuse("la clave publica de este launcher no vale");

  const std::string sidecar = name + kSignatureSuffix;
  DeleteFileA(kSignatureWorkFile);
  if (!app.DownloadFile(url + kSignatureSuffix, kSignatureWorkFile, 0, CappedAt(kSignatureCap))) {
    return refuse("no se pudo descargar su firma " + sidecar);
  }
  std::string text;
  const bool read = ReadTextFile(kSignatureWorkFile, text);
  DeleteFileA(kSignatureWorkFile);
  std::vector<P256Signature> signatures;
  if (!read || !ParseSignatureText(text, signatures)) return refuse("su firma " + sidecar + " no se puede leer");

  Sha256Digest digest;
  if (!DigestFromHex(Sha256File(localPath), digest)) return refuse("no se pudo leer la copia descargada");
  switch (VerifyAny(key, digest, signatures)) {
    case Verdict::Valid:
      Log("Firma de %s valida", name.c_str());
      return true;
    case Verdict::KeyUnusable:
      return refuse("la clave publica de este launcher no vale");
    case Verdict::Invalid:
      break;
  }
  return refuse("la firma no es de la clave de este launcher o el archivo ha cambiado");
}
