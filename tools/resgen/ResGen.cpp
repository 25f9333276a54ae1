#include "ResGen.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/Gdi.h"

namespace fs = std::filesystem;

namespace {
bool ReadAll(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
}  // namespace

bool ReadResGenManifest(const std::string& artDir, std::vector<ResGenEntry>& entries,
                        std::string* error) {
    std::string text;
    if (!ReadAll(fs::path(artDir) / "manifest.txt", text)) {
        if (error) *error = "cannot read " + (fs::path(artDir) / "manifest.txt").string();
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        ResGenEntry e;
        if (!(words >> e.source) || e.source[0] == '#') continue;
        if (!(words >> e.output)) {
            if (error) *error = "manifest line without output: " + line;
            return false;
        }
        std::string word;
        while (words >> word) {
            const size_t eq = word.find('=');
            if (eq == std::string::npos || eq == 0) {
                if (error) *error = "manifest word is not key=value: " + word;
                return false;
            }
            e.values.emplace_back(word.substr(0, eq), word.substr(eq + 1));
        }
        entries.push_back(e);
    }
    return true;
}

int GenerateResources(const std::string& artDir, const std::string& outRoot, std::string* error) {
    std::vector<ResGenEntry> entries;
    if (!ReadResGenManifest(artDir, entries, error)) return 0;
    int written = 0;
    auto fail = [&](const std::string& what) {
        if (error && error->empty()) *error = what;
    };
    for (const ResGenEntry& e : entries) {
        fs::path src = fs::path(artDir) / e.source;
        fs::path out = fs::path(outRoot) / e.output;
        std::error_code ec;
        fs::create_directories(out.parent_path(), ec);
        std::string bytes;
        if (!ReadAll(src, bytes)) {
            fail("cannot read " + src.string());
            continue;
        }
        if (src.extension() == ".svg") {
            for (const auto& [key, value] : e.values) {
                const std::string mark = "${" + key + "}";
                for (size_t at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at + value.size()))
                    bytes.replace(at, mark.size(), value);
            }
            CBitmap bmp;
            if (!bmp.LoadFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) ||
                !bmp.SavePng(out.string())) {
                fail("cannot render " + src.string() + " to " + out.string());
                continue;
            }
        } else {
            std::ofstream o(out, std::ios::binary | std::ios::trunc);
            if (!o.write(bytes.data(), std::streamsize(bytes.size()))) {
                fail("cannot write " + out.string());
                continue;
            }
        }
        ++written;
    }
    return written;
}
