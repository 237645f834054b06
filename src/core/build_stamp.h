#pragma once
// The build date ("Sep 10 2026") and time ("07:41:37") of this executable.
const char* BuildDate();
const char* BuildTime();
