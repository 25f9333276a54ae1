#pragma once
// Builds the program's images from their editable sources. The manifest (manifest.txt in
// the art folder) lists "source output" pairs: an .svg source is rendered at its own size
// and written as PNG; any other source is copied byte for byte.
#include <string>
#include <vector>

struct ResGenEntry {
    std::string source;  // relative to the art folder
    std::string output;  // relative to the output root
};

// The manifest's entries; comments (#) and blank lines skipped. False when unreadable.
bool ReadResGenManifest(const std::string& artDir, std::vector<ResGenEntry>& entries,
                        std::string* error);
// Generates every entry under outRoot. Needs the platform layer initialised. Returns the
// number of files written; the first failure goes to *error.
int GenerateResources(const std::string& artDir, const std::string& outRoot, std::string* error);
