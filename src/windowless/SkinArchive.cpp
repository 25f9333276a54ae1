#include "windowless/SkinArchive.h"

#include "platform/Resource.h"

namespace WinlessUI {

extern const unsigned char kSkinArchive[];
extern const unsigned kSkinArchive_size;

void RegisterSkinArchiveResource() {
    // Registered once; later calls find it there already.
    platform::RegisterMemoryResource("WQNRES", kSkinArchiveResourceId, kSkinArchive, kSkinArchive_size);
}

}  // namespace WinlessUI
