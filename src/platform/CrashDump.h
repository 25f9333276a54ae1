#pragma once
// Crash reports. A fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) writes a text
// report - signal, time, backtrace - into the crash directory, prints whether that
// worked, and lets the signal end the process as it would have.
#include <string>

// Installs the handler. dir: where reports go (created if missing); empty means the
// program directory (platform/home/ProgramDir.h). Safe to call again.
void InstallCrashHandler(const std::string& dir = {});
// The report's file name: "VKLM_<build date>-<build time>_<kernel major>_<minor>_<hhmmss>
// <machine id, 8 hex digits>.txt", in the crash directory. 1 when built, else 0.
int MakeDumpFileName(char* out, size_t size);
// Writes a report for sig into the crash directory; 1 on success, 0 on failure.
// Only async-signal-safe calls.
int WriteCrashDump(int sig);
// The handler body: writes the report, prints "Successfully wrote crash dump\n" or
// "Failed to write crash dump (errno == %d\n", returns 1.
int CrashDumpFilter(int sig);
