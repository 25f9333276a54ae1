#include "ServerOptions.h"

#include <charconv>

namespace {
bool ParseInt(const std::string& text, int low, int high, int& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}
}  // namespace

const char* ServerUsage() {
    return "usage: tarrow-dataserver [--port N] [--data DIR] [--fault NAME ...]\n"
           "       tarrow-dataserver --help\n"
           "Serves market data on 127.0.0.1 (port 0: a free one) until SIGINT or SIGTERM.\n"
           "  --data DIR   bars from CSV files instead of the demo data\n"
           "  --fault ...  misbehave on purpose, for tests of the client:\n"
           "faults: refuse-login close-after=N bad-marker oversized slow-chunks split-chunks\n"
           "        cut-download overrun-chunk\n"
           "exit: 0 stopped by a signal, or --help; 1 cannot serve (data, port);\n"
           "      2 bad command line\n";
}

bool AddFault(const std::string& name, ServerFaults& faults) {
    if (name == "refuse-login")
        faults.m_bRefuseLogin = true;
    else if (name == "bad-marker")
        faults.m_bBadMarker = true;
    else if (name == "oversized")
        faults.m_bOversized = true;
    else if (name == "slow-chunks")
        faults.m_bSlowChunks = true;
    else if (name == "split-chunks")
        faults.m_bSplitChunks = true;
    else if (name == "cut-download")
        faults.m_bCutDownload = true;
    else if (name == "overrun-chunk")
        faults.m_bOverrunChunk = true;
    else if (name.starts_with("close-after="))
        return ParseInt(name.substr(12), 1, 1000000, faults.m_nCloseAfter);
    else
        return false;
    return true;
}

bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                        std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--port") {
            int port = 0;
            if (!value(v)) return false;
            if (!ParseInt(v, 0, 65535, port)) {
                error = "bad port: " + v;
                return false;
            }
            options.m_nPort = uint16_t(port);
        } else if (a == "--data") {
            if (!value(options.m_strDataDir)) return false;
        } else if (a == "--fault") {
            if (!value(v)) return false;
            if (!AddFault(v, options.m_faults)) {
                error = "unknown fault: " + v;
                return false;
            }
            // More names may follow one --fault.
            while (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
                if (!AddFault(args[i + 1], options.m_faults)) {
                    error = "unknown fault: " + args[i + 1];
                    return false;
                }
                ++i;
            }
        } else {
            error = "unknown argument: " + a;
            return false;
        }
    }
    return true;
}
