#pragma once
// launcher.exe's file version, read back at run time for the window and the start line of the log.
#define VANDREL_FILE_VERSION 2,0,0,0
#define VANDREL_FILE_VERSION_TEXT "2.0.0.0"
