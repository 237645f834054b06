#include "core/log_line.h"

#include <gtest/gtest.h>

namespace {

// Stands in for the ANSI code page: ASCII passes, everything else becomes '?'.
std::string AsciiOnly(const wchar_t* text, size_t length) {
  std::string narrow;
  for (size_t i = 0; i < length; ++i) narrow += text[i] < 128 ? static_cast<char>(text[i]) : '?';
  return narrow;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = FormatLogMessage(format, args, AsciiOnly);
  va_end(args);
  return message;
}

TEST(FormatLogLine, StampAndCrLf) {
  EXPECT_EQ(FormatLogLine({2026, 9, 1, 7, 5, 3}, "hola"), "[2026-09-01 07:05:03] hola\r\n");
}

// Each row: what a log call writes, and the message that must reach the file.
TEST(FormatLogMessage, WhatReachesTheFile) {
  const std::string big(5000, 'x');
  const struct { const char* rule; std::string actual, expected; } rows[] = {
      {"the conversions log calls use", Format("%s (error %lu) %d %lld %u %.2f %.0f%% %s", "https://x", 5UL, -3,
                                               -9000000000LL, 7u, 0.5, 30.0, static_cast<const char*>(nullptr)),
       "https://x (error 5) -3 -9000000000 7 0.50 30% (null)"},
      {"an unmappable wide character does not cut the rest", Format("idioma %ls, codigo %s", L"\u0420\u0443 ru", "ru"),
       "idioma ?? ru, codigo ru"},
      {"a server-given text cannot forge a line", Format("FALTA: %s", "a\r\n[2026-01-01 00:00:00] Todo al dia"),
       "FALTA: a\\x0D\\x0A[2026-01-01 00:00:00] Todo al dia"},
      {"control characters anywhere", Format("uno\ndos %ls|%s", L"x\ty", "\x1b[31m\x7f"), "uno\\x0Ados x\\x09y|\\x1B[31m\\x7F"},
      {"past an unknown directive no argument is read", Format("%d %Ld %s", 1, 2LL, "b"), "1 %Ld %s"},
      {"a message is cut after 1023 characters", Format("%s", big.c_str()), std::string(1023, 'x')},
  };
  for (const auto& row : rows) EXPECT_EQ(row.actual, row.expected) << row.rule;
}

}  // namespace
