#pragma once
// Runs the member patterns of the server's JSON-like documents (manifest.json, launcher.json, the status answer)
// with std::regex without letting the engine recurse deeply.
//
// libstdc++'s regex executor recurses once per character that a quantifier consumes; with the 2 MiB stacks of the
// Windows build one run of a few thousand characters (a long string value, a block of indentation) kills the
// process. So the document is first copied into a compact form in which no run is long, the pattern runs over
// that copy, and every capture is mapped back to the original text:
//   - a run of white space (as the engine's \s sees it) keeps at most kSpaceRunCap characters;
//   - a run of digits (\d) keeps at most kDigitRunCap characters;
//   - the text between two double quotes keeps about kSegmentCap characters (a run that starts before that limit
//     keeps up to its own cap).
// A pattern cannot tell the compact copy from the original when it has this shape, which all the member patterns
// have:
//   - it begins with a double quote, and every match is tried only at a double quote;
//   - white space only appears under \s* (never inside a literal), digits of unbounded runs only under \d+;
//   - fixed counts are at most 64 characters, and literals between quotes are short;
//   - from the text between two quotes a pattern reads either all of it (a literal, a 64-digit hash, a separator
//     such as \s*:\s*\{\s*), or only whether it is empty and its first few characters ("([^"]+)",
//     "(https?://[^"]+)"), or only a short beginning (\s*:\s*(\d+)\s*\} after the last quote of the pattern).
// Any document then gives exactly the captures of the original pattern over the original text, whatever its size.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <regex>
#include <string>
#include <vector>

constexpr std::size_t kSpaceRunCap = 16;
// One more than the longest fixed count (a 64-digit hash), so a shortened digit run can never become a hash.
constexpr std::size_t kDigitRunCap = 65;
// Longer than anything a pattern reads from the beginning of a quoted stretch (at most 3 blank runs, a separator,
// a digit run and a brace: 115 characters).
constexpr std::size_t kSegmentCap = 256;

struct MemberText {
  struct Jump {
    std::size_t compact;   // position in `compact`
    std::size_t original;  // the position in the original text that it stands for
  };
  const std::string* original = nullptr;  // the document; must outlive this record
  std::string compact;
  std::vector<Jump> jumps;  // ascending; between two jumps the texts agree character by character
};

struct MemberPattern {
  std::regex regex;  // ECMAScript, case-sensitive
  std::string lead;  // literal text that every match begins with: at least the opening quote
};

struct MemberMatch {
  std::vector<std::string> groups;  // [0] the whole match, [i] capture i, as in the original text
  std::size_t resume = 0;           // where a search for the next match starts (a position in the compact text)
  std::size_t end = 0;              // where the match ends in the original text
};

// Compiles a pattern of the shape above (no alternation outside parentheses).
MemberPattern MakeMemberPattern(const char* source);

// Builds the compact copy of `text`; keep `text` alive while the result is used.
MemberText PrepareMemberText(const std::string& text);
MemberText PrepareMemberText(std::string&& text) = delete;  // the record would point into a temporary

// First match of `pattern` that starts at or after `from` (a position in the compact text: 0, or an earlier
// match's `resume`). False when there is none.
bool FindMember(const MemberText& text, const MemberPattern& pattern, std::size_t from, MemberMatch& match);

// Reads a document piece by piece and stops at every double quote, where a member may begin, holding enough of the
// text after it that a pattern of the shape above sees exactly what it would see in the whole document. Only the
// text from the current quote on is kept (a few hundred KB; more only while one quoted stretch is longer), so a
// large document is never held whole.
class MemberStream {
 public:
  // Fills up to `capacity` bytes and returns how many it gave; 0 at the end of the document.
  using Reader = std::function<std::size_t(char* buffer, std::size_t capacity)>;
  explicit MemberStream(Reader read) : read_(std::move(read)) {}
  MemberStream(const MemberStream&) = delete;
  MemberStream& operator=(const MemberStream&) = delete;

  // Moves to the next double quote; false at the end of the document.
  bool Next();
  // Where the current quote stands in the document.
  std::size_t Position() const;
  // Tries `pattern` at the current quote; `match.end` is then a position in the document.
  bool Match(const MemberPattern& pattern, MemberMatch& match) const;

 private:
  void ReadMore();

  Reader read_;
  std::string window_;     // the document from base_ on
  std::size_t base_ = 0;
  MemberText text_;        // compact form of window_
  std::size_t at_ = 0;     // the current quote, in text_.compact
  std::size_t from_ = 0;   // where the search for the next quote starts, in text_.compact
  bool ended_ = false;
};

// Converts the digits of a (\d+) capture. False when `digits` is empty, holds anything but '0'-'9', or exceeds
// the range of the result type.
bool DigitsToInt64(const std::string& digits, int64_t& value);
bool DigitsToInt32(const std::string& digits, int32_t& value);
