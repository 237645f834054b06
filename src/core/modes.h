#pragma once
// The three modes the entry point hands over to. Each returns the process exit code.
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

// Headless start of the game client: 0 started, 1 the shell refused, 2 the client is missing.
int RunTestMode();

// Headless verification of the game files; quick is true when "rapido" was given. Always 0.
int RunHeadlessVerification(bool quick);

// Unattended repair: verification as in RunHeadlessVerification, then the update run when files are
// pending. 0 when the installation matches the manifest at the end, 1 otherwise.
int RunHeadlessUpdate(bool quick);

// The window, its start-up and message loop.
int RunWindowedLauncher(HINSTANCE instance, const char* commandLine, int showCommand);
