// A stock-selection page against the data server: the workspace "selstocktraining.xlay" makes
// the board, the board asks for its candidates, every cell fetches a hidden window of days,
// the user chooses, reveals and is judged. The board's screenshot is taken at the end.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ClientHarness.h"
#include "ReviewWindowSupport.h"
#include "TestSupport.h"
#include "TrainingLayoutHost.h"
#include "chart/ChartPic.h"
#include "formula/YBIndClass.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/PicDataLayer.h"
#include "marketdata/Security.h"
#include "marketdata/net/MarketLink.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "platform/home/ProgramDir.h"
#include "training/wnd/MultiItemKlinePicData.h"
#include "training/wnd/MultiTrainingKlineWnd.h"
#include "training/wnd/SelStockTraining.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"

namespace {

void Click(MyButton* button) {
    button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

TEST(SelStockEndToEnd, APageRevealedAndJudgedAgainstTheServer) {
    EnsureReviewPlatform();
    LoadProgramSkin();
    CScratchHome home;
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    TestLoop();
    // The cells' series answer on the network thread; their notes reach the cells as
    // posted messages, as in the program.
    SetDataLayerHooks({[](void* window, uint32_t msg, uint64_t w, int64_t l) {
                           ::PostMessage(static_cast<HWND>(window), msg, (WPARAM)w, (LPARAM)l);
                       },
                       std::this_thread::get_id()});
    auto link = std::make_unique<CMarketLink>(std::vector<HostAddress>{{"127.0.0.1", server.Port()}}, TestLoop());
    link->Connect("127.0.0.1", server.Port());
    ASSERT_TRUE(WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; }));
    GetYBIndClass()->Read(platform::InstalledResourcesDir() + "/Sys.xml");
    CYBIndClass::SetUp();
    GetSelStockSettings() = {};
    GetSelStockSettings().periods = 10;
    GetSelStockSettings().riseTenths = 30;

