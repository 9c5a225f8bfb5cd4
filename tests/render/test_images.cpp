// Instrument marks, inserted pictures, the page background, time signatures
// and tempo marks on the recording canvas.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "platform/core/TQFiles.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQDrawMsc.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// x unit 20, y unit 40; cells are drawn at (100, 200).
constexpr float kX = 100.0f, kY = 200.0f;

// A small picture file.
std::string WritePicture(const std::filesystem::path& path, int w = 40, int h = 20) {
    std::filesystem::create_directories(path.parent_path());
    TBitmap b(w, h);
    b.Canvas().Brush.Color = 0x00FF00;
    b.Canvas().FillRect(TRect{0, 0, w, h});
    EXPECT_TRUE(b.SaveToFile(path.string()));
    return path.string();
}

TCell ImageCell(const std::string& path, int cols, int rows, float size = 1.0f, int stretch = 0) {
    TCell c = TScoreFixture::Cell("~{type=7}");
    c.Text = path;
    c.iEnd = cols;
    c.jEnd = rows;
    c.fontSizeR = size;
    c.shrinkRate = stretch;
    return c;
}

} // namespace

TEST(InstrumentMark, PictureLetterOrNothing) {
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    // instrument 40 on screen: picture 0 stretched into the cell, one pixel in
    TCell cell = TScoreFixture::Cell("~{type=12,up=40}");
    DrawInstrumentMark(&e, kX, kY, cell);
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << fx.canvas.Dump();
    const TCanvasCall* pic = fx.canvas.Last(TCanvasOp::StretchDraw);
    EXPECT_EQ(pic->Bitmap, e.InstrumentBitmaps[0].get());
    EXPECT_EQ(pic->RectArg(), (TRect{101, 201, 120, 240}));
    EXPECT_EQ(fx.canvas.Font.Color, 0);
    // nothing on the printer
    fx.canvas.Clear();
    fx.view.OutputKind = 1;
    DrawInstrumentMark(&e, kX, kY, cell);
    EXPECT_EQ(fx.canvas.size(), 0u);
    fx.view.OutputKind = 0;
    // 128: an "X"; 129 and -1: nothing
    cell.upNote = 128;
    DrawInstrumentMark(&e, kX, kY, cell);
    const TCanvasCall* x = fx.canvas.FindText("X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->Font.Color, 0x4040FF);
    EXPECT_EQ(x->Font.Name, "Arial");
    EXPECT_EQ(x->Font.Style & fsBold, fsBold);
    EXPECT_EQ(x->Arg(0), 101);
    for (int n : {129, -1}) {
        fx.canvas.Clear();
        cell.upNote = n;
        DrawInstrumentMark(&e, kX, kY, cell);
        EXPECT_EQ(fx.canvas.size(), 0u) << n;
    }
    // the image table: ranges and the ends
    const std::vector<std::pair<int, int>> table = {{0, 1},  {23, 1}, {24, 4}, {40, 0}, {46, 5}, {47, 2},
                                                    {56, 6}, {60, 7}, {64, 3}, {68, 8}, {69, 7}, {79, 8},
                                                    {95, 4}, {104, 4}, {109, 8}, {111, 0}, {127, 2}, {128, 0}};
    for (auto [n, image] : table)
        EXPECT_EQ(InstrumentImageIndex(n), image) << n;
    // a missing picture falls back to its letter
    fx.canvas.Clear();
    e.InstrumentBitmaps[2]->SetSize(0, 0);
    cell.upNote = 120;
    DrawInstrumentMark(&e, kX, kY, cell);
    ASSERT_NE(fx.canvas.FindText("D"), nullptr) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.FindText("D")->Font.Name, "Times New Roman");
}

