// The skin archive reader on arbitrary bytes: opening, listing, finding and inflating
// every entry must end with a status code, never a read outside the input.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "windowless/Zip.h"

using namespace WinlessUI;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZipHandle h = ZipOpen(data, static_cast<std::uint32_t>(size), ZIP_MEMORY);
    if (h == nullptr) return 0;
    ZipEntry all;
    if (ZipGetItem(h, -1, &all) != ZR_OK) std::abort();
    for (int i = 0; i < all.index && i < 64; ++i) {
        ZipEntry ze;
        if (ZipGetItem(h, i, &ze) != ZR_OK) continue;
        int found = -1;
        ZipEntry again;
        ZipFindItem(h, ze.name, true, &found, &again);
        // Entries claim any size; the framework refuses large ones before allocating.
        std::uint32_t len = ze.unc_size < 0 || ze.unc_size > (1 << 20) ? 4096 : std::uint32_t(ze.unc_size);
        std::vector<unsigned char> buf(len + 1);
        for (int round = 0; round < 4; ++round) {
            ZRESULT r = ZipUnzipItem(h, i, buf.data(), len, ZIP_MEMORY);
            if (r != ZR_MORE) break;
        }
    }
    if (ZipClose(h) != ZR_OK) std::abort();
    return 0;
}
