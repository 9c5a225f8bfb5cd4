#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSpinBox>
#include <QImage>
#include <QTabWidget>
#include <QToolButton>

#include "edit/modTQCursorKeys.h"
#include "lang/modTQLanguage.h"
#include "palettes/frmTQPalettes.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/palettes/TQPaletteFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

QToolButton* ButtonWithTag(TfrmPalette& form, int tag) {
    for (int p = 0; p < form.Pages()->count(); ++p)
        for (QToolButton* b : form.ButtonsOfPage(p))
            if (TagOf(b) == tag) return b;
    return nullptr;
}

int ButtonCount(TfrmPalette& form) {
    int n = 0;
    for (int p = 0; p < form.Pages()->count(); ++p) n += int(form.ButtonsOfPage(p).size());
    return n;
}

TEST(PaletteForms, ShowClickAndPicture) {
    TPaletteFixture fx;
    std::unique_ptr<TfrmLayoutPalette> special(CreateSpecialPalette(nullptr));
    std::unique_ptr<TfrmLayoutPalette> dyn(CreateDynMarkPalette(nullptr));
    std::unique_ptr<TfrmPalette> gong(CreateGongChiPalette(nullptr));
    std::unique_ptr<TfrmPalette> text(CreateTextSymbolsPalette(nullptr));
    EXPECT_EQ(ButtonCount(*special), 193);
    EXPECT_EQ(ButtonCount(*dyn), 81);
    EXPECT_EQ(ButtonCount(*text), 87);
    EXPECT_EQ(special->Pages()->count(), 5);
    EXPECT_EQ(dyn->Pages()->count(), 4);

    fx.Select(0, 0, 0, 0);
    ButtonWithTag(*special, 7)->click();
    EXPECT_EQ(fx.At(0, 0).Note, 7);
    fx.Select(2, 1, 5, 1);
    ButtonWithTag(*dyn, 4)->click();
    EXPECT_EQ(fx.At(2, 1).markType, 4);
    ButtonWithTag(*text, 60)->click();
    EXPECT_EQ(fx.At(2, 1).cellType, ctTextSymbol);
    EXPECT_EQ(fx.At(4, 1).FontCharset, 134);

    for (auto [form, name] : {std::pair<TfrmPalette*, const char*>{special.get(), "palette_special"},
                              {dyn.get(), "palette_dynmark"},
                              {gong.get(), "palette_gongche"},
                              {text.get(), "palette_textsym"}}) {
        form->show();
        tqtest::SavePngIfWanted(form->grab().toImage(), name);
        form->hide();
    }
    special->show();
    special->btnCustomerizeClick();
    EXPECT_TRUE(special->InEditMode());
    // A click on a symbol does nothing in the edit mode.
    fx.Select(1, 0, 1, 0);
    ButtonWithTag(*special, 7)->click();
    EXPECT_EQ(fx.At(1, 0).Note, 32);
    QCoreApplication::processEvents();
    tqtest::SavePngIfWanted(special->grab().toImage(), "palette_special_edit");
    dyn->show();
    dyn->btnCustomerizeClick();
    tqtest::SavePngIfWanted(dyn->grab().toImage(), "palette_dynmark_edit");
    // Leaving without a drag asks nothing.
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    special->btnExitCustomClick();
    EXPECT_FALSE(special->InEditMode());
    EXPECT_TRUE(rec.shown.empty());
    SetMessageBoxes(nullptr);
}

TEST(PaletteForms, AStoredLayoutIsAppliedAtStartUp) {
    TPaletteFixture fx;
    const std::string file = LayoutFolder() + "mine.dly";
    {
        std::unique_ptr<TfrmLayoutPalette> dyn(CreateDynMarkPalette(nullptr));
        // Tag 2 goes to the first slot of the first page.
        ASSERT_TRUE(dyn->Layout().MoveButton(1, 0));
        ASSERT_TRUE(dyn->Layout().SaveLayoutFile(kDynMarkLayoutId, file));
        TLayoutMgr::WriteLayoutKey(file, "DM_Layout");
    }
    std::unique_ptr<TfrmLayoutPalette> dyn(CreateDynMarkPalette(nullptr));
    EXPECT_EQ(dyn->LayoutFile(), file);
    QToolButton* b = ButtonWithTag(*dyn, 2);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->x(), 0);
    EXPECT_EQ(b->y(), 0);
    EXPECT_EQ(ButtonWithTag(*dyn, 1)->x(), 25);
    TLayoutMgr::WriteLayoutKey("", "DM_Layout");
}

} // namespace

#include <QTableWidget>
#include <QLineEdit>

