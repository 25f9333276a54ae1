// Formulas made of random pieces of the language compile to an error or evaluate to a
// status; neither crashes nor reads outside the series.

#include <gtest/gtest.h>

#include <new>
#include <random>

#include "FormulaTestSupport.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/EngineTables.h"
#include "formula/engine/FormulaCompiler.h"

using namespace formula_test;

namespace {

TEST(Robustness, RandomFormulasCompileOrFailCleanly) {
    static const char* kPieces[] = {"C",
                                    "O",
                                    "H",
                                    "L",
                                    "VOL",
                                    "N",
                                    "X",
                                    "Y",
                                    "1",
                                    "0",
                                    "-1",
                                    "2.5",
                                    "1E9",
                                    "'t'",
                                    "\"MA.MA1\"",
                                    "+",
                                    "-",
                                    "*",
                                    "/",
                                    ">",
                                    "<",
                                    "=",
                                    "AND",
                                    "OR",
                                    "NOT",
                                    "(",
                                    ")",
                                    ",",
                                    ";",
                                    ":",
                                    ":=",
                                    "MA(",
                                    "EMA(",
                                    "SMA(",
                                    "REF(",
                                    "HHV(",
                                    "LLV(",
                                    "SUM(",
                                    "COUNT(",
                                    "IF(",
                                    "CROSS(",
                                    "BARSLAST(",
                                    "ZIG(",
                                    "PEAK(",
                                    "SAR(",
                                    "COST(",
                                    "WINNER(",
                                    "STD(",
                                    "AVEDEV(",
                                    "SLOPE(",
                                    "FILTER(",
                                    "BACKSET(",
                                    "VALUEWHEN(",
                                    "STRTONUM(",
                                    "INDREF(",
                                    "DRAWTEXT(",
                                    "STICKLINE(",
                                    "COLORRED",
                                    "LINETHICK2",
                                    "CODE",
                                    "DATE",
                                    "TIME",
                                    "WMA(",
                                    "DMA(",
                                    "LONGCROSS(",
                                    "{c}",
                                    "SH600000$CLOSE",
                                    "CLOSE#WEEK",
                                    "HHVBARS(",
                                    "CONST(",
                                    "BARSCOUNT(",
                                    "LAST(",
                                    "甲"};
    std::mt19937 rng(20240102);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(1, 24);
    auto bars = DayBars({10, 11, 10.5, 12, 11.8, 12.4, 13, 12.2, 12.9, 13.5, 13.1, 14});
    int compiled = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 3 == 0 ? "X:" : "";
        int n = length(rng);
        for (int i = 0; i < n; ++i) text += kPieces[piece(rng)];
        CKlineLight ind = MakeIndicator(text, {{"N", 3}});
        std::string msg;
        int f = -1, l = -1;
        int code = ind.GetRepInfo(text, msg, f, l);
        if (code != 0) {
            EXPECT_GE(code, FormulaError::kBadChar) << text;
            EXPECT_LE(code, FormulaError::kTooComplex) << text;
            EXPECT_LE(0, f) << text;
            EXPECT_LE(f, l) << text;
            continue;
        }
        ++compiled;
        Evaluate(ind, bars);
        for (const auto& e : ind.m_aExps)
            if (e.HasValues() && e.m_nKind == CValueRecord::kSeries) {
                EXPECT_GE(e.m_nFirst, 0) << text;
                EXPECT_LT(e.m_nLast, static_cast<int>(bars.size())) << text;
            }
    }
    EXPECT_GT(compiled, 10);
}

