#include "core/log_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

// Formats one conversion whose specification holds no '*'.
template <typename T>
void AppendFormatted(std::string& out, const std::string& directive, T value) {
  char small[128];
  const int needed = std::snprintf(small, sizeof small, directive.c_str(), value);
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    out.append(small, static_cast<size_t>(needed));
    return;
  }
  std::string big(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(&big[0], big.size(), directive.c_str(), value);
  out.append(big.c_str(), static_cast<size_t>(needed));
}

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\''; }

}  // namespace

std::string FormatLogMessage(const char* format, va_list args, WideToNarrowFn wideToNarrow) {
  std::string out;
  if (format == nullptr) return out;
  va_list ap;
  va_copy(ap, args);
  const char* p = format;
  while (*p != '\0' && out.size() <= kMaxLogMessage) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    // Rebuild the specification with '*' widths and precisions replaced by their values.
    std::string directive = "%";
    while (IsFlag(*p)) directive += *p++;
    if (*p == '*') {
      directive += std::to_string(va_arg(ap, int));
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') directive += *p++;
    }
    if (*p == '.') {
      directive += *p++;
      if (*p == '*') {
        directive += std::to_string(va_arg(ap, int));
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') directive += *p++;
      }
    }
    std::string length;
    if (std::strncmp(p, "I64", 3) == 0) {
      length = "ll";
      p += 3;
    } else if (std::strncmp(p, "I32", 3) == 0) {
      p += 3;
    } else {
      while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'z' || *p == 'j' || *p == 't') length += *p++;
    }
    const char conversion = *p;
    if (conversion == '\0') {
      out.append(start);  // an unfinished specification is written as it stands
      break;
    }
    ++p;
    switch (conversion) {
      case 'd':
      case 'i':
        if (length == "l") AppendFormatted(out, directive + "ld", va_arg(ap, long));
        else if (length == "ll") AppendFormatted(out, directive + "lld", va_arg(ap, long long));
        else if (length == "z" || length == "t") AppendFormatted(out, directive + "lld", static_cast<long long>(va_arg(ap, ptrdiff_t)));
        else if (length == "j") AppendFormatted(out, directive + "lld", static_cast<long long>(va_arg(ap, intmax_t)));
        else AppendFormatted(out, directive + "d", va_arg(ap, int));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        const std::string c(1, conversion);
        if (length == "l") AppendFormatted(out, directive + "l" + c, va_arg(ap, unsigned long));
        else if (length == "ll") AppendFormatted(out, directive + "ll" + c, va_arg(ap, unsigned long long));
        else if (length == "z" || length == "t") AppendFormatted(out, directive + "ll" + c, static_cast<unsigned long long>(va_arg(ap, size_t)));
        else if (length == "j") AppendFormatted(out, directive + "ll" + c, static_cast<unsigned long long>(va_arg(ap, uintmax_t)));
        else AppendFormatted(out, directive + c, va_arg(ap, unsigned int));
        break;
      }
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A': {
        const std::string c(1, conversion);
        if (length == "L") AppendFormatted(out, directive + "L" + c, va_arg(ap, long double));
        else AppendFormatted(out, directive + c, va_arg(ap, double));
        break;
      }
      case 'p':
        AppendFormatted(out, directive + "p", va_arg(ap, void*));
        break;
      case 'c':
        if (length == "l") {
          // wint_t is promoted to int through "..." where it is narrower (16 bits on Windows).
          const wchar_t wide = static_cast<wchar_t>(va_arg(ap, int));
          const std::string narrow = wideToNarrow ? wideToNarrow(&wide, 1) : std::string(1, '?');
          AppendFormatted(out, directive + "s", narrow.c_str());
        } else {
          AppendFormatted(out, directive + "c", va_arg(ap, int));
        }
        break;
      case 's':
      case 'S':
        if (length == "l" || conversion == 'S') {
          const wchar_t* wide = va_arg(ap, const wchar_t*);
          std::string narrow = "(null)";
          if (wide != nullptr) narrow = wideToNarrow ? wideToNarrow(wide, std::wcslen(wide)) : std::string();
          AppendFormatted(out, directive + "s", narrow.c_str());
        } else {
          const char* text = va_arg(ap, const char*);
          AppendFormatted(out, directive + "s", text ? text : "(null)");
        }
        break;
      case 'n':
        (void)va_arg(ap, void*);  // never writes through a pointer from a log call
        break;
      default:
        out.append(start, p);  // unknown conversion: keep its text, consume nothing
        break;
    }
  }
  va_end(ap);
  if (out.size() > kMaxLogMessage) out.resize(kMaxLogMessage);
  return out;
}

std::string FormatLogLine(const LogTime& time, const std::string& message) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  std::string line(stamp);
  line.reserve(line.size() + message.size() + 8);
  for (char c : message) {
    if (c == '\n') line += '\r';
    line += c;
  }
  line += "\r\n";
  return line;
}
