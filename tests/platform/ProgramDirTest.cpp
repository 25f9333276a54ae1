// The program directory: where the home is, seeding it from the installed resources without
// touching the user's files, and entering it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/ScratchDir.h"
#include "platform/home/ProgramDir.h"

namespace fs = std::filesystem;

namespace {
void Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}
std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Sets (or clears, with null) an environment variable for one test.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = getenv(name)) m_old = old, m_had = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name, m_old;
    bool m_had = false;
};

TEST(ProgramDir, ResolvesTheHomeFromTheEnvironment) {
    {
        EnvVar home("TARROW_HOME", "/srv/tarrow-home//");
        EXPECT_EQ(platform::ResolveProgramDir(), "/srv/tarrow-home");
    }
    {
        EnvVar home("TARROW_HOME", "");  // set but empty means not set
        EnvVar user("HOME", "/home/someone");
        EXPECT_EQ(platform::ResolveProgramDir(), "/home/someone/.local/share/tarrow");
    }
    {
        EnvVar home("TARROW_HOME", nullptr);
        EnvVar user("HOME", nullptr);
        EXPECT_EQ(platform::ResolveProgramDir(), "/tmp/.local/share/tarrow");
    }
}

TEST(ProgramDir, SeedingCopiesOnlyWhatIsMissingAndNeverOverwrites) {
    ScratchDir dir;
    const fs::path res = dir.Path() / "resources", home = dir.Path() / "home";
    Write(res / "Sys.xml", "installed sys");
    Write(res / "layout" / "default.xml", "installed layout");
    Write(res / "skin" / "deep" / "a.png", "png");
    Write(home / "Sys.xml", "the user's own");  // edited by the user: must stay
    platform::SeedReport r = platform::SeedProgramDir(home.string(), res.string());
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.copied, 2);
    EXPECT_EQ(r.kept, 1);
    EXPECT_EQ(Read(home / "Sys.xml"), "the user's own");
    EXPECT_EQ(Read(home / "layout" / "default.xml"), "installed layout");
    EXPECT_EQ(Read(home / "skin" / "deep" / "a.png"), "png");
    // a second start copies nothing and leaves no temporary files behind
    Write(home / "layout" / "default.xml", "rearranged");
    r = platform::SeedProgramDir(home.string(), res.string());
    EXPECT_EQ(r.copied, 0);
    EXPECT_EQ(r.kept, 3);
    EXPECT_EQ(Read(home / "layout" / "default.xml"), "rearranged");
    int files = 0;
    for (auto& e : fs::recursive_directory_iterator(home))
        if (e.is_regular_file()) ++files;
    EXPECT_EQ(files, 3);
    // no resources at all is not an error
    r = platform::SeedProgramDir(home.string(), (dir.Path() / "none").string());
    EXPECT_EQ(r.copied, 0);
    EXPECT_EQ(r.error, "");
}

TEST(ProgramDir, SeedingReportsWhatItCannotCopyAndGoesOn) {
    ScratchDir dir;
    const fs::path res = dir.Path() / "resources", home = dir.Path() / "home";
    Write(res / "a.xml", "a");
    Write(res / "sub" / "b.xml", "b");
    Write(res / "z.xml", "z");
    Write(home / "sub", "a file where the resources have a folder");
    platform::SeedReport r = platform::SeedProgramDir(home.string(), res.string());
    EXPECT_NE(r.error, "");
    EXPECT_EQ(Read(home / "a.xml"), "a");
    EXPECT_EQ(Read(home / "z.xml"), "z");
    EXPECT_EQ(Read(home / "sub"), "a file where the resources have a folder");
}

TEST(ProgramDir, PrepareCreatesSeedsAndEntersTheHome) {
    ScratchDir dir;
    const fs::path res = dir.Path() / "installed", home = dir.Path() / "a" / "b" / "home";
    Write(res / "Func.xml", "functions");
    EnvVar h("TARROW_HOME", home.c_str());
    EnvVar r("TARROW_RESOURCES", res.c_str());
    EXPECT_EQ(platform::InstalledResourcesDir(), res.string());
    const fs::path before = fs::current_path();
    std::string error = "untouched";
    ASSERT_TRUE(platform::PrepareProgramDir(&error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(fs::current_path(), fs::canonical(home));
    EXPECT_EQ(platform::GetProgramDir(), home.string() + "/");
    // the relative names the program uses now name files in the home
    EXPECT_EQ(Read("Func.xml"), "functions");
    fs::current_path(before);
}

TEST(ProgramDir, PrepareFailsClearlyWhenTheHomeCannotBeMade) {
    ScratchDir dir;
    Write(dir.Path() / "blocker", "x");
    const fs::path home = dir.Path() / "blocker" / "home";
    EnvVar h("TARROW_HOME", home.c_str());
    const fs::path before = fs::current_path();
    std::string error;
    EXPECT_FALSE(platform::PrepareProgramDir(&error));
    EXPECT_NE(error.find(home.string()), std::string::npos) << error;
    EXPECT_EQ(fs::current_path(), before);
}

TEST(ProgramDir, AResourcesSettingThatNamesNothingIsNotReplacedByAGuess) {
    EnvVar r("TARROW_RESOURCES", "/nonexistent/tarrow/resources");
    EXPECT_EQ(platform::InstalledResourcesDir(), "");
    EnvVar none("TARROW_RESOURCES", nullptr);
    // from a build tree the source resources are found
    EXPECT_TRUE(fs::is_regular_file(fs::path(platform::InstalledResourcesDir()) / "Sys.xml"));
}
}  // namespace
