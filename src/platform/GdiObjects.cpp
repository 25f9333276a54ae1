// Pens, brushes, fonts, bitmaps and regions.
#include <QFile>
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

using namespace platform;

namespace platform {
std::shared_ptr<Surface> MakeSurface(int w, int h, QImage::Format f, QRgb fill) {
    QImage img(std::max(w, 1), std::max(h, 1), f);
    img.fill(fill);
    return std::make_shared<Surface>(std::move(img));
}
std::shared_ptr<Surface> MakeSurfaceAt(int w, int h, qreal ratio) {
    if (ratio <= 1.0) return MakeSurface(w, h);
    auto sf = MakeSurface((int)std::ceil(std::max(w, 1) * ratio),
                          (int)std::ceil(std::max(h, 1) * ratio));
    sf->image.setDevicePixelRatio(ratio);
    return sf;
}

LOGFONT DefaultLogFont() {
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfFaceName = "WenQuanYi Micro Hei";
    return lf;
}

const std::vector<std::pair<QString, QString>>& FaceSubstitutions() {
    static const std::vector<std::pair<QString, QString>> table = [] {
        std::vector<std::pair<QString, QString>> t;
        const QString cjk = QStringLiteral("WenQuanYi Micro Hei");
        for (const char* face :
             {"宋体", "新宋体", "SimSun", "NSimSun", "微软雅黑", "Microsoft YaHei", "黑体", "SimHei",
              "楷体", "Arial", "Tahoma", "Verdana", "MS Sans Serif", "System", "Times New Roman"})
            t.emplace_back(QString::fromUtf8(face), cjk);
        t.emplace_back(QStringLiteral("Courier New"), QStringLiteral("WenQuanYi Micro Hei Mono"));
        return t;
    }();
    return table;
}

QString InstalledFamily(const QString& face) {
    for (const auto& [named, installed] : FaceSubstitutions())
        if (named.compare(face, Qt::CaseInsensitive) == 0) return installed;
    return face;
}

QFont FontFromLogFont(const LOGFONT& lf) {
    // The installed face at once rather than through the toolkit's substitution: the same
    // glyphs, and every font of the face shares one list of fallback fonts, which the font
    // configuration takes long to sort.
    QFont f(lf.lfFaceName.empty() ? QStringLiteral("WenQuanYi Micro Hei")
                                  : InstalledFamily(ToQ(lf.lfFaceName)));
    int px = lf.lfHeight < 0 ? -lf.lfHeight : (lf.lfHeight > 0 ? lf.lfHeight * 4 / 5 : 12);
    f.setPixelSize(std::max(px, 1));
    if (lf.lfWeight >= 600) f.setBold(true);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setStyleStrategy(QFont::PreferDefault);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}
}  // namespace platform

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    m_style = style & PS_STYLE_MASK;
    m_width = width;
    m_color = color;
    m_created = true;
    return TRUE;
}
BOOL CPen::DeleteObject() {
    BOOL was = m_created;
    m_created = false;
    return was;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    m_style = BS_SOLID;
    m_color = color;
    m_created = true;
    return TRUE;
}
BOOL CBrush::CreateHatchBrush(int hatch, COLORREF color) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return FALSE;
    m_style = BS_HATCHED;
    m_hatch = hatch;
    m_color = color;
    m_created = true;
    return TRUE;
}
BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
    if (!bitmap || !bitmap->m_surface) return FALSE;
    m_style = BS_PATTERN;
    m_pattern = std::make_shared<Surface>(bitmap->m_surface->Logical().copy());
    m_created = true;
    return TRUE;
}
BOOL CBrush::CreateStockNull() {
    m_style = BS_NULL;
    m_created = true;
    return TRUE;
}
BOOL CBrush::DeleteObject() {
    BOOL was = m_created;
    m_created = false;
    m_pattern.reset();
    return was;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf) {
    if (!lf) return FALSE;
    m_lf = *lf;
    m_created = true;
    return TRUE;
}
BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const char* face) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight ? weight : FW_NORMAL;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    lf.lfFaceName = face ? face : "";
    return CreateFontIndirect(&lf);
}
BOOL CFont::CreatePointFont(int pointSize, const char* face, CDC*) {
    LOGFONT lf;
    // 96 dots per inch, as the desktop the program was laid out for
    lf.lfHeight = -((pointSize * 96 + 360) / 720);
    lf.lfFaceName = face ? face : "";
    return CreateFontIndirect(&lf);
}
int CFont::GetLogFont(LOGFONT* lf) const {
    if (!lf || !m_created) return 0;
    *lf = m_lf;
    return 1;
}
BOOL CFont::DeleteObject() {
    BOOL was = m_created;
    m_created = false;
    return was;
}

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return FALSE;
    m_surface = MakeSurfaceAt(width, height, dc ? dc->GetPixelRatio() : 1.0);
    return TRUE;
}
BOOL CBitmap::CreateBitmap(int width, int height, UINT, UINT bitsPerPixel, const void* bits) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return FALSE;
    if (bitsPerPixel == 32) {
        m_surface = MakeSurface(width, height, QImage::Format_ARGB32_Premultiplied, 0);
        if (bits) {
            for (int y = 0; y < height; ++y)
                memcpy(m_surface->image.scanLine(y),
                       static_cast<const char*>(bits) + size_t(y) * width * 4, size_t(width) * 4);
        }
    } else {
        m_surface = MakeSurface(width, height);
    }
    return TRUE;
}
namespace {
// The toolkit's image reader loads every image plugin it has (and their libraries) the first
// time it is asked, whatever the format: the start of the program would pay for that. The
// program's own pictures are PNGs and XPMs, read here without it, to the same pixels.

// 8-bit grey and colour PNGs, with or without alpha, through stb_image, in the image format
// the toolkit would give them. Palette PNGs stay with the toolkit (an index past the palette
// would read what the decoder's palette happens to hold), as do 16-bit ones.
bool DecodePng(QImage& image, const unsigned char* data, size_t size) {
    // IHDR follows the signature: bit depth at byte 24, colour type at 25
    if (size < 33 || std::memcmp(data + 12, "IHDR", 4) != 0 || data[24] != 8) return false;
    const unsigned char colourType = data[25];
    if (colourType != 0 && colourType != 2 && colourType != 4 && colourType != 6) return false;
    bool alpha = (colourType & 4) != 0;
    for (size_t at = 8; !alpha && at + 8 <= size;) {  // a transparency chunk gives alpha too
        const uint32_t length = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 |
                                uint32_t(data[at + 2]) << 8 | data[at + 3];
        if (std::memcmp(data + at + 4, "tRNS", 4) == 0) alpha = true;
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) break;
        at += size_t(length) + 12;
    }
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> rgba(
        stbi_load_from_memory(data, int(size), &w, &h, &channels, 4), stbi_image_free);
    if (!rgba || w <= 0 || h <= 0) return false;
    QImage decoded(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (decoded.isNull()) return false;
    for (int y = 0; y < h; ++y) {
        const unsigned char* p = rgba.get() + size_t(y) * size_t(w) * 4;
        auto* row = reinterpret_cast<QRgb*>(decoded.scanLine(y));
        for (int x = 0; x < w; ++x, p += 4) row[x] = qRgba(p[0], p[1], p[2], alpha ? p[3] : 255);
    }
    image = std::move(decoded);
    return true;
}

// An XPM file: its quoted strings, in order, are the picture's lines.
bool DecodeXpm(QImage& image, const unsigned char* data, size_t size) {
    std::vector<std::string> lines;
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    while (p < end) {
        if (*p == '/' && p + 1 < end && p[1] == '*') {  // a comment
            const char* close = std::search(p + 2, end, "*/", "*/" + 2);
            p = close == end ? end : close + 2;
        } else if (*p == '"') {
            std::string line;
            for (++p; p < end && *p != '"'; ++p) {
                if (*p == '\\' && p + 1 < end) ++p;
                line += *p;
            }
            ++p;
            lines.push_back(std::move(line));
        } else {
            ++p;
        }
    }
    if (lines.empty()) return false;
    std::vector<const char*> array;
    array.reserve(lines.size() + 1);
    for (const std::string& line : lines) array.push_back(line.c_str());
    array.push_back(nullptr);
    QImage decoded(array.data());
    if (decoded.isNull()) return false;
    image = std::move(decoded);
    return true;
}
}  // namespace

