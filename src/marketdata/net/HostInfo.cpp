#include "marketdata/net/HostInfo.h"

#include <tinyxml2.h>

#include "foundation/AtomicFile.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

bool CHostInfo::Load(const std::string& path) {
    tinyxml2::XMLDocument doc;
    XmlLoadResult result = LoadXmlFile(doc, path);
    if (result == XmlLoadResult::Damaged) KeepAside(path);
    if (result != XmlLoadResult::Ok || !doc.RootElement()) return false;
    const tinyxml2::XMLElement* list = doc.RootElement()->FirstChildElement("HostList");
    if (!list) return false;
    for (const tinyxml2::XMLElement* item = list->FirstChildElement("item"); item;
         item = item->NextSiblingElement("item")) {
        stHostDesc host;
        host.name = GetXmlAttrString(item, "name");
        host.ip = GetXmlAttrString(item, "ip");
        const int port = GetXmlAttrInt(item, "port");
        host.port = (port > 0 && port <= 65535) ? uint16_t(port) : 0;
        m_addresses.push_back({host.ip, host.port});
        m_hosts.push_back(std::move(host));
    }
    return true;
}

bool CHostInfo::Save(const std::string& path) const {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    tinyxml2::XMLElement* root = doc.NewElement("HostInfo");
    doc.InsertEndChild(root);
    tinyxml2::XMLElement* list = root->InsertNewChildElement("HostList");
    for (const stHostDesc& host : m_hosts) {
        tinyxml2::XMLElement* item = list->InsertNewChildElement("item");
        SetXmlAttrString(item, "name", host.name);
        SetXmlAttrString(item, "ip", host.ip);
        SetXmlAttrInt(item, "port", host.port);
    }
    return SaveXmlFile(doc, path);
}
