// Resources compiled in as toolkit resources under ":/res/<TYPE>/<id>.<ext>".
#include "platform/Resource.h"

#include <QDir>
#include <QFile>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/PlatformPrivate.h"

namespace platform {
namespace {
struct MemoryResources {
    std::mutex mutex;
    std::map<std::pair<std::string, UINT>, std::vector<unsigned char>> items;
};
MemoryResources& Memory() {
    static auto* m = new MemoryResources;
    return *m;
}
bool FindMemory(const std::string& type, UINT id, std::vector<unsigned char>* out) {
    MemoryResources& m = Memory();
    std::lock_guard<std::mutex> lock(m.mutex);
    auto it = m.items.find({type, id});
    if (it == m.items.end()) return false;
    if (out) *out = it->second;
    return true;
}
QString FindPath(const std::string& type, UINT id) {
    QDir dir(QStringLiteral(":/res/") + ToQ(type));
    const QString base = QString::number(id);
    for (const QString& name : dir.entryList(QDir::Files)) {
        int dot = name.indexOf(QLatin1Char('.'));
        if ((dot < 0 ? name : name.left(dot)) == base) return dir.filePath(name);
    }
    return {};
}
}  // namespace

bool RegisterMemoryResource(const std::string& type, UINT id, const unsigned char* bytes, size_t size) {
    MemoryResources& m = Memory();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.items.emplace(std::make_pair(type, id), std::vector<unsigned char>(bytes, bytes + size)).second;
}

bool HasResource(const std::string& type, UINT id) {
    return FindMemory(type, id, nullptr) || !FindPath(type, id).isEmpty();
}

bool LoadResourceBytes(const std::string& type, UINT id, std::vector<unsigned char>& out) {
    out.clear();
    if (FindMemory(type, id, &out)) return true;
    QString path = FindPath(type, id);
    if (path.isEmpty()) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray b = f.readAll();
    out.assign(b.begin(), b.end());
    return true;
}

bool LoadToolBarResource(UINT id, int& width, int& height, std::vector<UINT>& ids) {
    ids.clear();
    std::vector<unsigned char> bytes;
    if (!LoadResourceBytes("TOOLBAR", id, bytes)) return false;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    int w = 0, h = 0;
    if (!(in >> w >> h) || w <= 0 || h <= 0 || w > 256 || h > 256) return false;
    long cmd;
    while (in >> cmd) {
        if (ids.size() >= 4096) return false;
        ids.push_back(cmd > 0 ? (UINT)cmd : 0u);
    }
    width = w;
    height = h;
    return true;
}
}  // namespace platform
