#pragma once
// tarrow-dataserver [--port N] [--data DIR] [--fault NAME ...]

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

struct ServerOptions {
    uint16_t m_nPort = 0;
    std::string m_strDataDir;
    ServerFaults m_faults;
};

// False with error set on a bad command line.
bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                        std::string& error);
// Adds one fault by its command-line name ("close-after=3" and so on).
bool AddFault(const std::string& name, ServerFaults& faults);
const char* ServerUsage();
