// The Western-note tool window, offscreen.
#include <gtest/gtest.h>

#include <QToolButton>

#include <string>

#include "edit/frmTQWestNotes.h"
#include "edit/modTQWestEntry.h"
#include "lang/modTQLanguage.h"
#include "tests/edit/TQEditFixture.h"

namespace {

QToolButton* ButtonWithTag(TfrmWestNotes& form, int tag) {
    for (QToolButton* b : form.Buttons)
        if (TagOf(b) == tag)
            return b;
    return nullptr;
}

TEST(WestNotesWindow, ButtonsCarryTheirCodes) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G ~ ~");
    fx.Select(1, 1, 1, 1);
    TfrmWestNotes form;
    EXPECT_EQ(form.Buttons.size(), 46u);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    QToolButton* eighth = ButtonWithTag(form, 4);
    ASSERT_NE(eighth, nullptr);
    eighth->click();
    EXPECT_EQ(fx.At(1, 1).Note, 4);
    EXPECT_EQ(fx.At(1, 1).cellType, 8);
    EXPECT_EQ(fx.win.SelCol0, 2);

    // the accidentals and the cross-staff mark go to the symbol palette
    std::vector<int> inserted;
    WestEntryHooks().InsertSpecialSymbol = [&](int code) { inserted.push_back(code); };
    ButtonWithTag(form, 14)->click();
    ButtonWithTag(form, 120)->click();
    form.btnCrossStaff->click(); // no grand staff here
    WestEntryHooks().InsertSpecialSymbol = nullptr;
    EXPECT_EQ(inserted, (std::vector<int>{14, 120}));
}

TEST(WestNotesWindow, HintsAndVisibleFlag) {
    TEditFixture fx(12, 4);
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    TfrmWestNotes form;
    form.show();
    EXPECT_TRUE(fx.win.WestDlgVisible);
    const std::pair<QWidget*, int> hints[] = {
        {form.btnCrossStaff, 3650},     {form.btnReverseHead, 3651}, {form.btnMoveSign, 3652},
        {form.btnMoveTurnSignal, 3653}, {form.btnHideStem, 3654},    {form.btnHideHead, 3655},
        {form.btnConeectGFTail, 3658},  {form.btnAddBracket, 3659},  {form.spnStemLAdj, 3660},
        {form.btnMoveDotUpDn, 3674},
    };
    for (const auto& [w, id] : hints) {
        ASSERT_NE(w, nullptr) << id;
        EXPECT_FALSE(Language->GetString(id).empty()) << id;
        EXPECT_EQ(w->toolTip().toStdString(), Language->GetString(id)) << id;
    }
    // activating the window ends text entry and leaves Gongche mode
    int ended = 0;
    form.OnEndTextEntry = [&] { ++ended; };
    fx.win.GongChiMode = true;
    form.FormActivate();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(fx.win.GongChiMode);
    form.close();
    EXPECT_FALSE(fx.win.WestDlgVisible);
    Language->UseChinese = true;
}

} // namespace

namespace {

TEST(WestNotesWindow, CrossStaffBreakPointOfAGrandStaff) {
    TEditFixture fx(12, 4);
    fx.Row(1, "&G{mark=54191118,jEnd=2} W:3@0");
    fx.Row(2, "&F W:3@0");
    TfrmWestNotes form;
    fx.Select(1, 1, 1, 1);
    form.btnCrossBrkUp->click();
    form.btnCrossBrkUp->click();
    EXPECT_EQ(fx.At(1, 1).breakPoint, 4);
    EXPECT_EQ(form.btnCrossBrk->toolTip().toStdString(), "Break Point = 4");
    fx.Select(1, 2, 1, 2);
    form.btnCrossBrkUp->click();
    EXPECT_EQ(fx.At(1, 2).breakPoint, -2);
    // outside a grand staff nothing changes
    fx.Row(3, "&G W:3@0");
    fx.Select(1, 3, 1, 3);
    form.btnCrossBrkDown->click();
    EXPECT_EQ(fx.At(1, 3).breakPoint, 0);
}

} // namespace
