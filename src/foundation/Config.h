#pragma once
// The user's settings file "appconfig.xml" (in the current directory), held in memory for
// the whole run. A setting is addressed by a section element under the root, a key element
// in it and an attribute of the key element.
//
// Reads: the default covers only a missing section or key element; a key element without
// the attribute reads 0 / empty. With no loaded file every read gives its default and every
// write does nothing. Writes create missing elements at the end of their parents and save
// the whole file at once (atomically) when `save` is set; a failed save keeps the values
// in memory.

#include <string>
#include <string_view>

inline constexpr const char* kConfigFileName = "appconfig.xml";

// Loads the file (default "appconfig.xml", relative to the current directory). False when
// it is missing or does not parse; the settings then stay empty. A damaged file is left
// where it is and never overwritten.
bool LoadConfig(const std::string& path = kConfigFileName);
// Forgets the loaded document (tests, shut-down).
void ResetConfig();
bool IsConfigLoaded();
// Writes the document to the path it was loaded from. False when nothing is loaded or the
// write failed.
bool SaveConfig(std::string* error = nullptr);

int GetConfigInt(std::string_view section, std::string_view key, std::string_view attr, int def);
std::string GetConfigString(std::string_view section, std::string_view key, std::string_view attr,
                            std::string_view def);
void SetConfigInt(std::string_view section, std::string_view key, std::string_view attr, int value,
                  bool save);
void SetConfigString(std::string_view section, std::string_view key, std::string_view attr,
                     std::string_view value, bool save);
