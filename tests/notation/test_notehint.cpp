// Note-name hints: their texts and how they are drawn.
#include <gtest/gtest.h>

#include <string>

#include "notation/modTQNoteHint.h"
#include "render/modTQDrawEngine.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQViewFixture.h"

TEST(NoteHint, NamesOfNotesChordsSmallNotesAndTheTwin) {
    struct Case {
        const char* row;
        int col;
        const char* names;
    };
    const Case cases[] = {
        {"&G W:3@0", 1, "B"},         {"&G W:3@6", 1, "C"}, {"&G/1 W:3@3", 1, "kF"}, // G major: F sharp
        {"&G W:3@0+2+2", 1, "FtDtB"},                     // chord: top down, then the main note
        {"&F W:3@0", 1, "D"},         {"&G W:23", 1, ""}, // a rest
        {"W:3@0 W:3@0", 1, ""},                           // no clef
    };
    for (const Case& c : cases) {
        TViewFixture fx(10, 3);
        fx.Row(1, c.row);
        EXPECT_EQ(GetWestNoteNames(c.col, 1, true), c.names) << c.row;
    }
    TViewFixture fx(10, 3, 1);
    fx.Row(1, "&G W:3@0");
    fx.Row(1, "~ W:3@-1", 1);
    TCell& small = fx.At(1, 1);
    EXPECT_EQ(GetNoteHintText(1, 1), "BuC");
    small.CompressNotes = {TCompressNote{4, 0}, TCompressNote{4, 1}};
    EXPECT_EQ(GetNoteHintText(1, 1), "B AuC");
}

TEST(NoteHint, AccidentalLettersDrawTheirSignLeftOfTheLetter) {
    TMusicFonts fonts(true, true);
    auto draw = [](const char* text, TViewFixture& fx) {
        DrawTextWithAccidentals(&fx.view.DrawEngine, 100.0f, 100.0f, text, nullptr);
    };
    TViewFixture fx(10, 3);
    draw("kC", fx);
    const TCanvasCall* letter = fx.canvas.FindText("C");
    ASSERT_NE(letter, nullptr) << fx.canvas.Dump();
    EXPECT_EQ(letter->Arg(0), 100);
    const auto texts = fx.canvas.TextOuts();
    ASSERT_EQ(texts.size(), 2u) << fx.canvas.Dump();
    EXPECT_LT(texts[1]->Arg(0), 100); // the sharp, to the left
    EXPECT_LT(texts[1]->Arg(1), letter->Arg(1));

    // 's' is the three-quarter flat, its own form (not the reversed flat 'q').
    TViewFixture a(10, 3), b(10, 3);
    draw("sC", a);
    draw("qC", b);
    EXPECT_NE(a.canvas.Dump(), b.canvas.Dump());

    // 't' raises the start one line for each; 'u' turns the rest grey.
    TViewFixture c(10, 3);
    draw("DtBuC", c);
    const auto lines = c.canvas.TextOuts();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_LT(lines[0]->Arg(1), letter->Arg(1));
    EXPECT_EQ(lines[2]->Font.Color, 0x808080);
    EXPECT_EQ(lines[0]->Font.Color, 0x000000);
}

TEST(NoteHint, HintAboveTheNoteButNotOnADrumStaff) {
    TMusicFonts fonts(true, true);
    for (const char* clef : {"&G", "&D"}) {
        TViewFixture fx(10, 3);
        fx.Row(1, std::string(clef) + " W:3@0{opt=0x8000}");
        TCell& n = fx.At(1, 1);
        n.upNote = 90;
        n.FontStyle = 120;
        n.FontCharset = 150;
        DrawNoteNameHint(&fx.view.DrawEngine, 1, 1);
        if (std::string(clef) == "&D") {
            EXPECT_TRUE(fx.canvas.Calls().empty()) << fx.canvas.Dump();
            EXPECT_EQ(fx.view.CurClef, -4);
        } else {
            const TCanvasCall* t = fx.canvas.FindText("B");
            ASSERT_NE(t, nullptr) << fx.canvas.Dump();
            // x: the note's centre less 0.35 x 0.6 of a column; y above the row's top.
            EXPECT_EQ(t->Arg(0), 90 - 4);
            EXPECT_LT(t->Arg(1), 90);
        }
    }
}
