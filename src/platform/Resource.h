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
}  // namespace platform
