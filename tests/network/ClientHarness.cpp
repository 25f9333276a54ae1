#include "ClientHarness.h"

#include <unistd.h>

#include <future>

#include "foundation/Crc16.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"

RunningLoop* TestLoop() {
    static RunningLoop* loop = CReactor::Start();
    return loop;
}

bool DrainLoop() {
    auto done = std::make_shared<std::promise<void>>();
    auto reached = done->get_future();
    if (!RunInLoop(TestLoop(), [done] { done->set_value(); })) return false;
    return reached.wait_for(std::chrono::minutes(1)) == std::future_status::ready;
}

CClientHarness::CClientHarness(std::vector<HostAddress> hosts, const HostAddress& first) {
    m_pClient = std::make_shared<CSubscriber>(std::move(hosts), TestLoop());
    m_pClient->SetHost(first.m_strHost, first.m_nPort);
    m_pClient->SetFailOver(true);
    m_pClient->m_onGiveUp = [this] { ++m_record.m_nGiveUps; };
    ClientRecord& r = m_record;
    CLoginSession::Tables tables;
    tables.m_codeTableChecksum = [&r] {
        std::lock_guard lock(r.m_mutex);
        return r.m_nHeldChecksum;
    };
    tables.m_onCodeTable = [&r](std::vector<uint8_t>* fresh) {
        std::lock_guard lock(r.m_mutex);
        if (fresh) {
            r.m_nHeldChecksum = Crc16(fresh->size(), fresh->data());
            r.m_codeTables.push_back(*fresh);
        } else {
            ++r.m_nCurrentCodeTable;
            r.m_codeTables.emplace_back();
        }
    };
    tables.m_exRightsVersion = [&r] {
        std::lock_guard lock(r.m_mutex);
        return r.m_heldVersion;
    };
    tables.m_onExRights = [&r](std::vector<uint8_t> bytes) {
        std::lock_guard lock(r.m_mutex);
        r.m_exRights.push_back(std::move(bytes));
    };
    CLoginSession::Ui ui;
    ui.m_onLoginResult = [&r](int result, const std::string& text) {
        std::lock_guard lock(r.m_mutex);
        r.m_loginResults.push_back(result);
        r.m_loginTexts.push_back(text);
    };
    ui.m_onProgress = [&r](const std::string& title, uint32_t, uint32_t,
                           CLoginSession::Ui::Step step) {
        if (step == CLoginSession::Ui::Step::kShow) ++r.m_nProgressShown;
        std::lock_guard lock(r.m_mutex);
        r.m_progress.emplace_back(title, step);
    };
    m_pSession = std::make_shared<CLoginSession>(*m_pClient, tables, ui);
    m_pSession->Install();
}

CClientHarness::~CClientHarness() {
    // Stop does not wait for the loop; the hooks below point into this harness, so a
    // callback that was running must be over before it goes.
    m_pClient->Stop();
    m_pClient.reset();
    DrainLoop();
}

CScratchHome::CScratchHome() : m_dir(ScratchDir::Enter) {
    GetAppInfo()->SetProgramDir(m_dir.Path().string());
    GetAppInfo()->UpdateClock();
    GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath());
    MarketUiHooks hooks;
    hooks.postToMainFrame = [this](uint32_t msg, uint64_t, int64_t lParam) {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(msg);
        if (msg == 0x8070 && lParam) delete[] reinterpret_cast<char*>(lParam);
    };
    SetMarketUiHooks(hooks);
}

CScratchHome::~CScratchHome() {
    SetMarketUiHooks({});
    GetDataCenter()->GetPool().Clear();
}

size_t CScratchHome::Count(uint32_t msg) {
    std::lock_guard lock(m_mutex);
    return size_t(std::count(m_messages.begin(), m_messages.end(), msg));
}
