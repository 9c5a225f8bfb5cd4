#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QTabWidget>
#include <QToolButton>

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
