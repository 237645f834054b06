#pragma once
// Formatting of one line of launcher_log.txt. Portable: no Windows calls.
#include <cstdarg>
#include <string>

// Longest message that reaches the file; the rest is cut without a mark.
constexpr size_t kMaxLogMessage = 1023;

struct LogTime {
  int year, month, day, hour, minute, second;
};

// Turns a wide (%ls, %lc) argument into narrow text; characters without a mapping are replaced.
using WideToNarrowFn = std::string (*)(const wchar_t* text, size_t length);

// printf-style formatting, cut after kMaxLogMessage characters. Wide string and character
// arguments go through the converter, so that one unmappable character cannot cut the rest
// of the message short as the C runtime's own conversion does. Control characters come out as
// \xHH, so a message is always one line. At a directive it does not know the argument type of,
// the rest of the format is written as it stands and no further argument is read.
std::string FormatLogMessage(const char* format, va_list args, WideToNarrowFn wideToNarrow);

// "[YYYY-MM-DD hh:mm:ss] message" and CR LF: the exact bytes to append.
std::string FormatLogLine(const LogTime& time, const std::string& message);
