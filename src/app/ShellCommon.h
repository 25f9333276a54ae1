#pragma once
// The shell's start-up of the common variables, resources and skin that every window
// reads.
#include <string>

// Common resources, then the common variables; the colour table starts with the dark
// defaults and points the formula engine at itself.
void InitShellCommon();
// Creates the skin manager.
void CreateShellSkin();
// Selects the named skin folder ("skin") when it differs from the current one: its file
// and images are loaded and the colour table is re-read. A skin folder without its file
// leaves the colours as they are. False when nothing changed.
bool ApplyShellSkin(const std::string& name);
void FreeShellSkin();
