#pragma once
// Read-only reader of zip archives held in memory or in a file: finds an entry by name
// and inflates it into a buffer (or writes it out to a file). Every call answers a status
// code; no call reads outside the archive whatever the archive holds.
#include <cstdint>

namespace WinlessUI {

using ZRESULT = std::int32_t;
constexpr ZRESULT ZR_OK = 0x00000000;
constexpr ZRESULT ZR_NODUPH = 0x00000100;    // the file handle could not be duplicated
constexpr ZRESULT ZR_NOFILE = 0x00000200;    // the file could not be opened or created
constexpr ZRESULT ZR_WRITE = 0x00000400;     // writing an entry out to a file failed
constexpr ZRESULT ZR_NOTFOUND = 0x00000500;  // no entry with that name
constexpr ZRESULT ZR_MORE = 0x00000600;      // bytes delivered; the entry stays open
constexpr ZRESULT ZR_CORRUPT = 0x00000700;   // local header disagrees with the directory
constexpr ZRESULT ZR_READ = 0x00000800;      // the local extra field could not be read
constexpr ZRESULT ZR_ARGS = 0x00010000;      // bad arguments
constexpr ZRESULT ZR_NOTMMAP = 0x00080000;   // not an unzip handle
constexpr ZRESULT ZR_NOTINITED = 0x01000000;  // the reader state was already initialised
constexpr ZRESULT ZR_SEEK = 0x02000000;      // a handle source that cannot seek
constexpr ZRESULT ZR_FLATE = 0x05000000;     // the entry could not be opened or read
constexpr ZRESULT ZR_ENDRECORD = -1;         // no end record found, or a read failed
constexpr ZRESULT ZR_BADARCHIVE = -103;      // end record or directory inconsistent

// Source and target kinds.
constexpr std::uint32_t ZIP_HANDLE = 1;    // a file descriptor (duplicated; the caller keeps its own)
constexpr std::uint32_t ZIP_FILENAME = 2;  // a file name
constexpr std::uint32_t ZIP_MEMORY = 3;    // bytes the caller keeps alive until ZipClose

struct ZIPFILETIME {
    std::uint32_t dwLowDateTime = 0;
    std::uint32_t dwHighDateTime = 0;
};

struct ZipEntry {
    int index = 0;
    char name[260] = {};
    std::uint32_t attr = 0;
    ZIPFILETIME atime, ctime, mtime;
    std::int32_t comp_size = 0;
    std::int32_t unc_size = 0;
};

struct ZipHandleData;
using ZipHandle = ZipHandleData*;

// The last status of ZipOpen (which answers null on failure).
ZRESULT ZipLastOpenResult();
ZipHandle ZipOpen(const void* source, std::uint32_t length, std::uint32_t kind);
ZRESULT ZipFindItem(ZipHandle hz, const char* name, bool ignoreCase, int* index, ZipEntry* entry);
ZRESULT ZipGetItem(ZipHandle hz, int index, ZipEntry* entry);
// Target kind ZIP_MEMORY: a buffer of `length` bytes; ZIP_HANDLE: a file descriptor given as
// (void*)(intptr_t)fd; ZIP_FILENAME: the name of a file to create.
ZRESULT ZipUnzipItem(ZipHandle hz, int index, void* target, std::uint32_t length, std::uint32_t kind);
ZRESULT ZipClose(ZipHandle hz);

}  // namespace WinlessUI
