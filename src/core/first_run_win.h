#pragma once
// First-run housekeeping of a windowed start, run before the window exists. Each task does nothing
// when its file is already there, never fails the start, and logs at most one line when it acts.

// Writes a Spanish locale.cfg beside the launcher when there is none.
void EnsureLocaleFile();

// Writes a default qarlok.cfg beside the launcher when there is none (800 by 600 on screens lower
// than 900 pixels, else 1024 by 768).
void EnsureClientSettingsFile();

// Puts Vandrel.lnk on the user's desktop once per installation: the marker acceso-directo.hecho in
// the current directory records the attempt, so a shortcut the player deletes is not brought back.
void EnsureDesktopShortcut();
