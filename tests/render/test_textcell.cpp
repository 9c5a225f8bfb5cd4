// Text cells: fonts by code, key headers, key texts with their signs, rotated
// and framed texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modTQUtil.h"
#include "platform/core/TQStrings.h"
#include "render/modTQDrawMsc.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

namespace {

// x unit 20, y unit 40, draw scale 20; the cell is drawn at (100, 200).
TCell Text(const std::string& bytes, int charset = 0) {
    TCell c;
    c.cellType = ctText;
    c.Text = bytes;
    c.FontCharset = charset;
    return c;
}

void Draw(TViewFixture& fx, const TCell& cell) {
    fx.canvas.Clear();
    DrawTextCell(&fx.view.DrawEngine, 100.0f, 200.0f, cell);
}

// Installs a string table for the test and removes it afterwards.
class TStrings {
public:
    TStrings() {
        SetStringLookup([](int id) { return id == 532 ? std::string("固定调") : std::string(); });
    }
    ~TStrings() { SetStringLookup(nullptr); }
};

} // namespace

TEST(TextCells, FontByCode) {
    struct Case {
        const char* code;
        std::string font;
    };
    const std::vector<Case> cases = {
        {"CN", "SimSun"}, {"NT", "Arial"}, {"EN", "Times New Roman"}, {"", "Times New Roman"},
        {"Book Antiqua", "Book Antiqua"},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TCell cell = Text("Allegro");
        cell.FontName = c.code;
        cell.FontStyle = fsItalic;
        cell.fontSizeR = 1.5f;
        Draw(fx, cell);
        const TCanvasCall* t = fx.canvas.FindText("Allegro");
        ASSERT_NE(t, nullptr) << c.code << "\n" << fx.canvas.Dump();
        EXPECT_EQ(t->Font.Name, c.font) << c.code;
        EXPECT_EQ(t->Font.Style, fsItalic) << c.code;
        EXPECT_EQ(t->Font.Size, 30) << c.code;
        EXPECT_EQ(t->Arg(0), 104);
        EXPECT_EQ(t->Arg(1), 220 - t->Extent.cy / 2);
        // back to the note font, charset 0
        EXPECT_EQ(fx.canvas.Font.Name, "Arial");
        EXPECT_EQ(fx.canvas.Font.Charset, 0);
    }
}

TEST(TextCells, TextIsDecodedFromItsCodePage) {
    TViewFixture fx;
    Draw(fx, Text("\xD6\xD0\xCE\xC4", 134)); // GBK bytes
    ASSERT_EQ(fx.canvas.TextOuts().size(), 1u);
    EXPECT_EQ(fx.canvas.TextOuts()[0]->Text, "中文");
    // CP1252 bytes
    Draw(fx, Text("caf\xE9", 0));
    EXPECT_EQ(fx.canvas.TextOuts()[0]->Text, "café");
    // bytes that mean nothing in the code page are not drawn as something else
    Draw(fx, Text("\xD6", 134));
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::TextOut), 0);
    Draw(fx, Text(""));
    EXPECT_EQ(fx.canvas.size(), 0u);
}

