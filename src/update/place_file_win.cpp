#include "update/place_file_win.h"

#include <windows.h>

bool PlaceFile(const std::string& source, const std::string& destination) {
  const DWORD attributes = GetFileAttributesA(destination.c_str());
  const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  if (readOnly) SetFileAttributesA(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  const DWORD error = GetLastError();
  if (readOnly) SetFileAttributesA(destination.c_str(), attributes);
  SetLastError(error);
  return false;
}
