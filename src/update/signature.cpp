#include "update/signature.h"

namespace {

constexpr char kAlgorithmTag[] = "p256 ";
constexpr size_t kTagLength = sizeof kAlgorithmTag - 1;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <size_t N>
bool BytesFromHex(const std::string& hex, std::array<uint8_t, N>& bytes) {
  if (hex.size() != 2 * N) return false;
  for (size_t i = 0; i < N; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

// The 64 bytes of a "p256 <128 hex>" line.
bool ReadTaggedLine(const std::string& line, std::array<uint8_t, 64>& bytes) {
  return line.compare(0, kTagLength, kAlgorithmTag) == 0 && BytesFromHex(line.substr(kTagLength), bytes);
}

// Calls take(line) for every line without its LF or CR LF, blank lines left out; stops at the first false.
template <typename Take>
bool EachLine(const std::string& text, Take take) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && !take(line)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool ParsePublicKeyText(const std::string& text, P256PublicKey& key) {
  int found = 0;
  const bool readable = EachLine(text, [&](const std::string& line) {
    if (line[0] == '#') return true;
    return ++found == 1 && ReadTaggedLine(line, key);
  });
  return readable && found == 1;
}

bool ParseSignatureText(const std::string& text, std::vector<P256Signature>& signatures) {
  std::vector<P256Signature> read;
  const bool readable = EachLine(text, [&](const std::string& line) {
    P256Signature signature;
    if (read.size() == kMaxSignatureLines || !ReadTaggedLine(line, signature)) return false;
    read.push_back(signature);
    return true;
  });
  if (!readable || read.empty()) return false;
  signatures = std::move(read);
  return true;
}

bool DigestFromHex(const std::string& hex, Sha256Digest& digest) { return BytesFromHex(hex, digest); }
