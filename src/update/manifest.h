#pragma once
// The update site's description of a client version: latest.txt names the version, manifest.json lists its files.
// Text in, values out; the downloads live with the caller.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ManifestEntry {
  std::string hash;  // SHA-256 as published, 64 hexadecimal characters
  int64_t size = 0;
};

// Every listed file, keyed by the path exactly as written in the manifest and ordered byte by byte, with the
// lookups of an ordered map. A manifest may list 100,000 files, so nothing is allocated per file: the paths share
// one block and each hash is packed into 40 bytes (its digest and which of its letters are capitals), to be
// written out again as the same text when an entry is read. A hash that is not 64 hexadecimal characters is held
// as empty, which matches no file.
class ManifestFiles {
 public:
  using value_type = std::pair<std::string_view, ManifestEntry>;

  // Holds the pair it points at, so a reference taken through it lives as long as the iterator; the path view
  // stays valid until the listing changes.
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = ManifestFiles::value_type;
    using difference_type = std::ptrdiff_t;
    using reference = const value_type&;
    using pointer = const value_type*;

    const_iterator() = default;
    reference operator*() const;
    pointer operator->() const { return &**this; }
    const_iterator& operator++() {
      ++index_;
      current_.reset();
      return *this;
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }
    // Position in path order, the index the verification cache keeps its entries by.
    std::size_t index() const { return index_; }

   private:
    friend class ManifestFiles;
    const_iterator(const ManifestFiles* files, std::size_t index) : files_(files), index_(index) {}
    const ManifestFiles* files_ = nullptr;
    std::size_t index_ = 0;
    mutable std::optional<value_type> current_;
  };
  using iterator = const_iterator;

  // What files[path] gives: assigning an entry sets the path's entry, inserting the path in its place.
  class EntrySlot {
   public:
    EntrySlot& operator=(const ManifestEntry& entry) {
      files_->Set(path_, entry);
      return *this;
    }

   private:
    friend class ManifestFiles;
    EntrySlot(ManifestFiles* files, std::string_view path) : files_(files), path_(path) {}
    ManifestFiles* files_;
    std::string_view path_;
  };

  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, items_.size()); }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  void clear();

  const_iterator find(std::string_view path) const;
  std::size_t count(std::string_view path) const { return find(path) != end() ? 1 : 0; }
  // Throws std::out_of_range for an unlisted path, as an ordered map's at() does.
  ManifestEntry at(std::string_view path) const;
  EntrySlot operator[](std::string_view path) { return EntrySlot(this, path); }
  // Sets a path's entry, inserting the path in its place when missing (a lookup plus a shift of the later ones).
  void Set(std::string_view path, const ManifestEntry& entry);

  std::string_view PathAt(std::size_t index) const;
  ManifestEntry EntryAt(std::size_t index) const;

  // Bulk filling for the reader: entries are taken in any order, room is reserved from the document size so the
  // arrays are not moved while they grow (room never filled is never touched and costs no memory), and Finish()
  // puts them in path order, a later entry for a path replacing an earlier one. No lookup may happen in between.
  // Append is false when the paths no longer fit the block's 32-bit offsets.
  void Reserve(std::size_t documentBytes);
  bool Append(std::string_view path, const ManifestEntry& entry);
  void Finish();

 private:
  struct Item {
    uint32_t pathAt;  // offsets into one block: a manifest is far below 4 GB
    uint32_t pathLength : 31;
    uint32_t hashKept : 1;  // 0: the hash was not 64 hexadecimal characters and reads as empty
    int64_t size;
    uint8_t digest[32];
    uint64_t capitals;  // bit i: character i of the hash was an upper-case letter
  };
  static Item Pack(std::size_t pathAt, std::size_t pathLength, const ManifestEntry& entry);
  std::string_view PathOf(const Item& item) const { return std::string_view(paths_).substr(item.pathAt, item.pathLength); }
  std::size_t LowerBound(std::string_view path) const;

  std::string paths_;  // every path, one after the other
  std::vector<Item> items_;
};

struct Manifest {
  std::string version;
  std::string patchHash;  // 64 hexadecimal characters, or empty
  int64_t patchSize = 0;  // 0 when not given
  bool store = false;     // the per-file store is offered
  ManifestFiles files;
};

// A version text as the site may publish it (in latest.txt and as the manifest's "version"): 1 to 20 characters,
// groups of digits separated by single dots, no group empty ("1.2.3", "7"; never "..", ".5", "5." or "1..2").
// Anything else could reach the log and version.txt as server-made text.
bool IsVersionText(const std::string& text);

// The version named by latest.txt, from the file's content as read in text mode: the first line without its
// trailing CR, LF, blanks and tabs. Empty when that is not a version text.
std::string ParseLatestVersion(const std::string& content);

// True when both texts are version texts and `candidate` is lower than `installed`, compared group by group as
// numbers of any length ("1.10" is above "1.9"; a missing group counts as 0, so "1.2" equals "1.2.0").
bool IsOlderVersion(const std::string& candidate, const std::string& installed);

// Reads manifest.json's text into `manifest`; true when it lists at least one file. `version` keeps its value when
// the text has no "version" member. A "version" that is not a version text, or a size beyond the signed 64-bit
// range, makes the whole text unreadable: false, with files, patch hash, patch size and store flag emptied and
// `version` untouched.
bool ParseManifest(const std::string& text, Manifest& manifest);

// The same, reading the text piece by piece from `read` (which fills up to the given number of bytes and returns
// how many it gave, 0 at the end), so that a large manifest is never held whole. `documentBytes` is the expected
// size, 0 when unknown.
using ManifestReader = std::function<std::size_t(char* buffer, std::size_t capacity)>;
bool ParseManifest(const ManifestReader& read, std::size_t documentBytes, Manifest& manifest);
