// Opened scores that would stop or break the page drawing: a picture cell
// naming a FIFO, and cells whose sizes and offsets are NaN or far beyond any
// page. The page is drawn as the window draws it, on the recording canvas and
// on a bitmap.
#include <gtest/gtest.h>

#include "tests/support/TQTestSupport.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "model/modTQBinFile.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQFile.h"
#include "platform/core/TQMessage.h"
#include "platform/gui/TQBitmap.h"
#include "tests/render/TQViewFixture.h"

namespace fs = std::filesystem;

namespace {

// Draws page 1 of the view, both layers, on its recording canvas and then on
// a bitmap.
void DrawBothWays(TViewFixture& fx) {
    fx.view.DrawEngine.DrawPage(0, 0, fx.view.Cols, fx.view.Rows, false, true);
    TBitmap bitmap(fx.view.PaintBoxWidth, fx.view.PaintBoxHeight);
    fx.view.OutCanvas = &bitmap.Canvas();
    fx.view.PaintBoxCanvas = &bitmap.Canvas();
    fx.view.DrawEngine.DrawPage(0, 0, fx.view.Cols, fx.view.Rows, false, true);
    fx.view.OutCanvas = &fx.canvas;
    fx.view.PaintBoxCanvas = &fx.canvas;
}

// Every size, offset and mark adjustment of every cell of page 1 lies within
// the bounds a file may bring; "" when so, else the first cell that is not.
std::string FirstUnboundedCell(const TMainScore& s) {
    const auto bounded = [](float v, float limit) { return std::isfinite(v) && std::fabs(v) <= limit; };
    for (int r = 0; r <= s.Rows; ++r)
        for (int c = 0; c <= s.Cols; ++c) {
            const TCell& cell = s.PageSets[0][0][r][c];
            bool ok = bounded(cell.fontSizeR, kMaxFileSizeFactor) && bounded(cell.xAdj, kMaxFileCellOffset) &&
                      bounded(cell.yAdj, kMaxFileCellOffset) && bounded(cell.stemAdj, kMaxFileCellOffset);
            for (int v : {cell.markHAdj, cell.markWAdj, cell.MarkY, cell.EndYAdj})
                ok = ok && std::abs(v) <= kMaxFileMarkAdjust;
            ok = ok && std::abs(cell.UL) <= kMaxFileUnderlines && std::abs(cell.dot) <= kMaxFileDots;
            for (const TCompressNote& n : cell.CompressNotes)
                ok = ok && std::abs(n.value) <= kMaxFileStaffSteps && std::abs(n.octave) <= kMaxFileStaffSteps;
            for (const TWestChord& w : cell.westChordArray)
                ok = ok && std::abs(w.interval) <= kMaxFileStaffSteps;
            if (!ok)
                return std::to_string(c) + "," + std::to_string(r);
        }
    return "";
}

std::string TextScoreWithCells(const std::vector<std::vector<std::string>>& cells) {
    std::string t;
    for (const char* l : {"Tonquill Version", "4.1", "1", "Arial", "0", "0", "15", "60", "30", "50", "40", "1", "0",
                          "8.27", "11.69", "0", "5200"})
        t += std::string(l) + "\r\n";
    for (int i = 0; i < 11; ++i)
        t += "skipped\r\n";
    t += "PageStart\r\n";
    for (const auto& cell : cells)
        for (const std::string& l : cell)
            t += l + "\r\n";
    return t + "PageEnd\r\n";
}

// One text cell entry: col, row, type, note, then fontSizeR, xAdj, yAdj as
// written, and the tail lines of its kind.
std::vector<std::string> TextCell(int col, int row, int type, int note, const std::string& size,
                                  const std::string& x, const std::string& y, const std::string& tail = "") {
    std::vector<std::string> v = {"cell", std::to_string(col), std::to_string(row), std::to_string(type),
                                  std::to_string(note), "32", "32", "0", "0", "-1", "-1", size, x, y,
                                  "0", "0", "0", "0", "0", "0 0 -10000 0 0"};
    if (!tail.empty())
        v.push_back(tail);
    return v;
}

} // namespace

