// A chart's drawing file written behind the UI thread: a reopen sees the newest tools
// before they reach the disk, a closing chart leaves them on disk, a failed write reaches
// the user.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "FakeChart.h"
#include "common/ScratchDir.h"
#include "drawtools/DrawToolOverlay.h"
#include "drawtools/StraightLines.h"
#include "drawtools/ToolFile.h"
#include "foundation/AtomicFile.h"
#include "foundation/WriteBehind.h"
#include "platform/CommonDialogs.h"

namespace {

int ToolsOnDisk(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return -1;
    int n = 0;
    for (size_t at = bytes.find("<element Type="); at != std::string::npos;
         at = bytes.find("<element Type=", at + 1))
        ++n;
    return n;
}

std::shared_ptr<CRecRgnLines> Segment(int i) {
    auto t = std::make_shared<CSegmentLine>();
    t->m_lLeft = 20200101LL + i;
    t->m_lRight = t->m_lLeft + 10;
    t->m_fTop = 12 + i;
    t->m_fBottom = 14;
    return t;
}

// Holds the program's writer in its first write until released.
class HoldWriter {
public:
    HoldWriter() {
        GetWriteBehind().Drain();
        GetWriteBehind().SetWriteFunction([this](const std::string& path, std::string_view bytes,
                                                 std::string* error) {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_entered;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released; });
            lock.unlock();
            return WriteFileAtomic(path, bytes, error);
        });
    }
    ~HoldWriter() {
        Release();
        GetWriteBehind().Drain();
        GetWriteBehind().SetWriteFunction(nullptr);
    }
    void WaitUntilBusy() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_entered > 0; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_entered = 0;
    bool m_released = false;
};

class ToolFileBehind : public ::testing::Test {
protected:
    void TearDown() override {
        SetToolFileErrorHandler(nullptr);
        SetMessageBoxHook(nullptr);
    }
    ScratchDir dir;
    FakeChart chart;
};

}  // namespace

TEST_F(ToolFileBehind, ReopenSeesTheToolsNotYetOnDiskAndClosingWritesThem) {
    std::string path;
    {
        HoldWriter hold;
        DrawToolOverlay overlay(&chart);
        overlay.SetToolDirectory(dir.File("Data/Tools"));
        path = overlay.GetToolFilePath();
        overlay.AddTool(Segment(0));
        ASSERT_TRUE(overlay.SaveTools());
        hold.WaitUntilBusy();  // the one-tool version is being written and held there
        for (int i = 1; i < 3; ++i) {
            overlay.AddTool(Segment(i));
            ASSERT_TRUE(overlay.SaveTools());
        }
        EXPECT_EQ(ToolsOnDisk(path), -1);

        DrawToolOverlay reopened(&chart);
        reopened.SetToolDirectory(dir.File("Data/Tools"));
        ASSERT_TRUE(reopened.LoadTools());
        ASSERT_EQ(reopened.Tools().size(), 3u);
        EXPECT_EQ(reopened.Tools()[2]->m_lLeft, 20200103LL);
        hold.Release();
    }  // the overlays close: what they handed over is on disk
    EXPECT_EQ(ToolsOnDisk(path), 3);
    EXPECT_FALSE(GetWriteBehind().IsPending(path));
}

TEST_F(ToolFileBehind, ChangingThePeriodFinishesThePreviousFile) {
    DrawToolOverlay overlay(&chart);
    overlay.SetToolDirectory(dir.File("Data/Tools"));
    const std::string dayFile = overlay.GetToolFilePath();
    overlay.AddTool(Segment(0));
    overlay.SaveTools();
    chart.period = 2;
    overlay.LoadTools();
    EXPECT_FALSE(GetWriteBehind().IsPending(dayFile));
    EXPECT_EQ(ToolsOnDisk(dayFile), 1);
    EXPECT_TRUE(overlay.Tools().empty());
}

TEST_F(ToolFileBehind, AnUnwritableFolderIsReportedOnTheUiThread) {
    ASSERT_TRUE(WriteFileAtomic(dir.File("Data"), "a file where the folder should be"));
    std::vector<std::string> failed;
    bool onUiThread = true;
    SetToolFileErrorHandler([&](const std::string& path, const std::string& error) {
        onUiThread = onUiThread && platform::IsUiThread();
        EXPECT_FALSE(error.empty());
        failed.push_back(path);
    });
    DrawToolOverlay overlay(&chart);
    overlay.SetToolDirectory(dir.File("Data/Tools"));
    overlay.AddTool(Segment(0));
    EXPECT_TRUE(overlay.SaveTools());  // handed over; the failure comes later
    ASSERT_TRUE(platform::PumpUntil([&] { return !failed.empty(); }, 10000));
    EXPECT_EQ(failed[0], overlay.GetToolFilePath());
    EXPECT_TRUE(onUiThread);
}

TEST_F(ToolFileBehind, TheUserIsToldOncePerFile) {
    ASSERT_TRUE(WriteFileAtomic(dir.File("Data"), "a file where the folder should be"));
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](const std::string& text, const std::string&, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    DrawToolOverlay overlay(&chart);
    overlay.SetToolDirectory(dir.File("Data/Tools"));
    const uint64_t failedBefore = GetWriteBehind().FailedCount();
    for (int i = 0; i < 3; ++i) {
        overlay.AddTool(Segment(i));
        overlay.SaveTools();
        GetWriteBehind().Drain();
    }
    EXPECT_EQ(GetWriteBehind().FailedCount(), failedBefore + 3);
    platform::ProcessPendingEvents();  // drained: every report is posted
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(overlay.GetToolFilePath()), std::string::npos);
    EXPECT_NE(boxes[0].find("画线保存失败"), std::string::npos);
}
