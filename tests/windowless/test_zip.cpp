// The zip reader against archives built in the test with zlib.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

#include "ZipFixture.h"
#include "common/ScratchDir.h"
#include "windowless/Zip.h"

using namespace WinlessUI;
using ziptest::Entry;

namespace {

std::string Pattern(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += char('a' + (i * 7 + i / 13) % 26);
    return s;
}

struct Archive {
    std::string bytes;
    ZipHandle h = nullptr;
    explicit Archive(std::string b) : bytes(std::move(b)) {
        h = ZipOpen(bytes.data(), (std::uint32_t)bytes.size(), ZIP_MEMORY);
    }
    ~Archive() {
        if (h) ZipClose(h);
    }
    // The whole entry, as the framework reads it: find, buffer of its size, one unzip.
    ZRESULT Read(const char* name, std::string* out) {
        int index = -1;
        ZipEntry ze;
        ZRESULT r = ZipFindItem(h, name, true, &index, &ze);
        if (r != ZR_OK) return r;
        out->assign((std::size_t)ze.unc_size, '\0');
        return ZipUnzipItem(h, index, out->data(), (std::uint32_t)out->size(), ZIP_MEMORY);
    }
};

}  // namespace

TEST(ZipReader, FindsNamesWithBackslashAndInAnyCase) {
    Archive a(ziptest::Build({{"Skin/ShareProductDlg.xml", "<Window/>"}, {"Skin/Common/a.bmp", "x"}}));
    ASSERT_NE(a.h, nullptr);
    struct Case {
        const char* name;
        bool ignoreCase;
        int index;
    } cases[] = {
        {"Skin/ShareProductDlg.xml", false, 0}, {"Skin\\ShareProductDlg.xml", false, 0},
        {"skin/shareproductdlg.XML", true, 0},  {"skin/shareproductdlg.XML", false, -1},
        {"Skin/Common/A.BMP", true, 1},         {"Skin/missing", true, -1},
    };
    for (const Case& c : cases) {
        int index = 99;
        ZipEntry ze;
        ZRESULT r = ZipFindItem(a.h, c.name, c.ignoreCase, &index, &ze);
        EXPECT_EQ(index, c.index) << c.name;
        EXPECT_EQ(r, c.index < 0 ? ZR_NOTFOUND : ZR_OK) << c.name;
        EXPECT_EQ(ze.index, c.index) << c.name;
    }
}

TEST(ZipReader, LongNamesAreNotFoundAndStoredNamesStayInTheirBuffer) {
    std::string longName(300, 'n');
    Archive a(ziptest::Build({{longName, "data"}, {"short", "s"}}));
    ASSERT_NE(a.h, nullptr);
    int index = 5;
    ZipEntry ze;
    EXPECT_EQ(ZipFindItem(a.h, std::string(256, 'n').c_str(), true, &index, &ze), ZR_NOTFOUND);
    EXPECT_EQ(index, -1);
    // A 300-character stored name is cut to the 260-byte record, NUL-terminated.
    ASSERT_EQ(ZipGetItem(a.h, 0, &ze), ZR_OK);
    EXPECT_EQ(strlen(ze.name), 259u);
    std::string s;
    EXPECT_EQ(a.Read("short", &s), ZR_MORE);
    EXPECT_EQ(s, "s");
}

