// tarrow-dataserver [--port N] [--data DIR] [--fault NAME ...] | --help
// The market-data server on loopback. Prints "listening on 127.0.0.1:PORT" once it
// accepts connections, then one log line per event worth knowing. Exit codes: 0 after
// SIGINT/SIGTERM or --help, 1 when it cannot serve (data directory, port), 2 for a
// command line it does not understand.

#include <event2/event.h>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "CsvMarket.h"
#include "DataServer.h"
#include "DemoMarket.h"
#include "ServerOptions.h"

namespace {
enum ExitCode : int { kExitOk = 0, kExitCannotServe = 1, kExitUsage = 2 };

// libevent's own warnings go to the log like every other line (and so are counted by the
// tests that bound it).
void OnLibeventLog(int severity, const char* message) {
    if (severity < EVENT_LOG_WARN) return;
    std::printf("libevent: %s\n", message);
    std::fflush(stdout);
}

void OnSignal(evutil_socket_t, short, void* arg) {
    static_cast<CDataServer*>(arg)->Stop();
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(ServerUsage(), stdout);
            return kExitOk;
        }
    ServerOptions options;
    std::string error;
    if (!ParseServerOptions(args, options, error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), ServerUsage());
        return kExitUsage;
    }
    std::unique_ptr<CMarketSource> source;
    if (options.m_strDataDir.empty()) {
        source = std::make_unique<CDemoMarket>();
    } else {
        auto csv = std::make_unique<CCsvMarket>();
        if (!csv->Open(options.m_strDataDir, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return kExitCannotServe;
        }
        source = std::move(csv);
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (options.m_bExitWithParent) {
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) return 0;  // it ended before the request took hold
    }
    event_set_log_callback(OnLibeventLog);
    if (options.m_limits.m_nMaxFiles > 0) {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = rlim_t(options.m_limits.m_nMaxFiles);
        if (files.rlim_max != RLIM_INFINITY && files.rlim_cur > files.rlim_max)
            files.rlim_cur = files.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &files) != 0) {
            std::fprintf(stderr, "cannot set the open-file limit to %d\n",
                         options.m_limits.m_nMaxFiles);
            return kExitCannotServe;
        }
    }
    CDataServer server(*source, options.m_faults, options.m_limits);
    server.m_log = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    if (!server.Listen(options.m_nPort, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitCannotServe;
    }
    event* onInt = evsignal_new(server.GetBase(), SIGINT, OnSignal, &server);
    event* onTerm = evsignal_new(server.GetBase(), SIGTERM, OnSignal, &server);
    event_add(onInt, nullptr);
    event_add(onTerm, nullptr);
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.GetPort()));
    std::fflush(stdout);
    server.Run();
    event_free(onInt);
    event_free(onTerm);
    return kExitOk;
}
