// The main window shown offscreen, driven by key events as the keyboard sends
// them (shortcut override, press, release) and by its text, sign, colour and
// picture commands, on scores built from text pictures.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QSpinBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/frmTQMain.h"
#include "edit/modTQCursorKeys.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQCellAccess.h"
#include "model/modTQUndo.h"
#include "palettes/frmTQSpeedSign.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class WindowKeys : public TWindowTest {
protected:
    void SetUp() override {
        fs::remove(TQUserFolder() + "TQHistoryFILE");
        TWindowTest::SetUp();
    }
    void TearDown() override {
        TWindowTest::TearDown();
        fs::remove(TQUserFolder() + "TQHistoryFILE");
    }
    void OpenTextBox() {
        w->btnEnterText->setChecked(true);
        ASSERT_TRUE(w->edtEnterText->isVisible());
    }
};

} // namespace

// ---------------------------------------------------------------- note keys

TEST_F(WindowKeys, LetterKeysEnterWesternNotesAndFlatAnEnteredNote) {
    Row(0, "&G");
    Select(2, 0, 2, 0);
    Type("c");
    EXPECT_EQ(At(2, 0).cellType, ctWestern);
    EXPECT_EQ(At(2, 0).Note, 3);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, 6.0f);
    EXPECT_EQ(w->SelCol0, 3);
    Type("C"); // upper case: one octave lower
    EXPECT_EQ(At(3, 0).Note, 3);
    EXPECT_FLOAT_EQ(At(3, 0).yAdj, 13.0f);

    // 'b' over a note is the flat, not a note B
    Select(2, 0, 2, 0);
    Type("b");
    EXPECT_EQ(At(2, 0).Attr & 0xFu, 2u);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, 6.0f);
    EXPECT_EQ(At(4, 0).Note, 32); // nothing entered after the notes
}

TEST_F(WindowKeys, ClefLetterOnAHeaderChangesTheClefAndKeepsPitches) {
    Row(0, "&G ~ W:3@0");
    Select(0, 0, 4, 0);
    Type("F");
    EXPECT_EQ(At(0, 0).Note, -2);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, -12.0f);
    for (int c = 3; c <= 5; ++c)
        EXPECT_EQ(At(c, 0).Note, 32) << "column " << c;
}

TEST_F(WindowKeys, SharpKeyWithDynamicKeysButNoMarkInsertsTheSharp) {
    Row(0, "&G W:3@0");
    Select(1, 0, 1, 0);
    w->mitEnableDynKey->setChecked(true);
    Type("9");
    EXPECT_EQ(At(1, 0).Attr & 0xFu, 1u); // the sharp
    EXPECT_EQ(At(1, 0).markType, 0);
}

TEST_F(WindowKeys, FullWidthCommaLowersLikeTheComma) {
    Row(1, "5 5");
    Select(0, 1, 0, 1);
    Key(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xFF0C)));
    EXPECT_EQ(At(0, 1).dot, -1);
    Select(1, 1, 1, 1);
    Type(",");
    EXPECT_EQ(At(1, 1).dot, -1);
}

TEST_F(WindowKeys, CtrlDigitChoosesASmallNote) {
    Row(1, "1");
    At(0, 1).CompressNotes = {TCompressNote{'1', 0, 0, 0, 0, 0}, TCompressNote{'3', 0, 0, 0, 0, 0}};
    At(0, 1).Attr = 0xA0;
    Select(0, 1, 0, 1);
    const TCell before = At(0, 1);
    Key(Qt::Key_2, Qt::ControlModifier, QStringLiteral("2"));
    EXPECT_EQ(ChordNoteIndex, 2);
    Key(Qt::Key_3, Qt::ControlModifier, QStringLiteral("3"));
    EXPECT_EQ(ChordNoteIndex, -1);
    EXPECT_EQ(w->sbrPanel1->text(), "");
    EXPECT_EQ(At(0, 1), before); // choosing changes no cell
}