TEST(ZipReader, WholeEntryThenZeroThenAnotherIndex) {
    std::string big = Pattern(5828);
    Archive a(ziptest::Build({{"big", big}, {"small", "hello", false}}));
    ASSERT_NE(a.h, nullptr);
    std::string buf(5828, '\0');
    EXPECT_EQ(ZipUnzipItem(a.h, 0, buf.data(), 5828, ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(buf, big);
    EXPECT_EQ(ZipUnzipItem(a.h, 0, buf.data(), 5828, ZIP_MEMORY), ZR_OK);
    // The entry was closed: the same index reads the whole entry again.
    EXPECT_EQ(ZipUnzipItem(a.h, 0, buf.data(), 5828, ZIP_MEMORY), ZR_MORE);
    // Another index closes the open one.
    char small[5];
    EXPECT_EQ(ZipUnzipItem(a.h, 1, small, 5, ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(std::string(small, 5), "hello");
    // A small buffer streams the entry piece by piece.
    std::string pieces;
    char chunk[1000];
    ZRESULT r;
    while ((r = ZipUnzipItem(a.h, 0, chunk, sizeof(chunk), ZIP_MEMORY)) == ZR_MORE)
        pieces.append(chunk, std::min<std::size_t>(sizeof(chunk), big.size() - pieces.size()));
    EXPECT_EQ(r, ZR_OK);
    EXPECT_EQ(pieces, big);
}

TEST(ZipReader, BadArguments) {
    Archive a(ziptest::Build({{"a", "1"}}));
    char buf[4];
    EXPECT_EQ(ZipUnzipItem(a.h, 0, buf, 4, 4), ZR_ARGS);
    EXPECT_EQ(ZipUnzipItem(a.h, 1, buf, 4, ZIP_MEMORY), ZR_ARGS);
    EXPECT_EQ(ZipUnzipItem(a.h, -1, buf, 4, ZIP_MEMORY), ZR_ARGS);
    EXPECT_EQ(ZipUnzipItem(nullptr, 0, buf, 4, ZIP_MEMORY), ZR_ARGS);
    EXPECT_EQ(ZipClose(nullptr), ZR_ARGS);
    EXPECT_EQ(ZipOpen(a.bytes.data(), (std::uint32_t)a.bytes.size(), 7), nullptr);
    EXPECT_EQ(ZipLastOpenResult(), ZR_ARGS);
    ZipEntry ze;
    EXPECT_EQ(ZipGetItem(a.h, -1, &ze), ZR_OK);
    EXPECT_EQ(ze.index, 1);  // the entry count
    EXPECT_EQ(ZipGetItem(a.h, -2, &ze), ZR_ARGS);
}

TEST(ZipReader, ArchivesThatDoNotOpen) {
    std::string endOnly;
    ziptest::Put32(endOnly, 0x06054B50);
    endOnly += std::string(18, '\0');
    ziptest::Options disk1;
    disk1.thisDisk = 1;
    std::string overlong = ziptest::Build({{"a", "1"}});
    overlong[overlong.size() - 6] = char(0x7F);  // directory offset past the end record
    struct Case {
        const char* what;
        std::string bytes;
        ZRESULT status;
    } cases[] = {
        {"empty", "", ZR_ENDRECORD},
        {"shorter than an end record", std::string(21, 'P'), ZR_ENDRECORD},
        {"end record at offset 0", endOnly, ZR_ENDRECORD},
        {"no end record", Pattern(5000), ZR_ENDRECORD},
        {"disk number 1", ziptest::Build({{"a", "1"}}, disk1), ZR_BADARCHIVE},
        {"directory beyond the end record", overlong, ZR_BADARCHIVE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZipOpen(c.bytes.data(), (std::uint32_t)c.bytes.size(), ZIP_MEMORY), nullptr) << c.what;
        EXPECT_EQ(ZipLastOpenResult(), c.status) << c.what;
    }
}

TEST(ZipReader, PrefixedArchiveOpensAndReads) {
    ziptest::Options opt;
    opt.prefix = Pattern(777);
    Archive a(ziptest::Build({{"x/y.txt", "content of y"}, {"z", Pattern(40000)}}, opt));
    ASSERT_NE(a.h, nullptr);
    std::string s;
    EXPECT_EQ(a.Read("x/y.txt", &s), ZR_MORE);
    EXPECT_EQ(s, "content of y");
    EXPECT_EQ(a.Read("z", &s), ZR_MORE);
    EXPECT_EQ(s, Pattern(40000));
}

TEST(ZipReader, DamagedEntriesGiveErrorsInsteadOfData) {
    Entry wrongCrc{"crc", "some text", true, 0x1234};
    Entry storedCrc{"crc0", "stored", false, 1};
    Entry shortClaim{"claim", "0123456789", true, 0, +5};  // claims 15 bytes, stream has 10
    Entry garbage{"garbage", "", false};
    garbage.data = std::string("\xff\xff\xff\xff\xff\xff\xff\xff", 8);
    Archive a(ziptest::Build({wrongCrc, storedCrc, shortClaim}));
    ASSERT_NE(a.h, nullptr);
    std::string s;
    EXPECT_EQ(a.Read("crc", &s), ZR_FLATE);
    EXPECT_EQ(a.Read("crc0", &s), ZR_FLATE);
    EXPECT_EQ(a.Read("claim", &s), ZR_FLATE);

    // A deflate stream that is not one: the stored bytes marked as deflated.
    std::string bad = ziptest::Build({{"bad", "abcdefgh", false}});
    bad[8] = 8;                                   // local header method
    bad[bad.find("PK\x01\x02", 0, 4) + 10] = 8;   // central method
    Archive b(bad);
    ASSERT_NE(b.h, nullptr);
    EXPECT_EQ(b.Read("bad", &s), ZR_FLATE);

    ziptest::Options cut;
    cut.truncateData = 3;
    Archive c(ziptest::Build({{"t", Pattern(3000)}}, cut));
    ASSERT_NE(c.h, nullptr);
    EXPECT_EQ(c.Read("t", &s), ZR_FLATE);
}

TEST(ZipReader, LocalHeaderMismatchAndUnknownMethod) {
    std::string bytes = ziptest::Build({{"a", "abc", false}});
    std::string mismatch = bytes;
    mismatch[26] = 9;  // local name length
    Archive a(mismatch);
    ASSERT_NE(a.h, nullptr);
    int index;
    ZipEntry ze;
    EXPECT_EQ(ZipFindItem(a.h, "a", true, &index, &ze), ZR_CORRUPT);
    char buf[3];
    EXPECT_EQ(ZipUnzipItem(a.h, 0, buf, 3, ZIP_MEMORY), ZR_FLATE);

    std::string method = bytes;
    method[8] = 12;
    method[method.find("PK\x01\x02", 0, 4) + 10] = 12;
    Archive b(method);
    EXPECT_EQ(ZipUnzipItem(b.h, 0, buf, 3, ZIP_MEMORY), ZR_FLATE);
}

TEST(ZipReader, FileSourcesAndFileTargets) {
    ScratchDir dir;
    std::string bytes = ziptest::Build({{"d/", "", false, 0, 0, 0x10}, {"d/f.txt", "file body"}});
    std::string path = dir.File("a.zip");
    std::ofstream(path, std::ios::binary) << bytes;

    ZipHandle h = ZipOpen(path.c_str(), 0, ZIP_FILENAME);
    ASSERT_NE(h, nullptr);
    std::string out = dir.File("out.txt");
    EXPECT_EQ(ZipUnzipItem(h, 1, (void*)out.c_str(), 0, ZIP_FILENAME), ZR_OK);
    std::ifstream in(out);
    std::string got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, "file body");
    EXPECT_EQ(ZipClose(h), ZR_OK);

    // A descriptor source is duplicated; its position at open time is where the archive starts.
    int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    h = ZipOpen((void*)(intptr_t)fd, 0, ZIP_HANDLE);
    ASSERT_NE(h, nullptr);
    int index;
    ZipEntry ze;
    EXPECT_EQ(ZipFindItem(h, "D/F.TXT", true, &index, &ze), ZR_OK);
    EXPECT_EQ(ze.unc_size, 9);
    EXPECT_EQ(ZipClose(h), ZR_OK);
    EXPECT_EQ(lseek(fd, 0, SEEK_CUR) >= 0, true);  // ours is still open
    close(fd);
    EXPECT_EQ(ZipOpen((void*)(intptr_t)-1, 0, ZIP_HANDLE), nullptr);
    EXPECT_EQ(ZipOpen((dir.File("none.zip")).c_str(), 0, ZIP_FILENAME), nullptr);
    EXPECT_EQ(ZipLastOpenResult(), ZR_NOFILE);
}
