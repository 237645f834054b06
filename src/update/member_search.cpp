#include "update/member_search.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

enum class ByteKind : unsigned char { Other, Quote, Space, Digit };

struct ByteKinds {
  ByteKind kind[256];
};

// Classified by the engine itself, so the shortening agrees with what \s, \d and [^"] match under the locale the
// patterns are compiled with. A byte that [^"] would not match is kept as a boundary, like a quote.
ByteKinds ClassifyBytes() {
  const std::regex space("\\s");
  const std::regex digit("\\d");
  const std::regex notQuote("[^\"]");
  ByteKinds kinds;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    ByteKind kind = ByteKind::Other;
    if (!std::regex_match(one, notQuote)) {
      kind = ByteKind::Quote;
    } else if (std::regex_match(one, space)) {
      kind = ByteKind::Space;
    } else if (std::regex_match(one, digit)) {
      kind = ByteKind::Digit;
    }
    kinds.kind[b] = kind;
  }
  return kinds;
}

const ByteKinds& Kinds() {
  static const ByteKinds kinds = ClassifyBytes();
  return kinds;
}

std::size_t ToOriginal(const MemberText& text, std::size_t compact) {
  auto after = std::upper_bound(text.jumps.begin(), text.jumps.end(), compact,
                                [](std::size_t pos, const MemberText::Jump& j) { return pos < j.compact; });
  const MemberText::Jump& j = *(after - 1);  // jumps[0] is {0, 0}
  return j.original + (compact - j.compact);
}

}  // namespace

MemberPattern MakeMemberPattern(const char* source) {
  MemberPattern pattern;
  pattern.regex = std::regex(source);
  // The literal characters up to the first operator; a quantifier takes back the character it repeats.
  if (std::strchr(source, '|')) {
    pattern.lead = "\"";
    return pattern;
  }
  for (const char* p = source; *p; ++p) {
    if (std::strchr("\\^$.?*+()[]{}", *p)) {
      if (std::strchr("?*+{", *p) && !pattern.lead.empty()) pattern.lead.pop_back();
      break;
    }
    pattern.lead += *p;
  }
  return pattern;
}

MemberText PrepareMemberText(const std::string& text) {
  const ByteKinds& kinds = Kinds();
  auto kindAt = [&](std::size_t i) { return kinds.kind[static_cast<unsigned char>(text[i])]; };

  MemberText out;
  out.original = &text;
  out.compact.reserve(text.size());
  out.jumps.push_back({0, 0});
  // Drops the original characters up to `to`: the compact text continues there.
  auto skipTo = [&](std::size_t to) {
    if (out.jumps.back().compact == out.compact.size()) {
      out.jumps.back().original = to;
    } else {
      out.jumps.push_back({out.compact.size(), to});
    }
  };

  const std::size_t n = text.size();
  std::size_t segment = 0;  // compact characters since the last quote
  std::size_t i = 0;
  while (i < n) {
    const ByteKind kind = kindAt(i);
    if (kind == ByteKind::Quote) {
      out.compact += text[i++];
      segment = 0;
    } else if (segment >= kSegmentCap) {
      std::size_t j = i;
      while (j < n && kindAt(j) != ByteKind::Quote) ++j;
      skipTo(j);
      i = j;
    } else if (kind == ByteKind::Other) {
      out.compact += text[i++];
      ++segment;
    } else {
      std::size_t j = i;
      while (j < n && kindAt(j) == kind) ++j;
      const std::size_t keep = std::min(j - i, kind == ByteKind::Space ? kSpaceRunCap : kDigitRunCap);
      out.compact.append(text, i, keep);
      segment += keep;
      if (i + keep < j) skipTo(j);
      i = j;
    }
  }
  return out;
}

