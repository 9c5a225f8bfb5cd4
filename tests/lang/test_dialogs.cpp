// The preferences dialog, the font dialog and the about box, driven offscreen
// on score and settings parts without a main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include <filesystem>

#include "lang/frmTQAbout.h"
#include "lang/frmTQFont.h"
#include "lang/frmTQPref.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "model/modTQUndo.h"
#include "platform/core/TQIniFile.h"
#include "tests/support/TQScoreFixture.h"

namespace fs = std::filesystem;

namespace {

std::string T(const QString& s) { return s.toStdString(); }

class PrefDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageBoxes(&rec);
        Language->UseChinese = false;
        Language->LoadLanguageDll();
        settings.SetDefaultFolders("/tmp/tq");
    }
    void TearDown() override {
        SetMessageBoxes(nullptr);
        fs::remove(PrefFileName());
        Language->UseChinese = true;
    }
    TMessageRecorder rec;
    TMainScore score;
    TMainSettings settings;
    TViewPrefs view;
    bool useChinese = false;
    TPrefParts parts{score, settings, view, useChinese};
};

} // namespace

TEST(PrefDialogFormulas, InchesQualityAndPhysicalSizes) {
    EXPECT_DOUBLE_EQ(ToInches(210, 1), 8.27);
    EXPECT_NEAR(ToInches(297, 1), 11.70, 1e-9);
    EXPECT_DOUBLE_EQ(ToInches(8.3, 0), 8.3);
    EXPECT_NEAR(ImageQualityFactor(0), 0.20, 1e-9);
    EXPECT_NEAR(ImageQualityFactor(10), 1.00, 1e-9);
    EXPECT_NEAR(ImageQualityFactor(20), 3.00, 1e-9);
    EXPECT_NEAR(ImageQualityFactor(5), 0.60, 1e-9);
    EXPECT_EQ(PageUnitSizeText(15, 8.5, 0), "0.128\"");
    EXPECT_EQ(PageUnitSizeText(15, 8.5, 1), "3.24 mm");
}

TEST_F(PrefDialogTest, ShowsTheSizeInUseAndAPresetOnlyWhenPicked) {
    score.PaperType = 3;
    score.PaperWidth = 9.0f;
    score.PaperHeight = 12.0f;
    TfrmPref dlg(parts);
    dlg.FormShow();
    EXPECT_EQ(T(dlg.edtWidth->text()), "9.00");
    EXPECT_EQ(T(dlg.edtHeight->text()), "12.00");
    EXPECT_EQ(T(dlg.lblCellW->text()), "0.135\"");
    EXPECT_EQ(T(dlg.lblQuality->text()), "1.00");
    dlg.cbxPaperSize->setCurrentIndex(2);
    dlg.cbxPaperSizeChange();
    EXPECT_EQ(T(dlg.edtWidth->text()), "8.3");
    EXPECT_EQ(T(dlg.edtHeight->text()), "11.7");
    dlg.rbtLandscape->setChecked(true);
    dlg.rgbPaperOriClick();
    EXPECT_EQ(T(dlg.edtWidth->text()), "11.7");
    dlg.rbtMillimetres->setChecked(true);
    dlg.rgbUnitClick(); // the size in use, in millimetres, landscape
    EXPECT_EQ(T(dlg.edtWidth->text()), "305");
    EXPECT_EQ(T(dlg.edtHeight->text()), "229");
}

TEST_F(PrefDialogTest, ChangeLevels) {
    struct Case {
        const char* what;
        std::function<void(TfrmPref&)> change;
        int level;
        bool colours;
        bool language;
    };
    const std::vector<Case> cases = {
        {"nothing", [](TfrmPref&) {}, 0, false, false},
        {"a colour", [](TfrmPref& d) { d.SwatchColours[5] = 0x123456; }, 1, true, false},
        {"the grid", [](TfrmPref& d) { d.trkGridColor->setValue(100); }, 1, true, false},
        {"a font", [](TfrmPref& d) { d.btnEnglishFont->setText("Liberation Serif"); }, 2, false, false},
        {"a font style", [](TfrmPref& d) { d.NoteFontStyle = 3; }, 2, false, false},
        {"the cell width", [](TfrmPref& d) { d.spnCellWidth->setValue(18); }, 3, false, false},
        {"the paper", [](TfrmPref& d) { d.edtHeight->setText("14"); }, 3, false, false},
        {"the language", [](TfrmPref& d) { d.chkUseChinese->setChecked(true); }, 3, false, true},
    };
    for (const Case& c : cases) {
        TMainScore s;
        TMainSettings m;
        TViewPrefs v;
        bool chinese = false;
        TPrefParts p{s, m, v, chinese};
        TfrmPref dlg(p);
        dlg.FormShow();
        c.change(dlg);
        ASSERT_TRUE(dlg.btnOkClick()) << c.what;
        EXPECT_EQ(dlg.ChangeLevel, c.level) << c.what;
        EXPECT_EQ(dlg.ColoursChanged, c.colours) << c.what;
        EXPECT_EQ(dlg.LanguageChanged, c.language) << c.what;
    }
}

