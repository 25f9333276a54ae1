#pragma once
// The program's text log "log.txt" in the data directory. Logging is switched on per
// installation: lines are written only while the marker file "log.dat" exists beside it,
// so a normal installation writes nothing. Logging never fails towards its caller.
// Every operation is thread-safe. Lines end in CR LF.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

// Directory that holds "log.dat" and "log.txt" (with or without a trailing '/'); empty
// means the current directory.
void SetLogDirectory(const std::string& dir);
std::string GetLogDirectory();
// Path of a file in the log directory.
std::string LogFilePath(const std::string& name);

// True while the marker "log.dat" exists in the log directory and can be opened for
// reading and writing. Tested afresh on every WriteLog, so the marker takes effect at once.
bool IsLogEnabled();

class CMyLog {
public:
    CMyLog() = default;
    virtual ~CMyLog();
    CMyLog(const CMyLog&) = delete;
    CMyLog& operator=(const CMyLog&) = delete;

    // Opens the file for appending (created when missing). Once opened, stays open until
    // Close; errors leave the log closed.
    void Open(const std::string& path);
    // With the marker present, formats one line (cut to 259 characters) and writes it at
    // once. 1 when the marker test passed, else 0.
    int WriteLog(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Adds one line: written and flushed at once, or kept until FlushBacklog. Nothing
    // happens while the file is closed.
    void AppendLine(const std::string& text, bool immediate);
    void FlushBacklog();
    void Close();
    bool IsOpen();

private:
    std::mutex m_mutex;
    FILE* m_file = nullptr;
    std::vector<std::string> m_backlog;
};

// The process log (opened by start-up with LogFilePath("log.txt")).
CMyLog& GetAppLog();
