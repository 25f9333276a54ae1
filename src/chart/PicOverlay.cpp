#include "chart/PicOverlay.h"

namespace chart {

bool PicOverlay::SendText(const std::string& text, size_t actionIndex, int value,
                          int64_t& result) {
    if (actionIndex >= m_aActions.size() || !m_aActions[actionIndex]) return false;
    OverlayMsgArgs args;
    args.SetText(text);
    args.value = value;
    const int handled = m_aActions[actionIndex]->OnMsg(kMsgTypedText, args);
    result = args.result;
    return handled != 0;
}

bool DispatchOverlayMessage(const std::vector<std::shared_ptr<PicOverlay>>& overlays, int type,
                            OverlayMsgArgs& args) {
    for (size_t index = 0; index < kDispatchDepth; ++index)
        for (const auto& overlay : overlays) {
            if (!overlay || overlay->m_aActions.size() <= index) continue;
            const auto& action = overlay->m_aActions[index];
            if (action && action->OnMsg(type, args)) return true;
        }
    return false;
}

}  // namespace chart
