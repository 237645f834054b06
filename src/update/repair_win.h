#pragma once
// Repairing the installation: file by file from the store, or the whole patch.zip.
#include <string>

struct LauncherApp;

// Places every pending file from the content-addressed store, verified by its hash. False at the
// first file that cannot be fetched, verified or placed; files already placed stay.
bool DownloadFromStore(LauncherApp& app);

// Downloads the version's patch.zip, refuses it unless its hash matches the manifest, and extracts
// it over the installation. True when the extraction ran.
bool InstallFullPatch(LauncherApp& app, const std::string& version);

// Extracts every safe entry of the archive under the target directory. False only when the archive
// cannot be opened or has no readable first entry.
bool ExtractPatch(LauncherApp& app, const std::string& archive, const std::string& target);

// The update worker's body: the store first when offered, the full patch otherwise or after it.
void RunUpdate(LauncherApp& app);
