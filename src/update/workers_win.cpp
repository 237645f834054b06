#include "update/workers_win.h"

#include <windows.h>

#include <atomic>
#include <exception>
#include <thread>

#include "core/launcher_app.h"
#include "core/log.h"
#include "core/process_values_win.h"
#include "update/messages_win.h"
#include "update/repair_win.h"
#include "update/server_status.h"

namespace {

std::atomic<bool> statusRequestRunning{false};

// Runs a worker body; anything it throws is logged and, for the check and update workers, turned
// into UM_FAILED so that the player can retry.
template <typename Body>
void Guarded(const char* name, bool reportFailure, Body body) noexcept {
  try {
    body();
    return;
  } catch (const std::exception& error) {
    Log("Error inesperado en %s: %s", name, error.what());
  } catch (...) {
    Log("Error inesperado en %s", name);
  }
  if (reportFailure && app != nullptr) SendTextToWindow(app->reportWindow, UM_FAILED, "");
}

bool StartThread(void (*entry)() noexcept, const char* name) {
  try {
    std::thread(entry).detach();
    return true;
  } catch (const std::exception& error) {
    Log("No se pudo crear el hilo de %s: %s", name, error.what());
  } catch (...) {
    Log("No se pudo crear el hilo de %s", name);
  }
  return false;
}

}  // namespace

void CheckWorker() noexcept {
  Guarded("la comprobacion", true, [] {
    if (app != nullptr) app->VerifyGameFiles();
  });
}

void UpdateWorker() noexcept {
  Guarded("la actualizacion", true, [] {
    if (app != nullptr) RunUpdate(*app);
  });
}

void StatusWorker() noexcept {
  int32_t players = -1;
  Guarded("el estado del servidor", false, [&players] { players = FetchPlayersOnline(); });
  statusRequestRunning = false;
  PostPlayersOnline(players);
}

bool StartCheckWorker() { return StartThread(CheckWorker, "comprobacion"); }

bool StartUpdateWorker() { return StartThread(UpdateWorker, "actualizacion"); }

bool StartStatusWorker() {
  if (statusRequestRunning.exchange(true)) return true;
  if (StartThread(StatusWorker, "estado del servidor")) return true;
  statusRequestRunning = false;
  return false;
}
