// The application shell.
//
// Start-up: the time from starting the program until its main window with the training
// workspace has been painted once (`tarrow --quit-after-first-paint`), against a bare Qt
// program that shows one maximised window of the same size and quits after its first paint
// (this executable with --bare-qt-window). Both run offscreen in a fresh process per
// iteration; each prints "painted" once it has painted, and the time to that line is the
// measure.
//
// Shut-down: the saves at exit (code table of 10,000 securities, ex-rights table,
// 400 training sessions, server list, indicator catalogue, settings) with 50 open series in
// the pool, against writing the same bytes to the same files with plain write + fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "RatioReporter.h"
#include "app/AppServices.h"
#include "foundation/Buffer.h"
#include "foundation/Config.h"
#include "foundation/LzhufEncoder.h"
#include "foundation/TextCodec.h"
#include "formula/YBIndClass.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/net/HostInfo.h"
#include "training/TotalTrainingRecord.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// ---- the bare Qt program ----

class BareWindow : public QWidget {
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        if (painted) return;
        painted = true;
        std::printf("painted\n");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }
};

int RunBareQt(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow w;
    w.showMaximized();
    return app.exec();
}

// ---- start-up ----

std::string ScratchHome() {
    static std::string home = [] {
        char tmpl[] = "/tmp/tarrow-bench-app-XXXXXX";
        std::string dir = mkdtemp(tmpl);
        std::ofstream(dir + "/appconfig.xml") << "<config><system/></config>";
        return dir;
    }();
    return home;
}

// Starts argv with the offscreen platform in the scratch home and returns the seconds until
// it printed "painted"; the process is then waited for. Negative on failure.
double TimeToFirstPaint(std::vector<std::string> args) {
    std::vector<std::string> env = {"TARROW_HOME=" + ScratchHome(), "XDG_RUNTIME_DIR=" + ScratchHome(),
                                    "QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("TARROW_HOME=", 0) && v.rfind("XDG_RUNTIME_DIR=", 0) && v.rfind("QT_QPA_PLATFORM=", 0))
            env.push_back(v);
    }
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string seen;
    double seconds = -1;
    char buf[256];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0) {
        seen.append(buf, size_t(n));
        if (seconds < 0 && seen.find("painted\n") != std::string::npos)
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return seconds;
}

std::string g_self;

