#include "update/verification_cache_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/unique_file.h"

// Text mode ("t") on purpose: lines are CR LF on disk and LF in memory, as the format expects.

namespace {

constexpr std::size_t kPiece = 64 << 10;

// Lines of a stream read in large pieces; a last line without a line feed counts, an empty rest does not.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), buffer_(kPiece) {}
  bool Next(std::string& line) {
    line.clear();
    for (;;) {
      if (at_ == end_) {
        at_ = 0;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        if (end_ == 0) return !line.empty();
      }
      const char* start = buffer_.data() + at_;
      const char* feed = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
      if (feed != nullptr) {
        line.append(start, feed);
        at_ += static_cast<std::size_t>(feed - start) + 1;
        return true;
      }
      line.append(start, end_ - at_);
      at_ = end_;
    }
  }

 private:
  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t at_ = 0;
  std::size_t end_ = 0;
};

}  // namespace

CacheFileLoad LoadVerificationCacheFile(const char* path, const ManifestFiles& files, VerificationCache& cache,
                                        int64_t& verifiedAt) {
  cache.Reset(files.size());
  verifiedAt = 0;
  UniqueFile file(std::fopen(path, "rt"));
  if (!file) return CacheFileLoad::Missing;
  LineReader reader(file.get());
  const bool known =
      ReadVerificationCache([&](std::string& line) { return reader.Next(line); }, files, cache, verifiedAt);
  return known ? CacheFileLoad::Loaded : CacheFileLoad::Foreign;
}

void SaveVerificationCacheFile(const char* path, const VerificationCache& cache, int64_t verifiedAt,
                               const ManifestFiles& files) {
  const std::string temporary = std::string(path) + ".tmp";
  UniqueFile file(std::fopen(temporary.c_str(), "wt"));
  if (!file) return;
  std::setvbuf(file.get(), nullptr, _IOFBF, kPiece);
  WriteVerificationCache(
      [&](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), file.get());
        std::fputc('\n', file.get());
      },
      cache, verifiedAt, files);
  file.reset();
  // Unlike rename(), this replaces an existing target in one step.
  MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}