bool platform::LoadImageBytes(QImage& image, const unsigned char* data, size_t size) {
    if (!data || !size || size > size_t(INT32_MAX)) return false;
    const char* format = nullptr;
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
        if (DecodePng(image, data, size)) return true;
        format = "PNG";
    } else if (size >= 9 && std::memcmp(data, "/* XPM */", 9) == 0) {
        if (DecodeXpm(image, data, size)) return true;
        format = "XPM";
    } else if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        format = "BMP";
    } else if (size >= 4 && std::memcmp(data, "GIF8", 4) == 0) {
        format = "GIF";
    } else if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        format = "JPEG";
    } else if (size >= 4 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || data[2] == 2) &&
               data[3] == 0) {
        format = data[2] == 1 ? "ICO" : "CUR";
    }
    if (format && image.loadFromData(data, int(size), format)) return true;
    return image.loadFromData(data, int(size));  // anything else: let Qt find the reader
}

namespace {
bool Pixels(const QImage& decoded, int& width, int& height, std::vector<uint32_t>& pixels) {
    if (decoded.isNull()) return false;
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    width = argb.width();
    height = argb.height();
    pixels.clear();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        pixels.insert(pixels.end(), row, row + width);
    }
    return true;
}
}  // namespace

bool platform::image_testing::DecodeOwn(const std::vector<unsigned char>& bytes, int& width,
                                        int& height, std::vector<uint32_t>& pixels) {
    QImage decoded;
    const bool own = bytes.size() >= 9 && std::memcmp(bytes.data(), "/* XPM */", 9) == 0
                         ? DecodeXpm(decoded, bytes.data(), bytes.size())
                         : DecodePng(decoded, bytes.data(), bytes.size());
    return own && Pixels(decoded, width, height, pixels);
}

