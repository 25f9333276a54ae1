#include "ServerOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {
bool ParseInt(const std::string& text, int low, int high, int& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}
bool ParseSeconds(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out) && out > 0 && out <= 1e6;
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
           "  --message-timeout S   seconds to complete a message once begun, and between\n"
           "                        messages before the login (30)\n"
           "  --idle-timeout S      seconds a logged-in client may stay silent (3900)\n"
           "  --accept-pause-max MS longest pause of accepts while out of descriptors (2000)\n"
           "  --max-files N         open-file limit of the server process\n"
           "  --exit-with-parent    end when the process that started it ends\n"
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
        } else if (a == "--message-timeout" || a == "--idle-timeout") {
            if (!value(v)) return false;
            double& out = a == "--message-timeout" ? options.m_limits.m_fMessageTimeout
                                                   : options.m_limits.m_fIdleTimeout;
            if (!ParseSeconds(v, out)) {
                error = "bad " + a.substr(2) + " (seconds above 0): " + v;
                return false;
            }
        } else if (a == "--accept-pause-max") {
            if (!value(v)) return false;
            if (!ParseInt(v, 1, 3600000, options.m_limits.m_nAcceptPauseMaxMs)) {
                error = "bad accept-pause-max (milliseconds): " + v;
                return false;
            }
        } else if (a == "--exit-with-parent") {
            options.m_bExitWithParent = true;
        } else if (a == "--max-files") {
            if (!value(v)) return false;
            if (!ParseInt(v, 16, 1 << 20, options.m_limits.m_nMaxFiles)) {
                error = "bad max-files (16 or more): " + v;
                return false;
            }
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
