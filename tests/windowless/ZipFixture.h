#pragma once
// Builds zip archives in memory for the tests: stored or deflated entries, with knobs to
// break what a reader must notice (CRC, disk numbers, sizes).
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

struct Entry {
    std::string name;
    std::string data;
    bool deflate = true;
    std::uint32_t crcXor = 0;        // a wrong stored CRC when not 0
    std::int64_t uncSizeDelta = 0;   // a wrong stored uncompressed size
    std::uint32_t externalAttr = 0;
};

struct Options {
    std::uint16_t thisDisk = 0;
    std::string prefix;            // bytes before the archive
    std::size_t truncateData = 0;  // bytes cut from the end of the data of the last entry
};

inline void Put16(std::string& s, std::uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string Deflate(const std::string& in) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, in.size()) + 16, '\0');
    zs.next_in = (Bytef*)in.data();
    zs.avail_in = (uInt)in.size();
    zs.next_out = (Bytef*)out.data();
    zs.avail_out = (uInt)out.size();
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

inline std::string Build(const std::vector<Entry>& entries, const Options& opt = {}) {
    std::string body, central;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        std::string comp = e.deflate ? Deflate(e.data) : e.data;
        std::uint32_t crc = (std::uint32_t)crc32(0, (const Bytef*)e.data.data(), (uInt)e.data.size()) ^ e.crcXor;
        std::uint32_t unc = std::uint32_t(std::int64_t(e.data.size()) + e.uncSizeDelta);
        std::uint32_t offset = (std::uint32_t)body.size();
        std::string local;
        Put32(local, 0x04034B50);
        Put16(local, 20);
        Put16(local, 0);
        Put16(local, e.deflate ? 8 : 0);
        Put32(local, 0x5A210000);  // a DOS date-time
        Put32(local, crc);
        Put32(local, (std::uint32_t)comp.size());
        Put32(local, unc);
        Put16(local, (std::uint32_t)e.name.size());
        Put16(local, 0);
        local += e.name;
        if (i + 1 == entries.size() && opt.truncateData) comp.resize(comp.size() - opt.truncateData);
        body += local + comp;
        Put32(central, 0x02014B50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, e.deflate ? 8 : 0);
        Put32(central, 0x5A210000);
        Put32(central, crc);
        Put32(central, (std::uint32_t)(e.deflate ? Deflate(e.data).size() : e.data.size()));
        Put32(central, unc);
        Put16(central, (std::uint32_t)e.name.size());
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttr);
        Put32(central, offset);
        central += e.name;
    }
    std::string end;
    Put32(end, 0x06054B50);
    Put16(end, opt.thisDisk);
    Put16(end, 0);
    Put16(end, (std::uint32_t)entries.size());
    Put16(end, (std::uint32_t)entries.size());
    Put32(end, (std::uint32_t)central.size());
    Put32(end, (std::uint32_t)body.size());
    Put16(end, 0);
    return opt.prefix + body + central + end;
}

inline std::string Chunk(const char* type, const std::string& data) {
    std::string out;
    auto be = [&](uint32_t v) {
        for (int i = 3; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
    };
    be((uint32_t)data.size());
    std::string body = std::string(type, 4) + data;
    out += body;
    be((uint32_t)crc32(0, (const Bytef*)body.data(), (uInt)body.size()));
    return out;
}

// An RGBA PNG of the pixels (ARGB, rows from the top).
inline std::string Png(int w, int h, const std::vector<uint32_t>& argb) {
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw += char(0);
        for (int x = 0; x < w; ++x) {
            uint32_t p = argb[size_t(y) * w + x];
            raw += char(p >> 16);
            raw += char(p >> 8);
            raw += char(p);
            raw += char(p >> 24);
        }
    }
    uLongf size = compressBound((uLong)raw.size());
    std::string z(size, '\0');
    compress2((Bytef*)z.data(), &size, (const Bytef*)raw.data(), (uLong)raw.size(), 9);
    z.resize(size);
    std::string ihdr;
    for (uint32_t v : {(uint32_t)w, (uint32_t)h})
        for (int i = 3; i >= 0; --i) ihdr += char((v >> (8 * i)) & 0xFF);
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", z) + Chunk("IEND", "");
}

}  // namespace ziptest
