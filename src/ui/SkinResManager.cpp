#include "ui/SkinResManager.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "foundation/Singleton.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"
#include "marketdata/AppInfo.h"
#include "platform/Graphics.h"
#include "ui/CommonVar.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Skin files name images with either separator; the archive keys use '/'.
std::string NormaliseName(const std::string& name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    while (out.rfind("./", 0) == 0) out.erase(0, 2);
    return out;
}

COLORREF MakeColor(int r, int g, int b) {
    return RGB(uint8_t(r), uint8_t(g), uint8_t(b));
}

// Reads "RGB(r,g,b)" into the components it finds; the ones it does not find keep their
// values, which is what a missing end colour of a gradient relies on.
void ScanColor(const std::string& text, int& r, int& g, int& b) {
    std::sscanf(text.c_str(), "RGB(%d,%d,%d)", &r, &g, &b);
}

LazySingleton<CSkinResManager>& Slot() {
    static LazySingleton<CSkinResManager> slot;
    return slot;
}

}  // namespace

COLORREF ParseSkinColor(const std::string& text) {
    int r = 0, g = 0, b = 0;
    ScanColor(text, r, g, b);
    return MakeColor(r, g, b);
}

bool CSkinResManager::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return Lower(a) < Lower(b);
}

CSkinResManager::CSkinResManager() = default;

CSkinResManager::~CSkinResManager() {
    m_pDoc.reset();
    m_images.clear();
    ClearArchive();
}

int CSkinResManager::LoadSkinXml(const std::string& path) {
    m_pDoc.reset();
    auto doc = std::make_unique<tinyxml2::XMLDocument>();
    if (LoadXmlFile(*doc, path) != XmlLoadResult::Ok || !doc->RootElement()) return 0;
    m_pDoc = std::move(doc);
    return 1;
}

std::string CSkinResManager::GetSkinDir() const {
    if (!m_strSkinDir.empty()) return m_strSkinDir;
    std::string base = GetAppInfo()->GetDataPath();
    if (!base.empty() && base.back() != '/') base += '/';
    return base + "Skin/";
}

void CSkinResManager::SetSkinDir(const std::string& dir) {
    m_strSkinDir = dir;
    if (!m_strSkinDir.empty() && m_strSkinDir.back() != '/') m_strSkinDir += '/';
}

bool CSkinResManager::SelectSkin(const std::string& name) {
    if (name == m_strSkinName && m_pDoc) return false;
    m_strSkinName = name;
    ++m_nGeneration;  // images handed out earlier are decoded again on their next look-up
    const std::string folder = GetSkinDir() + name + "/";
    LoadSkinXml(folder + kSkinFile);
    ClearArchive();
    LoadArchiveFromDirectory(folder);
    GetCommonVar()->LoadColours(this);
    // A listener may remove itself while it runs.
    std::vector<std::function<void()>> listeners;
    for (auto& [id, fn] : m_listeners) listeners.push_back(fn);
    for (auto& fn : listeners) fn();
    return true;
}

tinyxml2::XMLElement* CSkinResManager::FindElement(const std::string& section,
                                                   const std::string& element) const {
    if (!m_pDoc) return nullptr;
    tinyxml2::XMLElement* root = m_pDoc->RootElement();
    if (!root || std::string(root->Name()) != kRoot) return nullptr;
    tinyxml2::XMLElement* s = root->FirstChildElement(section.c_str());
    return s ? s->FirstChildElement(element.c_str()) : nullptr;
}

std::optional<COLORREF> CSkinResManager::FindColor(const std::string& section,
                                                   const std::string& element) const {
    tinyxml2::XMLElement* e = FindElement(section, element);
    if (!e || !e->Attribute("color")) return std::nullopt;
    return ParseSkinColor(GetXmlAttrString(e, "color"));
}

COLORREF CSkinResManager::GetColor(const std::string& section, const std::string& element) const {
    return FindColor(section, element).value_or(0);
}

