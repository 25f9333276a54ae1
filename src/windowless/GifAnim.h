#pragma once
// A multi-frame image stretched over the control, stepping through its frames on a
// paint-manager timer, each frame staying for the delay the image stores for it. The image
// comes from the skin folder or archive, or from a plain file path.
#include <memory>
#include <vector>

#include "windowless/Control.h"

namespace WinlessUI {

// Frames of an animated GIF, or the one frame of a still image (no delays then).
struct DecodedFrames {
    int width = 0;
    int height = 0;
    std::vector<std::vector<DWORD>> frames;  // premultiplied ARGB, rows from the top
    std::vector<int> delaysMs;               // one per frame for a GIF; empty for a still image
};
// False for data that is no image, is damaged, or exceeds the skin image limits.
bool DecodeAnimation(const unsigned char* data, size_t size, DecodedFrames* out);

class CGifAnimUI : public CControlUI {
public:
    static constexpr UINT kFrameTimerId = 100;
    CGifAnimUI() = default;
    ~CGifAnimUI() override;
    const char* GetClassName() const override { return "GifAnimUI"; }
    void* GetInterface(const char* name) override;
    void SetVisible(bool visible = true) override;
    void OnInitialise() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;

    void SetBkImage(const char* name);
    const CUIString& GetBkImage() const { return m_sBkImage; }
    void SetAutoPlay(bool on) { m_bIsAutoPlay = on; }
    bool IsAutoPlay() const { return m_bIsAutoPlay; }
    void SetAutoSize(bool on) { m_bIsAutoSize = on; }
    bool IsAutoSize() const { return m_bIsAutoSize; }
    void StartAnimation();
    void StopAnimation();
    bool IsPlaying() const { return m_bIsPlaying; }
    bool IsLoaded() const { return !m_frames.empty(); }
    UINT GetFrameCount() const { return (UINT)m_frames.size(); }
    UINT GetCurrentFrame() const { return m_nFramePosition; }
    // The delay of a frame in milliseconds as the timer uses it (100 for a stored 0).
    UINT FrameDelay(UINT frame) const;

protected:
    bool LoadFrames();
    bool ReadImageBytes(std::string* out) const;
    void Release();

    std::vector<std::unique_ptr<CBitmap>> m_frames;
    std::vector<int> m_delays;
    int m_nWidth = 0;
    int m_nHeight = 0;
    UINT m_nFramePosition = 0;
    CUIString m_sBkImage;
    bool m_bIsAutoPlay = true;
    bool m_bIsAutoSize = false;
    bool m_bIsPlaying = false;
};

}  // namespace WinlessUI
