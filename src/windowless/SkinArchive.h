#pragma once
// The skin archive compiled into the program, as resource ("WQNRES", 317).
#include "platform/WinTypes.h"

namespace WinlessUI {
constexpr UINT kSkinArchiveResourceId = 317;
void RegisterSkinArchiveResource();
}  // namespace WinlessUI
