#include "core/log_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

namespace {

// A control character from a server-given text (a path, a version) could start a forged line of its own,
// so every one is written visibly as \xHH: one call, one line.
void AppendVisible(std::string& out, const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
      continue;
    }
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
}

// Formats one conversion whose specification holds no '*'.
template <typename T>
void AppendFormatted(std::string& out, const std::string& directive, T value) {
  char small[128];
  const int needed = std::snprintf(small, sizeof small, directive.c_str(), value);
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    AppendVisible(out, small, static_cast<size_t>(needed));
    return;
  }
  std::string big(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(&big[0], big.size(), directive.c_str(), value);
  AppendVisible(out, big.c_str(), static_cast<size_t>(needed));
}

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\''; }

bool IsOneOf(const std::string& length, std::initializer_list<const char*> allowed) {
  for (const char* candidate : allowed) {
    if (length == candidate) return true;
  }
  return false;
}

// Formats one conversion with its argument; false, reading nothing, when the pair of length and
// conversion is not one this formatter knows the argument type of.
bool AppendConversion(std::string& out, const std::string& directive, const std::string& length, char conversion,
                      va_list& ap, WideToNarrowFn wideToNarrow) {
  const std::string c(1, conversion);
  switch (conversion) {
    case 'd':
    case 'i':
      if (IsOneOf(length, {"", "hh", "h"})) AppendFormatted(out, directive + length + c, va_arg(ap, int));
      else if (length == "l") AppendFormatted(out, directive + "l" + c, va_arg(ap, long));
      else if (length == "ll") AppendFormatted(out, directive + "ll" + c, va_arg(ap, long long));
      else if (IsOneOf(length, {"z", "t"})) AppendFormatted(out, directive + "lld", static_cast<long long>(va_arg(ap, ptrdiff_t)));
      else if (length == "j") AppendFormatted(out, directive + "lld", static_cast<long long>(va_arg(ap, intmax_t)));
      else return false;
      return true;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      if (IsOneOf(length, {"", "hh", "h"})) AppendFormatted(out, directive + length + c, va_arg(ap, unsigned int));
      else if (length == "l") AppendFormatted(out, directive + "l" + c, va_arg(ap, unsigned long));
      else if (length == "ll") AppendFormatted(out, directive + "ll" + c, va_arg(ap, unsigned long long));
      else if (IsOneOf(length, {"z", "t"})) AppendFormatted(out, directive + "ll" + c, static_cast<unsigned long long>(va_arg(ap, size_t)));
      else if (length == "j") AppendFormatted(out, directive + "ll" + c, static_cast<unsigned long long>(va_arg(ap, uintmax_t)));
      else return false;
      return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
      if (IsOneOf(length, {"", "l"})) AppendFormatted(out, directive + c, va_arg(ap, double));
      else if (length == "L") AppendFormatted(out, directive + "L" + c, va_arg(ap, long double));
      else return false;
      return true;
    case 'p':
      if (!length.empty()) return false;
      AppendFormatted(out, directive + "p", va_arg(ap, void*));
      return true;
    case 'c':
      if (length == "l") {
        // wint_t is promoted to int through "..." where it is narrower (16 bits on Windows).
        const wchar_t wide = static_cast<wchar_t>(va_arg(ap, int));
        const std::string narrow = wideToNarrow ? wideToNarrow(&wide, 1) : std::string(1, '?');
        AppendFormatted(out, directive + "s", narrow.c_str());
      } else if (length.empty()) {
        AppendFormatted(out, directive + "c", va_arg(ap, int));
      } else {
        return false;
      }
      return true;
    case 's':
    case 'S':
      if (length == "l" || (conversion == 'S' && length.empty())) {
        const wchar_t* wide = va_arg(ap, const wchar_t*);
        std::string narrow = "(null)";
        if (wide != nullptr) narrow = wideToNarrow ? wideToNarrow(wide, std::wcslen(wide)) : std::string();
        AppendFormatted(out, directive + "s", narrow.c_str());
      } else if (length.empty()) {
        const char* text = va_arg(ap, const char*);
        AppendFormatted(out, directive + "s", text ? text : "(null)");
      } else {
        return false;
      }
      return true;
    case 'n':
      if (!IsOneOf(length, {"", "hh", "h", "l", "ll", "z", "j", "t"})) return false;
      (void)va_arg(ap, void*);  // never writes through a pointer from a log call
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string FormatLogMessage(const char* format, va_list args, WideToNarrowFn wideToNarrow) {
  std::string out;
  if (format == nullptr) return out;
  va_list ap;
  va_copy(ap, args);
  const char* p = format;
  while (*p != '\0' && out.size() <= kMaxLogMessage) {
    if (*p != '%') {
      AppendVisible(out, p++, 1);
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
    if (conversion == '\0' || !AppendConversion(out, directive, length, conversion, ap, wideToNarrow)) {
      // Past a directive whose argument type is unknown, every later argument would be read from the
      // wrong place: the rest of the format is written as it stands and no argument is read.
      AppendVisible(out, start, std::strlen(start));
      break;
    }
    ++p;
  }
  va_end(ap);
  if (out.size() > kMaxLogMessage) out.resize(kMaxLogMessage);
  return out;
}

std::string FormatLogLine(const LogTime& time, const std::string& message) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return stamp + message + "\r\n";
}
