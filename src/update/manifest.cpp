#include "update/manifest.h"

#include <algorithm>
#include <stdexcept>

#include "update/member_search.h"

bool IsVersionText(const std::string& text) {
  if (text.empty() || text.size() > 20) return false;
  bool groupOpen = false;  // the current group has a digit
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      groupOpen = true;
    } else if (c == '.' && groupOpen) {
      groupOpen = false;
    } else {
      return false;
    }
  }
  return groupOpen;
}

std::string ParseLatestVersion(const std::string& content) {
  std::string line = content.substr(0, content.find('\n'));
  while (!line.empty()) {
    const char last = line.back();
    if (last != '\r' && last != '\n' && last != ' ' && last != '\t') break;
    line.pop_back();
  }
  return IsVersionText(line) ? line : std::string();
}

namespace {

// The next dot-separated group of a version text from `at`, without leading zeros ("" for 0); moves `at` past it.
std::string NextGroup(const std::string& version, size_t& at) {
  if (at > version.size()) return std::string();
  size_t end = version.find('.', at);
  if (end == std::string::npos) end = version.size();
  size_t digit = at;
  while (digit < end && version[digit] == '0') ++digit;
  std::string group = version.substr(digit, end - digit);
  at = end + 1;
  return group;
}

}  // namespace

bool IsOlderVersion(const std::string& candidate, const std::string& installed) {
  if (!IsVersionText(candidate) || !IsVersionText(installed)) return false;
  size_t a = 0;
  size_t b = 0;
  while (a <= candidate.size() || b <= installed.size()) {
    const std::string left = NextGroup(candidate, a);
    const std::string right = NextGroup(installed, b);
    // Without leading zeros, a longer run of digits is the larger number.
    if (left.size() != right.size()) return left.size() < right.size();
    if (left != right) return left < right;
  }
  return false;
}

namespace {

// The member patterns; compiled once, shared read-only by every thread.
const MemberPattern& VersionPattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("version"\s*:\s*"([^"]+)")re");
  return pattern;
}

const MemberPattern& PatchHashPattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("patch_hash"\s*:\s*"([a-fA-F0-9]{64})")re");
  return pattern;
}

const MemberPattern& PatchSizePattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("patch_tamano"\s*:\s*(\d+))re");
  return pattern;
}

const MemberPattern& StorePattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("almacen"\s*:\s*true)re");
  return pattern;
}

