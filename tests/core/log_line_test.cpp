#include "core/log_line.h"

#include <gtest/gtest.h>

#include <cwchar>

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
  EXPECT_EQ(FormatLogLine({2026, 1, 2, 0, 0, 0}, ""), "[2026-01-02 00:00:00] \r\n");
}

TEST(FormatLogMessage, PrintfConversions) {
  EXPECT_EQ(Format("URL: %s (error %lu) %d", "https://x", 5UL, -3), "URL: https://x (error 5) -3");
  EXPECT_EQ(Format("%lld|%llu|%zu|%I64d", -9000000000LL, 18000000000ULL, static_cast<size_t>(42), 7LL),
            "-9000000000|18000000000|42|7");
  EXPECT_EQ(Format("[%5d][%-4s][%*d][%.*s][%05.1f][%x][%c][%%]", 42, "ab", 3, 7, 2, "xyz", 2.25, 255u, 'q'),
            "[   42][ab  ][  7][xy][002.2][ff][q][%]");
  EXPECT_EQ(Format("%s y %ls", static_cast<const char*>(nullptr), static_cast<const wchar_t*>(nullptr)),
            "(null) y (null)");
  EXPECT_EQ(Format("fin %"), "fin %");
}

TEST(FormatLogMessage, WideTextGoesThroughTheConverterWhole) {
  EXPECT_EQ(Format("version %ls iniciado", L"2.0.1"), "version 2.0.1 iniciado");
  // An unmappable character is replaced; the rest of the message still follows.
  EXPECT_EQ(Format("idioma %ls, codigo %s", L"\u0420\u0443\u0441 ru", "ru"), "idioma ??? ru, codigo ru");
  EXPECT_EQ(Format("%lc%lc", static_cast<wint_t>(L'a'), static_cast<wint_t>(0x416)), "a?");
}

TEST(FormatLogMessage, ControlCharactersNeverStartALine) {
  // A server-given path must not forge a time-stamped line of its own.
  EXPECT_EQ(Format("FALTA: %s", "a\r\n[2026-01-01 00:00:00] Todo al dia"),
            "FALTA: a\\x0D\\x0A[2026-01-01 00:00:00] Todo al dia");
  EXPECT_EQ(Format("%ls|%c|%s|%.2s", L"x\ny", '\t', "\x1b[31m\x7f", "\n\n\n"), "x\\x0Ay|\\x09|\\x1B[31m\\x7F|\\x0A\\x0A");
  EXPECT_EQ(Format("uno\ndos %d", 2), "uno\\x0Ados 2");
}

TEST(FormatLogMessage, DirectivesItCannotReadStopTheArguments) {
  EXPECT_EQ(Format("%hhd %hu %s", 300, 70000u, "ok"), "44 4464 ok");
  // Past an unknown directive the later arguments' places are unknown: the rest stays as written.
  EXPECT_EQ(Format("a %C %s", L'x', "b"), "a %C %s");
  EXPECT_EQ(Format("%d %Ld %s", 1, 2LL, "b"), "1 %Ld %s");
  EXPECT_EQ(Format("%qd %s", 2LL, "b"), "%qd %s");
}

TEST(FormatLogMessage, Truncation) {
  const std::string big(5000, 'x');
  const std::string cut = Format("%s", big.c_str());
  EXPECT_EQ(cut.size(), kMaxLogMessage);
  EXPECT_EQ(cut, big.substr(0, kMaxLogMessage));
  EXPECT_EQ(Format("%s", std::string(1023, 'y').c_str()).size(), 1023u);
}

}  // namespace
