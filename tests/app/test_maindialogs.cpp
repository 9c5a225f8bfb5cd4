// The main window's property dialogs as the converters and commands ask them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRadioButton>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include "app/frmTQMain.h"
#include "convert/modTQConvertJ2W.h"
#include "model/modTQUndo.h"
#include "palettes/frmTQClefStaff.h"
#include "platform/core/TQMessage.h"

namespace {

TEST(MainWindowDialogs, TheConverterAsksKeyAndClefThroughTheWindow) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    {
        TfrmMainTQ w;
        ASSERT_TRUE(J2WServices.ChooseClefStaff);
        w.CurKey = 8;
        w.CurClef = -5;
        QTimer::singleShot(0, [] {
            auto* f = qobject_cast<TfrmClefStaff*>(QApplication::activeModalWidget());
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->tabStaff->currentIndex(), 3);
            EXPECT_TRUE(f->keyButtons[8]->isChecked());
            f->tabStaff->setCurrentIndex(1);
            f->keyButtons[2]->click();
            f->btnOK->click();
        });
        EXPECT_TRUE(J2WServices.ChooseClefStaff());
        EXPECT_EQ(w.CurKey, 2);
        EXPECT_EQ(w.CurClef, -2);

        QTimer::singleShot(0, [] {
            auto* f = qobject_cast<TfrmClefStaff*>(QApplication::activeModalWidget());
            ASSERT_NE(f, nullptr);
            f->tabStaff->setCurrentIndex(0);
            f->btnCancel->click();
        });
        EXPECT_FALSE(J2WServices.ChooseClefStaff());
        EXPECT_EQ(w.CurKey, 2);
        EXPECT_EQ(w.CurClef, -2);
    }
    SetMessageBoxes(nullptr);
    Undo.ClearUndoFiles();
    CurLayer = 0;
}

} // namespace