TEST_F(WindowKeys, SpecialQuickKeysLabelTheirButtons) {
    Row(0, "&G");
    w->mitEnableSpKey->trigger();
    ASSERT_TRUE(w->mitEnableSpKey->isChecked());
    // the quick-key label of every labelled button of a palette, by Tag
    auto labelsOf = [](QWidget* palette) {
        std::map<int, QString> found;
        for (QAbstractButton* b : palette->findChildren<QAbstractButton*>())
            if (!b->property("KeyHintText").toString().isEmpty())
                found[TagOf(b)] = b->property("KeyHintText").toString();
        return found;
    };
    std::map<int, QString> labels = labelsOf(w->frmSpecial);
    EXPECT_EQ(labels[124], "1");
    EXPECT_EQ(labels[128], "5");
    EXPECT_EQ(labels[131], "b");
    EXPECT_EQ(labels[8], "d"); // btnV
    EXPECT_EQ(labels.count(35), 0u);
    Select(1, 0, 1, 0);
    Type("1"); // symbol 124 at the cursor
    EXPECT_EQ(At(1, 0).cellType, ctSymbol);
    w->mitEnableSpKey->trigger();
    EXPECT_TRUE(labelsOf(w->frmSpecial).empty());

    // the Dynamic Marks palette labels the buttons of its mark keys
    w->mitEnableDynKey->trigger();
    ASSERT_TRUE(w->mitEnableDynKey->isChecked());
    std::map<int, QString> marks = labelsOf(w->frmDynMark);
    EXPECT_EQ(marks[3100], "/");
    EXPECT_EQ(marks[3101], "(,9");
    EXPECT_EQ(marks[3103], "d");
    w->mitEnableDynKey->trigger();
    EXPECT_TRUE(labelsOf(w->frmDynMark).empty());
}

TEST_F(WindowKeys, TextBoxOpenStopsEveryKey) {
    Row(1, "1 2 3");
    Select(1, 1, 1, 1);
    OpenTextBox();
    const TCell before = At(1, 1);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    Type("c");
    Type("5");
    Key(Qt::Key_Delete);
    EXPECT_EQ(w->SelCol0, 1);
    EXPECT_EQ(w->SelRow0, 1);
    EXPECT_EQ(At(1, 1), before);
    EXPECT_EQ(At(3, 1).Note, 32);
    EXPECT_TRUE(w->edtEnterText->isVisible());
    // the controls that would leave the page are off while the box is shown
    for (const char* name : {"btnKeyboard", "btnGongChi"})
        EXPECT_FALSE(w->CommandAction(name)->isEnabled()) << name;
    EXPECT_FALSE(w->cbxPageNum->isEnabled());
    w->EndTextEntry();
    for (const char* name : {"btnKeyboard", "btnGongChi"})
        EXPECT_TRUE(w->CommandAction(name)->isEnabled()) << name;
    EXPECT_TRUE(w->cbxPageNum->isEnabled());
}

