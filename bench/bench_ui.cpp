// The skinned toolkit's hot paths against plain baselines in the same run:
//  - one keystroke's search of the stock-code input over 10,000 securities with Chinese
//    names, against a loop of memmem over the same names;
//  - painting a 30-row x 10-column grid page through the grid, against drawing the same
//    texts and lines straight on a CDC.
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "ui/grid/GridUI.h"
#include "ui/input/CodeMatcher.h"

namespace {

const char* const kSyllables[] = {"浦发", "平安", "招商", "银行", "中国", "铝业", "建投", "能源", "贵州", "茅台",
                                  "瑞特", "股份", "科技", "电子", "医药", "地产"};
const char* const kInitials[] = {"PF", "PA", "ZS", "YH", "ZG", "LY", "JT", "NY", "GZ", "MT",
                                 "RT", "GF", "KJ", "DZ", "YY", "DC"};

std::vector<CCodeMatcher::Entry> MakeEntries() {
    std::vector<CCodeMatcher::Entry> v;
    for (int i = 0; i < 10000; ++i) {
        CCodeMatcher::Entry e;
        char code[8];
        snprintf(code, sizeof code, "%06d", (i * 7919) % 1000000);
        e.code = code;
        int a = i % 16, b = (i / 16) % 16;
        e.name = std::string(kSyllables[a]) + kSyllables[b];
        e.key = std::string(i % 2 ? "0001" : "0002") + e.code;
        e.abbreviations = {std::string(kInitials[a]) + kInitials[b]};
        v.push_back(std::move(e));
    }
    return v;
}

// A fresh search (no narrowing): the first keystroke of a session, the costliest.
void BM_CodeInput_Search(benchmark::State& state) {
    CCodeMatcher m;
    m.SetEntries(MakeEntries());
    CSortArray<CInputResult> out;
    for (auto _ : state) {
        m.ForgetLastText();
        m.Match("600", out);
        benchmark::DoNotOptimize(out.data());
    }
}

// Typing "600" after "60": the narrowed search (only the keystroke is timed).
void BM_CodeInput_NextKey(benchmark::State& state) {
    CCodeMatcher m;
    m.SetEntries(MakeEntries());
    CSortArray<CInputResult> out;
    for (auto _ : state) {
        state.PauseTiming();
        m.Match("60", out);
        state.ResumeTiming();
        m.Match("600", out);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_Memmem_Names(benchmark::State& state) {
    std::vector<CCodeMatcher::Entry> entries = MakeEntries();
    for (auto _ : state) {
        int hits = 0;
        for (const auto& e : entries) hits += memmem(e.name.data(), e.name.size(), "600", 3) != nullptr;
        benchmark::DoNotOptimize(hits);
    }
}

struct PageGrid {
    CGridUI grid;
    PageGrid() {
        for (int c = 0; c < 10; ++c) grid.AddTitle("列" + std::to_string(c), 60);
        grid.m_nColumnCount = 10;
        grid.m_nLineHeight = 20;
        grid.m_bShowTitle = 1;
        grid.m_bShowGridline = 1;
        grid.m_nRowCount = 30;
        grid.m_fnFillPage = [this] {
            if (!grid.m_rows.empty()) return;
            for (int i = 0; i < 30; ++i) {
                auto line = std::make_shared<GridLine>();
                line->m_pGrid = &grid;
                for (int c = 0; c < 10; ++c) {
                    auto cell = std::make_shared<GridTextField>();
                    cell->m_nColumn = c;
                    cell->m_nRow = i;
                    cell->m_pLine = line.get();
                    cell->m_strText = std::to_string(i * 10 + c);
                    line->m_cells.push_back(cell);
                }
                grid.m_rows.push_back(line);
            }
        };
        grid.CreateFonts();
        grid.SetRect(0, 0, 600, 620);
    }
};

struct Canvas {
    CDC dc;
    CBitmap bmp;
    Canvas() {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 600, 620);
        dc.SelectObject(&bmp);
    }
};

void BM_Grid_Paint(benchmark::State& state) {
    PageGrid g;
    Canvas canvas;
    for (auto _ : state) g.grid.Draw(&canvas.dc);
}

// The same pixels by hand: fills, texts and lines with one font and one pen.
void BM_Cdc_Paint(benchmark::State& state) {
    PageGrid g;  // only for its font and texts
    Canvas canvas;
    CDC& dc = canvas.dc;
    for (auto _ : state) {
        dc.SetBkMode(TRANSPARENT);
        CRect all(0, 0, 600, 620);
        dc.FillSolidRect(&all, g.grid.m_gridbk);
        CPen pen(PS_SOLID, 1, g.grid.m_gridline);
        CPen* oldPen = dc.SelectObject(&pen);
        CRect band(0, 0, 600, 19);
        dc.FillSolidRect(&band, g.grid.m_gridTitleBK);
        CFont* oldFont = dc.SelectObject(&g.grid.m_titleFont);
        for (int c = 0; c < 10; ++c) {
            CRect rc(c * 60 + 1, 0, c * 60 + 59, 19);
            dc.DrawText(g.grid.m_titles[c]->m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            dc.MoveTo(c * 60 + 60, 0);
            dc.LineTo(c * 60 + 60, 19);
        }
        dc.SelectObject(&g.grid.m_font);
        for (int i = 0; i < 30; ++i) {
            int top = 20 + i * 20;
            CRect row(1, top + 1, 599, top + 19);
            dc.FillSolidRect(&row, g.grid.m_gridbk);
            for (int c = 0; c < 10; ++c) {
                CRect rc(c * 60 + 2, top + 1, c * 60 + 58, top + 18);
                dc.FillSolidRect(&rc, g.grid.m_gridbk);
                dc.DrawText(static_cast<GridTextField&>(*g.grid.m_rows[i]->m_cells[c]).m_strText, &rc,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                dc.MoveTo(c * 60 + 60, top);
                dc.LineTo(c * 60 + 60, top + 19);
            }
            dc.MoveTo(0, top + 19);
            dc.LineTo(600, top + 19);
        }
        dc.SelectObject(oldFont);
        dc.SelectObject(oldPen);
    }
}

}  // namespace

BENCHMARK(BM_CodeInput_Search);
BENCHMARK(BM_CodeInput_NextKey);
BENCHMARK(BM_Memmem_Names);
BENCHMARK(BM_Grid_Paint);
BENCHMARK(BM_Cdc_Paint);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qargc = 1;
    static char name[] = "bench_ui";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    RatioReporter reporter;
    reporter.AddRatio("ui.code_input_keystroke_over_memmem", "BM_CodeInput_Search", "BM_Memmem_Names", 3.0);
    reporter.AddRatio("ui.code_input_next_key_over_memmem", "BM_CodeInput_NextKey", "BM_Memmem_Names", 3.0);
    reporter.AddRatio("ui.grid_page_paint_over_cdc", "BM_Grid_Paint", "BM_Cdc_Paint", 1.5);
    return RunBenchmarks(argc, argv, reporter);
}
