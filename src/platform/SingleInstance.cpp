// One running copy: flock on a lock file, and a Unix socket beside it on which the
// holder hears "activate" from later starts.
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdlib>

#include "platform/PlatformPrivate.h"

struct CSingleInstance::Impl {
    int lockFd = -1;
    int serverFd = -1;
    std::string lockPath, socketPath;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> onActivate;
};

namespace {
bool FillAddress(sockaddr_un& addr, const std::string& path) {
    if (path.size() >= sizeof(addr.sun_path)) return false;
    memset(&addr, 0, sizeof(addr));
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}
}  // namespace

CSingleInstance::CSingleInstance() : d(std::make_unique<Impl>()) {}
CSingleInstance::~CSingleInstance() {
    Release();
}

std::string CSingleInstance::LockPath(const std::string& name) {
    const char* dir = getenv("XDG_RUNTIME_DIR");
    std::string base =
        dir && *dir ? dir : (getenv("TMPDIR") && *getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
    std::string safe;
    for (char c : name)
        safe += (isalnum((unsigned char)c) || c == '_' || c == '-' || c == '.') ? c : '_';
    return base + "/" + safe + "-" + std::to_string(getuid()) + ".lock";
}

bool CSingleInstance::IsHolder() const {
    return d->lockFd >= 0;
}

bool CSingleInstance::Acquire(const std::string& name, std::function<void()> onActivate) {
    if (d->lockFd >= 0) return true;
    d->lockPath = LockPath(name);
    d->socketPath = d->lockPath.substr(0, d->lockPath.size() - 5) + ".sock";
    int fd = open(d->lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
        d->lockFd = fd;
        d->onActivate = std::move(onActivate);
        // the lock is ours, so any socket file left behind is stale
        unlink(d->socketPath.c_str());
        sockaddr_un addr;
        int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s >= 0 && FillAddress(addr, d->socketPath) &&
            bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && listen(s, 4) == 0) {
            d->serverFd = s;
            if (platform::IsInitialized()) {
                d->notifier = std::make_unique<QSocketNotifier>(s, QSocketNotifier::Read);
                Impl* impl = d.get();
                QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [impl] {
                    int c = accept4(impl->serverFd, nullptr, nullptr, SOCK_CLOEXEC);
                    if (c < 0) return;
                    char buf[32] = {0};
                    // the caller writes one short line and closes; never wait on a silent peer
                    timeval tv{0, 200000};
                    setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
                    ssize_t n = read(c, buf, sizeof(buf) - 1);
                    close(c);
                    if (n > 0 && strncmp(buf, "activate", 8) == 0 && impl->onActivate)
                        impl->onActivate();
                });
            }
        } else if (s >= 0) {
            close(s);
        }
        return true;
    }
    if (fd >= 0) close(fd);
    // someone holds it: ask them to come forward
    sockaddr_un addr;
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s >= 0 && FillAddress(addr, d->socketPath) &&
        connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        const char msg[] = "activate\n";
        ssize_t w = write(s, msg, sizeof(msg) - 1);
        (void)w;
    }
    if (s >= 0) close(s);
    return false;
}

void CSingleInstance::Release() {
    d->notifier.reset();
    if (d->serverFd >= 0) {
        close(d->serverFd);
        d->serverFd = -1;
        unlink(d->socketPath.c_str());
    }
    if (d->lockFd >= 0) {
        flock(d->lockFd, LOCK_UN);
        close(d->lockFd);
        d->lockFd = -1;
    }
}