TEST_F(WindowKeys, TabDoesNothingAndHomeGoesToTheFirstPage) {
    Row(0, "1 2 3");
    w->AllocatePage(0, 2, true, 0, 0);
    w->GoToPage(2);
    Select(3, 2, 3, 2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(w->CurPage, 2);
    EXPECT_EQ(w->SelCol0, 3);
    Key(Qt::Key_Home);
    EXPECT_EQ(w->CurPage, 0);
    EXPECT_EQ(w->SelCol0, 0);
    EXPECT_EQ(w->SelRow0, 0);
    EXPECT_EQ(w->cbxPageNum->currentText(), "1");
}

TEST_F(WindowKeys, EscapeLeavesTheSliceView) {
    w->mitSliceViewClick();
    ASSERT_GT(w->SliceView, 0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(w->SliceView, 0);
    EXPECT_TRUE(w->tbrlTop->isVisible());
}

TEST_F(WindowKeys, DeleteEmptiesAOneRowSelectionAtTheTopRow) {
    Row(0, "1 2 3 4");
    Select(1, 0, 2, 0);
    Key(Qt::Key_Delete);
    EXPECT_EQ(At(0, 0).Note, '1');
    EXPECT_EQ(At(1, 0).Note, 32);
    EXPECT_EQ(At(2, 0).Note, 32);
    EXPECT_EQ(At(3, 0).Note, '4');
}

// Every kind of command of the key table, reached through the window's key
// events: one key, one visible effect on the score or the selection.
TEST_F(WindowKeys, EveryKeyTableCommandReachesTheScore) {
    struct Case {
        const char* name;
        const char* row0; // a Western staff row
        const char* row1; // a Jianpu row
        int col, row;
        int key;
        QString text;
        Qt::KeyboardModifiers mods;
        bool dynKeys;
        std::function<bool()> check;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Case cases[] = {
        {"digit", "&G", "1 ~", 1, 1, Qt::Key_5, "5", none, false,
         [this] { return At(1, 1).Note == '5' && w->SelCol0 == 2; }},
        {"space", "&G", "5 6", 0, 1, Qt::Key_Space, " ", none, false,
         [this] { return At(0, 1).Note == ' ' && w->SelCol0 == 1; }},
        {"symbol", "&G", "1 ~ ~", 2, 1, Qt::Key_A, "a", none, false,
         [this] { return At(2, 1).cellType == ctSymbol; }},
        {"mark", "&G", "1 2 3", 0, 1, Qt::Key_M, "m", none, false,
         [this] { return At(0, 1).markType == 1; }},
        {"west code", "&G ~", "", 1, 0, Qt::Key_H, "h", none, false,
         [this] { return At(1, 0).cellType == ctWestern && At(1, 0).Note == 23; }},
        {"octave note", "&G", "5 ~", 0, 1, Qt::Key_8, "8", none, false,
         [this] { return At(0, 1).CompressNotes.size() == 2u; }},
        {"underline", "&G", "5 6", 0, 1, Qt::Key_Equal, "=", none, false,
         [this] { return At(0, 1).UL == 1 && At(1, 1).UL == 0; }},
        {"swap underlines", "&G", "1_ 2__ 3__ |", 0, 1, Qt::Key_S, "s", none, false,
         [this] { return At(0, 1).UL == 2 && At(2, 1).UL == 1; }},
        {"third", "&G", "1 ~", 0, 1, Qt::Key_Z, "z", none, false,
         [this] { return At(0, 1).CompressNotes.size() >= 2u; }},
        {"backspace", "&G", "1 2 3 4", 3, 1, Qt::Key_Backspace, "\b", none, false,
         [this] { return w->SelCol0 == 2; }},
        {"end", "&G", "1 2", 1, 1, Qt::Key_End, "", none, false,
         [this] { return w->SelCol0 == w->Cols - 1 && w->SelCol1 == w->Cols - 1; }},
        {"right", "&G", "1 2", 0, 1, Qt::Key_Right, "", none, false,
         [this] { return w->SelCol0 == 1 && w->SelCol1 == 1; }},
        {"alt right", "&G", "1 2", 0, 1, Qt::Key_Right, "", Qt::AltModifier, false,
         [this] { return w->SelCol0 == 0 && w->SelCol1 == 1; }},
        {"shift right", "&G", "1 2", 0, 1, Qt::Key_Right, "", Qt::ShiftModifier, false,
         [this] { return At(0, 1).xAdj == 1.0f && w->SelCol0 == 0; }},
        {"ctrl left", "&G", "1 2", 0, 1, Qt::Key_Left, "", Qt::ControlModifier, false,
         [this] { return std::fabs(At(0, 1).xAdj + 0.2f) < 1e-5f; }},
        {"up on a staff note", "&G W:3@0", "", 1, 0, Qt::Key_Up, "", none, false,
         [this] { return At(1, 0).yAdj == -1.0f && w->SelRow0 == 0; }},
        {"ctrl up", "&G", "1 2", 0, 1, Qt::Key_Up, "", Qt::ControlModifier, false,
         [this] { return std::fabs(At(0, 1).yAdj + 0.2f) < 1e-5f && w->SelRow0 == 1; }},
        {"alt down", "&G", "1 2", 0, 1, Qt::Key_Down, "", Qt::AltModifier, false,
         [this] { return w->SelRow0 == 1 && w->SelRow1 == 2; }},
        {"down", "&G", "1 2", 0, 1, Qt::Key_Down, "", none, false,
         [this] { return w->SelRow0 == 2; }},
        {"alt delete", "&G", "S:5/6/7", 0, 1, Qt::Key_Delete, "", Qt::AltModifier, false,
         [this] { return At(0, 1).upNote != 7 && At(0, 1).Note == 5; }},
        {"shift delete", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_Delete, "", Qt::ShiftModifier, false,
         [this] { return At(0, 1).markType == 0 && At(0, 1).Note == '1'; }},
        {"chord note digit", "&G W:3@4+2+2", "", 1, 0, Qt::Key_2, "2", none, false,
         [this] { return ChordNoteIndex == 2 && At(1, 0).Note == 3; }},
        {"mark height", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_9, "9", none, true,
         [this] { return At(0, 1).markHAdj > 0; }},
        {"mark width", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_BracketLeft, "[", none, true,
         [this] { return At(0, 1).markWAdj > 0; }},
        {"mark move", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_Minus, "-", none, true,
         [this] { return At(0, 1).MarkY > 0 && At(0, 1).Note == '1'; }},
        {"mark end", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_Comma, ",", none, true,
         [this] { return At(0, 1).EndYAdj > 0 && At(0, 1).dot == 0; }},
        {"mark delete", "&G", "1{mark=2,iEnd=2,jEnd=1} 2", 0, 1, Qt::Key_D, "d", none, true,
         [this] { return At(0, 1).markType == 0; }},
    };
    for (const Case& c : cases) {
        for (int r = 0; r < w->Rows; ++r)
            for (int col = 0; col < w->Cols; ++col)
                At(col, r) = TCell{};
        Row(0, c.row0);
        Row(1, c.row1);
        Select(c.col, c.row, c.col, c.row);
        w->mitEnableDynKey->setChecked(c.dynKeys);
        ChordNoteIndex = 1;
        Key(c.key, c.mods, c.text);
        AltDown = ShiftDown = CtrlDown = false;
        EXPECT_TRUE(c.check()) << c.name;
    }
    w->mitEnableDynKey->setChecked(false);
    ChordNoteIndex = 0;
}

TEST_F(WindowKeys, PageKeysFollowTheirButtons) {
    w->AllocatePage(0, 1, true, 0, 0);
    w->GoToPage(0);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(w->CurPage, 1);
    Key(Qt::Key_PageDown); // the last page: the button is off
    EXPECT_EQ(w->CurPage, 1);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(w->CurPage, 0);
}

// ---------------------------------------------------------------- text entry

TEST_F(WindowKeys, TextBoxOverAnEmptyCellIsTenColumnsWide) {
    Select(4, 2, 4, 2);
    OpenTextBox();
    EXPECT_EQ(w->edtEnterText->width(), 10 * w->GetCellWidth());
    EXPECT_GT(w->edtEnterText->x(), w->GetLeftMargin() + 4 * w->GetCellWidth() - 1);
}

TEST_F(WindowKeys, EmptyCommitEmptiesTheCell) {
    Row(1, "\"old\"");
    Select(0, 1, 0, 1);
    w->Ed.PasteEnabled = true; // cells on the clipboard, no text
    QApplication::clipboard()->clear();
    OpenTextBox();
    EXPECT_FALSE(w->Ed.PasteEnabled);
    EXPECT_EQ(w->edtEnterText->text(), "old");
    w->edtEnterText->clear();
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), w->edtEnterText);
    EXPECT_FALSE(w->edtEnterText->isVisible());
    EXPECT_TRUE(w->Ed.PasteEnabled);
    EXPECT_EQ(At(0, 1).cellType, 0);
    EXPECT_TRUE(At(0, 1).Text.empty());
}

TEST_F(WindowKeys, CopyAndPasteWorkOnTheBoxWhileItIsShown) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    EXPECT_FALSE(w->TextEntryCopy()); // no box: the cells' commands act
    EXPECT_FALSE(w->TextEntryPaste());
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    Select(1, 1, 1, 1);
    OpenTextBox();
    w->edtEnterText->setText(QStringLiteral("Andante"));
    EXPECT_TRUE(w->TextEntryCopy());
    EXPECT_EQ(QApplication::clipboard()->text(), "Andante");
    QApplication::clipboard()->setText(QStringLiteral(" mosso"));
    w->edtEnterText->end(false);
    EXPECT_TRUE(w->TextEntryPaste());
    EXPECT_EQ(w->edtEnterText->text(), "Andante mosso");
    EXPECT_TRUE(At(1, 1).Text.empty()); // nothing stored until Enter
}

