// Downloading 1,000,000 one-minute bars (request 10801: compressed, chunked) from the
// local server over loopback into a series and its block file, against decoding the same
// compressed bytes and copying the bars in-process. The difference is what the network
// path costs: framing, chunk collection, the reply handler's merge and the block-file
// write.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DataServer.h"
#include "DemoMarket.h"
#include "RatioReporter.h"
#include "foundation/Buffer.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "protocol/DataHead.h"
#include "marketdata/DayData.h"
#include "marketdata/Lzhuf.h"
#include "marketdata/Security.h"
#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/Subscriber.h"
#include "marketdata/net/WireProtocol.h"
#include "protocol/Bodies.h"

namespace {

namespace fs = std::filesystem;
constexpr uint32_t kLastDay = 20241231;
constexpr int kMinuteDays = 6300;  // about 4,250 trading days: just over 1,000,000 bars

// The server on its own thread and a connected client, shared by both benchmarks.
struct World {
    CDemoMarket market{kLastDay, kMinuteDays};
    std::unique_ptr<CDataServer> server;
    std::thread serverThread;
    std::shared_ptr<CSubscriber> client;
    std::vector<uint32_t> years;
    fs::path root = fs::temp_directory_path() / ("tarrow-bench-net-" + std::to_string(getpid()));
    int round = 0;
    std::vector<uint8_t> packed;

    World() {
        for (uint32_t y = FirstMinuteYear(); y <= kLastDay / 10000; ++y) years.push_back(y);
        NewHome();
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, "600000"));
        GetDataCenter()->AddSecurity(s);
        server = std::make_unique<CDataServer>(market, ServerFaults{});
        std::string error;
        if (!server->Listen(0, error)) std::fprintf(stderr, "%s\n", error.c_str());
        // Asked once before the server runs: the minute bars are generated and the reply
        // packed here, so neither benchmark pays for the server's own work.
        packed = PackedReply();
        serverThread = std::thread([this] { server->Run(); });
        RunningLoop* loop = CReactor::Start();
        client = std::make_shared<CSubscriber>(std::vector<HostAddress>{}, loop);
        client->SetHost("127.0.0.1", server->GetPort());
        SetSubscriber(client.get());
        client->Connect();
        while (!client->IsConnected()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~World() {
        SetSubscriber(nullptr);
        client.reset();
        CReactor::Stop();
        server->Stop();
        serverThread.join();
        fs::remove_all(root);
    }
    uint32_t FirstMinuteYear() const { return market.GetFirstMinuteDay() / 10000; }

    // Fresh, empty block files: every round downloads everything.
    void NewHome() {
        GetDataCenter()->GetPool().Clear();
        fs::path dir = root / std::to_string(round++);
        fs::remove_all(root);
        fs::create_directories(dir);
        GetAppInfo()->SetProgramDir(dir.string());
        GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath());
    }

    // The compressed stream the server sends for the series' first request.
    std::vector<uint8_t> PackedReply() {
        auto series = std::make_shared<CDayData>(
            "probe", GetDataCenter()->FindSecurity(CIndSecuCode(1, "600000")), 3, 1);
        CBuffer request;
        series->BuildHistoryBody(request, years, 240, kLastDay);
        std::string log;
        auto replies = server->GetService().Answer(wire::kHistory, request, log);
        std::vector<uint8_t> packed;
        for (const auto& r : replies) {
            CBuffer body;
            body.Write(r.m_body.data(), uint32_t(r.m_body.size()));
            wire::HistoryChunkReply chunk;
            chunk.Decode(body);
            packed.insert(packed.end(), chunk.chunk.chunk.begin(), chunk.chunk.chunk.end());
        }
        return packed;
    }
};

World& GetWorld() {
    static World world;
    return world;
}

void BM_DownloadMillionMinuteBars(benchmark::State& state) {
    World& w = GetWorld();
    size_t bars = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.NewHome();
        state.ResumeTiming();
        auto series = GetDataCenter()->GetPool().GetDayData(3, CIndSecuCode(1, "600000"), 1);
        std::mutex mutex;
        std::condition_variable done;
        bool arrived = false;
        series->RequestHistory(w.years, 240, kLastDay, true, OwnerTag(&w), [&] {
            std::lock_guard lock(mutex);
            arrived = true;
            done.notify_all();
        });
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return arrived; });
        lock.unlock();
        series->Unsubscribe(OwnerTag(&w));
        auto view = series->Read();
        bars = size_t(view.RawBars().GetSize());
    }
    state.counters["bars"] = double(bars);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bars) * 32);
}

void BM_DecodeAndCopySameBytes(benchmark::State& state) {
    World& w = GetWorld();
    const std::vector<uint8_t>& packed = w.packed;
    size_t bars = 0;
    for (auto _ : state) {
        std::vector<uint8_t> plain;
        if (!DecodeLzhuf(packed.data(), packed.size(), plain)) {
            state.SkipWithError("the server's stream does not decode");
            return;
        }
        // The bars follow a small header: security, the year groups and the bar count.
        size_t header = 4 + 2 + (plain[4] | plain[5] << 8);
        size_t groups = plain[header] | plain[header + 1] << 8;
        header += 2 + groups * 9;
        std::memcpy(&bars, plain.data() + header, 4);
        bars &= 0xFFFFFFFFu;
        std::vector<CDayItem> copy(bars);
        std::memcpy(copy.data(), plain.data() + header + 4, bars * sizeof(CDayItem));
        benchmark::DoNotOptimize(copy.data());
    }
    state.counters["bars"] = double(bars);
    state.counters["compressed_MB"] = double(packed.size()) / 1e6;
}

BENCHMARK(BM_DownloadMillionMinuteBars)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_DecodeAndCopySameBytes)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    // Downloading 1,000,000 minute bars from the server over loopback against decoding and
    // copying the same bytes in-process.
    reporter.AddRatio("network.download_minute_bars_over_decode_copy",
                      "BM_DownloadMillionMinuteBars", "BM_DecodeAndCopySameBytes", 2);
    return RunBenchmarks(argc, argv, reporter);
}
