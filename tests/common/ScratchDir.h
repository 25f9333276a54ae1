#pragma once
// A fresh directory for one test, removed with everything in it afterwards. Several
// checkouts run their suites on this machine at the same time, so the name comes from
// mkdtemp (the test's name in it is only there to help whoever looks in /tmp).
// Optionally the directory is made current for code that works on relative names, and
// the previous current directory comes back afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

class ScratchDir {
public:
    enum Mode { Stay, Enter };

    explicit ScratchDir(Mode mode = Stay) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / ("tarrow-" + TestTag() + "-XXXXXX")).string();
        if (!::mkdtemp(tmpl.data()))
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + tmpl);
        m_path = tmpl;
        if (mode == Enter) {
            m_previous = std::filesystem::current_path();
            std::filesystem::current_path(m_path);
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!m_previous.empty()) std::filesystem::current_path(m_previous, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The full name of a file (or sub-directory) inside.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    // "Suite.Test" of the running test, reduced to characters safe in a file name.
    static std::string TestTag() {
        std::string tag = "test";
        if (const auto* info = testing::UnitTest::GetInstance()->current_test_info())
            tag = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : tag)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_') c = '_';
        return tag.substr(0, 80);
    }

    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes the bytes as the whole file, making the directories above it first.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
}
