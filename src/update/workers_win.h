#pragma once
// The three kinds of worker thread. Each runs on a new detached thread that is never waited for
// and reports to the window only through the worker messages.

// Thread bodies: the verification run (with the self-update check first), the update run, and one
// players-online request. Each catches whatever its work throws: the log gets the reason, and the
// check and update workers send UM_FAILED so that the window leaves Checking or Downloading.
void CheckWorker() noexcept;
void UpdateWorker() noexcept;
void StatusWorker() noexcept;

// Start one on a new detached thread. False, with a log line, when the thread cannot be created.
bool StartCheckWorker();
bool StartUpdateWorker();
// True without starting another while the previous status request still runs: two requests at
// once would share estado_temporal.json, and the next tick asks again anyway.
bool StartStatusWorker();