    // The workspace as the set-up page opens it.
    RegisterTrainingElementTypes();
    {
        TrainingLayoutHost view(1200, 720, "selstocktraining");
        tinyxml2::XMLDocument doc;
        const std::string layout = std::string(TARROW_SOURCE_DIR) + "/resources/layout/selstocktraining.xlay";
        ASSERT_EQ(doc.LoadFile(layout.c_str()), tinyxml2::XML_SUCCESS);
        view.Root().ReadViewProp(doc.RootElement()->FirstChildElement("ViewProp"));
        view.Root().Load(doc.RootElement());
        auto* board = dynamic_cast<MultiTrainingKlineWnd*>(view.Root().FirstLeaf()->m_pWnd);
        ASSERT_NE(board, nullptr) << "the layout's element is the board";
        view.RecalcLayout();
        view.Root().AttachAll();

        // Six candidates, each shown up to its hidden window.
        auto placed = [&] {
            for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i)
                if (board->Cell(i)->Layer()->GetWindowLimit() == 0 ||
                    board->Cell(i)->Layer()->GetEnd() - board->Cell(i)->Layer()->GetBegin() < 50)
                    return false;
            return true;
        };
        ASSERT_TRUE(platform::PumpUntil(placed, 30000));
        ASSERT_EQ(board->Board().ShownCells(), MultiTrainingKlineWnd::kCells);
        EXPECT_GT(board->Board().Total(), MultiTrainingKlineWnd::kCells);
        for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i) {
            MultiKlineItemWnd& cell = *board->Cell(i);
            MultiItemKlinePicData& layer = *cell.Layer();
            SCOPED_TRACE(layer.GetCode().m_strCode);
            EXPECT_EQ(layer.GetCode(), board->Board().CellSecurity(i));
            ASSERT_NE(cell.Security(), nullptr);
            EXPECT_LT(layer.GetWindowStart(), layer.GetWindowEnd());
            // Nothing of the window is readable through the layer, and it is ten bars long;
            // fifty days before it show (the server's window comes without them).
            EXPECT_EQ(layer.GetWindowLimit() - layer.GetEnd(), 10);
            EXPECT_GE(layer.GetEnd() - layer.GetBegin(), 50);
            EXPECT_GT(layer.GetClose(layer.GetEnd() - 1), 0);
            EXPECT_LT(uint32_t(layer.GetTime(layer.GetEnd() - 1)), layer.GetWindowStart());
        }

        // The user frames the second chart and hands it in.
        board->Cell(1)->OnElementLButtonUp(0, 20, 40);
        ASSERT_EQ(board->Board().Selected(), 1);
        Click(board->Button(0));
        ASSERT_TRUE(board->Board().Revealed());
        for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i) {
            MultiItemKlinePicData& layer = *board->Cell(i)->Layer();
            EXPECT_EQ(board->Cell(i)->m_bRevealed, 1);
            EXPECT_GE(layer.GetEnd(), layer.GetWindowLimit()) << "the window shows";
        }
        MultiKlineItemWnd& chosen = *board->Cell(1);
        const double rise = chosen.GetRise();
        EXPECT_NE(rise, 0) << "a window of ten days moves";

        // "提示": the verdict on the chosen security.
        std::vector<std::string> verdicts;
        board->SetVerdictShower([&](CDlgSelStockTip& tip) {
            EXPECT_DOUBLE_EQ(tip.m_fRise, rise);
            EXPECT_EQ(tip.m_bPassed, rise >= 30 ? 1 : 0);
            EXPECT_EQ(tip.m_strName, chosen.Security()->GetName());
            verdicts = tip.Lines();
        });
        Click(board->Button(1));
        ASSERT_EQ(verdicts.size(), rise >= 30 ? 2u : 3u);
        EXPECT_NE(verdicts[1].find("(" + chosen.Layer()->GetCode().m_strCode + ") 在10天内"), std::string::npos);

        board->RedrawWindow();
        platform::ProcessPendingEvents();
        const std::string png = (home.Path() / "selstock-board.png").string();
        ASSERT_TRUE(platform::SaveWindowScreenshot(board, png));
        if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
            std::filesystem::copy_file(png, std::string(keep) + "/selstock-board.png",
                                       std::filesystem::copy_options::overwrite_existing);
        // The chosen cell's badge: red for a rise, green otherwise, over its price pane.
        CBitmap shot;
        ASSERT_TRUE(platform::CaptureWindow(&chosen, shot));
        const CRect pane = chosen.GetChartOverlayPtr()->m_aPanes.front()->Prop().m_rcPane;
        EXPECT_EQ(shot.GetPixel(pane.right - 100, pane.top + 16), rise > 0 ? RGB(255, 0, 0) : RGB(35, 140, 0));
        // Candles in both colours over the chosen cell's price pane.
        const CRect plot = chosen.GetChartOverlayPtr()->m_aPanes.front()->Prop().m_rcPlot;
        int rising = 0, falling = 0;
        for (int y = plot.top; y < plot.bottom; ++y)
            for (int x = plot.left; x < plot.right; ++x) {
                rising += shot.GetPixel(x, y) == GetCommonVar()->GetColor(CommonColor::uniPic_Rise);
                falling += shot.GetPixel(x, y) == GetCommonVar()->GetColor(CommonColor::uniPic_Fall);
            }
        EXPECT_GT(rising, 50);
        EXPECT_GT(falling, 50);
        // The gold frame of the choice on the board.
        CBitmap boardShot;
        ASSERT_TRUE(platform::CaptureWindow(board, boardShot));
        CRect cellRect;
        chosen.GetWindowRect(&cellRect);
        board->ScreenToClient(&cellRect);
        EXPECT_EQ(boardShot.GetPixel(cellRect.left - 1, cellRect.CenterPoint().y), MultiTrainingKlineWnd::kChosenFrame);

        // Attached again (the workspace shown again): the same windows, hidden again.
        std::vector<std::pair<uint32_t, uint32_t>> windows;
        for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i)
            windows.emplace_back(board->Cell(i)->Layer()->GetWindowStart(), board->Cell(i)->Layer()->GetWindowEnd());
        view.Root().DetachAll();
        view.Root().AttachAll();
        EXPECT_EQ(board->Board().Selected(), -1);
        EXPECT_FALSE(board->Board().Revealed());
        auto hidden = [&] {
            for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i) {
                MultiItemKlinePicData& layer = *board->Cell(i)->Layer();
                if (!layer.GetSeries() || layer.GetEnd() >= layer.GetWindowLimit()) return false;
            }
            return true;
        };
        ASSERT_TRUE(platform::PumpUntil(hidden, 30000));
        for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i) {
            MultiItemKlinePicData& layer = *board->Cell(i)->Layer();
            EXPECT_EQ(std::make_pair(layer.GetWindowStart(), layer.GetWindowEnd()), windows[size_t(i)]);
            EXPECT_EQ(layer.GetWindowLimit() - layer.GetEnd(), 10);
            EXPECT_EQ(board->Cell(i)->m_bRevealed, 0);
        }

        view.Root().DetachAll();
        for (int i = 0; i < MultiTrainingKlineWnd::kCells; ++i)
            EXPECT_EQ(board->Cell(i)->Layer()->GetSeries(), nullptr) << "every series went back to the pool";
    }
    link->Stop();
    DrainLoop();
    SetDataLayerHooks({});
    GetSelStockSettings() = {};
}

}  // namespace
