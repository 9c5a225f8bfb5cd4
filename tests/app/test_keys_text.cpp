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
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
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
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class WindowKeys : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        fs::remove(TQUserFolder() + "TQHistoryFILE");
        SetMessageBoxes(&rec);
        w = std::make_unique<TfrmMainTQ>();
        w->show();
        QApplication::processEvents();
        CurLayer = 0;
        AltDown = ShiftDown = CtrlDown = false;
        Undo.ClearUndoFiles();
    }
    void TearDown() override {
        w.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        AltDown = ShiftDown = CtrlDown = false;
        fs::remove(PrefFileName());
        fs::remove(TQUserFolder() + "TQHistoryFILE");
    }
    TCell& At(int col, int row, int layer = 0, int page = 0) {
        return w->PageSets[static_cast<size_t>(layer)][static_cast<size_t>(page)][static_cast<size_t>(row)]
                          [static_cast<size_t>(col)];
    }
    // Tokens of a text picture (TQScoreFixture.h), one a column from column 0.
    void Row(int row, const std::string& picture, int layer = 0) {
        std::istringstream in(picture);
        std::string token;
        for (int col = 0; in >> token; ++col)
            At(col, row, layer) = TScoreFixture::Cell(token);
    }
    void Select(int c0, int r0, int c1, int r1) {
        w->SelCol0 = c0;
        w->SelRow0 = r0;
        w->SelCol1 = c1;
        w->SelRow1 = r1;
    }
    // One key as the keyboard sends it, to the page's paint box.
    void Key(int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier,
             QWidget* target = nullptr) {
        QWidget* to = target ? target : w->pbxMain;
        QKeyEvent over(QEvent::ShortcutOverride, key, mods, text);
        QApplication::sendEvent(to, &over);
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(to, &release);
    }
    // A typed character.
    void Type(char ch) {
        const bool upper = ch >= 'A' && ch <= 'Z';
        const int key = upper ? ch : (ch >= 'a' && ch <= 'z') ? ch - 'a' + 'A' : ch;
        Key(key, QString(QChar(ch)), upper ? Qt::ShiftModifier : Qt::NoModifier);
    }
    void OpenTextBox() {
        w->btnEnterText->setChecked(true);
        ASSERT_TRUE(w->edtEnterText->isVisible());
    }

    TMessageRecorder rec;
    std::unique_ptr<TfrmMainTQ> w;
};

} // namespace

// ---------------------------------------------------------------- note keys

TEST_F(WindowKeys, LetterKeysEnterWesternNotesAndFlatAnEnteredNote) {
    Row(0, "&G");
    Select(2, 0, 2, 0);
    Type('c');
    EXPECT_EQ(At(2, 0).cellType, ctWestern);
    EXPECT_EQ(At(2, 0).Note, 3);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, 6.0f);
    EXPECT_EQ(w->SelCol0, 3);
    Type('C'); // upper case: one octave lower
    EXPECT_EQ(At(3, 0).Note, 3);
    EXPECT_FLOAT_EQ(At(3, 0).yAdj, 13.0f);

    // 'b' over a note is the flat, not a note B
    Select(2, 0, 2, 0);
    Type('b');
    EXPECT_EQ(At(2, 0).Attr & 0xFu, 2u);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, 6.0f);
    EXPECT_EQ(At(4, 0).Note, 32); // nothing entered after the notes
}

TEST_F(WindowKeys, ClefLetterOnAHeaderChangesTheClefAndKeepsPitches) {
    Row(0, "&G ~ W:3@0");
    Select(0, 0, 4, 0);
    Type('F');
    EXPECT_EQ(At(0, 0).Note, -2);
    EXPECT_FLOAT_EQ(At(2, 0).yAdj, -12.0f);
    for (int c = 3; c <= 5; ++c)
        EXPECT_EQ(At(c, 0).Note, 32) << "column " << c;
}

TEST_F(WindowKeys, SharpKeyWithDynamicKeysButNoMarkInsertsTheSharp) {
    Row(0, "&G W:3@0");
    Select(1, 0, 1, 0);
    w->mitEnableDynKey->setChecked(true);
    Type('9');
    EXPECT_EQ(At(1, 0).Attr & 0xFu, 1u); // the sharp
    EXPECT_EQ(At(1, 0).markType, 0);
}

TEST_F(WindowKeys, FullWidthCommaLowersLikeTheComma) {
    Row(1, "5 5");
    Select(0, 1, 0, 1);
    Key(Qt::Key_unknown, QString(QChar(0xFF0C)));
    EXPECT_EQ(At(0, 1).dot, -1);
    Select(1, 1, 1, 1);
    Type(',');
    EXPECT_EQ(At(1, 1).dot, -1);
}

