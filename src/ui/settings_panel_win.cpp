// The settings panel's reach outside the window state: qarlok.cfg, the adapter's modes, the log.
#include <windows.h>

#include "core/log.h"
#include "core/module_path_win.h"
#include "core/process_values_win.h"
#include "core/start_game_win.h"
#include "settings/client_settings.h"
#include "ui/settings_panel.h"

namespace {

void RepaintMainWindow() {
  if (mainWindow) InvalidateRect(mainWindow, nullptr, FALSE);
}

}  // namespace

void OpenSettingsPanel() {
  ClientSettings fromFile;  // the panel defaults; keys the file lacks keep them
  LoadClientSettings(LauncherDirectory() + "qarlok.cfg", fromFile);
  OpenPanel(uiState, fromFile, EnumerateDisplayModes());
  RepaintMainWindow();
}

void SaveSettingsPanel() {
  const ClientSettings& s = PrepareSave(uiState);
  const bool saved = SaveClientSettings(LauncherDirectory() + "qarlok.cfg", s);
  if (saved) {
    Log("qarlok.cfg guardado: %dx%d %s musica %.2f voces %d gamma %d sombras %d dist %d", s.width, s.height,
        s.windowed ? "ventana" : "completa", static_cast<double>(s.musicVolume), s.voiceVolume, s.gamma,
        s.shadowLevel, s.visibility);
  } else {
    Log("No se pudo escribir qarlok.cfg (error %lu)", GetLastError());
  }
  const bool gameRunning = IsGameRunning();
  if (gameRunning) Log("AVISO: el juego esta abierto; al cerrarlo pisara qarlok.cfg");
  FinishSave(uiState, saved, gameRunning);
  RepaintMainWindow();
}
