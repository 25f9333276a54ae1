#pragma once
// Overlays and message actions of a chart window. The window does not interpret input
// itself: every mouse, key, text, command and user-message event becomes a message code
// with an argument block, offered to the overlays' action chains in a fixed order until
// one action claims it.
//
// Dispatch order: for action index 0, 1, 2, 3, each overlay in the window's array order
// (drawing tools, chart, tip) is asked for its action at that index. All index-0 actions
// are asked before any index-1 action, so with the standard chains the order is
// drawing-tool 1, chart 1, tip 1, drawing-tool 2, chart 2, drawing-tool 3, chart 3,
// drawing-tool 4. The first non-zero return ends the dispatch.

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class CKlineChartWnd;
class CCmdUI;

namespace chart {

// Message codes.
enum OverlayMsg : int {
    kMsgLButtonDown = 0,
    kMsgLButtonUp = 1,
    kMsgMouseMove = 2,
    kMsgMouseHover = 3,
    kMsgMouseLeave = 4,
    kMsgLButtonDblClk = 5,
    kMsgRButtonUp = 6,
    kMsgKeyDown = 7,
    kMsgTypedText = 8,
    kMsgCommand = 9,
    kMsgUpdateCommand = 10,
    kMsgUserMessage = 11,
};

// Modifier bits of a key-down block.
inline constexpr int kModCtrl = 1;
inline constexpr int kModAlt = 2;
inline constexpr int kModShift = 4;

inline constexpr size_t kTextBlockSize = 100;

// The argument block of every code; a code reads only its own fields. The result starts
// at 0 and is what the window's handler returns when an action claims the message.
struct OverlayMsgArgs {
    // Mouse (0, 1, 2, 5, 6): flags, x, y in client coordinates.
    int flags = 0;
    int x = 0;
    int y = 0;
    // Key down (7): virtual-key code, repeat count (at least 1), modifiers.
    int key = 0;
    int count = 1;
    int modifiers = 0;
    // Typed text (8): value (1 a typed code, 2 an indicator or style shortcut) and the
    // text, zero-filled, at most 100 bytes.
    int value = 0;
    std::array<char, kTextBlockSize + 1> text{};
    // Command (9): id and second argument; update (10): the command-UI object.
    int commandId = 0;
    int commandArg = 0;
    CCmdUI* cmdUI = nullptr;
    // User message (11).
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    int64_t result = 0;

    std::string Text() const { return std::string(text.data()); }
    // Copies text into the block. Text longer than the block is cut at the last whole
    // UTF-8 character that fits, so a long name still reaches the actions. Returns the
    // number of bytes kept.
    size_t SetText(const std::string& s) {
        size_t n = s.size();
        if (n > kTextBlockSize) {
            n = kTextBlockSize;
            // Back off continuation bytes (10xxxxxx) to the start of a character.
            while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        }
        text.fill(0);
        std::memcpy(text.data(), s.data(), n);
        return n;
    }
};

class PicOverlay;

class POMsgAction {
public:
    explicit POMsgAction(PicOverlay* overlay) : m_pOverlay(overlay) {}
    virtual ~POMsgAction() = default;
    // Non-zero when the action claims the message.
    virtual int OnMsg(int type, OverlayMsgArgs& args) { return 0; }
    PicOverlay* GetOverlay() const { return m_pOverlay; }

protected:
    PicOverlay* m_pOverlay;
};

// Overlay kinds.
inline constexpr int kOverlayDrawTool = 0;
inline constexpr int kOverlayChart = 1;
inline constexpr int kOverlayTip = 2;

class PicOverlay {
public:
    PicOverlay(CKlineChartWnd* owner, int kind) : m_pOwner(owner), m_nKind(kind) {}
    virtual ~PicOverlay() = default;
    // After the window's data layer was reset (period, ex-rights mode or security).
    virtual void Reset() {}
    // Builds the action chain; called once, after all three overlays exist.
    virtual void CreateActions() {}

    CKlineChartWnd* GetOwner() const { return m_pOwner; }
    int GetKind() const { return m_nKind; }

    // Only the first four actions are ever consulted.
    std::vector<std::shared_ptr<POMsgAction>> m_aActions;

    // Offers typed text (cut to the block) to the action at index; false when there is no
    // action there.
    bool SendText(const std::string& text, size_t actionIndex, int value, int64_t& result);

protected:
    CKlineChartWnd* m_pOwner;
    int m_nKind;
};

inline constexpr size_t kDispatchDepth = 4;

// The dispatch rule; true when an action claimed the message (args.result holds its
// answer).
bool DispatchOverlayMessage(const std::vector<std::shared_ptr<PicOverlay>>& overlays, int type,
                            OverlayMsgArgs& args);

}  // namespace chart