TEST(InsertedImage, SizeSearchAndMissingFile) {
    tqtest::TempDir dir;
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    const std::string pic = WritePicture(dir / "pic.bmp");

    // size factor 0.5: 0.9 of its 4 columns; stretched to its 2 rows as well
    DrawInsertedImage(&e, kX, kY, ImageCell(pic, 4, 2, 0.5f, 1));
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << fx.canvas.Dump();
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{100, 200, 172, 272}));
    // not stretched: the height keeps the picture's shape (40 x 20)
    fx.canvas.Clear();
    DrawInsertedImage(&e, kX, kY, ImageCell(pic, 4, 2));
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{100, 200, 180, 240}));
    // unset sizes are one column and one row, never negative
    fx.canvas.Clear();
    DrawInsertedImage(&e, kX, kY, ImageCell(pic, -1, -1, 1.0f, 1));
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{100, 200, 120, 240}));

    // found by its base name: in the saved-image folder, beside the score, in the program folder
    const std::string stored = "C:\\Users\\old\\moved.bmp";
    struct Case {
        const char* where;
        std::filesystem::path file;
    };
    for (const Case& c : {Case{"saved images", dir / "saved" / "moved.bmp"}, Case{"score folder", dir / "score" / "moved.bmp"},
                          Case{"program folder", dir / "program" / "moved.bmp"}}) {
        fx.view.SavedImageFolder = (dir / "saved").string() + "/";
        fx.view.FileName = (dir / "score" / "song.mus").string();
        fx.view.ProgramFolder = (dir / "program").string() + "/";
        std::filesystem::create_directories(dir / "saved");
        WritePicture(c.file);
        EXPECT_EQ(FindPictureFile(stored), c.file.string()) << c.where;
        fx.canvas.Clear();
        DrawInsertedImage(&e, kX, kY, ImageCell(stored, 1, 1));
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1) << c.where;
        std::filesystem::remove(c.file);
    }
    // a stored path with Windows separators that exists here
    EXPECT_EQ(FindPictureFile((dir / "pic.bmp").string()), pic);

    // missing: the message and the path, on screen only; the cell keeps its path
    const TCell missing = ImageCell("D:\\gone\\x.jpg", 2, 2);
    fx.canvas.Clear();
    DrawInsertedImage(&e, kX, kY, missing);
    EXPECT_EQ(fx.canvas.texts(), (std::vector<std::string>{"Image File Missing:", "D:\\gone\\x.jpg"}));
    const auto texts = fx.canvas.TextOuts();
    EXPECT_EQ(texts[0]->Font.Color, 0x0000FF);
    EXPECT_EQ(texts[0]->Arg(0), 110);
    EXPECT_EQ(texts[1]->Arg(1), 248);
    EXPECT_EQ(fx.canvas.Font.Color, 0);
    for (int kind : {1, 2}) {
        fx.canvas.Clear();
        fx.view.OutputKind = kind;
        DrawInsertedImage(&e, kX, kY, missing);
        EXPECT_EQ(fx.canvas.size(), 0u) << kind;
    }
    fx.view.OutputKind = 0;
    // an empty path draws nothing
    fx.canvas.Clear();
    DrawInsertedImage(&e, kX, kY, ImageCell("", 2, 2));
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(InsertedImage, OtherLayerColourWritesNothingBesideThePicture) {
    tqtest::TempDir dir;
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    const std::string pic = WritePicture(dir / "pic.bmp");
    e.CurColor = e.HidenLayerColor;
    DrawInsertedImage(&e, kX, kY, ImageCell(pic, 2, 1));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1) << "pictures are read, never written";
}

TEST(PageBackground, NearestEarlierPageSuppliesIt) {
    tqtest::TempDir dir;
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    const std::string pic = WritePicture(dir / "bg.bmp");
    for (int p = 1; p <= 3; ++p)
        fx.view.AllocatePage(0, p, true, 0, 0);
    auto background = [&](int page) -> TCell& {
        TCell& c = fx.view.PageSets[0][static_cast<size_t>(page)][0][0];
        c = TScoreFixture::Cell("~{type=7,note=200119}");
        return c;
    };
    background(0).Text = pic;
    fx.view.CurPage = 1;
    EXPECT_TRUE(DrawPageBackground(&e));
    ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::StretchDraw), 1);
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(),
              (TRect{0, 0, fx.view.PaintBoxWidth, fx.view.PaintBoxHeight}));
    // an empty path on the way ends the walk without a picture
    background(2).Text = "";
    fx.view.CurPage = 3;
    fx.canvas.Clear();
    EXPECT_FALSE(DrawPageBackground(&e));
    EXPECT_EQ(fx.canvas.size(), 0u);
    // a missing file is looked for once in the saved-image folder
    background(2).Text = "E:\\pics\\bg.bmp";
    fx.view.SavedImageFolder = dir.str();
    fx.canvas.Clear();
    EXPECT_TRUE(DrawPageBackground(&e));
    fx.view.SavedImageFolder = (dir / "elsewhere").string();
    EXPECT_FALSE(DrawPageBackground(&e));
    // the other layer is drawn without it on paper and pictures
    fx.view.SavedImageFolder = dir.str();
    fx.view.OutputKind = 2;
    CurLayer = 1;
    EXPECT_FALSE(DrawPageBackground(&e));
    CurLayer = 0;
    // the printer's page size
    fx.view.OutputKind = 1;
    fx.canvas.SetSize({1000, 1400});
    fx.canvas.Clear();
    EXPECT_TRUE(DrawPageBackground(&e));
    EXPECT_EQ(fx.canvas.Last(TCanvasOp::StretchDraw)->RectArg(), (TRect{0, 0, 1000, 1400}));
}