TEST_F(PrefDialogTest, OkStoresTheAppliedSizeExactly) {
    TfrmPref dlg(parts);
    dlg.FormShow();
    dlg.rbtMillimetres->setChecked(true);
    dlg.rgbUnitClick();
    dlg.cbxPaperSize->setCurrentIndex(2);
    dlg.cbxPaperSizeChange(); // 210 x 297
    ASSERT_TRUE(dlg.btnOkClick());
    EXPECT_EQ(score.PaperWidth, 8.27f);
    EXPECT_EQ(score.PaperHeight, 11.7f);
    EXPECT_EQ(settings.Unit, 1);
    TIniFile ini(PrefFileName());
    EXPECT_EQ(ini.ReadString("Pref", "PaperWidth", ""), "8.27");
    EXPECT_EQ(ini.ReadString("Pref", "PaperHeight", ""), "11.7");
    EXPECT_EQ(static_cast<float>(ini.ReadFloat("Pref", "PaperWidth", 0)), score.PaperWidth);
}

TEST_F(PrefDialogTest, AnUnusablePaperSizeAppliesNothing) {
    for (const char* bad : {"abc", "0", "-3", "8.5x", ""}) {
        TfrmPref dlg(parts);
        dlg.FormShow();
        dlg.spnCellWidth->setValue(20);
        dlg.chkLoadPreFile->setChecked(!settings.LoadPreFile);
        dlg.edtHeight->setText(QString::fromUtf8(bad));
        rec.Clear();
        EXPECT_FALSE(dlg.btnOkClick()) << bad;
        ASSERT_EQ(rec.shown.size(), 1u) << bad;
        EXPECT_EQ(rec.shown[0].id, sidPaperSizeInvalid); // a paper size, not the parts' line numbers
        EXPECT_NE(rec.shown[0].text.find(T(dlg.lblHeight->text())), std::string::npos) << rec.shown[0].text;
        EXPECT_EQ(score.CellWidth, 15) << bad;
        EXPECT_TRUE(settings.LoadPreFile) << bad;
        EXPECT_FALSE(fs::exists(PrefFileName())) << bad;
    }
}

TEST_F(PrefDialogTest, ResetAndCancel) {
    score.CellWidth = 20;
    score.LeftMargin = 10;
    view.BkColor = 0x00FF00;
    {
        TfrmPref dlg(parts);
        dlg.FormShow();
        dlg.btnResetClick();
        EXPECT_EQ(dlg.spnCellWidth->value(), 15);
        EXPECT_EQ(dlg.spnLeftMargin->value(), 60);
        EXPECT_EQ(dlg.spnTopMargin->value(), 50);
        EXPECT_EQ(dlg.cbxPaperSize->currentIndex(), 0) << "Letter, the paper of a first start";
        EXPECT_EQ(T(dlg.edtWidth->text()), "8.5");
        EXPECT_EQ(T(dlg.btnChineseFont->text()), "SimSun");
        EXPECT_EQ(dlg.ChineseFontCharset, 134);
        EXPECT_EQ(dlg.SwatchColours[0], 16777215);
        EXPECT_EQ(dlg.trkGridColor->value(), 50);
        EXPECT_EQ(dlg.spnPrintAdj->value(), 90);
        dlg.reject(); // Cancel: nothing reaches the parts or the file
    }
    EXPECT_EQ(score.CellWidth, 20);
    EXPECT_EQ(score.LeftMargin, 10);
    EXPECT_EQ(view.BkColor, 0x00FF00);
    EXPECT_FALSE(fs::exists(PrefFileName()));
}

TEST(FontDialog, FacesFoldIntoFamilies) {
    TFontLists l;
    AddFontFace(l, "Times New Roman Bold", "Bold", "Western");
    AddFontFace(l, "Times New Roman Italic", "Italic", "Western");
    AddFontFace(l, "Times New Roman", "Regular", "Western");
    AddFontFace(l, "Arial Narrow", "Regular", "Western");
    AddFontFace(l, "Segoe Light", "Regular", "Western");
    AddFontFace(l, "@SimSun", "Regular", "CHINESE_GB2312");
    AddFontFace(l, "SimSun", "Regular", "CHINESE_GB2312");
    AddFontFace(l, "黑体", "Regular", "中文 GB2312");
    AddFontFace(l, "Symbol", "Regular", "Symbol");
    EXPECT_EQ(l.West, (std::vector<std::string>{"Times New Roman"}));
    EXPECT_EQ(l.Chinese, (std::vector<std::string>{"SimSun", "黑体"}));
    EXPECT_EQ(l.All.size(), 9u); // every face stays under All
}

