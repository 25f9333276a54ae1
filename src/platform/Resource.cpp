// Resources compiled in as toolkit resources under ":/res/<TYPE>/<id>.<ext>".
#include "platform/Resource.h"

#include <QDir>
#include <QFile>
#include <mutex>

#include "platform/PlatformPrivate.h"

namespace platform {
namespace {
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

bool HasResource(const std::string& type, UINT id) {
    return !FindPath(type, id).isEmpty();
}

bool LoadResourceBytes(const std::string& type, UINT id, std::vector<unsigned char>& out) {
    out.clear();
    QString path = FindPath(type, id);
    if (path.isEmpty()) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray b = f.readAll();
    out.assign(b.begin(), b.end());
    return true;
}
}  // namespace platform