TEST(TimeSignature, CommonTimeDigitsAndFractions) {
    TMusicFonts fonts(true, true);
    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    // 4/4 and 2/2 on a Western row: the common-time sign; the cut one has a bar
    for (auto [num, bars] : {std::pair{4, 0}, std::pair{2, 1}}) {
        fx.canvas.Clear();
        TCell cell = TScoreFixture::Cell("T:" + std::to_string(num) + "/" + std::to_string(num));
        DrawTimeSignature(&e, kX, kY, cell, true);
        ASSERT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 1) << fx.canvas.Dump();
        EXPECT_EQ(fx.canvas.TextOuts()[0]->Font.Name, "MusicalSymbols");
        EXPECT_EQ(fx.canvas.TextOuts()[0]->Text, "c");
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::FillRect), bars);
    }
    // with option bit 1: the digits, centred a quarter column left of the
    // column's middle (a space clear of the next column's note)
    fx.canvas.Clear();
    TCell digits = TScoreFixture::Cell("T:4/4{opt=1}");
    DrawTimeSignature(&e, kX, kY, digits, true);
    EXPECT_EQ(fx.canvas.texts(), (std::vector<std::string>{"4", "4"}));
    for (const TCanvasCall* t : fx.canvas.TextOuts()) {
        EXPECT_EQ(t->Font.Name, "Times New Roman");
        EXPECT_EQ(t->Arg(0), 105 - t->Extent.cx / 2);
    }
    // Jianpu fractions: 3/4 over one column, 12/8 over 1.8 columns (L = 36),
    // the bar 0.45 of the row down, level with the middle of the digits
    struct Case {
        const char* token;
        int x1, x2;
    };
    for (const Case& c : {Case{"T:3/4", 100, 120}, Case{"T:12/8", RoundToInt(110.0f - 0.4f * 36.0f), 128}}) {
        fx.canvas.Clear();
        TCell cell = TScoreFixture::Cell(c.token);
        DrawTimeSignature(&e, kX, kY, cell, false);
        const TCanvasCall* line = fx.canvas.Last(TCanvasOp::LineTo);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->Points, (std::vector<TPoint>{{c.x1, 218}, {c.x2, 218}})) << c.token;
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 2);
        EXPECT_EQ(fx.canvas.TextOuts()[0]->LogFont->Weight, 700) << "bold";
    }
}

TEST(TempoMark, NoteKindTextAndTheStoredCell) {
    // note kind -> duration code drawn and the eighth's extra shift
    struct Kind {
        int kind, code;
        float shift;
    };
    for (const Kind& k : {Kind{1, 2, 0.0f}, Kind{2, 3, 0.0f}, Kind{4, 4, 0.4f}, Kind{3, 3, 0.0f}, Kind{0, 3, 0.0f}}) {
        TCell tempo = TScoreFixture::Cell("~{type=4,fc=96}");
        tempo.Note = k.kind;
        tempo.fontSizeR = 1.5f;
        float shift = -1.0f;
        const TCell note = TempoNoteCell(tempo, shift);
        EXPECT_EQ(note.Note, k.code) << k.kind;
        EXPECT_EQ(shift, k.shift) << k.kind;
        EXPECT_TRUE(note.option & 1u) << "stem up";
        EXPECT_FLOAT_EQ(note.stemAdj, -3.0f - 1.5f + 4.0f * k.shift) << k.kind;
    }

    TViewFixture fx;
    TDrawEngine& e = fx.view.DrawEngine;
    TCell& cell = fx.At(2, 1) = TScoreFixture::Cell("~{type=4,note=3,fc=96,color=255}");
    const TCell before = cell;
    e.CurColor = 0x112233;
    DrawTempoMark(&e, kX, kY, 2, 1);
    EXPECT_EQ(fx.At(2, 1), before) << "the stored kind stays 3";
    EXPECT_EQ(e.CurColor, 0x112233);
    const TCanvasCall* text = fx.canvas.FindText("= 96");
    ASSERT_NE(text, nullptr) << fx.canvas.Dump();
    EXPECT_EQ(text->Arg(0), 122);
    EXPECT_EQ(text->Arg(1), 206);
    EXPECT_EQ(text->Font.Color, 255);
    EXPECT_EQ(text->Font.Style, 0);
    EXPECT_EQ(text->Font.Size, 20);
    // an eighth moves the text 0.4 column right; the size factor moves and scales it
    cell.Note = 4;
    cell.fontSizeR = 2.0f;
    fx.canvas.Clear();
    DrawTempoMark(&e, kX, kY, 2, 1);
    text = fx.canvas.FindText("= 96");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Arg(0), RoundToInt(kX + 1.5f * 20.0f + 0.65f * 20.0f));
    EXPECT_EQ(text->Arg(1), RoundToInt(kY + 6.0f - 20.0f));
    EXPECT_EQ(text->Font.Size, 40);
    // no tempo, nothing
    cell.FontColor = 0;
    fx.canvas.Clear();
    DrawTempoMark(&e, kX, kY, 2, 1);
    EXPECT_EQ(fx.canvas.size(), 0u);
}
