#pragma once
// UTF-8 <-> UTF-16 conversion without Windows calls.
// "Wide" text is a std::wstring of UTF-16 code units on every platform: on Windows that is
// the native form; where wchar_t is 32-bit each element still holds one UTF-16 unit, so a
// character above U+FFFF takes two elements (a surrogate pair).
#include <string>

// Malformed input (bad lead or continuation bytes, overlong forms, encoded surrogates,
// values above U+10FFFF, a sequence cut short) never fails: each maximal ill-formed
// subsequence becomes one U+FFFD, as Windows' own converter does.
std::wstring Utf8ToWide(const std::string& utf8);

// A lone surrogate becomes U+FFFD. An element above 0xFFFF (only possible where wchar_t is
// 32-bit, e.g. from an L"" literal) is taken as the code point itself when it is a valid
// one, else U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