TEST(TextCells, KeyTextTypesetWithItsSign) {
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        TViewFixture fx;
        Draw(fx, Text("1=bE"));
        const TCanvasCall* head = fx.canvas.FindText("1=");
        const TCanvasCall* letter = fx.canvas.FindText("E");
        ASSERT_NE(head, nullptr) << fx.canvas.Dump();
        ASSERT_NE(letter, nullptr) << fx.canvas.Dump();
        for (const TCanvasCall* t : {head, letter}) {
            // the digits' face, bold, 0.85 of their size
            EXPECT_EQ(t->Font.Name, "Arial");
            EXPECT_EQ(t->Font.Style, fsBold);
            EXPECT_EQ(t->Font.Size, 17);
        }
        EXPECT_EQ(head->Arg(0), 104);
        // the flat between them: a glyph, or its picture without the font
        int signX = 0;
        if (font) {
            const TCanvasCall* flat = fx.canvas.FindText("b");
            ASSERT_NE(flat, nullptr) << fx.canvas.Dump();
            EXPECT_EQ(flat->Font.Name, "MusicalSymbols");
            signX = flat->Arg(0);
        } else {
            const auto pictures = fx.canvas.OfOp(TCanvasOp::StretchDraw);
            ASSERT_EQ(pictures.size(), 1u) << fx.canvas.Dump();
            signX = pictures[0]->Arg(0);
        }
        EXPECT_GT(signX, head->Arg(0) + head->Extent.cx / 2);
        EXPECT_GT(letter->Arg(0), signX);
        EXPECT_EQ(letter->Arg(1), head->Arg(1));
    }
    // a sharp key: "1 =", the sign, the letter
    TMusicFonts fonts(false, false);
    TViewFixture fx;
    Draw(fx, Text("1=#F"));
    EXPECT_NE(fx.canvas.FindText("1="), nullptr);
    EXPECT_NE(fx.canvas.FindText("F"), nullptr);
    EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Polygon), 2) << "drawn sharp\n" << fx.canvas.Dump();
}

TEST(TextCells, KeyTextForms) {
    struct Case {
        std::string text;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"1=C", {"1=C"}},
        {"1 = G", {"1=G"}},
        {"1=Eb", {"1=", "E"}},               // the later sign wins over nothing
        {"1=bE Major", {"1=bE Major"}},      // ten characters: plain text
        {"1=", {"1="}},                      // no letter: plain text
        {"x1=D", {"1=D"}},                   // the match need not start the text
    };
    TMusicFonts fonts(true, true);
    for (const Case& c : cases) {
        TViewFixture fx;
        Draw(fx, Text(c.text));
        std::vector<std::string> texts;
        for (const TCanvasCall* t : fx.canvas.TextOuts())
            if (t->Font.Name != "MusicalSymbols")
                texts.push_back(t->Text);
        EXPECT_EQ(texts, c.texts) << c.text;
    }
}

TEST(TextCells, KeyHeaders) {
    TStrings strings;
    TMusicFonts fonts(true, true);
    struct Case {
        int key;
        std::string header;
        bool sharp;
    };
    const std::vector<Case> cases = {
        {1, "1 = C (G)", false},
        {13, "1 = C (  F)", true},
        {15, "1 = C ", false},
    };
    for (const Case& c : cases) {
        TViewFixture fx;
        TCell cell = Text("1=G");
        cell.Attr = 0x90;
        cell.Note = c.key;
        cell.option = 0x80000; // framed, but a header never is
        Draw(fx, cell);
        const TCanvasCall* header = fx.canvas.FindText(c.header);
        ASSERT_NE(header, nullptr) << c.key << "\n" << fx.canvas.Dump();
        EXPECT_EQ(header->Font.Name, "Times New Roman");
        EXPECT_EQ(header->Font.Size, 16) << "0.8 of the cell's size";
        EXPECT_EQ(header->Arg(0), 104);
        EXPECT_EQ(header->Arg(1), 220 - header->Extent.cy / 2);
        const TCanvasCall* words = fx.canvas.FindText(" 固定调");
        ASSERT_NE(words, nullptr) << fx.canvas.Dump();
        EXPECT_EQ(words->Font.Size, 8);
        EXPECT_EQ(words->Arg(0), 104 + header->Extent.cx);
        EXPECT_EQ(words->Arg(1), header->Arg(1) + header->Extent.cy / 2);
        EXPECT_EQ(fx.canvas.CountOf(TCanvasOp::Rectangle), 0);
        const TCanvasCall* sharp = fx.canvas.FindText("#");
        EXPECT_EQ(sharp != nullptr, c.sharp) << c.key;
        if (sharp) {
            EXPECT_EQ(sharp->Arg(0), RoundToInt(104.0f + static_cast<float>(header->Extent.cx) - 28.0f));
            EXPECT_EQ(sharp->Arg(1), 200 - 24);
        }
    }
}

