// The bow-direction window, the part-breakdown and measure-number dialogs and
// the preferences command, answered through their functions.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <memory>

#include "edit/frmTQBowDir.h"
#include "edit/frmTQBreakdown.h"
#include "edit/frmTQMeasureCount.h"
#include "edit/frmTQPrefCommand.h"
#include "edit/modTQMeasureCount.h"
#include "lang/frmTQPref.h"
#include "lang/modTQLanguage.h"
#include "tests/edit/TQEditFixture.h"

TEST(EditForms, BowWindowRunsItsButtonsAndKeepsTheSignType) {
    TEditFixture fx(10, 4);
    fx.Row(1, "| 1 2 3 4 |");
    fx.Select(0, 1, 0, 1);
    {
        TfrmBowDir window;
        window.FormShow();
        EXPECT_FALSE(window.cbxLineRule->isVisibleTo(&window)); // a single-row system has no line rule to choose
        window.rbtEveryNote->setChecked(true);
        window.rbtArrow->setChecked(true);
        window.rbtArrowClick();
        EXPECT_FALSE(window.imgStartPull2->isVisibleTo(&window));
        EXPECT_TRUE(window.imgStartPull1->isVisibleTo(&window));
        ASSERT_TRUE(window.btnOkClick());
        EXPECT_EQ(fx.At(1, 0).Note, kBowPullArrow);
        EXPECT_EQ(fx.At(2, 0).Note, kBowPushArrow);
        ASSERT_TRUE(window.btnReverseClick());
        EXPECT_EQ(fx.At(1, 0).Note, kBowPushArrow);
        fx.messages.Answer(mrYes);
        ASSERT_TRUE(window.btmClearBowSignClick());
        EXPECT_EQ(fx.At(1, 0).Note, 32);
    }
    // The arrows chosen above come back in the next window.
    TfrmBowDir again;
    EXPECT_TRUE(again.rbtArrow->isChecked());
    again.rbtSymbol->setChecked(true);
}

TEST(EditForms, BreakdownCommand) {
    TEditFixture fx(20, 14);
    for (int k = 1; k <= 4; ++k)
        fx.Row(1 + k, "&G{iEnd=19} W:3@" + std::to_string(k) + " |");
    fx.win.FileName = "song.mus";

    fx.win.Modified = true;
    bool asked = false;
    EXPECT_FALSE(BreakDown1Click(nullptr, [&](QDialog&) {
        asked = true;
        return int(QDialog::Accepted);
    }));
    EXPECT_FALSE(asked);
    ASSERT_EQ(fx.messages.shown.size(), 1u);
    EXPECT_EQ(fx.messages.shown[0].id, 1038);

    fx.win.Modified = false;
    EXPECT_FALSE(BreakDown1Click(nullptr, [](QDialog&) { return int(QDialog::Rejected); }));
    EXPECT_EQ(fx.win.FileName, "song.mus");

    EXPECT_TRUE(BreakDown1Click(nullptr, [](QDialog& d) {
        auto& dialog = static_cast<TfrmBreakdown&>(d);
        dialog.FormShow();
        dialog.cbxRule->setCurrentIndex(0);
        dialog.cbxRuleChange();
        dialog.edtPick->setText(QStringLiteral("2,4"));
        dialog.chkPre->setChecked(false);
        dialog.chkFollow->setChecked(false);
        dialog.spnSpace->setValue(1);
        dialog.btnOkClick();
        return dialog.result();
    }));
    EXPECT_EQ(fx.win.FileName, "song2_4.mus");
    EXPECT_FLOAT_EQ(fx.At(1, 2).yAdj, 2.0f);
    EXPECT_FLOAT_EQ(fx.At(1, 3).yAdj, 4.0f);
    EXPECT_EQ(fx.At(1, 4).Note, 32);
    EXPECT_TRUE(fx.win.Modified);
}

TEST(EditForms, MeasureNumberCommandAddsAndRemoves) {
    TEditFixture fx(16, 6);
    fx.Row(1, "&G{iEnd=15} W:3 | W:3 | W:3 | W:3 |]");
    EXPECT_TRUE(mitAddMeasureCountClick(nullptr, [](QDialog& d) {
        auto& dialog = static_cast<TfrmMeasureCount&>(d);
        dialog.FormShow();
        dialog.spnMeasureInc->setValue(2);
        dialog.spnPosOff->setValue(-3);
        dialog.btnOk->click();
        return dialog.result();
    }));
    ASSERT_TRUE(IsMeasureNumberCell(fx.At(2, 0)));
    EXPECT_EQ(fx.At(2, 0).Text, "2");
    EXPECT_FLOAT_EQ(fx.At(2, 0).yAdj, -3.0f);
    EXPECT_EQ(fx.At(6, 0).Text, "4");

    // Remove: No keeps the dialog open, Yes closes it in remove mode.
    fx.messages.Answer(mrNo);
    fx.messages.Answer(mrYes);
    EXPECT_TRUE(mitAddMeasureCountClick(nullptr, [](QDialog& d) {
        auto& dialog = static_cast<TfrmMeasureCount&>(d);
        dialog.FormShow();
        dialog.btnRemoveMsure->click();
        EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
        dialog.btnRemoveMsure->click();
        return dialog.result();
    }));
    EXPECT_FALSE(IsMeasureNumberCell(fx.At(2, 0)));
    ASSERT_EQ(fx.messages.shown.size(), 3u);
    EXPECT_EQ(fx.messages.shown[2].id, 1033);
    EXPECT_EQ(fx.messages.shown[2].text.substr(0, 5), "10332");
}

TEST(EditForms, PreferencesCommandRegridsAfterAMarginChange) {
    TEditFixture fx(0, 0, 1, 1);
    const int oldCols = fx.win.Cols;
    TViewPrefs view;
    bool chinese = Language->UseChinese;
    TPrefParts parts{fx.win, fx.win, view, chinese};
    EXPECT_FALSE(mitPreferenceClick(parts, nullptr, {}, [](QDialog&) { return int(QDialog::Rejected); }));
    EXPECT_FALSE(fx.win.Modified);

    EXPECT_TRUE(mitPreferenceClick(parts, nullptr, {}, [](QDialog& d) {
        auto& dialog = static_cast<TfrmPref&>(d);
        dialog.FormShow();
        dialog.spnLeftMargin->setValue(10);
        return dialog.btnOkClick() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    }));
    EXPECT_EQ(fx.win.LeftMargin, 10);
    EXPECT_GT(fx.win.Cols, oldCols);
    EXPECT_EQ(int(fx.win.PageSets[0][0][0].size()), fx.win.Cols + 1);
    EXPECT_EQ(int(fx.win.PageSets[1][0][0].size()), fx.win.Cols + 1);
    EXPECT_TRUE(fx.win.Modified);
}
