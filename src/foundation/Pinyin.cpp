#include "foundation/Pinyin.h"

#include <algorithm>

namespace {

// "重庆板块" reads its first character as chong only in this board name.
constexpr std::string_view kChongqingBoard = "\xD6\xD8\xC7\xEC\xB0\xE5\xBF\xE9";

// True when the two-byte character occurs in `entry` after its leading letter. Only whole
// characters count: a trail byte and the next lead byte never form a false match.
bool EntryContains(std::string_view entry, unsigned char lead, unsigned char trail) {
    for (size_t i = 1; i + 1 < entry.size(); i += 2) {
        if (static_cast<unsigned char>(entry[i]) == lead &&
            static_cast<unsigned char>(entry[i + 1]) == trail)
            return true;
    }
    return false;
}

template <typename Entries>
void BuildImpl(std::string_view gbk, std::vector<std::string>& out, const Entries& level2Groups,
               const Entries& polyphonic) {
    out.clear();
    size_t nul = gbk.find('\0');
    if (nul != std::string_view::npos) gbk = gbk.substr(0, nul);
    const bool isChongqingBoard = gbk == kChongqingBoard;

    std::vector<std::string> candidates(1);
    auto appendAll = [&](char letter) {
        for (std::string& c : candidates) c.push_back(letter);
    };

    for (size_t i = 0; i < gbk.size(); ++i) {
        auto byte = static_cast<unsigned char>(gbk[i]);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z')) {
            appendAll(static_cast<char>(byte));
            continue;
        }
        if (byte >= 'a' && byte <= 'z') {
            appendAll(static_cast<char>(byte - 'a' + 'A'));
            continue;
        }
        if (byte < 0x80 || i + 1 >= gbk.size()) continue;

        auto trail = static_cast<unsigned char>(gbk[i + 1]);
        uint16_t code = static_cast<uint16_t>(byte << 8 | trail);
        ++i;  // the trail byte belongs to this character

        std::string initials;
        for (const PinyinRow& row : kPinyinRows) {
            if ((code >= row.first && code <= row.last) || code == row.fullWidthCapital) {
                initials.push_back(row.letter);
                break;
            }
        }
        if (initials.empty()) {
            for (const auto& entry : level2Groups) {
                std::string_view e(entry);
                if (e.size() > 1 && EntryContains(e, byte, trail)) {
                    initials.push_back(e[0]);
                    break;
                }
            }
        }
        for (const auto& entry : polyphonic) {
            std::string_view e(entry);
            if (e.size() > 1 && EntryContains(e, byte, trail)) {
                if (isChongqingBoard) initials.clear();
                initials.push_back(e[0]);
                break;
            }
        }

        if (initials.size() == 1) {
            appendAll(initials[0]);
        } else if (initials.size() > 1) {
            std::vector<std::string> grown;
            grown.reserve(std::min(candidates.size() * initials.size(), kMaxPinyinCandidates));
            for (char letter : initials) {
                for (const std::string& c : candidates) {
                    if (grown.size() >= kMaxPinyinCandidates) break;
                    grown.push_back(c + letter);
                }
            }
            candidates.swap(grown);
        }
    }
    out = std::move(candidates);
}

}  // namespace

void BuildPinyinInitials(std::string_view gbk, std::vector<std::string>& out,
                         std::span<const std::string> level2Groups,
                         std::span<const std::string> polyphonic) {
    BuildImpl(gbk, out, level2Groups, polyphonic);
}

void BuildPinyinInitials(std::string_view gbk, std::vector<std::string>& out) {
    BuildImpl(gbk, out, std::span<const std::string_view>(kPinyinLevel2Groups),
              std::span<const std::string_view>(kPinyinPolyphonic));
}

std::vector<std::string> DefaultPinyinLevel2Groups() {
    return {std::begin(kPinyinLevel2Groups), std::end(kPinyinLevel2Groups)};
}

std::vector<std::string> DefaultPinyinPolyphonic() {
    return {std::begin(kPinyinPolyphonic), std::end(kPinyinPolyphonic)};
}
