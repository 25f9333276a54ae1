#include "marketdata/net/MarketLink.h"

#include <cstring>

#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DealCodeThread.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/NetLog.h"
#include "marketdata/net/Report.h"

CMarketLink::CMarketLink(std::vector<HostAddress> hosts, RunningLoop* loop)
    : m_pSubscriber(std::make_shared<CSubscriber>(std::move(hosts), loop)),
      m_pDealCode(std::make_shared<CDealCodeThread>()) {
    std::weak_ptr<CDealCodeThread> dealCode = m_pDealCode;
    CLoginSession::Tables tables;
    tables.m_codeTableChecksum = [] { return GetAppInfo()->GetCodeTableChecksum(); };
    tables.m_onCodeTable = [dealCode](std::vector<uint8_t>* fresh) {
        CAppInfo* info = GetAppInfo();
        if (fresh) {
            info->SetCodeTable(std::move(*fresh));
            // Kept at once: a crash later must not cost the next start its security list.
            if (!info->SaveCodeTable()) NetLog("code.dat could not be written");
        }
        // Gone when the link has been taken down meanwhile: nobody wants the parse then.
        if (std::shared_ptr<CDealCodeThread> parser = dealCode.lock()) parser->StartParse();
    };
    tables.m_exRightsVersion = [] {
        CAllCQData* table = GetAllCQData();
        return std::make_pair(table->GetVersion1(), table->GetVersion2());
    };
    tables.m_exRightsReply = [](CBuffer& body) { return GetAllCQData()->OnCQReply(body); };
    tables.m_onExRightsDone = [](bool changed) {
        if (changed && !GetAllCQData()->Save()) NetLog("cq.dat could not be written");
    };

    CLoginSession::Ui ui;
    ui.m_onLoginResult = [](int result, const std::string& text) {
        if (result == 1) {
            PostToMainFrame(UM_SERVER_TEXT, 1, 0);
            return;
        }
        if (!HasMainFrame()) return;
        char* copy = new char[text.size() + 1];
        std::memcpy(copy, text.c_str(), text.size() + 1);
        PostToMainFrame(UM_SERVER_TEXT, uint64_t(int64_t(int8_t(result))),
                        reinterpret_cast<int64_t>(copy));
    };
    ui.m_onProgress = [](const std::string& title, uint32_t total, uint32_t received,
                         CLoginSession::Ui::Step step) {
        if (!HasMainFrame()) return;
        switch (step) {
            case CLoginSession::Ui::Step::kShow:
                // The position keeps its value until the next chunk.
                SetDownloadRange(title, total);
                PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 0);
                break;
            case CLoginSession::Ui::Step::kAdvance:
                SetDownloadPosition(received);
                break;
            case CLoginSession::Ui::Step::kHide:
                PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
                break;
        }
    };
    ui.m_onLoggedIn = [] { SendUsageAction(1, 0); };

    m_pSession = std::make_shared<CLoginSession>(*m_pSubscriber, std::move(tables), std::move(ui));
    m_pSession->Install();
    m_pSubscriber->m_onGiveUp = [] { PostToMainFrame(UM_LOGIN, 0, 0); };
    SetSubscriber(m_pSubscriber.get());
}

CMarketLink::~CMarketLink() {
    Stop();
    if (::GetSubscriber() == m_pSubscriber.get()) SetSubscriber(nullptr);
}

void CMarketLink::Connect(const std::string& host, uint16_t port) {
    m_pSubscriber->SetHost(host, port);
    m_pSubscriber->Connect();
    m_pSubscriber->SetFailOver(true);
}

void CMarketLink::Stop() {
    m_pSubscriber->Stop();
    m_pDealCode->Stop();
}
