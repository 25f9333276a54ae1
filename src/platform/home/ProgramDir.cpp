// The program directory: resolving, seeding and entering the user's Tarrow home.
#include "platform/home/ProgramDir.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {
std::mutex g_mutex;
std::string g_prepared;  // with a trailing '/'; empty until PrepareProgramDir succeeded

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

bool IsDir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// Copies one file to a temporary name beside the target and renames it into place; the
// rename does not replace a file that appeared meanwhile (link + unlink).
bool CopyMissing(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    fs::path tmp = to;
    tmp += ".seed-" + std::to_string(::getpid());
    fs::remove(tmp, ec);
    if (!fs::copy_file(from, tmp, fs::copy_options::overwrite_existing, ec)) {
        error = "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
        fs::remove(tmp, ec);
        return false;
    }
    // link() fails when the target exists, so a user's file is never replaced
    if (::link(tmp.c_str(), to.c_str()) != 0) {
        const int err = errno;
        fs::remove(tmp, ec);
        if (err == EEXIST) return true;
        error = "cannot create " + to.string() + ": " + std::generic_category().message(err);
        return false;
    }
    fs::remove(tmp, ec);
    return true;
}
}  // namespace

std::string ResolveProgramDir() {
    std::string home = Env("TARROW_HOME");
    if (home.empty()) {
        std::string user = Env("HOME");
        home = (user.empty() ? std::string("/tmp") : user) + "/.local/share/tarrow";
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
}

std::string InstalledResourcesDir() {
    std::string configured = Env("TARROW_RESOURCES");
    if (!configured.empty()) return IsDir(configured) ? configured : std::string();
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path dir = exe.parent_path();
        for (const fs::path& p : {dir / ".." / "share" / "tarrow" / "resources", dir / "resources"})
            if (IsDir(p)) return fs::weakly_canonical(p, ec).string();
    }
#ifdef TARROW_BUILD_RESOURCES
    if (IsDir(TARROW_BUILD_RESOURCES)) return TARROW_BUILD_RESOURCES;
#endif
    return {};
}

SeedReport SeedProgramDir(const std::string& home, const std::string& resources) {
    SeedReport report;
    if (resources.empty() || !IsDir(resources)) return report;
    auto fail = [&](const std::string& what) {
        if (report.error.empty()) report.error = what;
    };
    std::error_code ec;
    fs::recursive_directory_iterator it(resources, fs::directory_options::skip_permission_denied,
                                        ec);
    if (ec) {
        fail("cannot read " + resources + ": " + ec.message());
        return report;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            fail("cannot read " + resources + ": " + ec.message());
            break;
        }
        const fs::path rel = fs::relative(it->path(), resources, ec);
        if (ec) continue;
        const fs::path target = fs::path(home) / rel;
        std::error_code st;
        if (it->is_directory(st)) {
            if (!IsDir(target) && !fs::create_directories(target, st) && !IsDir(target))
                fail("cannot create " + target.string() + ": " + st.message());
            continue;
        }
        if (!it->is_regular_file(st)) continue;
        if (fs::exists(fs::symlink_status(target, st))) {
            ++report.kept;
            continue;
        }
        std::string error;
        if (CopyMissing(it->path(), target, error))
            ++report.copied;
        else
            fail(error);
    }
    return report;
}

bool PrepareProgramDir(std::string* error) {
    const std::string home = ResolveProgramDir();
    std::error_code ec;
    fs::create_directories(home, ec);
    if (!IsDir(home)) {
        if (error) *error = "cannot create the program directory " + home + ": " + ec.message();
        return false;
    }
    SeedReport seeded = SeedProgramDir(home, InstalledResourcesDir());
    fs::current_path(home, ec);
    if (ec) {
        if (error) *error = "cannot enter the program directory " + home + ": " + ec.message();
        return false;
    }
    if (error) *error = seeded.error;
    std::lock_guard lock(g_mutex);
    g_prepared = WithSlash(home);
    return true;
}

std::string GetProgramDir() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_prepared.empty()) return g_prepared;
    }
    return WithSlash(ResolveProgramDir());
}

}  // namespace platform
