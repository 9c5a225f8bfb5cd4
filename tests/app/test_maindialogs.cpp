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
#include "palettes/frmTQCellProperty.h"
#include "palettes/frmTQClefStaff.h"
#include "palettes/frmTQMath.h"
#include "platform/core/TQCodec.h"
#include <QTableWidget>
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

TEST(MainWindowDialogs, ExerciseSheetAndCellView) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    {
        TfrmMainTQ w;
        w.btnMathClick();
        ASSERT_NE(w.frmMath, nullptr);
        EXPECT_TRUE(w.frmMath->isVisible());
        // Showing it writes a first sheet into the window's score.
        const TCell& number = w.PageSets[0][0][0][std::size_t(w.Cols - 5)];
        std::string text;
        CharsetToUtf8(number.Text, 134, text);
        EXPECT_EQ(text, "第 1 页");
        w.SelCol0 = w.SelCol1 = 2;
        w.SelRow0 = w.SelRow1 = 4;
        w.mitCellPropertyClick();
        ASSERT_NE(w.frmCellProperty, nullptr);
        EXPECT_EQ(w.frmCellProperty->windowTitle(), QStringLiteral("i=2 j=4"));
        EXPECT_EQ(w.frmCellProperty->strCellProp->item(0, 1)->text(), QStringLiteral("3"));
    }
    SetMessageBoxes(nullptr);
    Undo.ClearUndoFiles();
    CurLayer = 0;
}

} // namespace