// Well-formed formulas with random structure: every evaluation ends with values inside the
// series or a status.
std::string RandomExpr(std::mt19937& rng, int depth) {
    static const char* kLeaves[] = {"C", "O", "H",  "L",   "VOL",    "N",
                                    "3", "0", "-2", "100", "BARPOS", "DATE"};
    static const char* kOps[] = {"+", "-", "*", "/", ">", "<", "=", " AND ", " OR "};
    static const std::pair<const char*, int> kFuncs[] = {
        {"MA", 2},        {"EMA", 2},     {"REF", 2},   {"HHV", 2},    {"LLV", 2},
        {"SUM", 2},       {"COUNT", 2},   {"IF", 3},    {"CROSS", 2},  {"BARSLAST", 1},
        {"STD", 2},       {"AVEDEV", 2},  {"SLOPE", 2}, {"FILTER", 2}, {"BACKSET", 2},
        {"VALUEWHEN", 2}, {"WMA", 2},     {"DMA", 2},   {"SMA", 3},    {"LONGCROSS", 3},
        {"HHVBARS", 2},   {"LLVBARS", 2}, {"ABS", 1},   {"MAX", 2},    {"MIN", 2},
        {"ZIG", 2},       {"SAR", 3},     {"COST", 1},  {"LAST", 1},   {"BARSCOUNT", 1},
        {"CONST", 1},     {"EVERY", 2},   {"EXIST", 2}, {"MOD", 2},    {"SQRT", 1},
        {"LN", 1},        {"PEAK", 3}};
    std::uniform_int_distribution<int> kind(0, depth > 3 ? 0 : 2);
    switch (kind(rng)) {
        case 0:
            return kLeaves[std::uniform_int_distribution<size_t>(0, std::size(kLeaves) - 1)(rng)];
        case 1:
            return "(" + RandomExpr(rng, depth + 1) +
                   kOps[std::uniform_int_distribution<size_t>(0, std::size(kOps) - 1)(rng)] +
                   RandomExpr(rng, depth + 1) + ")";
        default: {
            auto [name, args] =
                kFuncs[std::uniform_int_distribution<size_t>(0, std::size(kFuncs) - 1)(rng)];
            std::string out = std::string(name) + "(";
            for (int i = 0; i < args; ++i) out += (i ? "," : "") + RandomExpr(rng, depth + 1);
            return out + ")";
        }
    }
}

TEST(Robustness, RandomWellFormedFormulasEvaluateWithinTheSeries) {
    std::mt19937 rng(7);
    std::vector<CFloatDayItem> series[] = {
        DayBars({10, 11, 10.5, 12, 11.8, 12.4, 13, 12.2, 12.9, 13.5, 13.1, 14, 13.7, 13.2, 12.8}),
        DayBars({5}),
        {}};
    for (int round = 0; round < 1500; ++round) {
        std::string text = "A:=" + RandomExpr(rng, 0) + ";X:" + RandomExpr(rng, 0) + ";Y:A*2;";
        CKlineLight ind = MakeIndicator(text, {{"N", 3}});
        std::string msg;
        int f, l;
        ASSERT_EQ(ind.EvalLight(msg, f, l), 0) << text << ": " << msg;
        auto& bars = series[round % 3];
        Evaluate(ind, bars);
        for (const auto& e : ind.m_aExps)
            if (e.HasValues() && e.m_nKind == CValueRecord::kSeries) {
                EXPECT_GE(e.m_nFirst, 0) << text;
                EXPECT_LT(e.m_nLast, static_cast<int>(bars.size())) << text;
            }
    }
}

// A data series that cannot be built for want of memory ends the calculation with a status;
// nothing escapes to the chart that asked.
TEST(Robustness, ALoaderOutOfMemoryGivesAStatusNotAnException) {
    EnsureSetUp();
    const LoadFunction saved = aLoadFunctions[load_slot::kClose];
    aLoadFunctions[load_slot::kClose] = [](CElement*, CKlineLight*, CSouceEditor*) -> int {
        throw std::bad_alloc();
    };
    auto bars = DayBars({1, 2, 3});
    CKlineLight ind = MakeIndicator("A:1;X:CLOSE;");
    EXPECT_NO_THROW(Evaluate(ind, bars));
    aLoadFunctions[load_slot::kClose] = saved;
    EXPECT_EQ(ind.m_nLastStatus, EngineStatus::kNoMemory);
    EXPECT_FALSE(ind.m_aExps[1].HasValues());
    // The next calculation with the data back is whole again.
    Evaluate(ind, bars);
    EXPECT_EQ(ind.m_nLastStatus, 0);
    EXPECT_TRUE(ind.m_aExps[1].HasValues());
}

}  // namespace