void BM_Startup_Tarrow(benchmark::State& state) {
    for (auto _ : state) {
        double s = TimeToFirstPaint({TARROW_EXE, "--quit-after-first-paint"});
        if (s < 0) {
            state.SkipWithError("tarrow did not paint");
            return;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_Startup_Tarrow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_Startup_BareQt(benchmark::State& state) {
    for (auto _ : state) {
        double s = TimeToFirstPaint({g_self, "--bare-qt-window"});
        if (s < 0) {
            state.SkipWithError("the bare window did not paint");
            return;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_Startup_BareQt)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// ---- shut-down saves ----

class CSavesOnly : public CDefaultAppServices {
public:
    using CDefaultAppServices::CDefaultAppServices;
    void FreeSkinManager() override {}
    void StopNetwork() override {}
    void CloseLog() override {}
};

struct ShutdownWorld {
    std::string dir;
    CHostInfo hosts;
    std::vector<std::shared_ptr<CDayData>> series;
    std::map<std::string, std::string> files;  // what the saves wrote, for the baseline

    ShutdownWorld() {
        char tmpl[] = "/tmp/tarrow-bench-exit-XXXXXX";
        dir = mkdtemp(tmpl);
        fs::current_path(dir);
        fs::copy_file(fs::path(TARROW_SOURCE_DIR) / "resources" / "Sys.xml", "Sys.xml");
        GetYBIndClass()->Read((fs::path(dir) / "Sys.xml").string());
        std::ofstream("appconfig.xml") << "<config><system/></config>";
        LoadConfig();
        GetAppInfo()->SetProgramDir(dir);

        // 10,000 securities in the code table.
        CBuffer table;
        table.WriteUInt32(10000);
        for (int i = 0; i < 10000; ++i) {
            table.WriteUInt32(i % 2 + 1);
            char code[16];
            std::snprintf(code, sizeof code, "%06d", 600000 + i);
            table.WriteString(code);
            table.WriteString(Utf8ToAnsi("证券" + std::to_string(i)));
        }
        GetAppInfo()->SetCodeTable(LzhufEncode(table.GetData(), table.GetLength()));
        // Ex-rights events: two per security for 2,000 securities.
        for (int i = 0; i < 4000; ++i) {
            CSingleCQDataPerSecu e;
            char code[16];
            std::snprintf(code, sizeof code, "%06d", 600000 + i / 2);
            e.m_code = CIndSecuCode(1, code);
            e.m_nDate = 20100101 + uint32_t(i % 2) * 10000;
            e.m_nCash = 2500000;
            e.m_nBonus = 1000000;
            GetAllCQData()->AddEvent(e);
        }
        // 400 sessions, each with a few trades.
        auto records = std::make_shared<CTotalTrainingRecord>();
        for (int i = 0; i < 400; ++i) {
            char code[16];
            std::snprintf(code, sizeof code, "%06d", 600000 + i);
            auto r = std::make_shared<CTrainingRecord>(nullptr, CIndSecuCode(1, code), 1, 0, 0, 0,
                                                       0, 100000.0, "训练" + std::to_string(i), 0.0003);
            std::string msg;
            for (int d = 0; d < 4; ++d) {
                r->Buy(100, int64_t(20200101 + d) * 10000, msg, true, "", 10.0 + d);
                r->Sell(100, int64_t(20200110 + d) * 10000, msg, "", 10.5 + d);
            }
            records->records.push_back(r);
        }
        GetDataCenter()->SetTrainingRecords(records, [] {});
        // 50 open series held by the pool.
        for (int i = 0; i < 50; ++i) {
            char code[16];
            std::snprintf(code, sizeof code, "%06d", 600000 + i);
            series.push_back(GetDataCenter()->GetPool().GetDayData(4, CIndSecuCode(1, code), 1));
        }
        hosts.m_hosts = {{"本地行情主站", "127.0.0.1", 17709}, {"备用", "127.0.0.1", 17710}};
    }

    void Save() {
        CSavesOnly services(hosts);
        RunShutdown(services);
    }

    void Collect() {
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            files[e.path().string() + ".plain"] =
                std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
};

std::unique_ptr<ShutdownWorld> g_world;

ShutdownWorld& World() {
    if (!g_world) g_world = std::make_unique<ShutdownWorld>();
    return *g_world;
}

void BM_Shutdown_Saves(benchmark::State& state) {
    ShutdownWorld& w = World();
    for (auto _ : state) w.Save();
}
BENCHMARK(BM_Shutdown_Saves)->Unit(benchmark::kMillisecond);

void BM_Shutdown_PlainWrite(benchmark::State& state) {
    ShutdownWorld& w = World();
    if (w.files.empty()) {
        w.Save();
        w.Collect();
    }
    for (auto _ : state) {
        for (const auto& [path, bytes] : w.files) {
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) continue;
            ssize_t n = write(fd, bytes.data(), bytes.size());
            benchmark::DoNotOptimize(n);
            fsync(fd);
            close(fd);
        }
    }
}
BENCHMARK(BM_Shutdown_PlainWrite)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--bare-qt-window") == 0) return RunBareQt(argc, argv);
    g_self = fs::canonical("/proc/self/exe").string();
    RatioReporter reporter;
    reporter.AddRatio("startup_to_first_paint", "BM_Startup_Tarrow", "BM_Startup_BareQt", 3.0);
    reporter.AddRatio("shutdown_saves", "BM_Shutdown_Saves", "BM_Shutdown_PlainWrite", 1.5);
    const int result = RunBenchmarks(argc, argv, reporter);
    // The scratch folders go with the run.
    std::error_code ec;
    if (g_world) {
        fs::current_path("/", ec);
        fs::remove_all(g_world->dir, ec);
    }
    fs::remove_all(ScratchHome(), ec);
    return result;
}
