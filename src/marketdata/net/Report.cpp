#include "marketdata/net/Report.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/dns.h>
#include <event2/http.h>
#include <event2/keyvalq_struct.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <nlohmann/json.hpp>

#include "foundation/Config.h"
#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/LoginSession.h"
#include "marketdata/net/NetLog.h"

namespace {
std::mutex g_urlMutex;
std::string g_url;
bool g_urlSet = false;

nlohmann::json UsageFields(int action, int trainingClass) {
    nlohmann::json j;
    j["action"] = action;
    j["class"] = trainingClass;
    j["ip"] = GetHostIpText();
    j["mac"] = GetMacAddressText();
    j["time"] = static_cast<int64_t>(std::time(nullptr));
    j["ver"] = __DATE__;
    j["xy"] = GetAccountName();
    return j;
}

struct ReportRequest {
    evhttp_connection* m_pConnection = nullptr;
    ReportDone m_done;
    RunningLoop* m_pLoop = nullptr;
};

void OnReportAnswer(evhttp_request* request, void* arg) {
    auto* ctx = static_cast<ReportRequest*>(arg);
    int status = request ? evhttp_request_get_response_code(request) : 0;
    if (status != 200) NetLog("report not accepted (HTTP status " + std::to_string(status) + ")");
    if (ctx->m_done) ctx->m_done(status);
    // The connection may not be freed inside its own callback.
    evhttp_connection* connection = ctx->m_pConnection;
    RunInLoop(ctx->m_pLoop, [connection] { evhttp_connection_free(connection); });
    delete ctx;
}

// An asynchronous resolver for service names, so that a slow name server never holds the
// network thread. One per loop, made on first use; addresses need none.
evdns_base* ResolverFor(RunningLoop* loop, const char* host) {
    in_addr numeric{};
    if (inet_pton(AF_INET, host, &numeric) == 1) return nullptr;
    static event_base* s_pBase = nullptr;
    static evdns_base* s_pResolver = nullptr;
    if (s_pBase != loop->m_pBase) {
        s_pBase = loop->m_pBase;
        s_pResolver = evdns_base_new(loop->m_pBase, EVDNS_BASE_INITIALIZE_NAMESERVERS);
    }
    return s_pResolver;
}

void StartPost(RunningLoop* loop, const std::string& url, const std::string& body,
               ReportDone done) {
    evhttp_uri* uri = evhttp_uri_parse(url.c_str());
    const char* host = uri ? evhttp_uri_get_host(uri) : nullptr;
    const char* scheme = uri ? evhttp_uri_get_scheme(uri) : nullptr;
    if (!uri || !host || !scheme || std::string(scheme) != "http") {
        NetLog("report URL not usable: " + url);
        if (uri) evhttp_uri_free(uri);
        if (done) done(0);
        return;
    }
    int port = evhttp_uri_get_port(uri);
    if (port < 0) port = 80;
    std::string path = evhttp_uri_get_path(uri) && *evhttp_uri_get_path(uri)
                           ? evhttp_uri_get_path(uri)
                           : "/action/msg";

    auto* ctx = new ReportRequest;
    ctx->m_done = std::move(done);
    ctx->m_pLoop = loop;
    ctx->m_pConnection =
        evhttp_connection_base_new(loop->m_pBase, ResolverFor(loop, host), host, uint16_t(port));
    evhttp_connection_set_timeout(ctx->m_pConnection, 15);
    evhttp_request* request = evhttp_request_new(OnReportAnswer, ctx);
    evkeyvalq* headers = evhttp_request_get_output_headers(request);
    std::string hostHeader = std::string(host) + ":" + std::to_string(port);
    evhttp_add_header(headers, "Host", hostHeader.c_str());
    evhttp_add_header(headers, "User-Agent", "mvr training client");
    evhttp_add_header(headers, "Content-Type", "application/text");
    evbuffer_add(evhttp_request_get_output_buffer(request), body.data(), body.size());
    evhttp_uri_free(uri);
    if (evhttp_make_request(ctx->m_pConnection, request, EVHTTP_REQ_POST, path.c_str()) != 0) {
        // libevent has freed the request; report and clean up here.
        NetLog("report could not be sent to " + url);
        if (ctx->m_done) ctx->m_done(0);
        evhttp_connection_free(ctx->m_pConnection);
        delete ctx;
    }
}
}  // namespace

void SetReportUrl(const std::string& url) {
    std::lock_guard lock(g_urlMutex);
    g_url = url;
    g_urlSet = true;
}

std::string GetReportUrl() {
    {
        std::lock_guard lock(g_urlMutex);
        if (g_urlSet) return g_url;
    }
    return GetConfigString("system", "report", "url", "");
}

std::string BuildUsageReport(int action, int trainingClass) {
    // The account name is the server's text as it came: bytes that are not UTF-8 are
    // replaced rather than losing the report.
    return UsageFields(action, trainingClass)
        .dump(3, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string BuildTrainingResult(uint32_t beginDate, uint32_t endDate, int32_t trainDays,
                                double beginCapital, double endCapital, double rate,
                                const std::string& stockNameUtf8) {
    nlohmann::json j = UsageFields(3, 0);
    j["BeginDate"] = beginDate;
    j["EndDate"] = endDate;
    j["TrainDays"] = trainDays;
    j["BeginCaptial"] = beginCapital;
    j["EndinCaptial"] = endCapital;
    j["CaptialRate"] = rate;
    j["StockName"] = stockNameUtf8;
    return j.dump(3, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool PostHttpMessage(const std::string& body, ReportDone done) {
    std::string url = GetReportUrl();
    RunningLoop* loop = CReactor::GetLoop();
    if (url.empty() || !loop) return false;
    return RunInLoop(loop, [loop, url, body, done = std::move(done)]() mutable {
        StartPost(loop, url, body, std::move(done));
    });
}

bool SendUsageAction(int action, int trainingClass, ReportDone done) {
    return PostHttpMessage(BuildUsageReport(action, trainingClass), std::move(done));
}

bool SendTrainingResult(uint32_t beginDate, uint32_t endDate, int32_t trainDays,
                        double beginCapital, double endCapital, double rate,
                        const std::string& stockNameUtf8, ReportDone done) {
    return PostHttpMessage(BuildTrainingResult(beginDate, endDate, trainDays, beginCapital,
                                               endCapital, rate, stockNameUtf8),
                           std::move(done));
}

namespace {
// The text `format` makes of the first interface address of the family that is not a
// loopback; format passes over an address by returning an empty text.
template <class Format>
std::string FirstInterfaceText(int family, Format format) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "";
    std::string found;
    for (ifaddrs* it = list; it && found.empty(); it = it->ifa_next)
        if (it->ifa_addr && it->ifa_addr->sa_family == family && !(it->ifa_flags & IFF_LOOPBACK))
            found = format(*it->ifa_addr);
    freeifaddrs(list);
    return found;
}
}  // namespace

std::string GetHostIpText() {
    return FirstInterfaceText(AF_INET, [](const sockaddr& addr) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(addr).sin_addr, text, sizeof text);
        return std::string(text);
    });
}

std::string GetMacAddressText() {
    return FirstInterfaceText(AF_PACKET, [](const sockaddr& addr) {
        const auto& link = reinterpret_cast<const sockaddr_ll&>(addr);
        const unsigned char* a = link.sll_addr;
        if (link.sll_halen != 6 || !(a[0] | a[1] | a[2] | a[3] | a[4] | a[5])) return std::string();
        char text[18];
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3],
                      a[4], a[5]);
        return std::string(text);
    });
}