#include "palettes/frmTQCellProperty.h"

namespace {

TEST(CellPropertyForm, ShowsTheCursorCell) {
    TPaletteFixture fx;
    fx.At(3, 2).Attr = 0xB1;
    fx.At(3, 2).westChordArray.push_back({2, 5, 0, 0});
    fx.Select(3, 2, 3, 2);
    TfrmCellProperty form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("i=3 j=2"));
    EXPECT_EQ(form.strCellProp->item(9, 1)->text(), QStringLiteral("00B1"));
    EXPECT_EQ(form.strCellProp->item(0, 0)->text(), QStringLiteral("cellType"));
    form.Button1Click();
    EXPECT_EQ(form.edtDebug->text(), QStringLiteral("5"));
    tqtest::SavePngIfWanted(form.grab().toImage(), "cell_property");
}

} // namespace

#include <QPlainTextEdit>

#include "palettes/frmTQText.h"

namespace {

TEST(TextLineForm, WritesGbkAndEnglishLines) {
    TPaletteFixture fx(30, 4);
    fx.view.ChineseFontCharset = 134;
    fx.Select(3, 1, 3, 1);
    TfrmText form;
    form.show();
    form.edtText->setPlainText(QString::fromUtf8("中文歌词一\nHello worl"));
    tqtest::SavePngIfWanted(form.grab().toImage(), "dialog_text");
    form.btnOKClick();
    EXPECT_EQ(fx.At(3, 1).Text, "\xD6\xD0\xCE\xC4\xB8\xE8\xB4\xCA\xD2\xBB");
    EXPECT_EQ(fx.At(3, 1).FontName, "CN");
    EXPECT_EQ(fx.At(12, 1).Text, "Hello worl");
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

} // namespace

#include <QToolBar>
#include <fstream>

#include "lang/modTQMainSettings.h"
#include "palettes/modTQPaletteHooks.h"
#include "palettes/modTQSpecial.h"

namespace {

QAbstractButton* ToolWithTag(TfrmPalette& form, int tag) {
    const auto buttons = form.ButtonsWithTag(tag);
    return buttons.empty() ? nullptr : buttons.front();
}

TEST(PaletteForms, SpecialToolBarTheSecondTag120AndKeyLabels) {
    TPaletteFixture fx;
    fx.Row(1, "1 2");
    std::unique_ptr<TfrmLayoutPalette> special(CreateSpecialPalette(nullptr));
    special->show();
    EXPECT_TRUE(fx.view.SpecialDlgVisible);

    // Two buttons carry Tag 120: the first writes the double flat, the second
    // moves the accidental of the cursor note to its next side.
    const auto twins = special->ButtonsWithTag(120);
    ASSERT_EQ(twins.size(), 2u);
    fx.Select(0, 1, 0, 1);
    twins[1]->click();
    EXPECT_EQ(fx.At(0, 1).option & 0x1800000u, 0x800000u);
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 0u);
    twins[1]->click();
    EXPECT_EQ(fx.At(0, 1).option & 0x1800000u, 0x1000000u);
    Undo.UndoStep();
    EXPECT_EQ(fx.At(0, 1).option & 0x1800000u, 0x800000u);
    twins[0]->click();
    EXPECT_EQ(fx.At(0, 1).Attr & 0xF, 5u); // double flat on the note

    // Position buttons and Delete.
    fx.Select(5, 2, 5, 2);
    ToolWithTag(*special, 3115)->click(); // top
    EXPECT_EQ(SymbolPosition(), spTop);
    ButtonWithTag(*special, 7)->click();
    EXPECT_EQ(fx.At(5, 2).upNote, 7);
    ButtonWithTag(*special, 8)->click();
    EXPECT_EQ(fx.At(5, 2).Note, 8);
    ToolWithTag(*special, 3133)->click(); // deletes the top symbol
    EXPECT_EQ(fx.At(5, 2).upNote, 32);
    EXPECT_EQ(fx.At(5, 2).Note, 8);
    ToolWithTag(*special, 3116)->click();
    EXPECT_EQ(SymbolPosition(), spBottom);

