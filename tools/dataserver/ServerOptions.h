#pragma once
// tarrow-dataserver [--port N] [--data DIR] [--fault NAME ...] [limits]

#include <cstdint>
#include <string>
#include <vector>

// Faults the server can be told to make, for tests of the client's recovery.
struct ServerFaults {
    bool m_bRefuseLogin = false;  // refuse-login: every login is answered "refused"
    int m_nCloseAfter = 0;        // close-after=N: close once N messages have been received
    bool m_bBadMarker = false;    // bad-marker: replies after the login carry a wrong marker
    bool m_bOversized = false;    // oversized: replies after the login announce a 1 GB body
    bool m_bSlowChunks = false;   // slow-chunks: small chunks, sent 20 ms apart
    bool m_bSplitChunks = false;  // split-chunks: every reply written a few bytes at a time
    bool m_bCutDownload =
        false;  // cut-download: table downloads stop after the first chunk, then close
    bool m_bOverrunChunk = false;  // overrun-chunk: a download's chunks carry more than announced
};

// What a client may cost the server. The defaults suit a real client; tests pass short
// ones.
struct ServerLimits {
    // Seconds a connection has to complete a message once its first byte arrived, and a
    // new or not yet logged-in connection between complete messages.
    double m_fMessageTimeout = 30;
    // Seconds a logged-in connection may stay silent between complete messages: longer
    // than the client's hourly keep-alive.
    double m_fIdleTimeout = 3900;
    // Longest pause of the listener after accept failed (no descriptor left); the pause
    // starts short and doubles while accept keeps failing.
    int m_nAcceptPauseMaxMs = 2000;
    // Open-file limit of the server process (0: as inherited).
    int m_nMaxFiles = 0;
};

struct ServerOptions {
    uint16_t m_nPort = 0;
    // Ends the server when the process that started it ends (tests: a test process that
    // dies must not leave its server behind).
    bool m_bExitWithParent = false;
    std::string m_strDataDir;
    ServerFaults m_faults;
    ServerLimits m_limits;
};

// False with error set on a bad command line.
bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                        std::string& error);
// Adds one fault by its command-line name ("close-after=3" and so on).
bool AddFault(const std::string& name, ServerFaults& faults);
const char* ServerUsage();