TEST_F(WindowKeys, KeyTextGoesToLayerZeroInTheNoteFont) {
    w->AllocatePage(1, 0, true, 0, 0);
    CurLayer = 1;
    Select(2, 1, 2, 1);
    OpenTextBox();
    w->edtEnterText->setText(QStringLiteral("1 = D"));
    w->CommitTextEntry();
    EXPECT_EQ(CurLayer, 0);
    EXPECT_EQ(At(2, 1).cellType, ctText);
    EXPECT_EQ(At(2, 1).Text, "1 = D");
    EXPECT_EQ(At(2, 1).FontName, w->NoteFontName);
    EXPECT_EQ(At(2, 1).FontStyle, w->NoteFontStyle);
    EXPECT_TRUE(At(2, 1, 0, 1).Text.empty());
}

TEST_F(WindowKeys, TextInTheEnglishFontIsStoredAsEN) {
    Select(1, 1, 1, 1);
    w->English1Click();
    ASSERT_TRUE(w->edtEnterText->isVisible());
    w->edtEnterText->setText(QStringLiteral("  Allegro "));
    w->CommitTextEntry();
    EXPECT_EQ(At(1, 1).Text, "Allegro");
    EXPECT_EQ(At(1, 1).FontName, "EN");
    EXPECT_EQ(w->TextMode, 2);
}