    // The edit mode hides the position buttons.
    special->btnCustomerizeClick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ToolWithTag(*special, 3115)->isVisible());
    special->btnExitCustomClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ToolWithTag(*special, 3115)->isVisible());

    // Key labels: Jianpu labels without a Western row on the first page.
    bool keys = true;
    PaletteHooks().SpecialKeysEnabled = [&] { return keys; };
    special->hide();
    EXPECT_FALSE(fx.view.SpecialDlgVisible);
    special->show();
    auto label = [&](int tag) { return ToolWithTag(*special, tag)->property("KeyHintText").toString(); };
    EXPECT_EQ(label(18), QStringLiteral("2"));
    EXPECT_EQ(label(36), QStringLiteral("w"));
    EXPECT_EQ(label(8), QStringLiteral("d"));
    EXPECT_EQ(label(124), QString());
    tqtest::SavePngIfWanted(special->grab().toImage(), "palette_special_keys");
    fx.Row(3, "&G W:4");
    special->ShowKeyHints(true);
    EXPECT_EQ(label(124), QStringLiteral("1"));
    EXPECT_EQ(label(18), QString());
    EXPECT_EQ(label(130), QStringLiteral("a"));
    special->ShowKeyHints(false);
    EXPECT_EQ(label(130), QString());
    keys = false;
    special->hide();
    special->show();
    EXPECT_EQ(label(124), QString());
    PaletteHooks().SpecialKeysEnabled = nullptr;
    SymbolPosition() = spBottom;
}

TEST(PaletteForms, DynMarkToolBarsAndGongcheMode) {
    TPaletteFixture fx;
    std::unique_ptr<TfrmLayoutPalette> dyn(CreateDynMarkPalette(nullptr));
    PaletteHooks().DynKeysEnabled = [] { return true; };
    dyn->show();
    EXPECT_TRUE(fx.view.DynDlgVisible);
    EXPECT_EQ(ToolWithTag(*dyn, 3100)->property("KeyHintText").toString(), QStringLiteral("/"));
    EXPECT_EQ(ToolWithTag(*dyn, 3123)->property("KeyHintText").toString(), QStringLiteral("<,."));
    tqtest::SavePngIfWanted(dyn->grab().toImage(), "palette_dynmark_keys");
    fx.Select(2, 1, 5, 1);
    ButtonWithTag(*dyn, 4)->click();
    ToolWithTag(*dyn, 3101)->click();
    EXPECT_EQ(fx.At(2, 1).markHAdj, 1);
    ToolWithTag(*dyn, 3117)->click();
    EXPECT_EQ(fx.At(2, 1).markWAdj, 1);
    ToolWithTag(*dyn, 3103)->click();
    EXPECT_EQ(fx.At(2, 1).markType, 0);
    dyn->btnCustomerizeClick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ToolWithTag(*dyn, 3101)->isVisible());
    EXPECT_FALSE(ToolWithTag(*dyn, 3120)->isVisible());
    dyn->btnExitCustomClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ToolWithTag(*dyn, 3101)->isVisible());
    PaletteHooks().DynKeysEnabled = nullptr;

    // Gongche entry is on while its palette is the active one; another palette
    // turns it off; hiding the Gongche palette ends it.
    std::unique_ptr<TfrmPalette> gong(CreateGongChiPalette(nullptr));
    gong->show();
    EXPECT_TRUE(fx.view.GongChiDlgVisible);
    gong->OnActivate();
    EXPECT_TRUE(fx.view.GongChiMode);
    dyn->OnActivate();
    EXPECT_FALSE(fx.view.GongChiMode);
    gong->OnActivate();
    gong->hide();
    EXPECT_FALSE(fx.view.GongChiMode);
    EXPECT_FALSE(fx.view.GongChiDlgVisible);
}

TEST(PaletteForms, CaptionsFollowTheLanguage) {
    TPaletteFixture fx;
    std::unique_ptr<TfrmLayoutPalette> special(CreateSpecialPalette(nullptr));
    std::unique_ptr<TfrmPalette> text(CreateTextSymbolsPalette(nullptr));
    for (bool chinese : {true, false}) {
        Language->UseChinese = chinese;
        ASSERT_TRUE(Language->LoadLanguageDll());
        special->show();
        text->show();
        EXPECT_EQ(special->windowTitle().toStdString(), Language->GetString(1006));
        EXPECT_EQ(ToolWithTag(*special, 3116)->toolTip().toStdString(), Language->GetString(3116));
        EXPECT_EQ(text->windowTitle().toStdString(), Language->GetString(457));
        EXPECT_EQ(text->Pages()->tabText(2).toStdString(), Language->GetString(464));
        tqtest::SavePngIfWanted(special->grab().toImage(), chinese ? "palette_special_ch" : "palette_special_en");
        tqtest::SavePngIfWanted(text->grab().toImage(), chinese ? "palette_textsym_ch" : "palette_textsym_en");
        special->hide();
        text->hide();
    }
    Language->UseChinese = true;
}

