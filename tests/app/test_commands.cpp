// The main window's command table on the real window: every row's action with
// its string id, shortcut and handler, and the handlers with logic of their own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "app/frmTQMain.h"
#include "app/modTQCommandTable.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class CommandTest : public TWindowTest {
protected:
    void Open(const char* menu) {
        QMenu* m = w->findChild<QMenu*>(QString::fromLatin1(menu));
        ASSERT_NE(m, nullptr) << menu;
        emit m->aboutToShow();
    }

    tqtest::TempDir dir;
};

} // namespace

TEST_F(CommandTest, EveryRowIsAnActionWithItsIdShortcutAndHandler) {
    // the handlers that wait for other parts of the window run once they are there
    w->PlayWindow.SetVisible = [](bool) {};
    w->PlayWindow.Visible = [] { return false; };
    w->PlayWindow.Play = [] {};
    w->Ed.SetPaste(true); // Paste waits for a Copy
    w->RefreshCommandStates();

    std::vector<std::string> ran;
    w->OnCommand = [&](const std::string& handler) {
        ran.push_back(handler);
        return false; // only record: no dialog, no score change
    };
    std::set<std::string> pending;
    const auto handlers = w->CommandHandlers();
    for (const TCommandRow& row : CommandTable()) {
        ran.clear();
        if (row.Flags & cfOpening) {
            QMenu* menu = w->findChild<QMenu*>(QString::fromLatin1(row.Name));
            ASSERT_NE(menu, nullptr) << row.Name;
            emit menu->aboutToShow();
            EXPECT_NE(std::find(ran.begin(), ran.end(), row.Handler), ran.end()) << row.Name;
            continue;
        }
        QAction* a = w->CommandAction(row.Name);
        ASSERT_NE(a, nullptr) << row.Name;
        EXPECT_EQ(a->property("tqTag").toInt(), row.Tag) << row.Name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(row.Shortcut), QKeySequence::PortableText))
            << row.Name;
        EXPECT_EQ(a->isCheckable(), (row.Flags & cfCheck) != 0) << row.Name;
        if (const char* owner = w->CommandPendingOwner(row.Handler)) {
            EXPECT_FALSE(a->isEnabled()) << row.Name << " waits for " << owner;
            pending.insert(owner);
            continue;
        }
        if (row.Flags & cfHidden) { // never shown, so never triggered: its handler is there
            EXPECT_FALSE(a->isVisible()) << row.Name;
            EXPECT_EQ(handlers.count(row.Handler), 1u) << row.Name;
            continue;
        }
        w->EndTextEntry(); // the text box of an earlier row turns some controls off
        ASSERT_TRUE(a->isEnabled()) << row.Name;
        a->trigger();
        EXPECT_EQ(ran, std::vector<std::string>{row.Handler}) << row.Name;
    }
    EXPECT_TRUE(pending.empty()) << "every command has its handler";
    // no shortcut is taken twice (Qt would then run neither)
    std::map<QString, std::string> keys;
    for (QAction* a : w->findChildren<QAction*>()) {
        bool inDialog = false; // a dialog's own keys act only inside it
        for (QObject* p = a->parent(); p; p = p->parent())
            inDialog = inDialog || qobject_cast<QDialog*>(p);
        if (a->shortcut().isEmpty() || inDialog)
            continue;
        const QString k = a->shortcut().toString();
        EXPECT_TRUE(keys.emplace(k, a->objectName().toStdString()).second)
            << k.toStdString() << ": " << keys[k] << " and " << a->objectName().toStdString();
    }
}

TEST_F(CommandTest, OnePagePopupCarriesTheTableItemsAndItsOwnRules) {
    // the right button opens one popup menu: the cursor's, filled further by
    // the table, whose items show by the cell under the cursor
    ASSERT_EQ(w->findChildren<QMenu*>(QStringLiteral("popMain")).size(), 1);
    QMenu* pop = w->findChild<QMenu*>(QStringLiteral("popMain"));
    for (const char* item : {"mitHiDot", "mitCellProperty", "mitHideClefSign1"}) {
        QAction* a = w->findChild<QAction*>(QString::fromLatin1(item));
        ASSERT_NE(a, nullptr) << item;
        EXPECT_TRUE(pop->actions().contains(a)) << item;
    }
    At(0, 0) = TScoreFixture::Cell("~");
    w->SelCol0 = w->SelCol1 = 0;
    w->SelRow0 = w->SelRow1 = 0;
    w->popMainPopupPopup();
    EXPECT_FALSE(w->findChild<QAction*>(QStringLiteral("mitHiDot"))->isVisible()) << "no note under the cursor";
    EXPECT_EQ(w->findChildren<QMenu*>(QStringLiteral("popShrink")).size(), 1);
}

