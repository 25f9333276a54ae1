#include "foundation/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

void SetError(std::string* error, const std::string& what, const std::string& path, int err) {
    if (error) *error = what + " '" + path + "': " + std::strerror(err);
}

// Writes the pieces in order, many per call.
bool WriteAllParts(int fd, std::span<const std::string_view> parts) {
    constexpr size_t kBatch = 256;  // well below any system's IOV_MAX
    iovec iov[kBatch];
    size_t next = 0;    // the first piece not yet handed over whole
    size_t offset = 0;  // bytes of it already written
    while (next < parts.size()) {
        size_t count = 0;
        for (size_t i = next; i < parts.size() && count < kBatch; ++i) {
            const std::string_view part = i == next ? parts[i].substr(offset) : parts[i];
            if (part.empty()) continue;
            iov[count].iov_base = const_cast<char*>(part.data());
            iov[count].iov_len = part.size();
            ++count;
        }
        if (count == 0) return true;
        ssize_t n = ::writev(fd, iov, static_cast<int>(count));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {  // no progress: a full device reports ENOSPC, but never loop on it
            errno = EIO;
            return false;
        }
        size_t written = static_cast<size_t>(n);
        while (next < parts.size() && written >= parts[next].size() - offset) {
            written -= parts[next].size() - offset;
            offset = 0;
            ++next;
        }
        offset += written;
    }
    return true;
}

std::atomic<int> g_directorySyncs{0};

void SyncDirectory(const fs::path& dir) {
    ++g_directorySyncs;
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

thread_local CAtomicWriteBatch* t_batch = nullptr;

}  // namespace

struct AtomicWriteBatchAccess {
    // The open batch of this thread takes the directory; without one it is flushed now.
    static void DeferOrSync(const std::string& dir) {
        CAtomicWriteBatch* batch = t_batch;
        if (!batch) {
            SyncDirectory(dir);
            return;
        }
        CAtomicWriteBatch::Folder folder{dir};
        struct stat st {};
        if (::stat(dir.empty() ? "." : dir.c_str(), &st) == 0) {
            folder.device = st.st_dev;
            folder.inode = st.st_ino;
        }
        std::lock_guard lock(batch->m_lock);
        for (const CAtomicWriteBatch::Folder& f : batch->m_dirs) {
            const bool same = (f.inode || folder.inode)
                                  ? f.device == folder.device && f.inode == folder.inode
                                  : f.path == folder.path;
            if (same) return;
        }
        batch->m_dirs.push_back(std::move(folder));
    }

    // Runs `task` with `batch` as the thread's batch; what it throws goes to `error`.
    static void RunWith(CAtomicWriteBatch* batch, const std::function<void()>& task,
                        std::exception_ptr& error) {
        CAtomicWriteBatch* previous = t_batch;
        t_batch = batch;
        try {
            task();
        } catch (...) {
            error = std::current_exception();
        }
        t_batch = previous;
    }
};

CAtomicWriteBatch::CAtomicWriteBatch() : m_pOuter(t_batch) {
    t_batch = this;
}

CAtomicWriteBatch::~CAtomicWriteBatch() {
    t_batch = m_pOuter;  // an outer batch takes them over
    std::vector<Folder> dirs;
    {
        std::lock_guard lock(m_lock);
        dirs.swap(m_dirs);
    }
    for (const Folder& dir : dirs) AtomicWriteBatchAccess::DeferOrSync(dir.path);
}

void CAtomicWriteBatch::RunInParallel(const std::vector<std::function<void()>>& tasks) {
    std::vector<std::exception_ptr> errors(tasks.size());
    std::vector<std::thread> threads;
    threads.reserve(tasks.size());
    // Starting a thread takes a while, and the first task (the biggest, by the callers'
    // habit) should not wait until all are started: a helper starts the others and runs
    // one of them while this thread gets on with the first.
    auto startTheRest = [&] {
        for (size_t i = 2; i < tasks.size(); ++i) {
            try {
                threads.emplace_back(AtomicWriteBatchAccess::RunWith, this, std::cref(tasks[i]),
                                     std::ref(errors[i]));
            } catch (...) {
                AtomicWriteBatchAccess::RunWith(this, tasks[i], errors[i]);
            }
        }
        if (tasks.size() > 1) AtomicWriteBatchAccess::RunWith(this, tasks[1], errors[1]);
        for (std::thread& t : threads) t.join();
    };
    std::thread helper;
    if (tasks.size() > 1) {
        try {
            helper = std::thread(startTheRest);
        } catch (...) {
        }
    }
    if (!tasks.empty()) AtomicWriteBatchAccess::RunWith(this, tasks[0], errors[0]);
    if (helper.joinable())
        helper.join();
    else
        startTheRest();
    for (const std::exception_ptr& error : errors)
        if (error) std::rethrow_exception(error);
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
    return WriteFileAtomic(path, std::span<const std::string_view>(&bytes, 1), error);
}

bool WriteFileAtomic(const std::string& path, std::span<const std::string_view> parts,
                     std::string* error) {
    if (path.empty()) {
        if (error) *error = "empty file name";
        return false;
    }
    fs::path target(path);
    fs::path dir = target.parent_path();
    // "a/b/." and "a/b/" name the folder a/b: it goes to create_directories by its plain name.
    // Given a trailing "." while another thread creates the same folder between its checks,
    // the standard library's create_directories reads an empty list of folders to make and
    // crashes (seen with the exit's parallel saves).
    while (dir.has_relative_path() && (dir.filename() == "." || !dir.has_filename()))
        dir = dir.parent_path();
    if (!dir.empty()) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec) {
            SetError(error, "cannot create directory", dir.string(), ec.value());
            return false;
        }
    }

    std::string tmpl = (dir.empty() ? fs::path(".") : dir).string() + "/." +
                       target.filename().string() + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        SetError(error, "cannot create temporary file for", path, errno);
        return false;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);

    // Keep the mode of the file being replaced; a new file gets the usual 0644 less umask.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    int err = 0;
    if (!WriteAllParts(fd, parts))
        err = errno;
    else if (::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tmpl.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(tmpl.c_str());
        SetError(error, "cannot write", path, err);
        return false;
    }
    AtomicWriteBatchAccess::DeferOrSync(dir.string());
    return true;
}

bool SaveXmlAtomic(tinyxml2::XMLDocument& doc, const std::string& path, std::string* error) {
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    std::string_view text(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
    return WriteFileAtomic(path, text, error);
}

std::string KeepAside(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".bad-" + stamp;
    std::string candidate = base;
    for (int i = 1; fs::exists(candidate, ec) && i < 1000; ++i)
        candidate = base + "-" + std::to_string(i);
    if (fs::exists(candidate, ec)) return {};
    if (::rename(path.c_str(), candidate.c_str()) != 0) return {};
    return candidate;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot open", path, errno);
        return false;
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            SetError(error, "cannot read", path, err);
            out.clear();
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

int atomic_file_testing::DirectorySyncCount() {
    return g_directorySyncs.load();
}