TEST(FontDialog, SizeSpinSteps) {
    TfrmSetFont dlg;
    struct Case {
        const char* from;
        bool up;
        const char* to;
    } cases[] = {{"0", true, "1.00"},   {"1.8", true, "2.00"}, {"2.00", true, "2.50"},
                 {"0.2", false, "1.00"}, {"1.0", false, "0.80"}, {"junk", true, "1.00"}};
    for (const Case& c : cases) {
        dlg.edtTextSize->setText(QString::fromUtf8(c.from));
        if (c.up)
            dlg.CSpinButton1UpClick();
        else
            dlg.CSpinButton1DownClick();
        EXPECT_EQ(T(dlg.edtTextSize->text()), c.to) << c.from;
    }
}

TEST(FontDialog, AJianpuCellGivenTheNoteFontFollowsThePreference) {
    TScoreFixture fx(6, 3);
    fx.Row(0, "1 2 \"Title\"");
    TMainScore& s = fx.Score();
    s.NoteFontName = "Arial";
    s.NoteFontStyle = 1;
    s.SelCol0 = 0;
    s.SelCol1 = 2;
    Undo.ClearUndoFiles();
    TfrmSetFont dlg;
    dlg.FillFontLists({{"Arial", "Regular", "Western"}});
    ASSERT_TRUE(dlg.LoadFont(-1));
    EXPECT_EQ(T(dlg.edtFontName->text()), "Arial"); // the note font, for a sounding Jianpu cell
    EXPECT_TRUE(dlg.chkBold->isChecked());
    dlg.edtTextSize->setText("1.5");
    dlg.ApplyFontToSelection();
    for (int c : {0, 1}) {
        EXPECT_EQ(fx.At(c, 0).FontName, "NT") << c;
        EXPECT_EQ(fx.At(c, 0).upNote & (kOwnStyleFlag | kOwnNameFlag), 0) << c;
        EXPECT_FLOAT_EQ(fx.At(c, 0).fontSizeR, 1.5f);
    }
    EXPECT_EQ(fx.At(2, 0).FontName, "Arial"); // a text cell names its own font
    EXPECT_NE(fx.At(2, 0).upNote & kOwnNameFlag, 0);
    EXPECT_EQ(Undo.UndoList.size(), 1u);

    dlg.chkItalic->setChecked(true); // another style: the cell keeps its own
    dlg.ApplyFontToSelection();
    EXPECT_NE(fx.At(0, 0).upNote & kOwnStyleFlag, 0);
    EXPECT_EQ(GetCellFontStyle(fx.At(0, 0), 3), 3);
    dlg.DefaultRequested = true;
    dlg.ApplyFontToSelection();
    EXPECT_EQ(fx.At(0, 0).upNote & kOwnStyleFlag, 0);
    EXPECT_EQ(GetCellFontStyle(fx.At(0, 0), 3), 1);
    Undo.ClearUndoFiles();
}

TEST(FontDialog, EmptySelectionAndPreferenceModes) {
    TScoreFixture fx(6, 3);
    TfrmSetFont dlg;
    EXPECT_FALSE(dlg.LoadFont(-1)); // nothing colourable selected
    dlg.PreferenceFontName = "Liberation Serif";
    dlg.PreferenceFontStyle = 2;
    ASSERT_TRUE(dlg.LoadFont(0));
    EXPECT_EQ(T(dlg.edtFontName->text()), "Liberation Serif");
    EXPECT_TRUE(dlg.chkItalic->isChecked());
    EXPECT_FALSE(dlg.chkBold->isChecked());
    EXPECT_TRUE(dlg.rbtChinese->isChecked());
    EXPECT_TRUE(dlg.btnDefault->isHidden());
}

TEST(AboutBox, VersionLineInBothLanguages) {
    EXPECT_EQ(TrimVersionZeros("5.2000"), "5.2");
    EXPECT_EQ(TrimVersionZeros("5.1020"), "5.102");
    EXPECT_EQ(TrimVersionZeros("5.0000"), "5.0");
    for (bool chinese : {false, true}) {
        Language->UseChinese = chinese;
        ASSERT_TRUE(Language->LoadLanguageDll());
        TfrmAboutBox box;
        box.FormShow();
        const std::string expected = chinese ? Language->GetString(1001) + " 5.2" : "Release 5.2";
        EXPECT_EQ(T(box.lblVersion->text()), expected);
        EXPECT_TRUE(T(box.lblAuthor->text()).ends_with(std::to_string(QDate::currentDate().year())));
        EXPECT_EQ(T(box.windowTitle()), Language->GetString(1100));
    }
    Language->UseChinese = true;
}