TEST_F(CommandTest, PlayCommandsReachThePlayWindow) {
    ASSERT_TRUE(w->CommandAction("btnPlayMusic")->isEnabled());
    EXPECT_TRUE(w->CommandAction("mitPlay")->isEnabled());
    ASSERT_TRUE(w->PlayWindowWidget);
    QWidget* play = w->PlayWindowWidget();
    EXPECT_FALSE(play->isVisible());
    w->CommandAction("btnPlayMusic")->trigger(); // the Music Player toggles the play window
    EXPECT_TRUE(play->isVisible());
    w->CommandAction("btnPlayMusic")->trigger();
    EXPECT_FALSE(play->isVisible());
    EXPECT_TRUE(w->CommandAction("mitInsertCell")->isEnabled());
    EXPECT_TRUE(w->CommandAction("mitDecreseComp")->isEnabled());
}

TEST_F(CommandTest, InsertAndDeleteCell) {
    At(w->Cols - 1, 2) = TScoreFixture::Cell("3");
    At(w->Cols - 2, 2) = TScoreFixture::Cell("2");
    const TPage before = w->PageSets[0][0];
    w->SelCol0 = w->SelCol1 = w->Cols - 1;
    w->SelRow0 = w->SelRow1 = 2;
    Trigger("mitInsertCell");
    Trigger("mitDeleteCell");
    EXPECT_EQ(w->PageSets[0][0], before) << "nothing changes in the last column";

    At(1, 3) = TScoreFixture::Cell("1");
    At(2, 3) = TScoreFixture::Cell("5");
    w->SelCol0 = w->SelCol1 = 1;
    w->SelRow0 = w->SelRow1 = 3;
    Trigger("mitInsertCell");
    EXPECT_EQ(At(2, 3).Note, '1');
    EXPECT_EQ(At(3, 3).Note, '5');
    EXPECT_EQ(w->SelCol0, 1) << "the selection is restored";
    Trigger("mitDeleteCell");
    EXPECT_EQ(At(1, 3).Note, '1');
    EXPECT_EQ(At(2, 3).Note, '5');
}

