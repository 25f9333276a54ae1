#include "foundation/Config.h"

#include <tinyxml2.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <mutex>

#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

namespace {

// The settings are used from the UI thread; the lock only keeps a stray worker call safe.
struct ConfigStore {
    std::mutex mutex;
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* root = nullptr;
    std::string path;
};

ConfigStore& Store() {
    static ConfigStore store;
    return store;
}

tinyxml2::XMLElement* FindChild(tinyxml2::XMLElement* parent, std::string_view name) {
    if (!parent) return nullptr;
    std::string n(name);
    return parent->FirstChildElement(n.c_str());
}

tinyxml2::XMLElement* FindOrAddChild(tinyxml2::XMLDocument& doc, tinyxml2::XMLElement* parent,
                                     std::string_view name) {
    if (tinyxml2::XMLElement* child = FindChild(parent, name)) return child;
    std::string n(name);
    tinyxml2::XMLElement* child = doc.NewElement(n.c_str());
    parent->InsertEndChild(child);
    return child;
}

bool SaveLocked(ConfigStore& store, std::string* error) {
    if (!store.root) {
        if (error) *error = "no configuration loaded";
        return false;
    }
    // The file holds the remembered password and the proxy password: owner-only. The
    // atomic save keeps the mode of the file it replaces, so the file gets it first.
    bool created = false;
    int fd = ::open(store.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        created = true;
    else
        fd = ::open(store.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    const bool saved = SaveXmlFile(store.doc, store.path, error);
    if (!saved && created) ::unlink(store.path.c_str());  // no empty file left behind
    return saved;
}

// A valid element name: tinyxml2 writes whatever it is given, which could make the file
// unreadable on the next start.
bool IsXmlName(std::string_view name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        bool ok = std::isalpha(c) || c == '_' || c == ':' || c >= 0x80 ||
                  (i > 0 && (std::isdigit(c) || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

template <typename Setter>
void SetValue(std::string_view section, std::string_view key, std::string_view attr, bool save,
              Setter set) {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    if (!store.root || !IsXmlName(section) || !IsXmlName(key) || !IsXmlName(attr)) return;
    tinyxml2::XMLElement* sec = FindOrAddChild(store.doc, store.root, section);
    tinyxml2::XMLElement* keyElement = FindOrAddChild(store.doc, sec, key);
    set(keyElement);
    if (save) SaveLocked(store, nullptr);
}

}  // namespace

bool LoadConfig(const std::string& path) {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.path = path;
    store.root = nullptr;
    if (LoadXmlFile(store.doc, path) != XmlLoadResult::Ok) return false;
    store.root = store.doc.RootElement();
    return store.root != nullptr;
}

void ResetConfig() {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.doc.Clear();
    store.root = nullptr;
    store.path.clear();
}

bool IsConfigLoaded() {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.root != nullptr;
}

bool SaveConfig(std::string* error) {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    return SaveLocked(store, error);
}

int GetConfigInt(std::string_view section, std::string_view key, std::string_view attr, int def) {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    tinyxml2::XMLElement* keyElement = FindChild(FindChild(store.root, section), key);
    if (!keyElement) return def;
    return GetXmlAttrInt(keyElement, attr);
}

std::string GetConfigString(std::string_view section, std::string_view key, std::string_view attr,
                            std::string_view def) {
    ConfigStore& store = Store();
    std::lock_guard lock(store.mutex);
    tinyxml2::XMLElement* keyElement = FindChild(FindChild(store.root, section), key);
    if (!keyElement) return std::string(def);
    return GetXmlAttrString(keyElement, attr);
}

void SetConfigInt(std::string_view section, std::string_view key, std::string_view attr, int value,
                  bool save) {
    SetValue(section, key, attr, save,
             [&](tinyxml2::XMLElement* e) { SetXmlAttrInt(e, attr, value); });
}

void SetConfigString(std::string_view section, std::string_view key, std::string_view attr,
                     std::string_view value, bool save) {
    SetValue(section, key, attr, save,
             [&](tinyxml2::XMLElement* e) { SetXmlAttrString(e, attr, value); });
}
