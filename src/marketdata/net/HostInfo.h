#pragma once
// The local list of market-data servers, "HostInfo.xml" in the program directory:
//   <HostInfo><HostList><item name="..." ip="..." port="..."/>...</HostList></HostInfo>
// Loaded once at start (its addresses become the network client's fail-over list) and
// written back at exit. Declared gb2312; written atomically.
#include <cstdint>
#include <string>
#include <vector>

#include "marketdata/net/Subscriber.h"

struct stHostDesc {
    std::string name;
    std::string ip;
    uint16_t port = 0;
    // Two fields the file format never fills; kept for copies member by member.
    uint16_t speed = 0;
    uint8_t load = 0;
    friend bool operator==(const stHostDesc&, const stHostDesc&) = default;
};

class CHostInfo {
public:
    static constexpr const char* kFileName = "HostInfo.xml";

    // Appends every "item" of the first "HostList" of the root (whatever the root's name).
    // A missing or damaged file, or no "HostList", leaves the list empty (a damaged file
    // is kept aside so that the save at exit cannot overwrite it). False then.
    bool Load(const std::string& path = kFileName);
    // Writes the list (the whole file). False when it could not be written.
    bool Save(const std::string& path = kFileName) const;

    std::vector<stHostDesc> m_hosts;      // what the dialogs show and edit, and what is saved
    std::vector<HostAddress> m_addresses;  // (ip, port) of each loaded entry, in file order
};