TEST_F(WindowKeys, RotatingNoTextLeavesNoUndoStep) {
    Row(0, "1 2 \"ab\"");
    Select(0, 0, 1, 0);
    const size_t items = Undo.UndoList.size();
    EXPECT_FALSE(w->RotateSelectedTexts(450));
    EXPECT_EQ(Undo.UndoList.size(), items);
    Select(0, 0, 2, 0);
    EXPECT_TRUE(w->RotateSelectedTexts(450));
    EXPECT_EQ(At(2, 0).dot, 450);
    EXPECT_EQ(Undo.UndoList.size(), items + 1);
}

TEST_F(WindowKeys, BoxedTextTogglesOnBothLayersWithOneUndo) {
    w->AllocatePage(1, 0, true, 0, 0);
    w->mitApplyToBothLayer->setChecked(true);
    w->ApplyToBothLayerChecked = true;
    Row(0, "\"ab\" 5");
    Row(0, "\"cd\"", 0, 1);
    Select(0, 0, 1, 0);
    w->btnTextBoxClick();
    EXPECT_EQ(At(0, 0).Attr & 0xF0u, 0xF0u);
    EXPECT_EQ(At(1, 0).Attr & 0xF0u, 0xF0u);
    EXPECT_EQ(At(0, 0, 0, 1).Attr & 0xF0u, 0xF0u);
    Undo.UndoStep();
    EXPECT_EQ(At(0, 0).Attr & 0xF0u, 0u);
    EXPECT_EQ(At(0, 0, 0, 1).Attr & 0xF0u, 0u);
}

TEST_F(WindowKeys, FontCommandWithoutTextSaysSo) {
    Row(0, "&G W:3@0");
    Select(0, 0, 1, 0);
    rec.Clear();
    w->btnTextFontClick();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].id, 3137);
}

// ---------------------------------------------------------------- signs and colours

TEST_F(WindowKeys, TempoOutsideItsRangeLeavesTheCellEmpty) {
    for (int bpm : {9, 501}) {
        Row(0, "5");
        Select(0, 0, 0, 0);
        w->ApplyTempoSign(bpm, 2);
        EXPECT_EQ(At(0, 0).cellType, 0) << bpm;
        EXPECT_EQ(At(0, 0).Note, 32) << bpm;
    }
    w->ApplyTempoSign(120, 4);
    EXPECT_EQ(At(0, 0).cellType, ctTempo);
    EXPECT_EQ(At(0, 0).Note, 4);
    EXPECT_EQ(At(0, 0).FontColor, 120);
}

