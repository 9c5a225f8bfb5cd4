// The Western menu on the real window: staff items only on layer 0, and the
// Jianpu style submenu with its two radio items and the style in its caption.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <filesystem>

#include "app/frmTQMain.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
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
