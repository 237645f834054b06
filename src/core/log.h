#pragma once
// The launcher's one diagnostic channel: a time-stamped line appended to launcher_log.txt
// beside the executable. Needs no set-up, works from any thread, never fails its caller.

#if defined(__GNUC__)
#define VANDREL_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define VANDREL_PRINTF_FORMAT(f, a)
#endif

void Log(const char* format, ...) VANDREL_PRINTF_FORMAT(1, 2);
