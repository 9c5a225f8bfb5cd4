// The keyboard's command table: typed characters on Western and other rows,
// the palettes' quick keys, full-width punctuation and two-byte input, and the
// key-down table with its modifier flags.
#include <gtest/gtest.h>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQKeyTable.h"
#include "tests/support/TQScoreFixture.h"

namespace {

struct KeyTableTest : ::testing::Test {
    KeyTableTest() : fx(12, 6) {
        fx.Row(0, "&G ~ W:3@0 ~{mark=2,iEnd=4,jEnd=0}");
        fx.Row(2, "1 2 ~ 3{mark=2,iEnd=5,jEnd=2}");
        AltDown = ShiftDown = CtrlDown = false;
        PendingLeadByte = 0;
    }
    ~KeyTableTest() override {
        AltDown = ShiftDown = CtrlDown = false;
        PendingLeadByte = 0;
    }
    void Cursor(int col, int row) {
        auto& s = fx.Score();
        s.SelCol0 = s.SelCol1 = col;
        s.SelRow0 = s.SelRow1 = row;
    }
    TScoreFixture fx;
    TKeyState st;
};

struct PressCase {
    int col, row;
    int ch;
    TKeyCmd cmd;
    int a, b;
};

} // namespace

TEST_F(KeyTableTest, TypedCharactersFollowTheRowKind) {
    const PressCase cases[] = {
        // Western row (row 0): blank cursor at column 1, a note at column 2
        {1, 0, 'c', TKeyCmd::WestLetterNote, 'c', 0},
        {1, 0, 'B', TKeyCmd::WestLetterNote, 'B', 0},
        {2, 0, 'b', TKeyCmd::InsertSymbol, 15, 0},
        {1, 0, '9', TKeyCmd::InsertSymbol, 14, 0},
        {1, 0, '/', TKeyCmd::WestCode, 114, 1},
        {1, 0, '_', TKeyCmd::WestCode, 12, 1},
        {1, 0, '[', TKeyCmd::WestCode, 21, 0},
        {1, 0, 'q', TKeyCmd::WestCode, 1, 0},
        {1, 0, 'X', TKeyCmd::WestCode, 102, 0},
        {1, 0, 'z', TKeyCmd::WestCode, 101, 0},
        {1, 0, '=', TKeyCmd::CombineTails, 0, 0},
        {1, 0, 'g', TKeyCmd::WestLetterNote, 'g', 0}, // the header already has the G clef
        {1, 0, '5', TKeyCmd::TypeNoteKey, '5', 0},
        {1, 0, '|', TKeyCmd::TypeNoteKey, '|', 0},
        {1, 0, '\'', TKeyCmd::ChangeOctave, '\'', 0},
        {1, 0, 'L', TKeyCmd::InsertSymbol, 27, 0},
        {3, 0, '{', TKeyCmd::FlipMark, 0, 0},
        {1, 0, '{', TKeyCmd::InsertSymbol, 6, 0},
        // other rows (row 2): a Jianpu note at column 0, a blank at column 2
        {0, 2, 'c', TKeyCmd::InsertSymbol, 23, 0},
        {0, 2, 'e', TKeyCmd::InsertMark, 65, 0},
        {0, 2, 'f', TKeyCmd::InsertMark, 2, 0},
        {0, 2, 'q', TKeyCmd::WestCode, 3, 0},
        {0, 2, 's', TKeyCmd::SwapUnderlines, 0, 0},
        {0, 2, '=', TKeyCmd::SetUnderlines, 0, 0},
        {0, 2, 'x', TKeyCmd::TypeNoteKey, 'x', 0},
        {0, 2, 'z', TKeyCmd::AddThirdToChord, 0, 0},
        {2, 2, 'z', TKeyCmd::None, 0, 0},
        {0, 2, 'y', TKeyCmd::None, 0, 0},
        {0, 2, '8', TKeyCmd::AddOctaveNote, 0, 0},
        {0, 2, '!', TKeyCmd::None, 0, 0},
        {0, 2, 0xFF0C, TKeyCmd::ChangeOctave, ',', 0},
        {0, 2, 0x3002, TKeyCmd::TypeNoteKey, '.', 0},
        {0, 2, 0x2019, TKeyCmd::ChangeOctave, '\'', 0},
        {0, 2, 0x300A, TKeyCmd::None, 0, 0}, // '<' does nothing
        {0, 2, 0x3010, TKeyCmd::InsertMark, 4, 0},
    };
    for (const PressCase& c : cases) {
        Cursor(c.col, c.row);
        const TKeyCommand k = KeyPressCommand(c.ch, st);
        EXPECT_EQ(k.cmd, c.cmd) << "char " << c.ch << " at " << c.col << "," << c.row;
        EXPECT_EQ(k.a, c.a) << "char " << c.ch << " at " << c.col << "," << c.row;
        EXPECT_EQ(k.b, c.b) << "char " << c.ch << " at " << c.col << "," << c.row;
        EXPECT_TRUE(k.redrawPage);
    }
}

TEST_F(KeyTableTest, ClefLetterChangesAnotherClef) {
    Cursor(1, 0);
    fx.Score().SelCol0 = 0;
    const TKeyCommand k = KeyPressCommand('F', st);
    EXPECT_EQ(k.cmd, TKeyCmd::ChangeClef);
    EXPECT_EQ(k.a, -2);
}

