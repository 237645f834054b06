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

bool FindMember(const MemberText& text, const MemberPattern& pattern, std::size_t from, MemberMatch& match) {
  const std::string& compact = text.compact;
  std::smatch m;
  // The engine is tried only where the pattern's literal lead stands: its own scan tries every position, which
  // costs more than the matching itself on a large manifest without the member.
  for (std::size_t at = compact.find(pattern.lead, from); at != std::string::npos;
       at = compact.find(pattern.lead, at + 1)) {
    auto flags = std::regex_constants::match_continuous;
    if (at > 0) flags |= std::regex_constants::match_prev_avail;
    if (!std::regex_search(compact.cbegin() + at, compact.cend(), m, pattern.regex, flags)) continue;

    match.groups.assign(m.size(), std::string());
    for (std::size_t g = 0; g < m.size(); ++g) {
      if (!m[g].matched) continue;
      const std::size_t begin = ToOriginal(text, m[g].first - compact.cbegin());
      const std::size_t end = ToOriginal(text, m[g].second - compact.cbegin());
      match.groups[g] = text.original->substr(begin, end - begin);
    }
    const std::size_t end = m[0].second - compact.cbegin();
    match.resume = end > at ? end : at + 1;
    return true;
  }
  return false;
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
