#pragma once
// Resources compiled into the program, keyed by (type, id): "BITMAP", "PNG", "CURSOR",
// "ICON", "TOOLBAR", "MENU" and the program's own types such as "WQNRES". A file
// resources/embedded/<TYPE>/<id>.<ext> becomes that resource through
// tarrow_embed_resources() in CMake.
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {
bool LoadResourceBytes(const std::string& type, UINT id, std::vector<unsigned char>& out);
bool HasResource(const std::string& type, UINT id);
// A "TOOLBAR" resource: text giving the button width and height, then the command id
// of each button in order, 0 for a separator (which has no image in the strip).
// False when it is missing or malformed (sizes outside 1..256, more than 4096 buttons).
bool LoadToolBarResource(UINT id, int& width, int& height, std::vector<UINT>& ids);
// Adds a resource held in the program's own memory (bytes compiled in by a module that
// makes them during the build); it is found before the embedded files. The bytes are
// copied. False when (type, id) is already registered this way.
bool RegisterMemoryResource(const std::string& type, UINT id, const unsigned char* bytes, size_t size);
}  // namespace platform