TEST_F(KeyTableTest, QuickKeysComeFirstWhenSwitchedOn) {
    st.specialKeys = true;
    Cursor(0, 2);
    // the first page has a Western row: '1'..'5' are symbols 124..128
    EXPECT_EQ(KeyPressCommand('3', st), (TKeyCommand{TKeyCmd::InsertSymbol, 126}));
    EXPECT_EQ(KeyPressCommand('d', st), (TKeyCommand{TKeyCmd::InsertSymbol, 133}));
    fx.Row(0, "~ ~ ~ ~");
    EXPECT_EQ(KeyPressCommand('0', st), (TKeyCommand{TKeyCmd::InsertSymbol, 16}));
    EXPECT_EQ(KeyPressCommand('w', st), (TKeyCommand{TKeyCmd::InsertSymbol, 36}));

    st.specialKeys = false;
    st.dynamicKeys = true;
    Cursor(3, 2); // carries a mark
    EXPECT_EQ(KeyPressCommand('9', st), (TKeyCommand{TKeyCmd::ChangeMarkHeight, 1}));
    EXPECT_EQ(KeyPressCommand('_', st), (TKeyCommand{TKeyCmd::MoveMark, 1}));
    EXPECT_EQ(KeyPressCommand('<', st), (TKeyCommand{TKeyCmd::MoveMarkEnd, 1}));
    EXPECT_EQ(KeyPressCommand('d', st), (TKeyCommand{TKeyCmd::DeleteMark}));
    Cursor(0, 2); // no mark: the normal table
    EXPECT_EQ(KeyPressCommand('9', st).cmd, TKeyCmd::InsertSymbol);
}

TEST_F(KeyTableTest, TwoByteInputWaitsForItsSecondByte) {
    Cursor(0, 2);
    EXPECT_EQ(KeyPressCommand(0xA3, st, true).cmd, TKeyCmd::None);
    EXPECT_EQ(PendingLeadByte, 0xA3);
    const TKeyCommand k = KeyPressCommand(0xAC, st, true);
    EXPECT_EQ(k.cmd, TKeyCmd::ChangeOctave);
    EXPECT_EQ(k.a, ',');
    EXPECT_EQ(PendingLeadByte, 0);
    // a second byte the table does not know is taken as itself
    KeyPressCommand(0xA1, st, true);
    EXPECT_EQ(KeyPressCommand('5', st, true), (TKeyCommand{TKeyCmd::TypeNoteKey, '5', 0, 0, 0, true}));
    // typed Unicode never waits
    EXPECT_EQ(KeyPressCommand(0xA3, st).cmd, TKeyCmd::None);
    EXPECT_EQ(PendingLeadByte, 0);
}

TEST_F(KeyTableTest, KeyDownTableAndModifierFlags) {
    Cursor(0, 2);
    TKeyInput in;
    in.key = vkLeft;
    EXPECT_EQ(KeyDownCommand(in, st), (TKeyCommand{TKeyCmd::MoveCursor, -1, 0}));
    EXPECT_EQ(ChordNoteIndex, 1);
    in.key = vkDown;
    EXPECT_EQ(KeyDownCommand(in, st), (TKeyCommand{TKeyCmd::MoveCursor, 0, 1}));
    in.ctrl = true;
    TKeyCommand k = KeyDownCommand(in, st);
    EXPECT_EQ(k.cmd, TKeyCmd::NudgeSelection);
    EXPECT_DOUBLE_EQ(k.dy, 0.2);
    EXPECT_TRUE(CtrlDown);
    KeyUpState(TKeyInput{}, st);
    EXPECT_FALSE(CtrlDown);

    // a Western note moves by a step with Up
    Cursor(2, 0);
    in = TKeyInput{};
    in.key = vkUp;
    k = KeyDownCommand(in, st);
    EXPECT_EQ(k.cmd, TKeyCmd::NudgeSelection);
    EXPECT_DOUBLE_EQ(k.dy, -1.0);

    in = TKeyInput{};
    in.key = vkDelete;
    in.alt = true;
    EXPECT_EQ(KeyDownCommand(in, st), (TKeyCommand{TKeyCmd::DeleteSymbolSlot, 1}));
    KeyUpState(TKeyInput{}, st);
    in.alt = false;
    in.shift = true;
    EXPECT_EQ(KeyDownCommand(in, st).cmd, TKeyCmd::DeleteMark);
    KeyUpState(TKeyInput{}, st);

    in = TKeyInput{};
    in.key = vkPrior;
    EXPECT_EQ(KeyDownCommand(in, st).cmd, TKeyCmd::None); // the button is disabled
    in.key = vkTab;
    EXPECT_EQ(KeyDownCommand(in, st).cmd, TKeyCmd::None);
    in.key = vkSpace;
    EXPECT_EQ(KeyDownCommand(in, st), (TKeyCommand{TKeyCmd::TypeNoteKey, ' '}));

    // nothing while the text box is open; modifiers stay as they were
    st.textBoxVisible = true;
    in.key = vkLeft;
    in.ctrl = true;
    EXPECT_EQ(KeyDownCommand(in, st).cmd, TKeyCmd::None);
    EXPECT_FALSE(CtrlDown);
}

TEST_F(KeyTableTest, CtrlUpMovesAQuarterRestOrShorterByAFifth) {
    fx.Row(4, "&G W:21 W:22 W:27");
    struct Case {
        int col;
        double dy;
    } cases[] = {{1, -1.0}, {2, -0.2}, {3, -0.2}};
    for (const Case& c : cases) {
        Cursor(c.col, 4);
        TKeyInput in;
        in.key = vkUp;
        in.ctrl = true;
        const TKeyCommand k = KeyDownCommand(in, st);
        EXPECT_EQ(k.cmd, TKeyCmd::NudgeSelection) << c.col;
        EXPECT_DOUBLE_EQ(k.dy, c.dy) << c.col;
        KeyUpState(TKeyInput{}, st);
    }
}
