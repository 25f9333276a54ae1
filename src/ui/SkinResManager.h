#pragma once
// The program's own skin: colours, gradient specifications and images looked up by
// section and element of the skin file, and images by name.
//
// A skin is a folder under <data directory>/Skin/ holding "Devazedad_skin.xml" and the
// images it names. Selecting a skin loads that file and reads every file of the folder
// into the in-memory archive the images are decoded from, so looking up an image never
// touches the disk. Look-ups never fail: a colour is 0, a gradient falls back to the
// error image, an image may hold no bitmap.
//
// UI thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/CommonColors.h"

class CImage;
namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

struct GradientStyle {
    std::string strImagePath;
    std::string strText;
    COLORREF clrBegin = 0;
    COLORREF clrEnd = 0;
    int32_t nDrawStyle = 0;
};

// Skin colour text "RGB(r,g,b)": each component taken modulo 256, a component that does
// not read counts as 0 (so does every component after it).
COLORREF ParseSkinColor(const std::string& text);

class CSkinResManager {
public:
    static constexpr const char* kSkinFile = "Devazedad_skin.xml";
    static constexpr const char* kRoot = "Devazedad_skin";
    static constexpr const char* kErrorImage = "Error.png";
    // A skin folder's files are read whole; these bound what one skin may hold.
    static constexpr size_t kMaxFileBytes = 8u << 20;
    static constexpr size_t kMaxArchiveBytes = 64u << 20;

    CSkinResManager();
    ~CSkinResManager();
    CSkinResManager(const CSkinResManager&) = delete;
    CSkinResManager& operator=(const CSkinResManager&) = delete;

    // Replaces the document with the file's; on failure no document is held. 1 or 0.
    int LoadSkinXml(const std::string& path);
    // <data directory>/Skin/ (the application paths are created when needed).
    std::string GetSkinDir() const;
    // Tests and tools: a skin directory other than the data directory's.
    void SetSkinDir(const std::string& dir);

    // Makes the named folder the current skin when it is not already: loads its skin file,
    // fills the archive from the folder, re-reads the common colour table and tells the
    // skin listeners. False when the name was already current.
    bool SelectSkin(const std::string& name);
    const std::string& GetSkinName() const { return m_strSkinName; }
    bool HasDocument() const { return m_pDoc != nullptr; }

    COLORREF GetColor(const std::string& section, const std::string& element) const;
    // The colour when the element exists and has a "color" attribute.
    std::optional<COLORREF> FindColor(const std::string& section, const std::string& element) const;
    int GetGradientStyle(const std::string& section, const std::string& element,
                         GradientStyle& style) const;
    // Owned by the manager; the same object for a name (any letter case) for the life of
    // the manager, decoded again after a skin change.
    CImage* GetImage(const std::string& section, const std::string& element,
                     const std::string& attribute);
    int LoadImageFromArchive(CImage& image, const std::string& name) const;

    // The archive: file name relative to the skin folder ('/' separated) -> bytes.
    // Returns the number of files read; files past the bounds are left out.
    int LoadArchiveFromDirectory(const std::string& dir);
    void AddArchiveEntry(const std::string& name, std::vector<unsigned char> bytes);
    bool HasArchiveEntry(const std::string& name) const;
    size_t GetArchiveCount() const { return m_archive.size(); }
    void ClearArchive();

    // Called after every skin change (the menu bar re-reads its tab colours). The id
    // removes it again.
    int AddSkinListener(std::function<void()> listener);
    void RemoveSkinListener(int id);

private:
    struct CacheEntry {
        std::unique_ptr<CImage> image;
        std::string skinName;
        int32_t generation = 0;
    };
    struct NoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    tinyxml2::XMLElement* FindElement(const std::string& section, const std::string& element) const;

    std::string m_strSkinName;
    int32_t m_nGeneration = 0;
    std::unique_ptr<tinyxml2::XMLDocument> m_pDoc;
    std::string m_strSkinDir;  // empty: the data directory's
    std::map<std::string, CacheEntry, NoCaseLess> m_images;
    std::map<std::string, std::vector<unsigned char>, NoCaseLess> m_archive;
    size_t m_archiveBytes = 0;
    std::map<int, std::function<void()>> m_listeners;
    int m_nextListener = 1;
};

// The process's skin manager, created on first use.
CSkinResManager* GetSkinResManager();
// The exit step: destroys the manager and its images.
void DeleteSkinResManager();