TEST(TextCells, KeyHeaderSignsWithAndWithoutTheMusicFont) {
    TStrings strings;
    for (bool font : {true, false}) {
        TMusicFonts fonts(font, font);
        // a flat key (8, E flat): the flat picture 1.4 columns left of the
        // header's end, at 1.5 times the flat's width, whatever the font
        TViewFixture fx;
        TCell flat = Text("1=bE");
        flat.Attr = 0x90;
        flat.Note = 8;
        Draw(fx, flat);
        const TCanvasCall* header = fx.canvas.FindText("1 = C (  E)");
        ASSERT_NE(header, nullptr) << fx.canvas.Dump();
        const auto pictures = fx.canvas.OfOp(TCanvasOp::StretchDraw);
        ASSERT_EQ(pictures.size(), 1u) << fx.canvas.Dump();
        const float left = 104.0f + static_cast<float>(header->Extent.cx) - 28.0f;
        EXPECT_EQ(pictures[0]->Arg(0), RoundToInt(left));
        EXPECT_EQ(pictures[0]->Arg(1), 196);
        EXPECT_EQ(pictures[0]->RectArg().Width(), RoundToInt(left + 20.0f * 1.5f * 0.27f) - RoundToInt(left));

        // a sharp key (13, F sharp) keeps its sign without the music font: the
        // drawn sharp stands in the gap before the letter
        TCell sharp = Text("1=#F");
        sharp.Attr = 0x90;
        sharp.Note = 13;
        Draw(fx, sharp);
        header = fx.canvas.FindText("1 = C (  F)");
        ASSERT_NE(header, nullptr) << fx.canvas.Dump();
        const float end = 104.0f + static_cast<float>(header->Extent.cx);
        if (font) {
            const TCanvasCall* glyph = fx.canvas.FindText("#");
            ASSERT_NE(glyph, nullptr) << fx.canvas.Dump();
            EXPECT_EQ(glyph->Arg(0), RoundToInt(end - 28.0f));
        } else {
            EXPECT_EQ(fx.canvas.FindText("#"), nullptr);
            const auto strokes = fx.canvas.OfOp(TCanvasOp::FillRect);
            ASSERT_EQ(strokes.size(), 2u) << fx.canvas.Dump();
            for (const TCanvasCall* s : strokes) {
                EXPECT_GE(s->RectArg().Left, RoundToInt(end - 28.0f)) << fx.canvas.Dump();
                EXPECT_LT(s->RectArg().Right, RoundToInt(end)) << fx.canvas.Dump();
            }
        }
    }
}

TEST(TextCells, RotatedAndFramedTexts) {
    TViewFixture fx;
    TCell turned = Text("Andante");
    turned.dot = 450;
    Draw(fx, turned);
    const auto fonts = fx.canvas.OfOp(TCanvasOp::SelectLogFont);
    ASSERT_FALSE(fonts.empty()) << fx.canvas.Dump();
    ASSERT_TRUE(fonts[0]->LogFont.has_value());
    EXPECT_EQ(fonts[0]->LogFont->Escapement, 450);
    ASSERT_NE(fx.canvas.FindText("Andante"), nullptr);

    for (const char* how : {"attr", "option"}) {
        TCell framed = Text("Fine");
        if (std::string(how) == "attr")
            framed.Attr = 0xF0;
        else
            framed.option = 0x80000;
        Draw(fx, framed);
        const TCanvasCall* t = fx.canvas.FindText("Fine");
        const auto frames = fx.canvas.OfOp(TCanvasOp::Rectangle);
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(frames.size(), 1u) << how;
        const float by = 220.0f - static_cast<float>(t->Extent.cy / 2);
        EXPECT_EQ(frames[0]->RectArg(), (TRect{RoundToInt(104.0f - 2.4f), RoundToInt(by + 1.0f),
                                                RoundToInt(104.0f + static_cast<float>(t->Extent.cx) + 4.0f),
                                                RoundToInt(by + static_cast<float>(t->Extent.cy))}))
            << how;
    }
}
