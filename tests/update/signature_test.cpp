#include "update/signature.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 64 bytes counting up from `first` (wrapping), in hexadecimal.
std::string Hex(int first) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < 64; ++i) hex += {kDigits[((first + i) & 255) >> 4], kDigits[(first + i) & 15]};
  return hex;
}

TEST(ParseSignatureText, ReadWholeOrNotAtAll) {
  const std::string line = "p256 " + Hex(0xC1) + "\n";
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += line;
  const struct {
    const char* what;
    std::string text;
    int count;  // -1: unreadable
  } cases[] = {
      {"CR LF, a blank line, upper-case digits", line + "\r\n\r\np256 " + std::string(128, 'F') + "\r\n", 2},
      {"no final line feed", line.substr(0, line.size() - 1), 1},
      {"eight lines", nine.substr(line.size()), 8},
      {"nine lines", nine, -1},
      {"empty", "", -1},
      {"cut short", line.substr(0, 70), -1},
      {"one digit too many", "p256 0" + Hex(0) + "\n", -1},
      {"another tag", "P256 " + Hex(0) + "\n", -1},
      {"a good line and garbage", line + "\x01\xfe basura\n", -1},
  };
  for (const auto& c : cases) {
    std::vector<P256Signature> signatures;
    EXPECT_EQ(ParseSignatureText(c.text, signatures) ? static_cast<int>(signatures.size()) : -1, c.count) << c.what;
  }
}

}  // namespace
