#include "marketdata/DealCodeThread.h"

#include "marketdata/AppInfo.h"
#include "marketdata/MarketHooks.h"

CDealCodeThread::~CDealCodeThread() {
    Stop();
}

void CDealCodeThread::StartParse() {
    {
        std::lock_guard lock(m_lock);
        m_bPending = true;
        if (m_bRunning) return;  // the running parse picks it up
        m_bRunning = true;
    }
    if (!Start(-1)) {
        // The previous run has left its loop but its thread has not ended yet.
        Stop();
        Start(-1);
    }
}

int CDealCodeThread::Run() {
    for (;;) {
        {
            std::lock_guard lock(m_lock);
            if (!m_bPending || IsStopRequested()) {
                m_bRunning = false;
                return 0;
            }
            m_bPending = false;
        }
        CAppInfo* info = GetAppInfo();
        info->RecomputeChecksum();
        if (ParseCodeTable(info->GetCodeTable(), true)) PostToMainFrame(UM_CODELIST_READY, 0, 0);
    }
}
