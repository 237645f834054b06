#pragma once
// Which mode the command line selects. Switches are case-sensitive substrings anywhere in the raw line.

enum class LaunchMode { HeadlessVerification, HeadlessUpdate, TestStart, Windowed };

// Given by a launcher that has just installed its successor and starts it: the new one waits for the
// old one to close instead of taking it for a second start of the window.
constexpr char kRestartSwitch[] = "/reinicio";

// A null command line selects the windowed mode.
LaunchMode SelectLaunchMode(const char* commandLine);

// True when the command line holds the text anywhere (exact case). False for a null command line.
bool CommandLineHas(const char* commandLine, const char* text);
