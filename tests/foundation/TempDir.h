#pragma once
// A fresh directory per test, removed afterwards; optionally made the current directory
// for code that works on relative names.

#include <unistd.h>

#include <filesystem>
#include <string>

class TempDir {
public:
    explicit TempDir(bool enter = false) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tarrow-test-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
        if (enter) {
            m_previous = std::filesystem::current_path();
            std::filesystem::current_path(m_path);
        }
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_previous.empty()) std::filesystem::current_path(m_previous, ec);
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
    std::filesystem::path m_previous;
};

inline std::string ReadFileText(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}
