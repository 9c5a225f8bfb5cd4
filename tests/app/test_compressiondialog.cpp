// Specify Compression through the compression-rate dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSpinBox>

#include "app/frmTQMainPrefs.h"
#include "palettes/frmTQShrinkRate.h"
#include "tests/edit/TQEditFixture.h"

TEST(SpecifyComp, TheDialogShowsTheCursorRateAndSetsTheSelection) {
    TEditFixture fx(12, 4);
    fx.Row(1, "1{shrink=-10} 2 3");
    fx.Select(0, 1, 1, 1);
    fx.win.DefJianpuShrinkRate = 15;
    int shown = 0;
    EXPECT_FALSE(mitSpecifyCompClick(nullptr, [&](QDialog& d) {
        shown = static_cast<TfrmShrinkRate&>(d).spnShrinkRate->value();
        return int(QDialog::Rejected);
    }));
    EXPECT_EQ(shown, 55);
    EXPECT_FALSE(fx.win.Modified);

    EXPECT_TRUE(mitSpecifyCompClick(nullptr, [](QDialog& d) {
        auto& dialog = static_cast<TfrmShrinkRate&>(d);
        dialog.spnShrinkRate->setValue(90);
        dialog.chkSetDefShrinkRate->setChecked(true);
        return int(QDialog::Accepted);
    }));
    EXPECT_EQ(fx.At(0, 1).shrinkRate, 25);
    EXPECT_EQ(fx.At(1, 1).shrinkRate, 25);
    EXPECT_EQ(fx.At(2, 1).shrinkRate, 0);
    EXPECT_EQ(fx.win.DefJianpuShrinkRate, 25);
    EXPECT_TRUE(fx.win.Modified);
}
