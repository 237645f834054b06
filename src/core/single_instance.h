#pragma once
// One launcher per installation folder: two at once would share the fixed names of the working files
// and fail each other with false reasons. Portable half: the lock's name.
#include <string>

// How long a headless run, or the launcher a self-update starts, waits for the one holding the folder.
constexpr int kFolderLockWaitSeconds = 30;

// Name of the per-session lock of a folder, from the folder's canonical spelling (UTF-8): two spellings
// of one folder must be made equal before they come here. Lock names cannot hold a backslash and are
// limited in length, so the folder is represented by a hash.
std::string FolderLockName(const std::string& folderKey);