const MemberPattern& FileEntryPattern() {
  static const MemberPattern pattern =
      MakeMemberPattern(R"re("([^"]+)"\s*:\s*\{\s*"hash"\s*:\s*"([a-fA-F0-9]{64})"\s*,\s*"tamano"\s*:\s*(\d+)\s*\})re");
  return pattern;
}

// Every member in one pass over the document: the first match of each single member, and the file entries one
// after the other, each search starting where the previous entry ended. False when the version is not a version
// text or a size does not fit.
bool ReadMembers(MemberStream& stream, Manifest& parsed) {
  bool haveVersion = false, havePatchHash = false, havePatchSize = false;
  std::size_t entriesFrom = 0;
  MemberMatch match;
  while (stream.Next()) {
    if (!haveVersion && stream.Match(VersionPattern(), match)) {
      if (!IsVersionText(match.groups[1])) return false;
      parsed.version = match.groups[1];
      haveVersion = true;
    }
    if (!havePatchHash && stream.Match(PatchHashPattern(), match)) {
      parsed.patchHash = match.groups[1];
      havePatchHash = true;
    }
    if (!havePatchSize && stream.Match(PatchSizePattern(), match)) {
      if (!DigitsToInt64(match.groups[1], parsed.patchSize)) return false;
      havePatchSize = true;
    }
    if (!parsed.store && stream.Match(StorePattern(), match)) parsed.store = true;
    if (stream.Position() >= entriesFrom && stream.Match(FileEntryPattern(), match)) {
      ManifestEntry entry;
      entry.hash = match.groups[2];
      if (!DigitsToInt64(match.groups[3], entry.size)) return false;
      if (!parsed.files.Append(match.groups[1], entry)) return false;
      entriesFrom = match.end;
    }
  }
  parsed.files.Finish();  // a later entry for the same path wins
  return true;
}

}  // namespace

bool ParseManifest(const ManifestReader& read, std::size_t documentBytes, Manifest& manifest) {
  // The old listing goes first: every call replaces it, and two large listings need not live at once.
  manifest.files.clear();
  Manifest parsed;
  parsed.version = manifest.version;
  parsed.files.Reserve(documentBytes);
  MemberStream stream(read);
  if (!ReadMembers(stream, parsed)) {
    parsed = Manifest();
    parsed.version = manifest.version;
  }
  manifest = std::move(parsed);
  return !manifest.files.empty();
}

bool ParseManifest(const std::string& text, Manifest& manifest) {
  std::size_t at = 0;
  return ParseManifest(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = text.copy(buffer, capacity, at);
        at += n;
        return n;
      },
      text.size(), manifest);
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ManifestFiles::Item ManifestFiles::Pack(std::size_t pathAt, std::size_t pathLength, const ManifestEntry& entry) {
  Item item{};
  item.pathAt = static_cast<uint32_t>(pathAt);
  item.pathLength = static_cast<uint32_t>(pathLength);
  item.size = entry.size;
  item.hashKept = entry.hash.size() == 64;
  for (std::size_t i = 0; item.hashKept && i < entry.hash.size(); ++i) {
    const int digit = HexDigit(entry.hash[i]);
    if (digit < 0) {
      item.hashKept = 0;
      break;
    }
    if (entry.hash[i] >= 'A' && entry.hash[i] <= 'F') item.capitals |= uint64_t{1} << i;
    item.digest[i / 2] = static_cast<uint8_t>(i % 2 ? item.digest[i / 2] | digit : digit << 4);
  }
  return item;
}

ManifestEntry ManifestFiles::EntryAt(std::size_t index) const {
  static const char kLower[] = "0123456789abcdef";
  static const char kUpper[] = "0123456789ABCDEF";
  const Item& item = items_[index];
  ManifestEntry entry;
  entry.size = item.size;
  if (!item.hashKept) return entry;
  entry.hash.resize(64);
  for (std::size_t i = 0; i < 64; ++i) {
    const int digit = i % 2 ? item.digest[i / 2] & 15 : item.digest[i / 2] >> 4;
    entry.hash[i] = (item.capitals >> i & 1 ? kUpper : kLower)[digit];
  }
  return entry;
}

std::string_view ManifestFiles::PathAt(std::size_t index) const { return PathOf(items_[index]); }

const ManifestFiles::value_type& ManifestFiles::const_iterator::operator*() const {
  if (!current_) current_.emplace(files_->PathAt(index_), files_->EntryAt(index_));
  return *current_;
}

void ManifestFiles::clear() {
  // Gives the memory back too: a listing of 100,000 files is worth several MB.
  std::string().swap(paths_);
  std::vector<Item>().swap(items_);
}

std::size_t ManifestFiles::LowerBound(std::string_view path) const {
  const auto found = std::lower_bound(items_.begin(), items_.end(), path,
                                      [this](const Item& item, std::string_view p) { return PathOf(item) < p; });
  return static_cast<std::size_t>(found - items_.begin());
}

ManifestFiles::const_iterator ManifestFiles::find(std::string_view path) const {
  const std::size_t at = LowerBound(path);
  return at < items_.size() && PathOf(items_[at]) == path ? const_iterator(this, at) : end();
}

ManifestEntry ManifestFiles::at(std::string_view path) const {
  const const_iterator found = find(path);
  if (found == end()) throw std::out_of_range("path not in the manifest");
  return EntryAt(found.index());
}

void ManifestFiles::Set(std::string_view path, const ManifestEntry& entry) {
  const std::size_t at = LowerBound(path);
  if (at < items_.size() && PathOf(items_[at]) == path) {
    items_[at] = Pack(items_[at].pathAt, items_[at].pathLength, entry);
    return;
  }
  const Item item = Pack(paths_.size(), path.size(), entry);
  paths_.append(path.data(), path.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
}

void ManifestFiles::Reserve(std::size_t documentBytes) {
  // A file entry takes at least about 90 characters of the document, its path at most all of them.
  items_.reserve(items_.size() + documentBytes / 80);
  paths_.reserve(paths_.size() + documentBytes);
}

bool ManifestFiles::Append(std::string_view path, const ManifestEntry& entry) {
  if (paths_.size() + path.size() > INT32_MAX) return false;
  items_.push_back(Pack(paths_.size(), path.size(), entry));
  paths_.append(path.data(), path.size());
  return true;
}

void ManifestFiles::Finish() {
  // Ordered by path, and among equal paths by their place in the document (the block only grows), so the last of
  // each run of equal paths is the one the document gave last.
  const auto before = [this](const Item& a, const Item& b) {
    const int order = PathOf(a).compare(PathOf(b));
    return order != 0 ? order < 0 : a.pathAt < b.pathAt;
  };
  if (!std::is_sorted(items_.begin(), items_.end(), before)) std::sort(items_.begin(), items_.end(), before);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i + 1 < items_.size() && PathOf(items_[i]) == PathOf(items_[i + 1])) continue;
    items_[kept++] = items_[i];
  }
  items_.resize(kept);
}