int CSkinResManager::GetGradientStyle(const std::string& section, const std::string& element,
                                      GradientStyle& style) const {
    style.strImagePath = GetSkinDir() + m_strSkinName + "/" + kErrorImage;
    tinyxml2::XMLElement* e = FindElement(section, element);
    if (!e) return 0;
    int r = 0, g = 0, b = 0;
    ScanColor(GetXmlAttrString(e, "color_begin"), r, g, b);
    style.clrBegin = MakeColor(r, g, b);
    ScanColor(GetXmlAttrString(e, "color_end"), r, g, b);
    style.clrEnd = MakeColor(r, g, b);
    QueryXmlAttrInt(e, "draw_style", style.nDrawStyle);
    style.strText = GetXmlAttrString(e, "text");
    return 1;
}

CImage* CSkinResManager::GetImage(const std::string& section, const std::string& element,
                                  const std::string& attribute) {
    std::string name = kErrorImage;
    if (tinyxml2::XMLElement* e = FindElement(section, element))
        name = GetXmlAttrString(e, attribute);
    name = NormaliseName(name);
    auto it = m_images.find(name);
    if (it != m_images.end()) {
        CacheEntry& entry = it->second;
        if (entry.skinName != m_strSkinName || entry.generation != m_nGeneration) {
            entry.skinName = m_strSkinName;
            entry.generation = m_nGeneration;
            // Decode into the same object: callers keep the pointer across skin changes.
            CImage fresh;
            LoadImageFromArchive(fresh, name);
            std::swap(entry.image->d, fresh.d);
        }
        return entry.image.get();
    }
    CacheEntry entry;
    entry.skinName = m_strSkinName;
    entry.generation = m_nGeneration;
    entry.image = std::make_unique<CImage>();
    LoadImageFromArchive(*entry.image, name);
    CImage* image = entry.image.get();
    m_images.emplace(name, std::move(entry));
    return image;
}

int CSkinResManager::LoadImageFromArchive(CImage& image, const std::string& name) const {
    auto it = m_archive.find(NormaliseName(name));
    if (it == m_archive.end() || it->second.empty()) return 0;
    return image.Load(it->second.data(), it->second.size()) ? 1 : 0;
}

int CSkinResManager::LoadArchiveFromDirectory(const std::string& dir) {
    std::error_code ec;
    fs::path root(dir);
    if (!fs::is_directory(root, ec)) return 0;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());  // the same skin always gives the same archive
    int added = 0;
    for (const fs::path& p : files) {
        uintmax_t size = fs::file_size(p, ec);
        if (ec || size > kMaxFileBytes || m_archiveBytes + size > kMaxArchiveBytes) continue;
        std::ifstream in(p, std::ios::binary);
        std::vector<unsigned char> bytes(static_cast<size_t>(size));
        if (size && !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) continue;
        AddArchiveEntry(fs::relative(p, root, ec).generic_string(), std::move(bytes));
        ++added;
    }
    return added;
}

void CSkinResManager::AddArchiveEntry(const std::string& name, std::vector<unsigned char> bytes) {
    std::string key = NormaliseName(name);
    auto it = m_archive.find(key);
    if (it != m_archive.end()) {
        m_archiveBytes -= it->second.size();
        m_archive.erase(it);
    }
    m_archiveBytes += bytes.size();
    m_archive.emplace(key, std::move(bytes));
}

bool CSkinResManager::HasArchiveEntry(const std::string& name) const {
    return m_archive.count(NormaliseName(name)) != 0;
}

void CSkinResManager::ClearArchive() {
    m_archive.clear();
    m_archiveBytes = 0;
}

int CSkinResManager::AddSkinListener(std::function<void()> listener) {
    int id = m_nextListener++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void CSkinResManager::RemoveSkinListener(int id) {
    m_listeners.erase(id);
}

CSkinResManager* GetSkinResManager() {
    return Slot().Get();
}

void DeleteSkinResManager() {
    Slot().Reset();
}
