#include "update/verification.h"

#include "ui/ui_text.h"

bool ChooseQuickRun(bool fullVerification, size_t cacheEntries, int64_t cacheVerifiedAt, int64_t now) {
  if (fullVerification || cacheEntries == 0) return false;
  if (cacheVerifiedAt > now) return false;
  // Written without now - cacheVerifiedAt: a forged very negative time must not overflow.
  return cacheVerifiedAt >= now - kQuickRunMaxAgeSeconds;
}

std::string CheckingFileStatus(const std::string& path) {
  return UiTextUtf8(TXT_CHECKING_FILES) + " \xC2\xB7 " + path;
}

std::string FileCountDetail(int processed, int total) {
  return std::to_string(processed) + " " + UiTextUtf8(TXT_OF) + " " + std::to_string(total) + " " +
         UiTextUtf8(TXT_FILES);
}
