// The window as a user works it, offscreen: every shortcut after each menu was
// opened and closed, playing and typing while a piece plays, the tool windows'
// places and the keys that close them, the side page view and the tools that
// read a whole staff.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <map>
#include <set>

#include "app/frmTQMain.h"
#include "app/modTQCommandTable.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowCells.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

namespace fs = std::filesystem;

namespace {

class WindowUse : public ::testing::Test, public TWindowCells {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageBoxes(&rec);
        Language->UseChinese = false;
        Language->LoadLanguageDll();
        CurLayer = 0;
        Undo.ClearUndoFiles();
        Start();
    }
    void TearDown() override {
        w.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        fs::remove(PrefFileName());
    }
    void Start() {
        w.reset(); // one main window at a time
        w = std::make_unique<TfrmMainTQ>();
        w->resize(1000, 800);
        w->move(0, 0);
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }
    // A key as the keyboard sends it: Qt's shortcut path first, then press and release.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {},
             QWidget* to = nullptr) {
        QWidget* target = to ? to : w->pbxMain;
        if (qt_sendShortcutOverrideEvent(target, 0, key, mods, text))
            return;
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
    }
    void Type(char ch) {
        const int key = (ch >= 'a' && ch <= 'z') ? ch - 'a' + 'A' : ch;
        Key(key, Qt::NoModifier, QString(QChar(ch)));
    }
    void Trigger(const char* name) {
        QAction* a = w->CommandAction(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }

    TMessageRecorder rec;
    tqtest::TempDir dir;
};

// The menus of the menu bar, File to Help.
std::vector<QMenu*> MenuBarMenus(TfrmMainTQ& w) {
    std::vector<QMenu*> out;
    for (QAction* a : w.menuBar()->actions())
        if (a->menu())
            out.push_back(a->menu());
    return out;
}

} // namespace

// ---------------------------------------------------------------- shortcuts after a menu

// Each menu is opened and closed on a fresh score, where nothing can be saved,
// undone or pasted; then the user types, copies, undoes and adds a page, and
// every shortcut of the command table, Ctrl+S and the page keys must act.
TEST_F(WindowUse, EveryShortcutActsAfterEachMenuWasOpenedAndClosed) {
    std::map<std::string, std::string> handlerOfRow; // shortcut text -> handler
    std::set<std::string> opening;
    for (const TCommandRow& row : CommandTable()) {
        if (row.Flags & cfOpening)
            opening.insert(row.Handler);
        else if (*row.Shortcut)
            handlerOfRow[row.Shortcut] = row.Handler;
    }
    ASSERT_GE(handlerOfRow.size(), 30u);
    const std::vector<QMenu*> menus = MenuBarMenus(*w);
    ASSERT_GE(menus.size(), 10u);
    for (size_t m = 0; m < menus.size(); ++m) {
        if (m > 0)
            Start();
        QMenu* menu = MenuBarMenus(*w).at(m);
        SCOPED_TRACE(menu->objectName().toStdString());
        menu->popup(w->mapToGlobal(QPoint(10, 10)));
        QApplication::processEvents();
        ASSERT_TRUE(menu->isVisible());
        Key(Qt::Key_Escape, Qt::NoModifier, {}, menu);
        QApplication::processEvents();
        ASSERT_FALSE(menu->isVisible());

        // A score to save, a step to undo and one to redo, a copied cell, two pages.
        const std::string path = (dir / ("keys" + std::to_string(m) + ".mus")).string();
        ASSERT_TRUE(w->SaveScore(path, false));
        w->FileName = path;
        Trigger("mitInsertPage");
        w->GoToPage(0);
        Select(2, 3, 2, 3);
        Type('5');
        Type('3');
        Trigger("mitUndo");
        Select(2, 3, 2, 3);
        Trigger("mitCopy");
        ASSERT_TRUE(w->Modified);
        ASSERT_EQ(At(2, 3).Note, '5');

        std::vector<std::string> heard;
        w->OnCommand = [&](const std::string& handler) {
            if (opening.count(handler))
                return true; // a menu brings its items up to date
            heard.push_back(handler);
            return false;    // only heard: the commands themselves are tried elsewhere
        };
        for (const auto& [keys, handler] : handlerOfRow) {
            heard.clear();
            const QKeyCombination k = QKeySequence(QString::fromLatin1(keys.c_str()))[0];
            Key(int(k.key()), k.keyboardModifiers());
            EXPECT_EQ(heard, std::vector<std::string>{handler}) << keys;
        }
        w->OnCommand = nullptr;

        ASSERT_EQ(w->CurPage, 0);
        Key(Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(w->CurPage, 1) << "Ctrl+PgDn";
        Key(Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(w->CurPage, 0) << "Ctrl+PgUp";
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(w->Modified) << "Ctrl+S saved the score";
        At(2, 3) = TScoreFixture::Cell("~");
        w->OpenFromPath(path);
        EXPECT_EQ(At(2, 3).Note, '5') << "the typed 5 is in the file";
    }
}
