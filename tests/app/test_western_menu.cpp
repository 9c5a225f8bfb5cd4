// The Western menu on the real window: staff items only on layer 0, and the
// Jianpu style submenu with its two radio items and the style in its caption.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <filesystem>
#include <memory>
#include <string>

#include "app/frmTQMain.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "model/modTQPredicates.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowCells.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

TEST(WesternMenu, LayerOneDisablesStaffItemsAndTheCaptionNamesTheStyle) {
    fs::remove(PrefFileName());
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    {
        TfrmMainTQ w;
        QMenu* western = w.findChild<QMenu*>(QStringLiteral("mitWestern"));
        QMenu* style = w.findChild<QMenu*>(QStringLiteral("mitJianpuStyle"));
        ASSERT_NE(western, nullptr);
        ASSERT_NE(style, nullptr);
        QAction* fixedKey = w.CommandAction("mitFixedKey");
        ASSERT_NE(fixedKey, nullptr);
        EXPECT_TRUE(style->actions().contains(fixedKey));
        EXPECT_TRUE(style->actions().contains(w.CommandAction("mitTonicSolFa")));

        fixedKey->trigger();
        CurLayer = 1;
        emit western->aboutToShow();
        EXPECT_FALSE(w.CommandAction("mitCreateStaff")->isEnabled());
        EXPECT_FALSE(w.CommandAction("mitResetKeySignture")->isEnabled());
        EXPECT_FALSE(w.findChild<QMenu*>(QStringLiteral("mitGrandStaff"))->menuAction()->isEnabled());
        EXPECT_EQ(style->title().toStdString(), Language->GetString(531) + " : " + Language->GetString(532));

        w.CommandAction("mitTonicSolFa")->trigger();
        CurLayer = 0;
        emit western->aboutToShow();
        EXPECT_TRUE(w.CommandAction("mitCreateStaff")->isEnabled());
        EXPECT_TRUE(w.findChild<QMenu*>(QStringLiteral("mitGrandStaff"))->menuAction()->isEnabled());
        EXPECT_EQ(style->title().toStdString(), Language->GetString(531) + " : " + Language->GetString(533));
        EXPECT_FALSE(fixedKey->isChecked());
    }
    CurLayer = 0;
    SetMessageBoxes(nullptr);
    Undo.ClearUndoFiles();
    fs::remove(PrefFileName());
}

// Western → To Bass Staff on a treble staff: chosen anywhere before the staff's
// first note it turns the staff's own clef, for the whole row, and writes no
// second clef into the header's cells (where it stood over the treble clef and
// the key signature); after a note it starts a clef change in the row. Every
// note keeps its pitch: B4 sits 12 steps higher on the bass staff, A5 9 higher.
TEST(WesternMenu, ToBassStaffBeforeTheFirstNoteTurnsTheStaffsOwnClef) {
    fs::remove(PrefFileName());
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    Language->UseChinese = false;
    ASSERT_TRUE(Language->LoadLanguageDll());
    struct TCase {
        int col0, col1;
        int clefCol; // where the bass clef stands afterwards
    };
    for (const TCase& k : {TCase{1, 1, 0}, TCase{2, 3, 0}, TCase{4, 4, 0}, TCase{6, 6, 5}}) {
        TWindowCells cells;
        cells.w = std::make_unique<TfrmMainTQ>();
        cells.w->show();
        CurLayer = 0;
        cells.Row(1, "&G/2 ~ ~ ~ W:3@0 ~ W:4@3");
        cells.Select(k.col0, 1, k.col1, 1);
        cells.w->CommandAction("mitToFStaff")->trigger();
        const std::string where = "selection " + std::to_string(k.col0) + ".." + std::to_string(k.col1);
        for (int c = 0; c <= 5; ++c)
            EXPECT_EQ(IsClefCell(cells.At(c, 1)), c == 0 || c == k.clefCol) << where << ", column " << c;
        EXPECT_EQ(cells.At(k.clefCol, 1).Note, -2) << where;
        EXPECT_EQ(cells.At(0, 1).Note, k.clefCol == 0 ? -2 : -1) << where;
        EXPECT_EQ(cells.At(0, 1).Attr, 2u) << where; // D major stays
        EXPECT_FLOAT_EQ(cells.At(4, 1).yAdj, k.clefCol == 0 ? -12.0f : 0.0f) << where;
        EXPECT_FLOAT_EQ(cells.At(6, 1).yAdj, -9.0f) << where;
        cells.w.reset();
        Undo.ClearUndoFiles();
    }
    CurLayer = 0;
    SetMessageBoxes(nullptr);
    fs::remove(PrefFileName());
}
