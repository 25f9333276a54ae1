#include "windowless/GifAnim.h"

#include <stb/stb_image.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "windowless/Render.h"
#include "windowless/SkinImage.h"

namespace WinlessUI {
namespace {

// All frames of one animation together: a hostile file may carry any number of them.
constexpr int64_t kMaxAnimationPixels = 64 * 1024 * 1024;

void Premultiply(const unsigned char* src, size_t count, std::vector<DWORD>* out) {
    out->resize(count);
    for (size_t i = 0; i < count; ++i, src += 4) {
        DWORD a = src[3];
        (*out)[i] = (a << 24) | ((src[0] * a / 255) << 16) | ((src[1] * a / 255) << 8) | (src[2] * a / 255);
    }
}

// Image descriptors in the block structure; -1 when the structure runs past the data.
int CountGifFrames(const unsigned char* data, size_t size) {
    size_t pos = 13;
    if (size < pos) return -1;
    auto skipTable = [&](unsigned char flags) {
        if (flags & 0x80) pos += size_t(3) << ((flags & 7) + 1);
    };
    auto skipSubBlocks = [&]() {
        while (pos < size) {
            unsigned char n = data[pos++];
            if (n == 0) return true;
            pos += n;
        }
        return false;
    };
    skipTable(data[10]);
    int frames = 0;
    while (pos < size) {
        unsigned char block = data[pos++];
        if (block == 0x3B) return frames;
        if (block == 0x21) {
            if (++pos > size || !skipSubBlocks()) return -1;
        } else if (block == 0x2C) {
            if (pos + 9 > size) return -1;
            unsigned char flags = data[pos + 8];
            pos += 9;
            skipTable(flags);
            if (++pos > size || !skipSubBlocks()) return -1;
            ++frames;
        } else {
            return frames > 0 ? frames : -1;
        }
    }
    return frames > 0 ? frames : -1;
}

}  // namespace

bool DecodeAnimation(const unsigned char* data, size_t size, DecodedFrames* out) {
    *out = DecodedFrames{};
    if (data == nullptr || size < 6 || size > size_t(INT_MAX)) return false;
    if (memcmp(data, "GIF87a", 6) != 0 && memcmp(data, "GIF89a", 6) != 0) {
        // A still image: its one frame, and no delays, so it never plays.
        SkinRgba rgba;
        if (!DecodeSkinRgba(data, size, &rgba)) return false;
        out->width = rgba.width;
        out->height = rgba.height;
        out->frames.emplace_back();
        Premultiply(rgba.pixels.get(), size_t(rgba.width) * rgba.height, &out->frames.back());
        return true;
    }
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &comp)) return false;
    if (w <= 0 || h <= 0 || w > kMaxSkinImageSide || h > kMaxSkinImageSide || int64_t(w) * h > kMaxSkinImagePixels)
        return false;
    // The decoder keeps every frame in memory: count them from the blocks first.
    const int frames = CountGifFrames(data, size);
    if (frames <= 0 || int64_t(w) * h * frames > kMaxAnimationPixels) return false;
    int* delays = nullptr;
    int dw = 0, dh = 0, layers = 0;
    unsigned char* pixels = stbi_load_gif_from_memory(data, int(size), &delays, &dw, &dh, &layers, &comp, 4);
    if (pixels == nullptr) {
        stbi_image_free(delays);
        return false;
    }
    bool ok = dw == w && dh == h && layers > 0 && int64_t(w) * h * layers <= kMaxAnimationPixels;
    if (ok) {
        out->width = w;
        out->height = h;
        const size_t frame = size_t(w) * h;
        for (int i = 0; i < layers; ++i) {
            out->frames.emplace_back();
            Premultiply(pixels + frame * 4 * i, frame, &out->frames.back());
            out->delaysMs.push_back(delays ? std::max(0, delays[i]) : 0);
        }
    }
    stbi_image_free(pixels);
    stbi_image_free(delays);
    return ok;
}

CGifAnimUI::~CGifAnimUI() {
    if (m_pManager) m_pManager->KillControlTimer(this, kFrameTimerId);
}