TEST_F(WindowKeys, CtrlDigitChoosesASmallNote) {
    Row(1, "1");
    At(0, 1).CompressNotes = {TCompressNote{'1', 0, 0, 0, 0, 0}, TCompressNote{'3', 0, 0, 0, 0, 0}};
    At(0, 1).Attr = 0xA0;
    Select(0, 1, 0, 1);
    const TCell before = At(0, 1);
    Key(Qt::Key_2, QStringLiteral("2"), Qt::ControlModifier);
    EXPECT_EQ(ChordNoteIndex, 2);
    Key(Qt::Key_3, QStringLiteral("3"), Qt::ControlModifier);
    EXPECT_EQ(ChordNoteIndex, -1);
    EXPECT_EQ(w->sbrPanel1->text(), "");
    EXPECT_EQ(At(0, 1), before); // choosing changes no cell
}

TEST_F(WindowKeys, SpecialQuickKeysLabelTheirButtons) {
    Row(0, "&G");
    w->mitEnableSpKey->trigger();
    ASSERT_TRUE(w->mitEnableSpKey->isChecked());
    std::map<int, QString> labels;
    for (QAbstractButton* b : w->frmSpecial->findChildren<QAbstractButton*>())
        if (!b->property("KeyHintText").toString().isEmpty())
            labels[TagOf(b)] = b->property("KeyHintText").toString();
    EXPECT_EQ(labels[124], "1");
    EXPECT_EQ(labels[128], "5");
    EXPECT_EQ(labels[8], "d"); // btnV
    EXPECT_EQ(labels.count(35), 0u);
    Select(1, 0, 1, 0);
    Type('1'); // symbol 124 at the cursor
    EXPECT_EQ(At(1, 0).cellType, ctSymbol);
    w->mitEnableSpKey->trigger();
    for (QAbstractButton* b : w->frmSpecial->findChildren<QAbstractButton*>())
        EXPECT_TRUE(b->property("KeyHintText").toString().isEmpty());
}

TEST_F(WindowKeys, TextBoxOpenStopsEveryKey) {
    Row(1, "1 2 3");
    Select(1, 1, 1, 1);
    OpenTextBox();
    const TCell before = At(1, 1);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    Type('c');
    Type('5');
    Key(Qt::Key_Delete);
    EXPECT_EQ(w->SelCol0, 1);
    EXPECT_EQ(w->SelRow0, 1);
    EXPECT_EQ(At(1, 1), before);
    EXPECT_EQ(At(3, 1).Note, 32);
    EXPECT_TRUE(w->edtEnterText->isVisible());
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
    Key(Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier, w->edtEnterText);
    EXPECT_FALSE(w->edtEnterText->isVisible());
    EXPECT_TRUE(w->Ed.PasteEnabled);
    EXPECT_EQ(At(0, 1).cellType, 0);
    EXPECT_TRUE(At(0, 1).Text.empty());
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
    EXPECT_TRUE(At(2, 1, 1).Text.empty());
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
    Row(0, "\"cd\"", 1);
    Select(0, 0, 1, 0);
    w->btnTextBoxClick();
    EXPECT_EQ(At(0, 0).Attr & 0xF0u, 0xF0u);
    EXPECT_EQ(At(1, 0).Attr & 0xF0u, 0xF0u);
    EXPECT_EQ(At(0, 0, 1).Attr & 0xF0u, 0xF0u);
    Undo.UndoStep();
    EXPECT_EQ(At(0, 0).Attr & 0xF0u, 0u);
    EXPECT_EQ(At(0, 0, 1).Attr & 0xF0u, 0u);
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
    int value = 0;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TfrmTempoSign*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        half = d->rbtHalfNote->isChecked();
        value = d->spnSpeedValue->value();
        d->reject();
    });
    w->btnSpeedClick();
    EXPECT_TRUE(half);
    EXPECT_EQ(value, 60);
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
    EXPECT_EQ(At(0, 0, 0, 0).Text, (dir / "page2.jpg").string());
    EXPECT_EQ(At(0, 0, 0, 1).Text, (dir / "page3.jpg").string());
    EXPECT_EQ(At(0, 0, 0, 1).iEnd, w->Cols - 1);
    EXPECT_EQ(w->CurPage, 2);
    // one Undo takes the whole run back
    Undo.UndoStep();
    EXPECT_EQ(At(0, 0, 0, 0).cellType, 0);
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
