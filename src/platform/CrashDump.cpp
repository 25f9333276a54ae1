// Crash reports on fatal signals. Everything the handler needs is prepared when it is
// installed; at the crash only async-signal-safe calls are made.
#include "platform/CrashDump.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/home/ProgramDir.h"

namespace {
char g_dir[512];
char g_build[64];
char g_serial[16];
int g_major = 0, g_minor = 0;
long g_utcOffset = 0;  // seconds east of UTC when installed
std::atomic<int> g_dumping{0};

void AppendStr(char* buf, size_t size, size_t& len, const char* s) {
    while (*s && len + 1 < size) buf[len++] = *s++;
    buf[len] = 0;
}
void AppendNum(char* buf, size_t size, size_t& len, long v, int width = 0) {
    char tmp[24];
    int n = 0;
    bool neg = v < 0;
    unsigned long u = neg ? (unsigned long)(-v) : (unsigned long)v;
    do {
        tmp[n++] = char('0' + u % 10);
        u /= 10;
    } while (u && n < 20);
    while (n < width) tmp[n++] = '0';
    if (neg) tmp[n++] = '-';
    while (n > 0 && len + 1 < size) buf[len++] = tmp[--n];
    buf[len] = 0;
}
const char* SignalName(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}
void LocalClock(long& hh, long& mm, long& ss, long& days) {
    long t = (long)time(nullptr) + g_utcOffset;
    days = t / 86400;
    long s = t % 86400;
    hh = s / 3600;
    mm = (s / 60) % 60;
    ss = s % 60;
}
void CivilFromDays(long z, long& y, long& m, long& d) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}
void Handler(int sig, siginfo_t*, void*) {
    CrashDumpFilter(sig);
    signal(sig, SIG_DFL);
    raise(sig);
}
}  // namespace

int MakeDumpFileName(char* out, size_t size) {
    if (!out || size < 2 || !g_dir[0]) return 0;
    long hh, mm, ss, days;
    LocalClock(hh, mm, ss, days);
    size_t len = 0;
    out[0] = 0;
    AppendStr(out, size, len, g_dir);
    AppendStr(out, size, len, "/VKLM_");
    AppendStr(out, size, len, g_build);
    AppendStr(out, size, len, "_");
    AppendNum(out, size, len, g_major);
    AppendStr(out, size, len, "_");
    AppendNum(out, size, len, g_minor);
    AppendStr(out, size, len, "_");
    AppendNum(out, size, len, hh, 2);
    AppendNum(out, size, len, mm, 2);
    AppendNum(out, size, len, ss, 2);
    AppendStr(out, size, len, g_serial);
    AppendStr(out, size, len, ".txt");
    return len + 1 < size ? 1 : 0;
}

int WriteCrashDump(int sig) {
    char name[1024];
    if (!MakeDumpFileName(name, sizeof(name))) return 0;
    // two threads failing at once: the second waits for the first report
    int expected = 0;
    while (!g_dumping.compare_exchange_weak(expected, 1)) {
        expected = 0;
        usleep(1000);
    }
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        g_dumping = 0;
        return 0;
    }
    char head[512];
    size_t len = 0;
    long hh, mm, ss, days, y, mo, d;
    LocalClock(hh, mm, ss, days);
    CivilFromDays(days, y, mo, d);
    AppendStr(head, sizeof(head), len, "Tarrow crash report\nsignal: ");
    AppendNum(head, sizeof(head), len, sig);
    AppendStr(head, sizeof(head), len, " (");
    AppendStr(head, sizeof(head), len, SignalName(sig));
    AppendStr(head, sizeof(head), len, ")\ntime: ");
    AppendNum(head, sizeof(head), len, y, 4);
    AppendStr(head, sizeof(head), len, "-");
    AppendNum(head, sizeof(head), len, mo, 2);
    AppendStr(head, sizeof(head), len, "-");
    AppendNum(head, sizeof(head), len, d, 2);
    AppendStr(head, sizeof(head), len, " ");
    AppendNum(head, sizeof(head), len, hh, 2);
    AppendStr(head, sizeof(head), len, ":");
    AppendNum(head, sizeof(head), len, mm, 2);
    AppendStr(head, sizeof(head), len, ":");
    AppendNum(head, sizeof(head), len, ss, 2);
    AppendStr(head, sizeof(head), len, "\nbuild: ");
    AppendStr(head, sizeof(head), len, g_build);
    AppendStr(head, sizeof(head), len, "\npid: ");
    AppendNum(head, sizeof(head), len, (long)getpid());
    AppendStr(head, sizeof(head), len, "\nbacktrace:\n");
    bool ok = write(fd, head, len) == (ssize_t)len;
    void* frames[64];
    int n = backtrace(frames, 64);
    backtrace_symbols_fd(frames, n, fd);
    ok = close(fd) == 0 && ok;
    g_dumping = 0;
    return ok ? 1 : 0;
}

int CrashDumpFilter(int sig) {
    if (WriteCrashDump(sig)) {
        const char msg[] = "Successfully wrote crash dump\n";
        ssize_t w = write(STDOUT_FILENO, msg, sizeof(msg) - 1);
        (void)w;
    } else {
        int err = errno;
        char msg[96];
        size_t len = 0;
        AppendStr(msg, sizeof(msg), len, "Failed to write crash dump (errno == ");
        AppendNum(msg, sizeof(msg), len, err);
        AppendStr(msg, sizeof(msg), len, "\n");
        ssize_t w = write(STDOUT_FILENO, msg, len);
        (void)w;
    }
    return 1;
}

void InstallCrashHandler(const std::string& dirIn) {
    std::string dir = dirIn;
    if (dir.empty()) dir = platform::GetProgramDir();
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    mkdir(dir.c_str(), 0755);
    snprintf(g_dir, sizeof(g_dir), "%s", dir.c_str());
    // "Feb  8 2018-09:50:15" without spaces and colons
    char build[64];
    snprintf(build, sizeof(build), "%s-%s", __DATE__, __TIME__);
    size_t k = 0;
    for (const char* c = build; *c && k + 1 < sizeof(g_build); ++c)
        if (*c != ' ' && *c != ':') g_build[k++] = *c;
    g_build[k] = 0;
    utsname u{};
    if (uname(&u) == 0) sscanf(u.release, "%d.%d", &g_major, &g_minor);
    snprintf(g_serial, sizeof(g_serial), "00000000");
    if (FILE* f = fopen("/etc/machine-id", "r")) {
        char id[64] = {0};
        if (fgets(id, sizeof(id), f) && strlen(id) >= 8) {
            for (int i = 0; i < 8; ++i) g_serial[i] = (char)toupper((unsigned char)id[i]);
            g_serial[8] = 0;
        }
        fclose(f);
    }
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    g_utcOffset = local.tm_gmtoff;
    // load the unwinder now: backtrace() may allocate the first time it runs
    void* warm[2];
    backtrace(warm, 2);
    struct sigaction sa {};
    sa.sa_sigaction = Handler;
    sa.sa_flags = SA_SIGINFO | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(sig, &sa, nullptr);
}
