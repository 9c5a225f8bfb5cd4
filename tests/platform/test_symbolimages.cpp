// The symbol pictures the drawers load by name, made by the program itself.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>

#include <set>

#include "platform/gui/TQGlyphMap.h"
#include "platform/gui/TQSymbolImages.h"
#include "tests/support/TQTestSupport.h"

namespace {

class SymbolImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadProgramFonts(tqtest::ProgramFolder().string()); }
};

// Every name the drawers ask for: the symbol table, the note heads, the flags
// with their suffixes and the nine instrument pictures.
const char* const kNames[] = {
    "ij",        "GClef",     "FClef",    "CClef",   "Natural",     "Flat",        "4_4Signature", "PaddleDown",
    "PaddleUp",  "SFlat",     "StartBrack", "DnTail", "UpTail",     "GongChiLowDot", "Brace2",     "gita",
    "3QFlat",    "FlatBack",  "DSharp",   "SWave",   "LWave",       "SWave1",      "LWave1",       "U",
    "Rest4th",   "Rest8th",   "Rest16th", "Rest32th", "Rest64th",   "Rest128th",   "noteS",        "noteH",
    "noteF",     "UpTail1",   "UpTail2",  "DnTail1", "DnTail2",     "Instrument0", "Instrument1",  "Instrument2",
    "Instrument3", "Instrument4", "Instrument5", "Instrument6", "Instrument7", "Instrument8",
};

struct TInkBox {
    int left, top, right, bottom; // inclusive
};

TInkBox Ink(const QImage& img) {
    TInkBox b{img.width(), img.height(), -1, -1};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST_F(SymbolImagesTest, EveryNameGivesABlackOnWhitePicture) {
    std::set<std::string> listed;
    for (const auto& n : SymbolImageNames())
        listed.insert(n);
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(listed.count(name));
        ASSERT_TRUE(HasSymbolImage(name));
        QImage img = SymbolImage(name);
        ASSERT_FALSE(img.isNull());
        // Only pure black and the transparent white: recolouring reaches every
        // ink pixel and transparency every background pixel.
        int black = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QRgb c = img.pixel(x, y) & 0xFFFFFF;
                ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << x << "," << y;
                black += c == 0;
            }
        EXPECT_GT(black, 20);
    }
    EXPECT_EQ(listed.size(), std::size(kNames));
}

TEST_F(SymbolImagesTest, NamesIgnoreCaseAndUnknownNamesHaveNoPicture) {
    EXPECT_TRUE(HasSymbolImage("gclef"));
    EXPECT_EQ(SymbolImage("GCLEF"), SymbolImage("GClef"));
    EXPECT_FALSE(HasSymbolImage("Rest256th"));
    EXPECT_TRUE(SymbolImage("Rest256th").isNull());
    EXPECT_FALSE(HasSymbolImage(""));
    EXPECT_TRUE(InstrumentImage(-1).isNull());
    EXPECT_TRUE(InstrumentImage(9).isNull());
    EXPECT_EQ(InstrumentImage(3), SymbolImage("Instrument3"));
}

TEST_F(SymbolImagesTest, PicturesAreCroppedToTheirInk) {
    // The drawers place a picture by its top-left corner as the symbol's: a
    // one-pixel white border at most around the ink.
    for (const char* name : {"GClef", "Flat", "Rest8th", "UpTail", "DnTail2", "Brace2", "DSharp", "U"}) {
        SCOPED_TRACE(name);
        QImage img = SymbolImage(name);
        TInkBox b = Ink(img);
        EXPECT_LE(b.left, 1);
        EXPECT_LE(b.top, 1);
        EXPECT_GE(b.right, img.width() - 2);
        EXPECT_GE(b.bottom, img.height() - 2);
    }
}

TEST_F(SymbolImagesTest, ShapesHaveTheProportionsTheDrawersStretchThemTo) {
    struct TCase {
        const char* name;
        double minAspect, maxAspect; // width / height
    } cases[] = {
        {"GClef", 0.36, 0.42},     // drawn 0.756 wide and 1.932 high
        {"noteS", 1.1, 1.2},       // 1.18 spaces wide, 0.255 row (1.02 spaces) high
        {"noteH", 1.08, 1.18},     // 1.18 spaces wide, 0.26 row high
        {"noteF", 1.6, 1.8},       // 0.85 column wide, 0.25 row high
        {"DnTail", 0.33, 0.42},    // 0.5 column wide, reaching 0.67 row up the stem
        {"Rest8th", 0.5, 0.65},
        {"Instrument0", 0.45, 0.55}, // stretched into a grid cell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage img = SymbolImage(c.name);
        ASSERT_FALSE(img.isNull());
        double aspect = double(img.width()) / img.height();
        EXPECT_GE(aspect, c.minAspect);
        EXPECT_LE(aspect, c.maxAspect);
    }
    // The black and the half head's ink starts at the picture's left edge,
    // where the note drawer's head box starts.
    for (const char* name : {"noteS", "noteH"}) {
        QImage s = SymbolImage(name);
        EXPECT_LE(Ink(s).left, 1) << name;
    }
}

TEST_F(SymbolImagesTest, TheNineInstrumentPicturesDiffer) {
    for (int i = 0; i < 9; ++i) {
        QImage img = InstrumentImage(i);
        ASSERT_FALSE(img.isNull()) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(img, InstrumentImage(j)) << i << " and " << j;
    }
}

// Every picture, for a person to look at.
TEST_F(SymbolImagesTest, ReferenceSheet) {
    const int cellW = 150, cellH = 150, perRow = 8;
    std::vector<std::string> names = SymbolImageNames();
    int rows = int((names.size() + perRow - 1) / perRow);
    QImage sheet(perRow * cellW, rows * cellH, QImage::Format_RGB32);
    sheet.fill(QColor(235, 235, 235));
    QPainter p(&sheet);
    QFont label("Liberation Sans");
    label.setPixelSize(12);
    p.setFont(label);
    for (size_t i = 0; i < names.size(); ++i) {
        int x = int(i % perRow) * cellW, y = int(i / perRow) * cellH;
        QImage img = SymbolImage(names[i]);
        ASSERT_FALSE(img.isNull()) << names[i];
        QImage fit = img.scaled(cellW - 20, cellH - 30, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage(x + 10, y + 5, fit);
        p.setPen(Qt::black);
        p.drawText(QPointF(x + 10, y + cellH - 8),
                   QString("%1 %2x%3").arg(QString::fromStdString(names[i])).arg(img.width()).arg(img.height()));
    }
    p.end();
    tqtest::SavePngIfWanted(sheet, "symbol_images");
}

} // namespace
