#pragma once
// The worker that parses the downloaded security list off the network thread, then
// tells the main frame (UM_CODELIST_READY) that the list is complete.

#include <mutex>

#include "foundation/MyThread.h"

class CDealCodeThread : public CMyThread {
public:
    ~CDealCodeThread() override;

    // Parses the held code table on the worker. A request while a parse runs is not
    // lost: the worker parses again when it is done.
    void StartParse();

protected:
    int Run() override;

private:
    std::mutex m_lock;
    bool m_bPending = false;
    bool m_bRunning = false;
};
