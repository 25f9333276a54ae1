#pragma once
// Crash-safe file replacement. Every file the program rewrites goes through here: the new
// bytes land in a temporary file beside the target, are flushed to disk and then renamed
// over it, so a failed or interrupted write never destroys the previous contents.

#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
}

// Writes `bytes` to `path` atomically (temporary file in the same directory, fsync,
// rename, fsync of the directory). Missing parent directories are created. On failure
// the old file, if any, is untouched, no temporary file is left behind, and `error`
// (when given) receives a readable reason. An existing file's permission bits are kept.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr);
// The same with the file's bytes given in pieces, written one after the other.
bool WriteFileAtomic(const std::string& path, std::span<const std::string_view> parts,
                     std::string* error = nullptr);

// While one of these lives on a thread, the atomic writes of that thread leave their
// directory flushes to it, and it flushes each directory once when it ends: a series of
// saves (the program's exit) pays one directory flush per folder instead of one per file.
// A folder is one folder however it is spelled ("." and its full path are the same).
// Until then a crash keeps the previous version of a replaced file, never a broken one.
class CAtomicWriteBatch {
public:
    CAtomicWriteBatch();
    ~CAtomicWriteBatch();
    CAtomicWriteBatch(const CAtomicWriteBatch&) = delete;
    CAtomicWriteBatch& operator=(const CAtomicWriteBatch&) = delete;

    // Runs the tasks at the same time, the first on the calling thread and each other one
    // on a thread of its own, and returns when all have ended. The atomic writes of every
    // task leave their directory flushes to this batch, as the writes of the thread that
    // opened it do. Independent files are made and flushed side by side this way, so the
    // disk's flushes overlap instead of queueing. When a thread cannot be started its task
    // runs on the thread that would have started it. An exception of a task comes out here
    // after all have ended (the first one caught).
    void RunInParallel(const std::vector<std::function<void()>>& tasks);

private:
    struct Folder {
        std::string path;
        unsigned long long device = 0, inode = 0;  // 0/0: not found, compared by spelling
    };
    CAtomicWriteBatch* m_pOuter;
    std::mutex m_lock;  // guards m_dirs, which the tasks of RunInParallel add to
    std::vector<Folder> m_dirs;
    friend struct AtomicWriteBatchAccess;
};

// Prints the document as it stands (declaration, BOM and all) and writes the text
// atomically. No encoding conversion happens here; see XmlFile.h for GBK documents.
bool SaveXmlAtomic(tinyxml2::XMLDocument& doc, const std::string& path,
                   std::string* error = nullptr);

// Renames a file that could not be parsed to "<name>.bad-<yyyymmdd-hhmmss>" (with a
// numeric suffix when that name is taken) so the next save cannot overwrite what the
// user may still want to recover. Returns the new path; empty when the file does not
// exist or could not be renamed.
std::string KeepAside(const std::string& path);

// Reads a whole file. False (and `error`) when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

namespace atomic_file_testing {
// Directory flushes made so far by this process.
int DirectorySyncCount();
}  // namespace atomic_file_testing
