#pragma once
// A network client as the application wires it, with the tables and the user interface
// replaced by recorders.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "common/ScratchDir.h"
#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/LoginSession.h"
#include "marketdata/net/Subscriber.h"

struct ClientRecord {
    std::mutex m_mutex;
    std::vector<int> m_loginResults;
    std::vector<std::string> m_loginTexts;
    std::vector<std::vector<uint8_t>> m_codeTables;  // empty entry: "current"
    std::vector<std::vector<uint8_t>> m_exRights;
    std::atomic<int> m_nCurrentCodeTable{0};
    std::atomic<int> m_nProgressShown{0};
    // Every popup step of the downloads: title and step, in order.
    std::vector<std::pair<std::string, CLoginSession::Ui::Step>> m_progress;
    std::atomic<int> m_nGiveUps{0};
    uint16_t m_nHeldChecksum = 0;
    std::pair<uint32_t, uint32_t> m_heldVersion{0, 0};

    size_t CodeTables() {
        std::lock_guard lock(m_mutex);
        return m_codeTables.size();
    }
    size_t ExRights() {
        std::lock_guard lock(m_mutex);
        return m_exRights.size();
    }
    std::vector<std::pair<std::string, CLoginSession::Ui::Step>> Progress() {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    size_t Logins() {
        std::lock_guard lock(m_mutex);
        return m_loginResults.size();
    }
};

class CClientHarness {
public:
    explicit CClientHarness(std::vector<HostAddress> hosts, const HostAddress& first);
    ~CClientHarness();

    CSubscriber& Client() { return *m_pClient; }
    ClientRecord& Record() { return m_record; }
    void Connect() { m_pClient->Connect(); }

private:
    ClientRecord m_record;
    std::shared_ptr<CSubscriber> m_pClient;
    std::shared_ptr<CLoginSession> m_pSession;
};

// The process's network thread, started once for the whole test program.
RunningLoop* TestLoop();
// Returns once the test loop has run everything posted before the call, so that no
// callback of a client stopped before is still running (test code holds no lock the
// loop could wait for). False when the loop did not get there within a minute.
bool DrainLoop();

// A scratch Tarrow home made current, with the data centre's stores opened in it, and the
// messages the market data posts to the main frame recorded.
class CScratchHome {
public:
    CScratchHome();
    ~CScratchHome();
    const std::filesystem::path& Path() const { return m_dir.Path(); }
    size_t Count(uint32_t msg);

private:
    ScratchDir m_dir;
    std::mutex m_mutex;
    std::vector<uint32_t> m_messages;
};