namespace {

// Every pattern spans at most a few quoted stretches of at most kSegmentCap + kDigitRunCap compact characters and
// the short separators between them (the file entry, the longest, about 3,000); twice that and more is kept after
// a quote before a pattern runs there, so the last, possibly unfinished run of the window is never reached.
constexpr std::size_t kLookahead = 8192;
constexpr std::size_t kReadPiece = 64 << 10;

// `pattern` at compact position `at` of `text`, which must hold the pattern's literal lead there.
bool MatchAt(const MemberText& text, const MemberPattern& pattern, std::size_t at, MemberMatch& match) {
  const std::string& compact = text.compact;
  std::smatch m;
  auto flags = std::regex_constants::match_continuous;
  if (at > 0) flags |= std::regex_constants::match_prev_avail;
  if (!std::regex_search(compact.cbegin() + at, compact.cend(), m, pattern.regex, flags)) return false;

  match.groups.assign(m.size(), std::string());
  for (std::size_t g = 0; g < m.size(); ++g) {
    if (!m[g].matched) continue;
    const std::size_t begin = ToOriginal(text, m[g].first - compact.cbegin());
    const std::size_t end = ToOriginal(text, m[g].second - compact.cbegin());
    match.groups[g] = text.original->substr(begin, end - begin);
  }
  const std::size_t end = m[0].second - compact.cbegin();
  match.resume = end > at ? end : at + 1;
  match.end = ToOriginal(text, end);
  return true;
}

}  // namespace

bool FindMember(const MemberText& text, const MemberPattern& pattern, std::size_t from, MemberMatch& match) {
  const std::string& compact = text.compact;
  // The engine is tried only where the pattern's literal lead stands: its own scan tries every position, which
  // costs more than the matching itself on a large manifest without the member.
  for (std::size_t at = compact.find(pattern.lead, from); at != std::string::npos;
       at = compact.find(pattern.lead, at + 1)) {
    if (MatchAt(text, pattern, at, match)) return true;
  }
  return false;
}

bool MemberStream::Next() {
  for (;;) {
    const std::size_t quote = text_.compact.find('"', from_);
    if (quote == std::string::npos) {
      if (ended_) return false;
      // No member can begin in what is held: drop it. Text before a quote never takes part in a match.
      base_ += window_.size();
      window_.clear();
      ReadMore();
    } else if (!ended_ && text_.compact.size() - quote < kLookahead) {
      // Keep the document from this quote on; compacting from a quote gives what the whole document gives there.
      const std::size_t keep = ToOriginal(text_, quote);
      base_ += keep;
      window_.erase(0, keep);
      ReadMore();
    } else {
      at_ = quote;
      from_ = quote + 1;
      return true;
    }
  }
}

void MemberStream::ReadMore() {
  // At least as much again as is held, so that one very long stretch is compacted a few times, not once per piece.
  const std::size_t piece = std::max(kReadPiece, window_.size());
  const std::size_t held = window_.size();
  window_.resize(held + piece);
  const std::size_t got = read_(&window_[held], piece);
  window_.resize(held + got);
  if (got == 0) ended_ = true;
  text_ = PrepareMemberText(window_);
  from_ = 0;
}

std::size_t MemberStream::Position() const { return base_ + ToOriginal(text_, at_); }

bool MemberStream::Match(const MemberPattern& pattern, MemberMatch& match) const {
  if (text_.compact.compare(at_, pattern.lead.size(), pattern.lead) != 0) return false;
  if (!MatchAt(text_, pattern, at_, match)) return false;
  match.end += base_;
  return true;
}

namespace {

template <typename Int>
bool DigitsTo(const std::string& digits, Int& value) {
  if (digits.empty()) return false;
  Int result = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    const Int d = c - '0';
    if (result > (std::numeric_limits<Int>::max() - d) / 10) return false;
    result = result * 10 + d;
  }
  value = result;
  return true;
}

}  // namespace

bool DigitsToInt64(const std::string& digits, int64_t& value) { return DigitsTo(digits, value); }

bool DigitsToInt32(const std::string& digits, int32_t& value) { return DigitsTo(digits, value); }
