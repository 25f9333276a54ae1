// Download progress reaches the popup only on the UI thread, from values the network
// thread hands over: unit cases, and a real slow-chunks download from the data server.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "app/DownloadRelay.h"
#include "common/ScratchDir.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/MarketLink.h"

namespace {

class FakePopup : public IDownloadPopup {
public:
    explicit FakePopup(std::thread::id ui) : m_ui(ui) {}
    void SetPopupTitle(const std::string& t) override {
        Check();
        title = t;
        titles.push_back(t);
    }
    void SetPopupRange(uint32_t t) override {
        Check();
        total = t;
    }
    void SetPopupPosition(uint32_t p) override {
        Check();
        positions.push_back(p);
    }
    bool IsPopupVisible() const override { return visible; }
    void ShowPopup() override {
        Check();
        visible = true;
        ++shows;
    }
    void HidePopup() override {
        Check();
        visible = false;
        ++hides;
    }
    void Check() {
        if (std::this_thread::get_id() != m_ui) ++offThread;
    }

    std::thread::id m_ui;
    std::string title;
    std::vector<std::string> titles;
    uint32_t total = 0;
    std::vector<uint32_t> positions;
    bool visible = false;
    int shows = 0, hides = 0, offThread = 0;
};

// The frame's message queue: what the relay and the download handlers post.
struct Queue {
    std::mutex lock;
    std::condition_variable cv;
    std::deque<std::pair<uint64_t, int64_t>> items;
    void Push(uint64_t w, int64_t l) {
        std::lock_guard g(lock);
        items.emplace_back(w, l);
        cv.notify_one();
    }
    bool Pop(std::pair<uint64_t, int64_t>& item, std::chrono::seconds wait) {
        std::unique_lock g(lock);
        if (!cv.wait_for(g, wait, [&] { return !items.empty(); })) return false;
        item = items.front();
        items.pop_front();
        return true;
    }
};

TEST(DownloadRelay, ShowHideAndProgressOnTheUiThreadOnly) {
    Queue queue;
    CDownloadRelay relay([&](uint64_t w, int64_t l) { queue.Push(w, l); });
    FakePopup popup(std::this_thread::get_id());
    constexpr uint32_t kTotal = 5000;
    std::thread network([&] {
        relay.SetRange("正在下载码表...", kTotal);
        queue.Push(0, 0);  // show
        for (uint32_t p = 10; p <= kTotal; p += 10) relay.SetPosition(p);
        queue.Push(0, 1);  // hide
    });
    std::pair<uint64_t, int64_t> item;
    int progressPosts = 0;
    while (queue.Pop(item, std::chrono::seconds(20))) {
        progressPosts += item.first == kDownloadProgressChanged;
        relay.OnMessage(uint64_t(item.first), item.second, &popup);
        if (item == std::make_pair(uint64_t(0), int64_t(1))) break;
    }
    network.join();
    // Values posted after the hide are still taken by the last progress message.
    while (queue.Pop(item, std::chrono::seconds(0))) relay.OnMessage(item.first, item.second, &popup);

    EXPECT_EQ(popup.offThread, 0);
    EXPECT_EQ(popup.title, "正在下载码表...");
    EXPECT_EQ(popup.total, kTotal);
    EXPECT_EQ(popup.shows, 1);
    EXPECT_EQ(popup.hides, 1);
    EXPECT_FALSE(popup.visible);
    ASSERT_FALSE(popup.positions.empty());
    EXPECT_EQ(popup.positions.back(), kTotal);
    EXPECT_TRUE(std::is_sorted(popup.positions.begin(), popup.positions.end()));
    // One post stands for any number of updates the UI thread has not taken yet.
    EXPECT_GE(progressPosts, 1);
    EXPECT_LE(progressPosts, int(kTotal / 10) + 1);
}

TEST(DownloadRelay, RepeatedShowOrHideAndOtherMessagesChangeNothing) {
    CDownloadRelay relay([](uint64_t, int64_t) {});
    FakePopup popup(std::this_thread::get_id());
    relay.OnMessage(0, 1, &popup);  // hide while hidden
    EXPECT_EQ(popup.hides, 0);
    relay.OnMessage(0, 0, &popup);
    relay.OnMessage(0, 0, &popup);  // show while shown
    EXPECT_EQ(popup.shows, 1);
    relay.OnMessage(7, 1, &popup);  // not ours
    relay.OnMessage(0, 5, &popup);
    EXPECT_TRUE(popup.visible);
    // An empty title keeps the one shown.
    relay.SetRange("正在下载除权数据...", 10);
    relay.SetRange("", 20);
    relay.OnMessage(kDownloadProgressChanged, 0, &popup);
    EXPECT_EQ(popup.title, "正在下载除权数据...");
    EXPECT_EQ(popup.total, 20u);
    // No popup yet: the values are taken and dropped, nothing breaks.
    relay.SetPosition(3);
    relay.OnMessage(kDownloadProgressChanged, 0, nullptr);
    relay.OnMessage(0, 0, nullptr);
}

// The real downloads of a login, slowed by the server into many chunks.
TEST(DownloadRelay, SlowChunkDownloadsDriveThePopup) {
    ScratchDir home(ScratchDir::Enter);
    GetAppInfo()->SetProgramDir(home.Path().string());
    GetAppInfo()->UpdateClock();
    GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath());

    Queue queue;
    std::atomic<int> codeListReady{0};
    auto relay = std::make_shared<CDownloadRelay>([&](uint64_t w, int64_t l) { queue.Push(w, l); });
    MarketUiHooks hooks;
    hooks.postToMainFrame = [&](uint32_t msg, uint64_t w, int64_t l) {
        if (msg == UM_DOWNLOAD_PROGRESS) queue.Push(w, l);
        if (msg == UM_CODELIST_READY) ++codeListReady;
        if (msg == 0x8070 && l) delete[] reinterpret_cast<char*>(l);
    };
    hooks.setDownloadRange = [relay](const std::string& t, uint32_t n) { relay->SetRange(t, n); };
    hooks.setDownloadPosition = [relay](uint32_t p) { relay->SetPosition(p); };
    SetMarketUiHooks(hooks);

    FakePopup popup(std::this_thread::get_id());
    {
        CServerProcess server({"--fault", "slow-chunks"});
        ASSERT_TRUE(server.Running());
        RunningLoop* loop = CReactor::Start();
        ASSERT_NE(loop, nullptr);
        CMarketLink link({{"127.0.0.1", server.Port()}}, loop);
        link.Connect("127.0.0.1", server.Port());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        // Both tables: each shows and hides the popup once.
        while (popup.hides < 2 && std::chrono::steady_clock::now() < deadline) {
            std::pair<uint64_t, int64_t> item;
            if (queue.Pop(item, std::chrono::seconds(1)))
                relay->OnMessage(item.first, item.second, &popup);
        }
        link.Stop();
    }
    SetMarketUiHooks({});
    CReactor::Stop();
    GetDataCenter()->GetPool().Clear();

    EXPECT_EQ(popup.offThread, 0);
    EXPECT_EQ(popup.shows, 2);
    EXPECT_EQ(popup.hides, 2);
    EXPECT_EQ(popup.titles,
              (std::vector<std::string>{"正在下载码表...", "正在下载除权数据..."}));
    EXPECT_GT(popup.total, 0u);
    EXPECT_FALSE(popup.positions.empty());
}

}  // namespace