TEST(HostileDrawing, CellsWithNanOrHugeSizesAndOffsetsAreBoundedWhenReadAndDrawn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    tqtest::TempDir dir;
    const std::string binary = (dir / "floats.mus").string();
    {
        TViewFixture made{12, 4};
        made.Row(0, "&G/1 W:3@2+2+2 W:4@-1 W:5@3 |");
        made.Row(1, "1 2' 3_ \"words\" 5 6");
        made.At(1, 0).yAdj = 2.3e22f;
        made.At(1, 0).westChordArray[0].interval = std::numeric_limits<int32_t>::max();
        made.At(1, 0).westChordArray[1].interval = std::numeric_limits<int32_t>::max();
        made.At(2, 0).stemAdj = nan;
        made.At(2, 0).fontSizeR = 1e22f;
        made.At(3, 0).yAdj = nan;
        made.At(3, 0).xAdj = -inf;
        made.At(0, 1).xAdj = nan;
        made.At(1, 1).yAdj = 1e22f;
        made.At(2, 1).fontSizeR = nan;
        made.At(3, 1).fontSizeR = 1e22f;
        made.At(4, 1).xAdj = 1e22f;
        made.At(5, 1).fontSizeR = -1e22f;
        ASSERT_TRUE(SaveBinaryScore(binary, &made.view, true));
    }
    const std::string text = (dir / "floats.txt").string();
    std::ofstream(text, std::ios::binary) << TextScoreWithCells({
        TextCell(0, 1, 0, '1', "nan", "1e22", "-1e300"),
        TextCell(1, 1, 0, '2', "1e300", "-inf", "nan"),
        TextCell(2, 1, 3, 32, "-1e22", "nan", "inf", "words\r\nCN\r\n134\r\n0\r\n0 0 0"),
        TextCell(3, 0, 8, 3, "nan", "0", "1e22", "2\r\n2147483647 0 0 0\r\n-2147483647 0 0 0"),
    });

    for (const std::string& path : {binary, text}) {
        SCOPED_TRACE(path);
        TViewFixture fx{12, 4};
        TMessageRecorder recorder;
        SetMessageBoxes(&recorder);
        const bool read = fx.view.OpenScoreFile(path, false);
        SetMessageBoxes(nullptr);
        ASSERT_TRUE(read);
        EXPECT_TRUE(recorder.shown.empty());
        EXPECT_EQ(FirstUnboundedCell(fx.view), "");
        // What a value stands for is kept where it can be: NaN is the reset
        // value, anything else goes to the nearest bound.
        if (path == binary) {
            EXPECT_EQ(fx.At(1, 0).yAdj, kMaxFileCellOffset);
            EXPECT_EQ(fx.At(2, 0).stemAdj, 0.0f);
            EXPECT_EQ(fx.At(2, 0).fontSizeR, kMaxFileSizeFactor);
            EXPECT_EQ(fx.At(3, 0).xAdj, -kMaxFileCellOffset);
            EXPECT_EQ(fx.At(2, 1).fontSizeR, 1.0f);
            EXPECT_EQ(fx.At(5, 1).fontSizeR, 0.0f);
            EXPECT_EQ(fx.At(0, 0).cellType, ctWestern) << "the clef is as it was";
        } else {
            EXPECT_EQ(fx.At(0, 1).fontSizeR, 1.0f);
            EXPECT_EQ(fx.At(0, 1).xAdj, kMaxFileCellOffset);
            EXPECT_EQ(fx.At(0, 1).yAdj, -kMaxFileCellOffset);
            EXPECT_EQ(fx.At(1, 1).yAdj, 0.0f);
            EXPECT_EQ(fx.At(2, 1).Text, "words");
        }
        fx.view.CurPage = 0;
        DrawBothWays(fx); // under the sanitizers: without a report
    }
}

TEST(HostileDrawing, APictureCellNamingAFifoDrawsAsMissingWithoutWaiting) {
    tqtest::TempDir dir;
    const std::string fifo = (dir / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TViewFixture fx{12, 4};
    fx.view.FileName = (dir / "s.mus").string();
    fx.view.SavedImageFolder = (dir / "saved").string() + "/";
    for (int col : {0, 5}) {
        TCell& c = fx.At(col, 0);
        c.cellType = ctImage;
        c.Note = 1;
        c.iEnd = 3;
        c.jEnd = 2;
        c.Text = col == 0 ? fifo : "pipe.jpg";
    }
    std::atomic<bool> done{false};
    std::thread painter([&] {
        fx.view.DrawEngine.DrawPage(0, 0, fx.view.Cols, fx.view.Rows, false, true);
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool inTime = done;
    while (!done) { // a drawing blocked in open() is released by a writer
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    painter.join();
    EXPECT_TRUE(inTime) << "the drawing waited on the FIFO";
    int missing = 0;
    for (const TCanvasCall& call : fx.canvas.Calls())
        if (call.Op == TCanvasOp::TextOut && call.Text == "Image File Missing:")
            ++missing;
    EXPECT_EQ(missing, 2);
}

TEST(HostileDrawing, EveryKeptReaderInputIsDrawnAsTheFuzzTargetDrawsIt) {
    // The inputs that once broke a reader or the page drawing, drawn the way
    // the page-drawing fuzz target draws them (first page, quiet open); one of
    // them once kept the arrow-mark drawer busy for minutes.
    const fs::path corpus = tqtest::SourceFolder() / "tests" / "fuzz" / "corpus_bin";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus beside the sources";
    int drawn = 0;
    for (const auto& e : fs::directory_iterator(corpus)) {
        SCOPED_TRACE(e.path().filename().string());
        std::ifstream in(e.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TViewFixture fx{12, 4};
        fx.view.CalcPageGrid();
        fx.view.AllocatePage(0, 0, true, 0, 0);
        if (!LoadBinaryScoreBytes(bytes, "/kept/score.mus", &fx.view, true))
            continue;
        EXPECT_EQ(FirstUnboundedCell(fx.view), "");
        fx.view.CurPage = 0;
        for (int layer : {0, 1}) {
            if (fx.view.PageSets[static_cast<size_t>(layer)].empty())
                continue;
            CurLayer = layer;
            fx.view.DrawEngine.DrawPage(0, 0, fx.view.Cols, fx.view.Rows, false, true);
        }
        CurLayer = 0;
        ++drawn;
    }
    EXPECT_GT(drawn, 0);
}
