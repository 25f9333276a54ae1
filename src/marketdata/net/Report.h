#pragma once
// Usage and training-result reports: small JSON objects posted to the message service's
// "/action/msg". They go out on the network thread through libevent's HTTP client and
// never block the caller; the answer is read and ignored, failures are only logged.
//
// The service's URL is a setting: "system" / "report" / "url" in appconfig.xml, or
// SetReportUrl. Without one, reports are not sent.

#include <cstdint>
#include <functional>
#include <string>

// Called on the network thread with the HTTP status (0 when there was no answer).
using ReportDone = std::function<void(int status)>;

void SetReportUrl(const std::string& url);
std::string GetReportUrl();

// The JSON texts, with their keys in byte order (the service expects the names as they
// stand, misspellings included).
std::string BuildUsageReport(int action, int trainingClass);
std::string BuildTrainingResult(uint32_t beginDate, uint32_t endDate, int32_t trainDays,
                                double beginCapital, double endCapital, double rate,
                                const std::string& stockNameUtf8);

// Queue the report on the network thread. True when it was queued (a URL is set and the
// network thread runs); the outcome reaches done, when given.
bool SendUsageAction(int action, int trainingClass, ReportDone done = {});
bool SendTrainingResult(uint32_t beginDate, uint32_t endDate, int32_t trainDays,
                        double beginCapital, double endCapital, double rate,
                        const std::string& stockNameUtf8, ReportDone done = {});
bool PostHttpMessage(const std::string& body, ReportDone done = {});

// First IPv4 address of a non-loopback interface, "" when none.
std::string GetHostIpText();
// Hardware address of the first non-loopback interface, "AA-BB-CC-DD-EE-FF", "" when none.
std::string GetMacAddressText();
