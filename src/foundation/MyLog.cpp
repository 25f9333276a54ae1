#include "foundation/MyLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstring>

namespace {

std::mutex g_dirMutex;
std::string g_dir;

}  // namespace

void SetLogDirectory(const std::string& dir) {
    std::lock_guard lock(g_dirMutex);
    g_dir = dir;
}

std::string GetLogDirectory() {
    std::lock_guard lock(g_dirMutex);
    return g_dir;
}

std::string LogFilePath(const std::string& name) {
    std::string dir = GetLogDirectory();
    if (dir.empty()) return name;
    if (dir.back() != '/') dir += '/';
    return dir + name;
}

bool IsLogEnabled() {
    int fd = ::open(LogFilePath("log.dat").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

CMyLog::~CMyLog() {
    FlushBacklog();
    Close();
}

void CMyLog::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_file) return;
    m_file = std::fopen(path.c_str(), "ab");
}

int CMyLog::WriteLog(const char* format, ...) {
    if (!IsLogEnabled()) return 0;
    char line[260];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) line[0] = '\0';
    size_t length = std::strlen(line);
    if (n >= static_cast<int>(sizeof line)) {
        // Cut before a character the limit split, so the line stays valid UTF-8.
        size_t start = length;
        while (start > 0 && (static_cast<unsigned char>(line[start - 1]) & 0xC0) == 0x80) --start;
        if (start > 0 && static_cast<unsigned char>(line[start - 1]) >= 0xC0) {
            const auto lead = static_cast<unsigned char>(line[start - 1]);
            const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (length - (start - 1) < need) length = start - 1;
        }
    }
    AppendLine(std::string(line, length), true);
    return 1;
}

void CMyLog::AppendLine(const std::string& text, bool immediate) {
    std::lock_guard lock(m_mutex);
    if (!m_file) return;
    std::string line = text + "\r\n";
    if (!immediate) {
        m_backlog.push_back(std::move(line));
        return;
    }
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

void CMyLog::FlushBacklog() {
    std::lock_guard lock(m_mutex);
    if (!m_file) return;
    for (const std::string& line : m_backlog) std::fwrite(line.data(), 1, line.size(), m_file);
    m_backlog.clear();
    std::fflush(m_file);
}

void CMyLog::Close() {
    std::lock_guard lock(m_mutex);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

bool CMyLog::IsOpen() {
    std::lock_guard lock(m_mutex);
    return m_file != nullptr;
}

CMyLog& GetAppLog() {
    static CMyLog log;
    return log;
}
