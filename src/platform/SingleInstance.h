#pragma once
// One running copy per user: a lock file held with flock, plus a local socket on which
// the holder listens. A second start finds the lock taken, asks the holder to come
// forward, and is told to exit.
#include <functional>
#include <memory>
#include <string>

class CSingleInstance {
public:
    CSingleInstance();
    ~CSingleInstance();  // releases the lock
    // name: "_Tarrow_". Returns true when this process is the first; onActivate then runs
    // on the UI thread each time another start asks. Returns false after asking the
    // holder to activate (the caller should exit).
    bool Acquire(const std::string& name, std::function<void()> onActivate);
    void Release();
    bool IsHolder() const;
    // Where the lock file for name lives ($XDG_RUNTIME_DIR, else the temp directory).
    static std::string LockPath(const std::string& name);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
