#pragma once
// Builds the program's images from their editable sources. The manifest (manifest.txt in
// the art folder) lists "source output" pairs: an .svg source is rendered at its own size
// and written as PNG; any other source is copied byte for byte. Words "key=value" after
// the output replace every "${key}" of an .svg source before it is rendered, so one
// drawing gives several looks (normal, pressed, disabled).
#include <string>
#include <utility>
#include <vector>

struct ResGenEntry {
    std::string source;  // relative to the art folder
    std::string output;  // relative to the output root
    std::vector<std::pair<std::string, std::string>> values;  // "${key}" -> value
};

// The manifest's entries; comments (#) and blank lines skipped. False when unreadable.
bool ReadResGenManifest(const std::string& artDir, std::vector<ResGenEntry>& entries,
                        std::string* error);
// Generates every entry under outRoot. Needs the platform layer initialised. Returns the
// number of files written; the first failure goes to *error.
int GenerateResources(const std::string& artDir, const std::string& outRoot, std::string* error);
