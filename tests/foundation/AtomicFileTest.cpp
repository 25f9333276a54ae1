#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tinyxml2.h>

#include <csignal>
#include <filesystem>
#include <string_view>
#include <vector>

#include "common/ScratchDir.h"
#include "foundation/AtomicFile.h"
#include "foundation/XmlFile.h"

namespace fs = std::filesystem;

namespace {

size_t CountEntries(const std::string& dir) {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

// Makes every write past `limit` bytes fail with EFBIG, even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit lim = m_saved;
        lim.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

}  // namespace

TEST(AtomicFile, WritesNewFileCreatingParentDirectories) {
    ScratchDir dir;
    std::string path = dir.File("a/b/c.txt");
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(path, "hello", &error)) << error;
    EXPECT_EQ(ReadFile(path), "hello");
    EXPECT_EQ(CountEntries(dir.File("a/b")), 1u) << "temporary file left behind";
}

TEST(AtomicFile, ReplacesContentsAndKeepsMode) {
    ScratchDir dir;
    std::string path = dir.File("x.dat");
    WriteFile(path, "old contents that are longer");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomic(path, std::string("new\0bytes", 9)));
    EXPECT_EQ(ReadFile(path), std::string("new\0bytes", 9));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(AtomicFile, FailedWriteLeavesOldFileAndNoTemporary) {
    ScratchDir dir;
    std::string path = dir.File("keep.xml");
    WriteFile(path, "<old/>");
    std::string error;
    {
        FileSizeLimit limit(16);
        EXPECT_FALSE(WriteFileAtomic(path, std::string(4096, 'x'), &error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(path), "<old/>");
    EXPECT_EQ(CountEntries(dir.Path().string()), 1u);
}

// A file given in pieces: more pieces than one call takes, empty ones among them; a size
// limit cuts a call short in the middle of a piece and fails the next.
TEST(AtomicFile, PiecesLandInOrderOrNotAtAll) {
    ScratchDir dir;
    std::string path = dir.File("pieces.xml");
    std::vector<std::string> pieces;
    std::string whole;
    for (int i = 0; i < 1000; ++i) {
        pieces.push_back(i % 7 == 3 ? std::string()
                                    : std::string(size_t(i % 13) + 1, char('a' + i % 26)));
        whole += pieces.back();
    }
    pieces.push_back(std::string(300000, 'z'));
    whole += pieces.back();
    const std::vector<std::string_view> views(pieces.begin(), pieces.end());
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(path, views, &error)) << error;
    EXPECT_EQ(ReadFile(path), whole);

    {
        FileSizeLimit limit(whole.size() - 1000);
        EXPECT_FALSE(WriteFileAtomic(path, views, &error));
    }
    EXPECT_EQ(ReadFile(path), whole);
    EXPECT_EQ(CountEntries(dir.Path().string()), 1u);
}

// A batch of saves flushes each folder once, after all of them, and nested batches leave it
// to the outermost; the files are in place either way.
TEST(AtomicFile, BatchFlushesEachFolderOnceAtItsEnd) {
    ScratchDir dir;
    const auto a = dir.Path() / "a", b = dir.Path() / "sub" / "b";
    const int before = atomic_file_testing::DirectorySyncCount();
    {
        CAtomicWriteBatch batch;
        {
            CAtomicWriteBatch inner;
            ASSERT_TRUE(WriteFileAtomic((a / "one.xml").string(), "1"));
        }
        ASSERT_TRUE(WriteFileAtomic((a / "two.xml").string(), "2"));
        ASSERT_TRUE(WriteFileAtomic((b / "three.xml").string(), "3"));
        ASSERT_TRUE(WriteFileAtomic((a / "one.xml").string(), "one"));
        ASSERT_TRUE(WriteFileAtomic((a / "." / "four.xml").string(), "4"));  // a, spelled apart
        EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before);        // all deferred
    }
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before + 2);  // a and sub/b
    std::string text;
    ASSERT_TRUE(ReadWholeFile((a / "one.xml").string(), text));
    EXPECT_EQ(text, "one");
    ASSERT_TRUE(ReadWholeFile((b / "three.xml").string(), text));
    EXPECT_EQ(text, "3");
    ASSERT_TRUE(WriteFileAtomic((a / "two.xml").string(), "2"));  // no batch: at once
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before + 3);
}

TEST(AtomicFile, KeepAsideRenamesDamagedFileWithoutClobbering) {
    ScratchDir dir;
    std::string path = dir.File("cfg.xml");
    EXPECT_EQ(KeepAside(path), "") << "missing file";
    WriteFile(path, "first");
    std::string first = KeepAside(path);
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(ReadFile(first), "first");
    EXPECT_NE(first.find("cfg.xml.bad-"), std::string::npos);
    WriteFile(path, "second");
    std::string second = KeepAside(path);
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(ReadFile(first), "first");
    EXPECT_EQ(ReadFile(second), "second");
}

TEST(XmlFile, Gb2312DeclaredFileRoundTripsAsGbkOnDisk) {
    ScratchDir dir;
    std::string path = dir.File("t.xml");
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    tinyxml2::XMLElement* root = doc.NewElement("root");
    doc.InsertEndChild(root);
    root->SetAttribute("name", "浦发银行");
    root->SetAttribute("note", "a😀b&c");  // no GBK form: kept as a character reference
    ASSERT_TRUE(SaveXmlFile(doc, path));

    std::string bytes = ReadFile(path);
    EXPECT_NE(bytes.find("encoding=\"gb2312\""), std::string::npos);
    EXPECT_NE(bytes.find("\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0"), std::string::npos) << "GBK bytes";
    EXPECT_EQ(bytes.find("浦发"), std::string::npos) << "no UTF-8 on disk";

    tinyxml2::XMLDocument back;
    ASSERT_EQ(LoadXmlFile(back, path), XmlLoadResult::Ok);
    EXPECT_STREQ(back.RootElement()->Attribute("name"), "浦发银行");
    EXPECT_STREQ(back.RootElement()->Attribute("note"), "a😀b&c");
}

TEST(XmlFile, Utf8FileStaysUtf8AndBadFilesAreReported) {
    ScratchDir dir;
    std::string path = dir.File("u.xml");
    WriteFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"涨\"/>");
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(LoadXmlFile(doc, path), XmlLoadResult::Ok);
    EXPECT_STREQ(doc.RootElement()->Attribute("a"), "涨");
    ASSERT_TRUE(SaveXmlFile(doc, path));
    EXPECT_NE(ReadFile(path).find("涨"), std::string::npos);

    EXPECT_EQ(LoadXmlFile(doc, dir.File("none.xml")), XmlLoadResult::Missing);
    WriteFile(path, "<r><unclosed></r>");
    EXPECT_EQ(LoadXmlFile(doc, path), XmlLoadResult::Damaged);
    EXPECT_EQ(doc.RootElement(), nullptr);
}
