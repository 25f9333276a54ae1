#pragma once
// The program directory: the user's Tarrow home, where the configuration, the market data,
// the layouts and the logs live under the relative names the program uses ("appconfig.xml",
// "cq.dat", "Data/...", "layout/..."). Every module asks this service for it; nobody else
// reads $TARROW_HOME or builds the default path.
//
// It has no toolkit in it (a library of its own, tarrow_platform_home) so that modules below
// the window layer, and tools without windows, can use it.
//
// Threads: PrepareProgramDir runs once at start on the main thread, before other threads;
// the getters may be called from any thread afterwards.
#include <string>

namespace platform {

// The configured home, not touched on disk: $TARROW_HOME when set and not empty, else
// $HOME/.local/share/tarrow (/tmp/.local/share/tarrow without $HOME). No trailing '/'.
std::string ResolveProgramDir();

// The installed resources the home is seeded from, first of:
//   $TARROW_RESOURCES when set and not empty (whether or not it exists: a setting that
//   names nothing is reported, not replaced by a guess);
//   <executable's dir>/../share/tarrow/resources (the installed layout);
//   <executable's dir>/resources;
//   the source tree's resources/ of the build (running from a build tree).
// Empty when none of them is a directory.
std::string InstalledResourcesDir();

struct SeedReport {
    int copied = 0;  // files that were missing and are now there
    int kept = 0;    // files the home had already: left exactly as they were
    std::string error;  // the first failure ("" when none); copying goes on past one
};
// Copies every file under `resources` (sub-directories included) to the same relative name
// under `home`, creating directories as needed, but only where `home` has nothing of that
// name: a user's file is never overwritten, not even by a newer resource. A copy is written
// to a temporary name and renamed into place, so a failed copy leaves no partial file that
// the next start would take for the user's. A missing `resources` copies nothing (no error).
SeedReport SeedProgramDir(const std::string& home, const std::string& resources);

// The start-up step: resolve the home, create it (with its parents), seed it from the
// installed resources and make it the current directory. Returns false with a message in
// *error when the home cannot be created or entered (a seeding failure is reported in
// *error but does not fail the start: what exists stays usable). Calling it again redoes
// the whole step with the environment as it is then.
bool PrepareProgramDir(std::string* error = nullptr);

// The program directory with a trailing '/': the one PrepareProgramDir made current, or,
// before it has run (tests, tools), the resolved home.
std::string GetProgramDir();

}  // namespace platform
