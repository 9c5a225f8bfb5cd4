// The Jianpu style items and the Western menu's state.
#include <gtest/gtest.h>

#include "edit/modTQJianpuStyle.h"
#include "lang/modTQLanguage.h"
#include "render/modTQViewQuery.h"
#include "tests/edit/TQEditFixture.h"

TEST(JianpuStyle, RadioPairIsTheFixedDoMode) {
    TEditFixture fx(12, 4);
    int drawn = 0;
    fx.win.OnPageDrawn = [&] { ++drawn; };
    mitFixedKeyClick();
    EXPECT_TRUE(IsFixedDoMode());
    EXPECT_FALSE(mitTonicSolFaChecked());
    mitFixedKeyClick(); // already checked: stays, and the page is drawn again
    EXPECT_TRUE(IsFixedDoMode());
    mitTonicSolFaClick();
    EXPECT_FALSE(IsFixedDoMode());
    EXPECT_TRUE(mitTonicSolFaChecked());
    EXPECT_EQ(drawn, 3);
}

TEST(JianpuStyle, WesternMenuCaptionAndLayerItems) {
    TEditFixture fx(12, 4, 1, 1);
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    int ended = 0;
    fx.win.OnEndTextEntry = [&] { ++ended; };
    fx.win.mitFixedKeyChecked = true;
    TWesternMenuState s = mitWesternClick();
    EXPECT_TRUE(s.Layer0ItemsEnabled);
    EXPECT_EQ(s.JianpuStyleCaption, "Jianpu Style : Fixed Key");
    fx.win.mitFixedKeyChecked = false;
    CurLayer = 1;
    s = mitWesternClick();
    EXPECT_FALSE(s.Layer0ItemsEnabled);
    EXPECT_EQ(s.JianpuStyleCaption, "Jianpu Style : Tonic Sol-Fa");
    EXPECT_EQ(ended, 2);
    CurLayer = 0;
}
