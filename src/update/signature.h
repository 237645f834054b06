#pragma once
// Signed documents. A launcher built with the operator's public key accepts manifest.json and launcher.json only
// beside a sidecar "<name>.firma" holding an ECDSA P-256 signature, made offline with the private key, over the
// document's exact bytes. Text in, values out; the key resource, the download and the check live in
// signature_win.cpp.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

using P256PublicKey = std::array<uint8_t, 64>;  // the point's X then Y, big-endian
using P256Signature = std::array<uint8_t, 64>;  // r then s, big-endian
using Sha256Digest = std::array<uint8_t, 32>;

// Name of a document's sidecar on the site, and the launcher's working copy of one while it is read.
constexpr char kSignatureSuffix[] = ".firma";
constexpr char kSignatureWorkFile[] = "firma_remota.txt";
// More lines than a sidecar ever needs: two keys while one is being replaced, old and new bytes during a swap.
constexpr size_t kMaxSignatureLines = 8;

// The public-key file that the build embeds: "#" comment lines, blank lines and exactly one line
// "p256 " + 128 hexadecimal digits (X, Y). False for anything else.
bool ParsePublicKeyText(const std::string& text, P256PublicKey& key);

// A sidecar: one to kMaxSignatureLines lines "p256 " + 128 hexadecimal digits (r, s), blank lines ignored,
// LF or CR LF. False for anything else (empty, cut short, another format), so a sidecar is read whole or not at all.
bool ParseSignatureText(const std::string& text, std::vector<P256Signature>& signatures);

// 64 hexadecimal digits (a Sha256File result) as bytes; false for anything else.
bool DigestFromHex(const std::string& hex, Sha256Digest& digest);
