#pragma once
// Starting the game client that lies beside the launcher, and telling whether one already runs.
// Both run on the window thread.

// Starts qarlokclient.exe from the launcher's directory and, when the shell accepts it, posts the
// quit message (exit code 0) to this thread, which ends the launcher's message loop. Otherwise the
// window state says why (client missing, or the shell's code) and the launcher keeps running.
// Works without a window too: the state is still set, there is just nothing to repaint.
void StartGame();

// True when any process, from any folder, runs an executable named qarlokclient.exe (any letter
// case). False as well when the process list cannot be read.
bool IsGameRunning();