TEST_F(WindowKeys, StoredHalfNoteTempoShowsTheHalfNote) {
    At(0, 0) = TScoreFixture::Cell("~{type=4,note=1,fc=60}");
    Select(0, 0, 0, 0);
    bool half = false;
    int value = 0, minimum = 0, maximum = 0;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TfrmTempoSign*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        half = d->rbtHalfNote->isChecked();
        value = d->spnSpeedValue->value();
        minimum = d->spnSpeedValue->minimum();
        maximum = d->spnSpeedValue->maximum();
        d->reject();
    });
    w->btnSpeedClick();
    EXPECT_TRUE(half);
    EXPECT_EQ(value, 60);
    EXPECT_EQ(minimum, 10); // the spin keeps to the tempi that are written
    EXPECT_EQ(maximum, 500);
}

TEST_F(WindowKeys, TimeSignatureFillsTheSystemAndFollowsTheCSymbolBox) {
    Row(0, "&G W:3@0");
    Row(1, "&G W:3@0");
    Row(2, "&F W:3@0");
    Select(3, 1, 3, 1);
    w->ApplyTimeSignature(4, 4, false);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(At(3, r).cellType, ctTimeSig) << r;
        EXPECT_EQ(At(3, r).upNote, 4) << r;
        EXPECT_EQ(At(3, r).Note, 4) << r;
        EXPECT_EQ(At(3, r).option & 1u, 1u) << r;
    }
    EXPECT_EQ(At(3, 3).cellType, 0);
    w->ApplyTimeSignature(4, 4, true);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(At(3, r).option & 1u, 0u) << r;
}

TEST_F(WindowKeys, MainLayerColourResetsCellColours) {
    w->DrawEngine.MainLayerColor = 0;
    Row(0, "\"ab\" &G");
    Select(0, 0, 1, 0);
    w->ApplyColor(0x0000FF);
    EXPECT_EQ(At(0, 0).FontColor, 0xFF);
    EXPECT_EQ(At(0, 0).upNote & 2, 2);
    EXPECT_EQ(At(1, 0).color, 0xFF);
    w->ApplyColor(0);
    EXPECT_EQ(At(0, 0).FontColor, 0);
    EXPECT_EQ(At(0, 0).upNote & 2, 0);
    EXPECT_EQ(At(1, 0).color, -1);
}

TEST_F(WindowKeys, ResetKeySignatureSkipsRowsWithoutClefAndNegativeCells) {
    Row(0, "&G ~ W:3@0");
    Row(1, "1 2 3");
    Row(2, "&G ~ &F");
    Select(2, 0, 2, 2);
    w->mitResetKeySigntureClick();
    EXPECT_EQ(At(2, 0).cellType, ctWestern);
    EXPECT_EQ(At(2, 0).Note, -15);
    EXPECT_EQ(At(2, 1).Note, '3');
    EXPECT_EQ(At(2, 2).Note, -2);
}

// ---------------------------------------------------------------- pictures

TEST_F(WindowKeys, PictureFillsTheSelectedBlock) {
    Select(2, 1, 5, 3);
    w->OnAskPictureFile = [](const std::string&, const std::string&) { return std::string("/pics/a.jpg"); };
    w->mitInsertImageClick();
    const TCell& c = At(2, 1);
    EXPECT_EQ(c.cellType, ctImage);
    EXPECT_EQ(c.Text, "/pics/a.jpg");
    EXPECT_EQ(c.iEnd, 4);
    EXPECT_EQ(c.jEnd, 3);
    EXPECT_EQ(c.shrinkRate, 1);
}

