#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/Pinyin.h"
#include "foundation/TextCodec.h"

namespace {

std::vector<std::string> Initials(const std::string& utf8) {
    std::vector<std::string> out;
    BuildPinyinInitials(Utf8ToAnsi(utf8), out);
    return out;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(Pinyin, LettersDigitsAndLevelOneCharacters) {
    EXPECT_EQ(Initials("AB"), Names{"AB"});
    EXPECT_EQ(Initials("ab"), Names{"AB"});
    EXPECT_EQ(Initials("浦发银行"), (Names{"PFYX", "PFYH"})) << "行 also reads hang";
    EXPECT_EQ(Initials("平安银行"), (Names{"PAYX", "PAYH"}));
    EXPECT_EQ(Initials("ST 康美-2"), Names{"STKM2"}) << "blanks and punctuation skipped";
    EXPECT_EQ(Initials("万科Ａ"), Names{"WKA"}) << "full-width capital";
    EXPECT_EQ(Initials(""), Names{""});
}

TEST(Pinyin, LevelTwoCharactersComeFromTheGeneratedGroups) {
    // 鑫 (xin), 璐 (lu), 冀 (ji), 芮 (rui), 岷 (min): GB2312 level 2, ordered by radical.
    EXPECT_EQ(Initials("鑫璐冀芮岷"), Names{"XLJRM"});
}

TEST(Pinyin, PolyphonicCharactersMultiplyCandidates) {
    EXPECT_EQ(Initials("行长"), (Names{"XC", "HC", "XZ", "HZ"}));
    EXPECT_EQ(Initials("重庆啤酒"), (Names{"ZQPJ", "CQPJ"}));
    EXPECT_EQ(Initials("重庆板块"), Names{"CQBK"}) << "the board name reads chong only";
}

TEST(Pinyin, CandidateListIsBounded) {
    std::string many;
    for (int i = 0; i < 30; ++i) many += "行";
    std::vector<std::string> out = Initials(many);
    EXPECT_EQ(out.size(), kMaxPinyinCandidates);
    EXPECT_EQ(out.front(), std::string(30, 'X'));
}

TEST(Pinyin, MatchesOnlyWholeCharactersAndStopsAtNul) {
    // Groups given as data: "Q" + 0xB1C6 0xB2C7 must not match the straddling 0xC6B2.
    std::vector<std::string> groups = {"Q\xB1\xC6\xB2\xC7"};
    std::vector<std::string> none;
    std::vector<std::string> out;
    BuildPinyinInitials("\xC6\xB2", out, groups, none);  // level-1 code: row P
    EXPECT_EQ(out, Names{"P"});
    BuildPinyinInitials("\xF0\xB2", out, groups, none);  // level 2, in no group
    EXPECT_EQ(out, Names{""});
    BuildPinyinInitials(std::string("A\0B", 3), out, groups, none);
    EXPECT_EQ(out, Names{"A"});
    BuildPinyinInitials("A\xD6", out, groups, none);  // lone lead byte at the end
    EXPECT_EQ(out, Names{"A"});
}

TEST(Pinyin, GeneratedTablesAreComplete) {
    size_t total = 0;
    for (int i = 0; i < kPinyinLetterCount; ++i) {
        EXPECT_EQ(kPinyinLevel2Groups[i][0], kPinyinRows[i].letter);
        EXPECT_EQ(kPinyinLevel2Groups[i].size() % 2, 1u);
        total += kPinyinLevel2Groups[i].size() / 2;
    }
    EXPECT_GE(total, 2968u);
    EXPECT_LE(total, 3008u);
    EXPECT_EQ(AnsiToUtf8(std::string(kPinyinPolyphonic[2])), "C重");
    EXPECT_EQ(DefaultPinyinLevel2Groups().size(), 23u);
}

TEST(Pinyin, GeneratedFileIsUpToDate) {
    std::string cmd = std::string("python3 ") + TARROW_SOURCE_DIR + "/scripts/gen-pinyin --check";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}