void* CGifAnimUI::GetInterface(const char* name) {
    if (strcmp(name, "GifAnim") == 0) return this;
    return CControlUI::GetInterface(name);
}

UINT CGifAnimUI::FrameDelay(UINT frame) const {
    if (frame >= m_delays.size() || m_delays[frame] <= 0) return 100;
    return UINT(m_delays[frame]);
}

void CGifAnimUI::Release() {
    m_frames.clear();
    m_delays.clear();
    m_nFramePosition = 0;
}

void CGifAnimUI::SetBkImage(const char* name) {
    if (name == nullptr || m_sBkImage == name) return;
    m_sBkImage = name;
    StopAnimation();
    Release();
    Invalidate();
}

void CGifAnimUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "bkimage") == 0) SetBkImage(value);
    else if (strcmp(name, "autoplay") == 0) SetAutoPlay(ParseBool(value));
    else if (strcmp(name, "autosize") == 0) SetAutoSize(ParseBool(value));
    else CControlUI::SetAttribute(name, value);
}

bool CGifAnimUI::ReadImageBytes(std::string* out) const {
    if (m_sBkImage.IsEmpty()) return false;
    if (CUIPaintManager::ReadResourceFile(m_sBkImage, nullptr, out) && !out->empty()) return true;
    std::ifstream file(m_sBkImage.GetData(), std::ios::binary);
    if (!file) return false;
    out->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !out->empty();
}

bool CGifAnimUI::LoadFrames() {
    std::string bytes;
    if (!ReadImageBytes(&bytes)) return false;
    DecodedFrames decoded;
    if (!DecodeAnimation(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &decoded)) return false;
    Release();
    for (auto& pixels : decoded.frames)
        m_frames.push_back(CRenderEngine::CreateArgbBitmap(decoded.width, decoded.height, pixels.data()));
    m_delays = std::move(decoded.delaysMs);
    m_nWidth = decoded.width;
    m_nHeight = decoded.height;
    if (m_bIsAutoSize) {
        SetFixedWidth(m_nWidth);
        SetFixedHeight(m_nHeight);
    }
    if (m_bIsAutoPlay) StartAnimation();
    return true;
}

void CGifAnimUI::OnInitialise() {
    if (m_frames.empty()) LoadFrames();
}

void CGifAnimUI::StartAnimation() {
    // A still image (no delays) is shown as it is and never plays.
    if (m_bIsPlaying || m_frames.empty() || m_delays.empty() || m_pManager == nullptr) return;
    if (m_pManager->SetControlTimer(this, kFrameTimerId, FrameDelay(m_nFramePosition))) m_bIsPlaying = true;
}

void CGifAnimUI::StopAnimation() {
    if (!m_bIsPlaying) return;
    if (m_pManager) m_pManager->KillControlTimer(this, kFrameTimerId);
    m_nFramePosition = 0;
    Invalidate();
    m_bIsPlaying = false;
}

void CGifAnimUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (visible) StartAnimation();
    else StopAnimation();
}

void CGifAnimUI::HandleEvent(UIEvent& event) {
    if (event.Type != UIEVENT_TIMER || event.wParam != kFrameTimerId || m_frames.empty()) return;
    if (m_pManager) m_pManager->KillControlTimer(this, kFrameTimerId);
    Invalidate();
    m_nFramePosition = (m_nFramePosition + 1) % m_frames.size();
    if (m_pManager) m_pManager->SetControlTimer(this, kFrameTimerId, FrameDelay(m_nFramePosition));
}

void CGifAnimUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!IntersectRect(&m_rcPaint, rcPaint, m_rcItem)) return;
    if (m_frames.empty()) LoadFrames();
    if (dc == nullptr || m_frames.empty()) return;
    CBitmap* frame = m_frames[m_nFramePosition % m_frames.size()].get();
    if (frame == nullptr) return;
    CRenderEngine::DrawImage(dc, frame, m_rcItem, m_rcPaint, RECT{0, 0, m_nWidth, m_nHeight}, RECT{0, 0, 0, 0}, true);
}

}  // namespace WinlessUI
