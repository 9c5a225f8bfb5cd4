// The program on an X display: it starts as the user starts it, reopens the
// score of its recent-file list and shows it. Run through xvfb-run (the xcb
// platform); the screen grab goes to TQ_TEST_PNG_DIR when that is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "app/frmTQMain.h"
#include "lang/modTQPref.h"
#include "platform/core/TQFiles.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// Dark pixels in a rectangle of the screen grab.
int Ink(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
            if (qGray(img.pixel(x, y)) < 110)
                ++n;
    return n;
}

} // namespace

TEST(Screen, TheProgramStartsWithTheLastScore) {
    tqtest::TempDir dir;
    const std::string path = (dir / "fixture.mus").string();
    const int row = 2;
    const int firstCol = 2;
    const char* notes[] = {"1", "2", "3", "4", "5", "6", "7"};
    {
        // A score written by the program itself, then its place in the history.
        TfrmMainTQ maker;
        for (int i = 0; i < 7; ++i)
            maker.PageSets[0][0][row][static_cast<size_t>(firstCol + 2 * i)] = TScoreFixture::Cell(notes[i]);
        ASSERT_TRUE(maker.SaveScore(path, true));
    }
    std::ofstream(PrefFileName()) << "[Pref]\nUseChinese=0\nnoAskMusicFont=1\nloadPreFile=1\nPrePN=0\n";
    std::ofstream(TQUserFolder() + "TQHistoryFILE") << "[Histrol File]\nFile0=" << path << "\n";

    std::unique_ptr<TfrmMainTQ> w(StartTonquill());
    QElapsedTimer t;
    t.start();
    while ((w->FirstPaint || w->FileName != path) && t.elapsed() < 10000)
        Wait(50);
    Wait(800);
    ASSERT_FALSE(w->FirstPaint);
    ASSERT_EQ(w->FileName, path);
    w->raise();
    w->activateWindow();
    Wait(300);

    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QImage grab = screen->grabWindow(0).toImage();
    tqtest::SavePngIfWanted(grab, "screen_startup");
    ASSERT_FALSE(grab.isNull());

    // Where the cells lie on the screen: the paint box's origin plus the page geometry.
    const QPoint origin = w->pbxMain->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
    const int u = w->GetCellWidth(), v = w->GetCellHeight();
    const int left = w->GetLeftMargin(), top = w->GetTopMargin();
    auto cellRect = [&](int col, int r) {
        return QRect(origin.x() + left + col * u + 2, origin.y() + top + r * v + 2, u - 4, v - 4);
    };
    for (int i = 0; i < 7; ++i)
        EXPECT_GT(Ink(grab, cellRect(firstCol + 2 * i, row)), 5) << "note " << notes[i];
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Ink(grab, cellRect(firstCol + 2 * i + 1, row)), 0) << "gap after " << notes[i];
    EXPECT_EQ(Ink(grab, cellRect(firstCol, row - 1)), 0);
    w->close();
    w.reset();
}

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "test_screen needs an X display: run it through xvfb-run\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    auto home = std::make_unique<tqtest::TempDir>();
    setenv("TONQUILL_HOME", home->str().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return tqtest::RunAllTests();
}