TEST(PaletteForms, SavingALayoutAsksBeforeReplacingAFile) {
    TPaletteFixture fx;
    tqtest::TempDir dir;
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    std::unique_ptr<TfrmLayoutPalette> special(CreateSpecialPalette(nullptr));
    const std::string before = special->LayoutFile();
    // No extension: ".sly" is added; a new file is written without a question.
    ASSERT_TRUE(special->SaveLayoutAs(dir.str() + "/mine"));
    EXPECT_TRUE(FileExists(dir.str() + "/mine.sly"));
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(special->LayoutFile(), before);
    // An existing file: No keeps it, Yes replaces it.
    {
        std::ofstream(dir.str() + "/old.sly") << "keep";
    }
    rec.Answer(mrNo);
    EXPECT_FALSE(special->SaveLayoutAs(dir.str() + "/old.sly"));
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].id, 2701);
    std::ifstream kept(dir.str() + "/old.sly");
    std::string first;
    kept >> first;
    EXPECT_EQ(first, "keep");
    rec.Answer(mrYes);
    EXPECT_TRUE(special->SaveLayoutAs(dir.str() + "/old.sly"));
    std::ifstream replaced(dir.str() + "/old.sly");
    replaced >> first;
    EXPECT_EQ(first, "423423132");
    SetMessageBoxes(nullptr);
}

TEST(PaletteForms, TheWindowClassesAndTheirOwnMembers) {
    TPaletteFixture fx;
    std::unique_ptr<TfrmSpecial> special(CreateSpecialPalette(nullptr));
    std::unique_ptr<TfrmGongChi> gong(CreateGongChiPalette(nullptr));
    std::unique_ptr<TfrmTextSymbols> text(CreateTextSymbolsPalette(nullptr));
    ASSERT_NE(text->spnSymSize, nullptr);

    // A typed Gongche character while the mode is on; none while it is off.
    fx.Select(2, 1, 2, 1);
    gong->EnterGongcheChar('5');
    EXPECT_EQ(fx.At(2, 1).cellType, 0);
    fx.view.GongChiMode = true;
    gong->EnterGongcheChar('5');
    EXPECT_EQ(fx.At(2, 1).cellType, 10);
    EXPECT_EQ(fx.At(2, 1).Note, '5');
    fx.view.GongChiMode = false;

    // An opened score's size is shown without an undo item or the modified flag;
    // a change by the user makes both.
    Undo.ClearUndoFiles();
    fx.view.SetModified(false);
    text->SetSymbolSizeQuietly(12);
    EXPECT_EQ(text->spnSymSize->value(), 12);
    EXPECT_FALSE(fx.view.Modified);
    EXPECT_TRUE(Undo.UndoList.empty());
    fx.view.TextSymSize = 12;
    text->spnSymSize->setValue(13);
    EXPECT_EQ(fx.view.TextSymSize, 13);
    EXPECT_TRUE(fx.view.Modified);
    EXPECT_EQ(Undo.UndoList.size(), 1u);
    // Shown again, the spin follows the score (here after an undo).
    Undo.UndoStep();
    text->show();
    EXPECT_EQ(text->spnSymSize->value(), 12);
    text->hide();

    // A click runs with the main window's held keys; the symbol lets go of
    // Alt, and a key the click did not add stays as it was.
    fx.Select(0, 0, 0, 0);
    AltDown = true;
    ShiftDown = true;
    ButtonWithTag(*special, 7)->click();
    EXPECT_EQ(fx.At(0, 0).upNote, 7);
    EXPECT_FALSE(AltDown);
    EXPECT_TRUE(ShiftDown);
    ShiftDown = false;
}

} // namespace

TEST(PaletteForms, ButtonsAndToolBarItemsCarryTheirNames) {
    TPaletteFixture fx;
    std::unique_ptr<TfrmSpecial> special(CreateSpecialPalette(nullptr));
    std::unique_ptr<TfrmDynMark> dyn(CreateDynMarkPalette(nullptr));
    const struct {
        QWidget* form;
        const char* name;
        int tag;
    } cases[] = {
        {special.get(), "btnIV", 133}, {special.get(), "btnV", 8},        {special.get(), "btn5", 128},
        {special.get(), "btnOnTop", 3115}, {special.get(), "btnCustomerize", 3125},
        {dyn.get(), "btnCrescendo", 4}, {dyn.get(), "btnChord7Wave", 37}, {dyn.get(), "btnMoveMarkEndDn", 3123},
        {dyn.get(), "btnLoadLayout", 3106},
    };
    for (const auto& c : cases) {
        QObject* o = c.form->findChild<QObject*>(QString::fromLatin1(c.name));
        ASSERT_NE(o, nullptr) << c.name;
        EXPECT_EQ(TagOf(o), c.tag) << c.name;
    }
}
