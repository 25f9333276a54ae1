#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"

namespace {
class ShellEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
        GetCommonVar()->Init();
        SetDefaultCommonColours(GetCommonVar()->Colors());
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);
}  // namespace

CTestHost::CTestHost(int width, int height) {
    CreateEx(0, nullptr, "host", WS_OVERLAPPED, CRect(0, 0, width, height), nullptr, 0);
    ShowWindow(SW_SHOW);
    m_root = std::make_unique<CLayoutManager>(this, nullptr);
}

CTestHost::~CTestHost() {
    m_root.reset();
    if (m_hWnd) DestroyWindow();
}

void CTestHost::RecalcLayout() {
    ++m_relayouts;
    CRect rc;
    GetClientRect(&rc);
    m_root->Recalc(rc);
}

void RegisterRecordingElement() {
    RegisterElementType("RecordingElement", [] { return std::make_unique<CRecordingElement>(); });
}

void Pump() {
    platform::ProcessPendingEvents();
}