TEST_F(CommandTest, CopyCutPasteAndSelectAllOnCells) {
    QAction* paste = w->CommandAction("btnPaste");
    ASSERT_NE(paste, nullptr);
    EXPECT_FALSE(paste->isEnabled()) << "nothing to paste before a Copy";

    At(1, 3) = TScoreFixture::Cell("5");
    At(2, 3) = TScoreFixture::Cell("6");
    w->SelCol0 = 1, w->SelCol1 = 2, w->SelRow0 = w->SelRow1 = 3;
    Trigger("mitCopy");
    EXPECT_TRUE(paste->isEnabled());
    EXPECT_TRUE(w->CommandAction("mitPaste")->isEnabled());
    w->SelCol0 = w->SelCol1 = 6, w->SelRow0 = w->SelRow1 = 5;
    Trigger("mitPaste");
    EXPECT_EQ(At(6, 5).Note, '5');
    EXPECT_EQ(At(7, 5).Note, '6');
    EXPECT_EQ(At(1, 3).Note, '5') << "Copy leaves the source";

    w->SelCol0 = 6, w->SelCol1 = 7, w->SelRow0 = w->SelRow1 = 5;
    Trigger("btnCut");
    EXPECT_TRUE(IsEmptyCell(At(6, 5)) && IsEmptyCell(At(7, 5)));
    Trigger("btnUndo");
    EXPECT_EQ(At(7, 5).Note, '6') << "one Undo brings the cut cells back";

    Trigger("mitSelectAll");
    EXPECT_EQ(std::make_tuple(w->SelCol0, w->SelRow0, w->SelCol1, w->SelRow1),
              std::make_tuple(0, 0, w->Cols - 1, w->Rows - 1));

    // Paste Special stands right after Paste in the Edit menu, with its three modes
    QMenu* edit = w->findChild<QMenu*>(QStringLiteral("mitEdit"));
    QMenu* special = w->findChild<QMenu*>(QStringLiteral("mitPasteSpecial"));
    ASSERT_TRUE(edit && special);
    const auto items = edit->actions();
    const auto at = items.indexOf(w->CommandAction("mitPaste"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(items.value(at + 1), special->menuAction());
    EXPECT_EQ(special->actions().size(), 3);
    EXPECT_EQ(w->CommandAction("mitCopy")->shortcut(), QKeySequence(QKeySequence::Copy));
}

TEST_F(CommandTest, NoteButtonsOfTheLeftBarShowDrawnFaces) {
    std::map<std::string, QImage> faces;
    for (const char* name : {"ToolButton7", "ToolButton8", "btnCircle", "ToolButton12", "ToolButton13",
                             "ToolButton21", "ToolButton19", "btnUnderline1", "btnUnderline3", "btnDot2u",
                             "btnDot1d", "ToolButton15", "ToolButton9", "btnPrentice"}) {
        QAction* a = w->CommandAction(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_FALSE(a->icon().isNull()) << name << " shows its caption instead of a face";
        faces[name] = a->icon().pixmap(22, 22).toImage();
    }
    EXPECT_NE(faces["ToolButton7"], faces["ToolButton8"]);
    EXPECT_NE(faces["btnUnderline1"], faces["btnUnderline3"]);
    EXPECT_NE(faces["btnDot2u"], faces["btnDot1d"]);
    EXPECT_NE(faces["ToolButton9"], faces["btnPrentice"]);
}

TEST_F(CommandTest, EditMenuWithoutTwinTurnsApplyToBothLayersOff) {
    w->mitApplyToBothLayer->setEnabled(true);
    w->mitApplyToBothLayer->setChecked(true);
    ASSERT_FALSE(w->HasJianpuPage());
    Open("mitEdit");
    EXPECT_FALSE(w->mitApplyToBothLayer->isChecked());
    EXPECT_FALSE(w->mitApplyToBothLayer->isEnabled());
}

TEST_F(CommandTest, CompressionStepsByCell) {
    std::vector<int> steps;
    w->CellOps.ChangeShrinkRate = [&](int step, bool relative) { steps.push_back(relative ? step : -1000 + step); };
    struct Case {
        const char* cell;
        std::vector<int> decrease, increase;
    } cases[] = {
        {"1{attr=0xA0}", {5, 2}, {-5}},   // a shrunk Jianpu cell
        {"W:3{attr=0xA0}", {3, 2}, {-3}}, // a shrunk Western cell
        {"1", {2}, {-2}},                 // not shrunk
    };
    for (const Case& c : cases) {
        At(4, 1) = TScoreFixture::Cell(c.cell);
        w->SelCol0 = w->SelCol1 = 4;
        w->SelRow0 = w->SelRow1 = 1;
        steps.clear();
        Trigger("mitDecreseComp");
        EXPECT_EQ(steps, c.decrease) << c.cell;
        steps.clear();
        Trigger("mitShrinkInc");
        EXPECT_EQ(steps, c.increase) << c.cell;
    }
    steps.clear();
    Trigger("mitShrinkReset");
    EXPECT_EQ(steps, std::vector<int>{-1001}) << "back to the default rate";
    // through the drawing part's own operation: the rate of the cell changes
    w->CellOps.ChangeShrinkRate = [this](int value, bool relative) { w->ChangeShrinkRate(value, relative); };
    At(4, 1) = TScoreFixture::Cell("1{attr=0xA0}");
    const int before = At(4, 1).shrinkRate;
    w->CommandAction("mitDecreseComp")->trigger();
    EXPECT_EQ(At(4, 1).shrinkRate, before + 7);
}

TEST_F(CommandTest, HintSizesTakeAWholeScoreUndoStep) {
    w->SetModified(false);
    const size_t before = Undo.UndoList.size();
    Trigger("mitLarge");
    EXPECT_FLOAT_EQ(w->HintSize, 0.8f);
    EXPECT_TRUE(w->Modified);
    EXPECT_EQ(Undo.UndoList.size(), before + 1);
    EXPECT_TRUE(w->CommandAction("mitLarge")->isChecked());
    Trigger("mitSmall");
    EXPECT_FLOAT_EQ(w->HintSize, 0.5f);
    EXPECT_FALSE(w->CommandAction("mitLarge")->isChecked());
}

TEST_F(CommandTest, UsersGuideAndMusicTerms) {
    w->ProgramFolder = dir.str() + "/";
    rec.Clear(); // what the shown window asked at its start
    std::vector<std::string> opened;
    bool opens = true;
    w->OpenDocument = [&](const std::string& path) {
        opened.push_back(path);
        return opens;
    };
    Trigger("mitUsersGuide");
    // Music Terms is a hidden item, run as the window runs it.
    const auto musicTerms = [this] { w->CommandAction("MusicTerm1")->trigger(); };
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].id, 3129);
    const std::string guide = dir.str() + "/Document/TonquillUsersGuide_" +
                              (Language && Language->UseChinese ? "Chinese" : "English") + ".pdf";
    EXPECT_NE(rec.shown[0].text.find(guide), std::string::npos) << rec.shown[0].text;
    EXPECT_TRUE(opened.empty());

    fs::create_directories(dir.str() + "/Document");
    std::ofstream(dir.str() + "/Document/MusicTerm.xlsx") << "x";
    musicTerms();
    EXPECT_EQ(opened, std::vector<std::string>{dir.str() + "/Document/MusicTerm.xlsx"});
    EXPECT_EQ(rec.shown.size(), 1u);
    opens = false;
    musicTerms();
    ASSERT_EQ(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[1].id, 3130);
    fs::remove(dir.str() + "/Document/MusicTerm.xlsx");
    musicTerms();
    EXPECT_EQ(rec.shown.back().id, 3136);
}

TEST_F(CommandTest, PlayingLocksTheMenusAndToolButtons) {
    w->EnableMainControls(false);
    for (const char* menu : {"mitFile", "mitEdit", "mitModify", "mitView", "mitWestern", "mitText", "mitTool",
                             "mitWindow", "mitHelp", "mitImage"}) {
        QMenu* m = w->findChild<QMenu*>(QString::fromLatin1(menu));
        ASSERT_NE(m, nullptr) << menu;
        EXPECT_FALSE(m->menuAction()->isEnabled()) << menu;
    }
    for (const char* name : {"btnUndo", "btnRedo", "btnTextFont", "btnEnterText", "btnTextBox"})
        EXPECT_FALSE(w->CommandAction(name)->isEnabled()) << name;
    EXPECT_FALSE(w->btnNew->isEnabled());
    EXPECT_FALSE(w->btnOpenFile->isEnabled());
    w->EnableMainControls(true);
    EXPECT_TRUE(w->findChild<QMenu*>(QStringLiteral("mitEdit"))->menuAction()->isEnabled());
    EXPECT_TRUE(w->btnNew->isEnabled());
}

TEST_F(CommandTest, ThePianoComesBackAsTheLastSessionLeftIt) {
    w.reset();
    std::ofstream(PrefFileName()) << "[Pref]\nKeyboardVisible=1\n";
    StartWindow();
    ASSERT_NE(w->Keyboard, nullptr);
    EXPECT_TRUE(w->pnlKeyboard->isVisible());
    w->CommandAction("btnKeyboard")->trigger();
    EXPECT_FALSE(w->pnlKeyboard->isVisible());
}

TEST_F(CommandTest, TheSplitterSetsThePianoHeightNeverBelow110) {
    w->resize(1200, 800);
    w->show();
    w->CommandAction("btnKeyboard")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(w->pnlKeyboard->isVisible());
    QSplitter* split = w->findChild<QSplitter*>(QStringLiteral("splKeyboard"));
    ASSERT_NE(split, nullptr);
    const int total = split->sizes().at(0) + split->sizes().at(1);
    split->setSizes({total - 300, 300});
    QApplication::processEvents();
    EXPECT_GE(w->pnlKeyboard->height(), 290) << "dragged taller";
    split->setSizes({total - 40, 40});
    QApplication::processEvents();
    EXPECT_GE(w->pnlKeyboard->height(), 110) << "never below 110 pixels";
    w->CommandAction("btnKeyboard")->trigger();
    EXPECT_TRUE(w->pnlBottom->isHidden()) << "no empty pane while the piano is hidden";
}