bool platform::image_testing::DecodeToolkit(const std::vector<unsigned char>& bytes, int& width,
                                            int& height, std::vector<uint32_t>& pixels) {
    QImage decoded;
    return bytes.size() <= size_t(INT32_MAX) &&
           decoded.loadFromData(bytes.data(), int(bytes.size())) &&
           Pixels(decoded, width, height, pixels);
}

BOOL CBitmap::LoadFromBytes(const unsigned char* data, size_t size) {
    QImage img;
    if (!LoadImageBytes(img, data, size)) return FALSE;
    m_surface = std::make_shared<Surface>(img.convertToFormat(
        img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
    return TRUE;
}
namespace {
// The decoded resource pictures (resources never change), shared by every bitmap loaded
// from them; a bitmap drawn on gets pixels of its own then (the image copies on write).
std::mutex g_resourcePicturesLock;
std::map<std::pair<std::string, UINT>, QImage> g_resourcePictures;
}  // namespace

BOOL CBitmap::LoadResourcePicture(const char* type, UINT id) {
    const std::pair<std::string, UINT> key(type ? type : "", id);
    {
        std::lock_guard lock(g_resourcePicturesLock);
        auto it = g_resourcePictures.find(key);
        if (it != g_resourcePictures.end()) {
            m_surface = std::make_shared<Surface>(it->second);
            return TRUE;
        }
    }
    // decoded outside the lock: pictures may load on more than one thread at start-up
    std::vector<unsigned char> bytes;
    if (!LoadResourceBytes(key.first, id, bytes) || !LoadFromBytes(bytes.data(), bytes.size()))
        return FALSE;
    std::lock_guard lock(g_resourcePicturesLock);
    g_resourcePictures.emplace(key, m_surface->image);
    return TRUE;
}
BOOL CBitmap::LoadBitmap(UINT id) {
    return LoadResourcePicture("BITMAP", id);
}
BOOL CBitmap::LoadFromFile(const std::string& path) {
    QFile f(ToQ(path));
    if (!f.open(QIODevice::ReadOnly)) return FALSE;
    QByteArray b = f.readAll();
    return LoadFromBytes(reinterpret_cast<const unsigned char*>(b.constData()), (size_t)b.size());
}
BOOL CBitmap::DeleteObject() {
    BOOL was = m_surface != nullptr;
    m_surface.reset();
    return was;
}
CSize CBitmap::GetSize() const {
    if (!m_surface) return CSize();
    const QSize s = m_surface->Size();
    return CSize(s.width(), s.height());
}
CSize CBitmap::GetBitmapDimension() const {
    return GetSize();
}
double CBitmap::GetPixelRatio() const {
    return m_surface ? m_surface->Ratio() : 1.0;
}
COLORREF CBitmap::GetPixel(int x, int y) const {
    if (!m_surface || !QRect(QPoint(0, 0), m_surface->Size()).contains(x, y)) return CLR_INVALID;
    const QPoint dev = m_surface->DevicePoint(QPoint(x, y));
    if (!m_surface->image.valid(dev)) return CLR_INVALID;
    return FromQRgb(m_surface->image.pixel(dev));
}
BOOL CBitmap::SavePng(const std::string& path) const {
    return m_surface && m_surface->image.save(ToQ(path), "PNG");
}

// ---- regions ----
static int RegionKind(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
CRgn::CRgn() = default;
CRgn::~CRgn() = default;
CRgn::CRgn(const CRgn& o) : m_data(o.m_data ? std::make_unique<RegionData>(*o.m_data) : nullptr) {}
CRgn& CRgn::operator=(const CRgn& o) {
    m_data = o.m_data ? std::make_unique<RegionData>(*o.m_data) : nullptr;
    return *this;
}
bool CRgn::IsNull() const {
    return !m_data;
}
BOOL CRgn::CreateRectRgn(int l, int t, int r, int b) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    m_data = std::make_unique<RegionData>();
    m_data->region = QRegion(ToQRect(rc));
    return TRUE;
}
BOOL CRgn::CreateEllipticRgn(int l, int t, int r, int b) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    m_data = std::make_unique<RegionData>();
    m_data->region = QRegion(ToQRect(rc), QRegion::Ellipse);
    return TRUE;
}
BOOL CRgn::CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    QPainterPath path;
    path.addRoundedRect(QRectF(ToQRect(rc)), w / 2.0, h / 2.0);
    m_data = std::make_unique<RegionData>();
    m_data->region = QRegion(path.toFillPolygon().toPolygon());
    return TRUE;
}
BOOL CRgn::CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
    if (!pts || count < 2) return FALSE;
    QPolygon poly;
    for (int i = 0; i < count; ++i) poly << QPoint(pts[i].x, pts[i].y);
    m_data = std::make_unique<RegionData>();
    m_data->region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return TRUE;
}
void CRgn::SetRectRgn(int l, int t, int r, int b) {
    CreateRectRgn(l, t, r, b);
}
int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
    if (!a || !a->m_data) return ERROR;
    QRegion ra = a->m_data->region, res;
    if (mode == RGN_COPY) {
        res = ra;
    } else {
        if (!b || !b->m_data) return ERROR;
        const QRegion& rb = b->m_data->region;
        switch (mode) {
            case RGN_AND:
                res = ra.intersected(rb);
                break;
            case RGN_OR:
                res = ra.united(rb);
                break;
            case RGN_XOR:
                res = ra.xored(rb);
                break;
            case RGN_DIFF:
                res = ra.subtracted(rb);
                break;
            default:
                return ERROR;
        }
    }
    if (!m_data) m_data = std::make_unique<RegionData>();
    m_data->region = res;
    return RegionKind(res);
}
BOOL CRgn::PtInRegion(int x, int y) const {
    return m_data && m_data->region.contains(QPoint(x, y));
}
BOOL CRgn::RectInRegion(LPCRECT rc) const {
    return m_data && rc && m_data->region.intersects(ToQRect(*rc));
}
int CRgn::OffsetRgn(int dx, int dy) {
    if (!m_data) return ERROR;
    m_data->region.translate(dx, dy);
    return RegionKind(m_data->region);
}
int CRgn::GetRgnBox(LPRECT rc) const {
    if (!m_data || !rc) return ERROR;
    *rc = m_data->region.isEmpty() ? RECT{0, 0, 0, 0} : FromQRect(m_data->region.boundingRect());
    return RegionKind(m_data->region);
}
BOOL CRgn::EqualRgn(const CRgn* o) const {
    return m_data && o && o->m_data && m_data->region == o->m_data->region;
}
BOOL CRgn::DeleteObject() {
    BOOL was = m_data != nullptr;
    m_data.reset();
    return was;
}