TEST_F(WindowKeys, NumberedPicturesFillOnePageEach) {
    tqtest::TempDir dir;
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (const char* name : {"page1.jpg", "page2.jpg", "page3.jpg", "p1.jpg", "p2.jpg"})
        ASSERT_TRUE(img.save(QString::fromStdString((dir / name).string())));
    w->InsertNumberedImages((dir / "p1.jpg").string());
    EXPECT_EQ(At(0, 0).cellType, 0);
    EXPECT_EQ(w->CurPage, 0);
    EXPECT_TRUE(Undo.UndoList.empty());

    w->InsertNumberedImages((dir / "page1.jpg").string());
    ASSERT_GE(w->PageSets[0].size(), 2u);
    EXPECT_EQ(At(0, 0, 0).Text, (dir / "page2.jpg").string());
    EXPECT_EQ(At(0, 0, 1).Text, (dir / "page3.jpg").string());
    EXPECT_EQ(At(0, 0, 1).iEnd, w->Cols - 1);
    EXPECT_EQ(w->CurPage, 2);
    // one Undo takes the whole run back
    Undo.UndoStep();
    EXPECT_EQ(At(0, 0, 0).cellType, 0);
}

TEST_F(WindowKeys, SidePictureZoomInStopsAtTwiceItsWidth) {
    tqtest::TempDir dir;
    QImage img(100, 50, QImage::Format_RGB32);
    img.fill(Qt::gray);
    const std::string file = (dir / "side.jpg").string();
    ASSERT_TRUE(img.save(QString::fromStdString(file)));
    ASSERT_TRUE(w->LoadSideImage(file, false));
    w->pbxSideImg->setFixedSize(150, 75);
    for (int i = 0; i < 20; ++i)
        w->btnSideImgZoomInClick();
    const int width = w->pbxSideImg->width();
    EXPECT_GE(width, 200);
    EXPECT_LT(width, 220);
    EXPECT_EQ(w->pbxSideImg->height(), width / 2);
    w->btnSideImgZoomOutClick();
    EXPECT_EQ(w->pbxSideImg->width(), static_cast<int>(width * 0.9));
}

TEST_F(WindowKeys, SidePicturePressScrollsByNineTenthsOfThePanel) {
    tqtest::TempDir dir;
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::gray);
    const std::string file = (dir / "big.jpg").string();
    ASSERT_TRUE(img.save(QString::fromStdString(file)));
    ASSERT_TRUE(w->LoadSideImage(file, false));
    w->pbxSideImg->setFixedSize(6000, 6000);
    QApplication::processEvents();
    QScrollBar* v = w->scrSideImg->verticalScrollBar();
    QScrollBar* h = w->scrSideImg->horizontalScrollBar();
    ASSERT_GT(v->maximum(), 3000);
    ASSERT_GT(h->maximum(), 3000);
    const int hp = w->pnlSideImg->height(), wp = w->pnlSideImg->width();
    ASSERT_GT(hp, 120);
    struct Case {
        int offset; // press position below the visible top
        bool left;
        int dv, dh;
    } cases[] = {
        {10, true, -static_cast<int>(0.9 * hp), 0},
        {hp - 50, true, static_cast<int>(0.9 * hp), 0},
        {hp / 2 - 30, true, 0, static_cast<int>(0.9 * wp)},
        {hp / 2 - 30, false, 0, -static_cast<int>(0.9 * wp)},
    };
    for (const Case& c : cases) {
        v->setValue(2000);
        h->setValue(2000);
        w->pbxSideImgMouseDown(v->value() + c.offset, c.left);
        EXPECT_NEAR(v->value(), 2000 + c.dv, 1) << c.offset << " " << c.left;
        EXPECT_NEAR(h->value(), 2000 + c.dh, 1) << c.offset << " " << c.left;
    }
    v->setValue(50);
    w->pbxSideImgMouseDown(v->value() + 5, true);
    EXPECT_EQ(v->value(), 0); // the scroll box clamps
}

TEST_F(WindowKeys, SidePictureStepsWrapForwardAndStopBackward) {
    tqtest::TempDir dir;
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::gray);
    std::vector<std::string> names;
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        names.push_back((dir / name).string());
        ASSERT_TRUE(img.save(QString::fromStdString(names.back())));
    }
    ASSERT_TRUE(w->LoadSideImage(names[2], false));
    w->btnNextSideImgClick();
    EXPECT_EQ(w->ImgFileName, names[0]);
    w->btnPrevSideImgClick();
    EXPECT_EQ(w->ImgFileName, names[0]);
    w->btnNextSideImgClick();
    EXPECT_EQ(w->ImgFileName, names[1]);
}
