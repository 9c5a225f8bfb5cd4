// Commands and window state as the user meets them on the real window: the
// note-name hint items, the stems of entered notes, the palettes after a
// language change in Preferences, the two-page view, the mark and text-symbol
// palettes, the preference labels, the tempo dialog, the tool windows' places
// kept in TQ.ini, and the zoom slider, the side view's close button, the book
// window and the file dialogs.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <sstream>

#include "app/frmTQMain.h"
#include "edit/frmTQWestNotes.h"
#include "lang/frmTQFont.h"
#include "lang/frmTQPref.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "output/frmTQBook.h"
#include "output/modTQBookFile.h"
#include "palettes/frmTQPalettes.h"
#include "palettes/frmTQSpeedSign.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/app/TQWindowKeys.h"
#include "tests/play/TQMidiBytes.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

class WindowReach : public TEnglishWindowTest {
protected:
    void TearDown() override {
        if (TfrmBook* book = ExistingBookWindow())
            delete book;
        TWindowTest::TearDown();
        Language->UseChinese = false;
        Language->LoadLanguageDll();
    }
    // A modal dialog of type D, handled once the next command opens it.
    template <typename D, typename F>
    void WhenOpened(F act) {
        QTimer::singleShot(0, [act] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!d) {
                ADD_FAILURE() << "no dialog";
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            act(d);
        });
    }
    static std::string Str(int id) { return Language->GetString(id); }
};

bool StemUp(const TCell& c) { return (c.option & 0x1u) != 0; }

} // namespace

// ---------------------------------------------------------------- note-name hints

TEST_F(WindowReach, NoteNameHintItemsOfTheViewMenuMarkSelectedOrAllNotes) {
    QMenu* hints = w->findChild<QMenu*>(QStringLiteral("mitShowHint"));
    ASSERT_NE(hints, nullptr);
    for (const char* n : {"mitAddHintforSelect", "mitRemoveHintforSelect", "mitAddHintforAll", "mitRemoveHintforAll"})
        ASSERT_TRUE(hints->actions().contains(w->CommandAction(n))) << n;
    EXPECT_EQ(w->CommandAction("mitAddHintforAll")->text().toStdString(), Str(627));
    EXPECT_EQ(w->CommandAction("mitRemoveHintforAll")->text().toStdString(), Str(628));

    w->AllocatePage(0, 1, true, 0, 0);
    w->PageCount = 2;
    Row(1, "&G W:3@2 W:3@1 W:3@0 |");
    Row(2, "1 2 3");
    Row(3, "&G W:4@4 W:4@3", 1);
    Select(2, 1, 3, 1);
    Trigger("mitAddHintforSelect");
    EXPECT_FALSE(At(1, 1).option & 0x8000u);
    EXPECT_TRUE(At(2, 1).option & 0x8000u);
    EXPECT_TRUE(At(3, 1).option & 0x8000u);
    Select(3, 1, 3, 1);
    Trigger("mitRemoveHintforSelect");
    EXPECT_TRUE(At(2, 1).option & 0x8000u);
    EXPECT_FALSE(At(3, 1).option & 0x8000u);

    Trigger("mitAddHintforAll");
    for (int c = 1; c <= 3; ++c)
        EXPECT_TRUE(At(c, 1).option & 0x8000u) << c;
    EXPECT_TRUE(At(1, 3, 1).option & 0x8000u) << "notes of later pages too";
    EXPECT_FALSE(At(0, 2).option & 0x8000u) << "Jianpu notes get none";
    Trigger("mitRemoveHintforAll");
    for (int c = 1; c <= 3; ++c)
        EXPECT_FALSE(At(c, 1).option & 0x8000u) << c;
    EXPECT_FALSE(At(2, 3, 1).option & 0x8000u);
    Trigger("mitUndo");
    EXPECT_TRUE(At(2, 3, 1).option & 0x8000u) << "one Undo gives the hints back";
}

// ---------------------------------------------------------------- stems of entered notes

TEST_F(WindowReach, EnteredNotesTakeTheStemOfANoteOnItsOwnAndKeepTheUsersFlip) {
    Row(0, "&G");
    Select(2, 0, 2, 0);
    Type('c'); // middle C: six steps below the middle line
    ASSERT_EQ(At(2, 0).Note, 3);
    ASSERT_FLOAT_EQ(At(2, 0).yAdj, 6.0f);
    EXPECT_TRUE(StemUp(At(2, 0))) << "a note below the middle line has its stem up";
    Type('b'); // B on the middle line
    ASSERT_FLOAT_EQ(At(3, 0).yAdj, 0.0f);
    EXPECT_FALSE(StemUp(At(3, 0))) << "a note on the middle line has its stem down";
    Type('g'); // G above middle C, below the middle line
    EXPECT_TRUE(StemUp(At(4, 0)));
    // the B moved down to middle C turns its stem up
    Select(3, 0, 3, 0);
    Type('c');
    ASSERT_FLOAT_EQ(At(3, 0).yAdj, 6.0f);
    EXPECT_TRUE(StemUp(At(3, 0)));

    // The user turns the first stem down; a new value keeps the user's stem.
    Select(2, 0, 2, 0);
    Key(Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"));
    ASSERT_FALSE(StemUp(At(2, 0)));
    Select(2, 0, 2, 0);
    Key(Qt::Key_W, Qt::NoModifier, QStringLiteral("w")); // a half note
    ASSERT_EQ(At(2, 0).Note, 2);
    EXPECT_FALSE(StemUp(At(2, 0))) << "the user's flip stays";
}

// ---------------------------------------------------------------- language from Preferences

TEST_F(WindowReach, LanguageChosenInPreferencesRelabelsTheOpenPalettes) {
    Trigger("mitDynamicMarks");
    Trigger("mitTextSymbols");
    ASSERT_TRUE(w->frmDynMark->isVisible());
    ASSERT_TRUE(w->frmTextSymbols->isVisible());
    EXPECT_EQ(w->frmDynMark->windowTitle().toStdString(), Str(1007));
    const std::string before = Str(1007);
    const bool chinese = !Language->UseChinese; // the other language

    WhenOpened<TfrmPref>([chinese](TfrmPref* d) {
        d->chkUseChinese->setChecked(chinese);
        d->btnOk->click();
    });
    Trigger("mitPreference");
    ASSERT_EQ(Language->UseChinese, chinese);
    ASSERT_NE(Str(1007), before);
    EXPECT_EQ(w->frmDynMark->windowTitle().toStdString(), Str(1007)) << "the open palette speaks the new language";
    EXPECT_EQ(w->frmTextSymbols->windowTitle().toStdString(), Str(457));
    auto* size = w->frmTextSymbols->findChild<QLabel*>(QStringLiteral("lblSymSize"));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->text().toStdString(), Str(661));
}

// ---------------------------------------------------------------- two-page view

TEST_F(WindowReach, RightPageOfTheTwoPageViewTurnsTwoPagesAndStaysBlankAfterTheLast) {
    for (int p = 1; p < 5; ++p)
        w->AllocatePage(0, p, true, 0, 0);
    w->PageCount = 5;
    w->DrawEngine.BkColor = 0xE0F0FF; // a cream page
    w->mitSliceViewClick();
    if (w->SliceView != 2) {
        // The offscreen screen is too narrow for two pages side by side: the
        // view is laid out as on a wide screen.
        w->SliceView = 2;
        w->pbxRight->setGeometry(w->pbxMain->width() + 4, 0, w->pbxMain->width(), w->pbxMain->height());
        w->pbxRight->show();
    }
    ASSERT_EQ(w->CurPage, 0);
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(30, 30), w->pbxRight->mapToGlobal(QPointF(30, 30)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->pbxRight, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(30, 30), w->pbxRight->mapToGlobal(QPointF(30, 30)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w->pbxRight, &release);
    };
    click();
    EXPECT_EQ(w->CurPage, 2);
    click();
    EXPECT_EQ(w->CurPage, 4);
    click();
    EXPECT_EQ(w->CurPage, 4) << "no pair after the last page";
    ASSERT_NE(w->pbxRight->Picture, nullptr);
    const QImage& right = *w->pbxRight->Picture;
    ASSERT_FALSE(right.isNull());
    const QColor c = right.pixelColor(right.width() / 2, right.height() / 2);
    EXPECT_EQ(c, QColor(0xFF, 0xF0, 0xE0)) << "the missing page is blank paper, not black";
    w->btnCloseSliceClick();
}

// ---------------------------------------------------------------- palettes

TEST_F(WindowReach, DynamicMarksPaletteWritesMarkKind38FromItsOwnButton) {
    Trigger("mitDynamicMarks");
    auto* palette = qobject_cast<TfrmDynMark*>(w->frmDynMark);
    ASSERT_NE(palette, nullptr);
    const auto buttons = palette->ButtonsWithTag(38);
    ASSERT_EQ(buttons.size(), 1u);
    for (int p = 0; p < palette->Pages()->count(); ++p)
        for (QToolButton* b : palette->ButtonsOfPage(p))
            EXPECT_NE(b, buttons[0]) << "it stands outside the pages";
    EXPECT_TRUE(buttons[0]->isVisible());
    Row(1, "1 2 3 4 5");
    Select(1, 1, 3, 1);
    buttons[0]->click();
    EXPECT_EQ(At(1, 1).markType, 38);
    EXPECT_EQ(At(1, 1).iEnd, 3);
}

TEST_F(WindowReach, TextSymbolsShowTheirHintsAndTheSizeOnTheFirstPage) {
    Trigger("mitTextSymbols");
    auto* palette = qobject_cast<TfrmTextSymbols*>(w->frmTextSymbols);
    ASSERT_NE(palette, nullptr);
    ASSERT_NE(palette->spnSymSize, nullptr);
    QWidget* first = palette->Pages()->widget(0);
    EXPECT_TRUE(first->isAncestorOf(palette->spnSymSize));
    palette->Pages()->setCurrentIndex(0);
    EXPECT_TRUE(palette->spnSymSize->isVisible());
    const QRect spin(palette->spnSymSize->mapTo(first, QPoint(0, 0)), palette->spnSymSize->size());
    for (QToolButton* b : palette->ButtonsOfPage(0))
        EXPECT_FALSE(b->geometry().intersects(spin)) << "the size box covers button " << TagOf(b);
    palette->Pages()->setCurrentIndex(1);
    EXPECT_FALSE(palette->spnSymSize->isVisible()) << "only on the first page";

    struct Hint {
        int id;
        const char* text;
    } hints[] = {{35, "115"}, {30, "46"}, {54, "Allegro, 132"}, {55, "Accel"}, {100, "Pretissimo, 210"}};
    for (const Hint& h : hints) {
        const auto b = palette->ButtonsWithTag(h.id);
        ASSERT_EQ(b.size(), 1u) << h.id;
        EXPECT_EQ(b[0]->toolTip().toStdString(), h.text) << h.id;
    }
    EXPECT_TRUE(palette->ButtonsWithTag(86)[0]->toolTip().isEmpty()) << "Ad Libitum has no tempo";

    Trigger("mitGongChi");
    auto* gongche = qobject_cast<TfrmPalette*>(w->frmGongChi);
    ASSERT_NE(gongche, nullptr);
    const auto gongcheButtons = gongche->ButtonsOfPage(0);
    ASSERT_FALSE(gongcheButtons.empty());
    for (QToolButton* b : gongcheButtons)
        EXPECT_EQ(b->toolTip(), QStringLiteral("e")) << TagOf(b);
}

// ---------------------------------------------------------------- Preferences labels

TEST_F(WindowReach, PreferencesShowTheSliderEndsAndTheAlternativeColourGroup) {
    bool checked = false;
    WhenOpened<TfrmPref>([&checked](TfrmPref* d) {
        auto label = [d](int id) -> QLabel* {
            for (QLabel* l : d->findChildren<QLabel*>())
                if (TagOf(l) == id)
                    return l;
            return nullptr;
        };
        for (int id : {2041, 2042, 2052, 2053}) {
            QLabel* l = label(id);
            EXPECT_NE(l, nullptr) << id;
            if (l) {
                EXPECT_EQ(l->text().toStdString(), Language->GetString(id)) << id;
            }
        }
        auto* group = d->findChild<QGroupBox*>(QStringLiteral("gbxBKColor"));
        EXPECT_NE(group, nullptr);
        if (group) {
            EXPECT_EQ(group->title().toStdString(), Language->GetString(2062));
            int swatches = 0;
            for (QLabel* l : group->findChildren<QLabel*>())
                swatches += TagOf(l) == 3671 || TagOf(l) == 3672;
            EXPECT_EQ(swatches, 2) << "the sharp and flat colours stand in the group";
        }
        if (group)
            if (auto* tabs = d->findChild<QTabWidget*>())
                for (int i = 0; i < tabs->count(); ++i)
                    if (tabs->widget(i)->isAncestorOf(group))
                        tabs->setCurrentIndex(i);
        tqtest::SavePngIfWanted(d->grab().toImage(), "preferences_colours");
        checked = true;
        d->reject();
    });
    Trigger("mitPreference");
    EXPECT_TRUE(checked);
}

TEST_F(WindowReach, FontDialogShowsTheNormalColourForACellWithoutItsOwn) {
    w->DrawEngine.MainLayerColor = 0x203040;
    At(2, 1) = TScoreFixture::Cell("\"text\"");
    Select(2, 1, 2, 1);
    int shown = -1;
    WhenOpened<TfrmSetFont>([&shown](TfrmSetFont* d) {
        shown = d->TextColour;
        d->reject();
    });
    Trigger("mitChangeFont");
    EXPECT_EQ(shown, 0x203040);
}

// ---------------------------------------------------------------- tempo dialog

TEST_F(WindowReach, TempoOfZeroIsRefusedWithAMessageAndChangesNothing) {
    Row(0, "&G W:3@0");
    Select(1, 0, 1, 0);
    const TCell before = At(1, 0);
    bool stayedOpen = false;
    WhenOpened<TfrmTempoSign>([&stayedOpen](TfrmTempoSign* d) {
        auto* edit = d->spnSpeedValue->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("0"));
        d->btnOK->click();
        stayedOpen = d->isVisible();
        d->reject();
    });
    rec.Clear();
    Trigger("mitSpeedSign");
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_NE(rec.shown[0].text.find(Str(1410)), std::string::npos);
    EXPECT_EQ(At(1, 0), before);
    EXPECT_TRUE(Undo.UndoList.empty());

    // A tempo in range still goes in.
    WhenOpened<TfrmTempoSign>([](TfrmTempoSign* d) {
        d->spnSpeedValue->setValue(96);
        d->btnOK->click();
    });
    Trigger("mitSpeedSign");
    EXPECT_EQ(At(1, 0).cellType, ctTempo);
    EXPECT_EQ(At(1, 0).FontColor, 96);
}

// ---------------------------------------------------------------- tool window places

// The places kept are the windows' client areas, and they come back as such:
// three starts in a row leave every window where the user put it.
TEST_F(WindowReach, ToolWindowPlacesAndVisibilityComeBackAtTheNextStart) {
    Trigger("mitDynamicMarks");
    ASSERT_TRUE(w->frmDynMark->isVisible());
    if (w->frmSpecial->isVisible())
        Trigger("mitSpecialSymbols");
    ASSERT_FALSE(w->frmSpecial->isVisible());
    w->PlayWindow.SetVisible(true);
    QWidget* play = w->PlayWindowWidget();
    ASSERT_TRUE(play->isVisible());
    w->btnWestenStyleNotesClick();
    auto* west = static_cast<QWidget*>(w->frmWestNotes);
    // side by side inside the page area, as a user drags them
    const QRect area = w->WorkArea();
    const QPoint dynAt = area.topLeft() + QPoint(10, 10);
    w->frmDynMark->setGeometry(QRect(dynAt, w->frmDynMark->size()));
    const QPoint playAt(w->frmDynMark->frameGeometry().right() + 20, dynAt.y());
    play->setGeometry(QRect(playAt, play->size()));
    const QPoint westAt(dynAt.x(), std::max(w->frmDynMark->frameGeometry().bottom(), play->frameGeometry().bottom()) + 20);
    west->setGeometry(QRect(westAt, west->size()));
    for (QWidget* t : {static_cast<QWidget*>(w->frmDynMark), play, west})
        ASSERT_TRUE(area.contains(t->frameGeometry())) << t->objectName().toStdString();
    QApplication::processEvents();

    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        ASSERT_TRUE(w->close());
        w.reset();
        TIniFile ini(PrefFileName());
        EXPECT_EQ(ini.ReadInteger("Pref", "DynDlgLeft", -1), dynAt.x());
        EXPECT_EQ(ini.ReadInteger("Pref", "DynDlgTop", -1), dynAt.y());
        EXPECT_TRUE(ini.ReadBool("Pref", "DynDlgVisible", false));
        EXPECT_FALSE(ini.ReadBool("Pref", "SpecialDlgVisible", true));
        EXPECT_EQ(ini.ReadInteger("Pref", "PlyDlgLeft", -1), playAt.x());
        EXPECT_EQ(ini.ReadInteger("Pref", "PlyDlgTop", -1), playAt.y());
        EXPECT_TRUE(ini.ReadBool("Pref", "PlyDlgVisible", false));
        EXPECT_EQ(ini.ReadInteger("Pref", "WestDlgLeft", -1), westAt.x());
        EXPECT_EQ(ini.ReadInteger("Pref", "WestDlgTop", -1), westAt.y());
        EXPECT_TRUE(ini.ReadBool("Pref", "WestDlgVisible", false));

        StartWindow();
        w->FormActivate();
        EXPECT_TRUE(w->frmDynMark->isVisible());
        EXPECT_EQ(w->frmDynMark->geometry().topLeft(), dynAt);
        EXPECT_FALSE(w->frmSpecial->isVisible());
        ASSERT_NE(w->PlayWindowWidget(), nullptr);
        EXPECT_TRUE(w->PlayWindowWidget()->isVisible()) << "the play window comes back";
        EXPECT_EQ(w->PlayWindowWidget()->geometry().topLeft(), playAt);
        ASSERT_NE(w->frmWestNotes, nullptr);
        EXPECT_TRUE(static_cast<QWidget*>(w->frmWestNotes)->isVisible());
        EXPECT_EQ(static_cast<QWidget*>(w->frmWestNotes)->geometry().topLeft(), westAt);
    }
    w->PlayWindow.SetVisible(false);
}

// ---------------------------------------------------------------- zoom, side view, book, dialogs

TEST_F(WindowReach, ZoomSliderFollowsTheZoomMenu) {
    QMenu* zoom = w->findChild<QMenu*>(QStringLiteral("mitZoom"));
    ASSERT_NE(zoom, nullptr);
    auto* slider = w->findChild<QSlider*>(QStringLiteral("trkZoom"));
    ASSERT_NE(slider, nullptr);
    for (int percent : {300, 50, 150}) {
        for (QAction* a : zoom->actions())
            if (a->data().toInt() == percent)
                a->trigger();
        EXPECT_EQ(slider->value(), percent);
        EXPECT_NEAR(w->Zoom, percent / 100.0, 1e-9);
    }
}

TEST_F(WindowReach, ClosingTheSideViewLeavesNoEmptyBottomPane) {
    ASSERT_FALSE(w->pnlBottom->isVisible());
    const int pageHeight = w->scrMain->height();
    w->mitSliceViewClick();
    w->btnCloseSlice->click();
    QApplication::processEvents();
    EXPECT_FALSE(w->pnlBottom->isVisible()) << "the piano was not shown";
    EXPECT_GE(w->scrMain->height(), pageHeight - 2);
}

TEST_F(WindowReach, BookWindowOpensOverTheMainWindowAndClosesWithEscape) {
    w->move(120, 90);
    QApplication::processEvents();
    QAction* item = w->findChild<QAction*>(QStringLiteral("mitBook"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    TfrmBook* book = ExistingBookWindow();
    ASSERT_NE(book, nullptr);
    ASSERT_TRUE(book->isVisible());
    const QRect page(w->pnlMain->mapToGlobal(QPoint(0, 0)), w->pnlMain->size());
    EXPECT_TRUE(page.contains(book->pos())) << "over the page area, not over the menu bar";
    QApplication::setActiveWindow(book);
    Key(Qt::Key_Escape, Qt::NoModifier, {}, book);
    EXPECT_FALSE(book->isVisible());
}

TEST_F(WindowReach, PlayWindowOpensOverTheMainWindow) {
    // a main window away from the screen's corner, before its first activation
    w = std::make_unique<TfrmMainTQ>();
    w->resize(1000, 800);
    w->move(160, 120);
    w->show();
    QApplication::processEvents();
    QWidget* play = w->PlayWindowWidget();
    ASSERT_NE(play, nullptr);
    w->FirstActivate = true;
    w->FormActivate();
    w->PlayWindow.SetVisible(true);
    const QRect page(w->pnlMain->mapToGlobal(QPoint(0, 0)), w->pnlMain->size());
    EXPECT_TRUE(page.contains(play->pos())) << "over the page area, not over the menu bar";
    w->PlayWindow.SetVisible(false);
}

TEST_F(WindowReach, BookFileDialogsHaveOneEntryPerFilter) {
    QAction* item = w->findChild<QAction*>(QStringLiteral("mitBook"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    TfrmBook* book = ExistingBookWindow();
    ASSERT_NE(book, nullptr);
    QStringList addMusic, openBook;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            addMusic = d->nameFilters();
            d->reject();
        }
    });
    book->btnAddMusicClick();
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            openBook = d->nameFilters();
            d->reject();
        }
    });
    book->OnAskOpenBook("");
    // one entry per description, its pattern in brackets, no bare pattern of its own
    ASSERT_EQ(addMusic.size(), 2) << addMusic.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(addMusic[0].endsWith(QStringLiteral(" (*.mus)"))) << addMusic[0].toStdString();
    EXPECT_TRUE(addMusic[1].endsWith(QStringLiteral(" (*.*)"))) << addMusic[1].toStdString();
    ASSERT_EQ(openBook.size(), 2) << openBook.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(openBook[0].endsWith(QStringLiteral(" (*.mbk)"))) << openBook[0].toStdString();
    EXPECT_TRUE(openBook[1].endsWith(QStringLiteral(" (*.*)"))) << openBook[1].toStdString();
}

TEST_F(WindowReach, OpenDialogTakesItsCompleterListAlongWhenItCloses) {
    bool popupWasShown = false, popupLeft = true;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        const auto completers = d->findChildren<QCompleter*>();
        ASSERT_FALSE(completers.isEmpty());
        QCompleter* c = completers.front();
        c->setCompletionPrefix(QStringLiteral("/"));
        c->complete();
        popupWasShown = c->popup()->isVisible();
        d->reject();
        popupLeft = c->popup()->isVisible();
    });
    w->dlgOpen->exec();
    EXPECT_TRUE(popupWasShown);
    EXPECT_FALSE(popupLeft);
}

TEST_F(WindowReach, ChineseBookTitleTakesTheMainWindowsChineseFont) {
    tqtest::TempDir dir;
    const std::string path = (dir / "songs.mbk").string();
    TBook book;
    book.Title = "\xB8\xE8\xB1\xBE"; // "歌本" in GB2312
    book.TitleCharset = 134;
    ASSERT_TRUE(WriteBookFile(path, book));
    w->ChineseFontName = "Noto Sans CJK SC";
    w->ChineseFontCharset = 134;
    w->OnOpenBook(path);
    TfrmBook* window = ExistingBookWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->edtBookTitle->text(), QString::fromUtf8("歌本"));
    EXPECT_EQ(window->edtBookTitle->font().family(), QStringLiteral("Noto Sans CJK SC"));
}

// Answers the next modal window with `answer` when it is a file dialog; any
// other window is a failure and is closed, so that the test cannot hang.
void AnswerFileDialog(std::function<void(QFileDialog*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QFileDialog*>(modal)) {
            answer(d);
        } else if (modal) {
            ADD_FAILURE() << "unexpected window " << modal->metaObject()->className();
            modal->close();
        }
    });
}

TEST_F(WindowReach, AnImportedMIDIFileNamesTheScoreItMakes) {
    // File -> MIDI -> import of "minuet.mid" (C D E F, one quarter each): the
    // window and the next export are named after the file, and Save asks where
    // to write the score instead of writing beside the MIDI file unasked.
    tqtest::TempDir dir;
    const std::string midi = (dir / "minuet.mid").string();
    tqtest::TSmfTrack t;
    t.Note(0, 60, 480).Note(0, 62, 480).Note(0, 64, 480).Note(0, 65, 480).End();
    tqtest::WriteBytesFile(midi, tqtest::SmfFile(0, 480, {t}));
    AnswerFileDialog([&](QFileDialog* d) {
        d->selectFile(QString::fromStdString(midi));
        QMetaObject::invokeMethod(d, "accept");
        // then the file's header is shown: Continue
        QTimer::singleShot(0, [] {
            QWidget* info = QApplication::activeModalWidget();
            ASSERT_NE(info, nullptr);
            auto* go = info->findChild<QPushButton*>(QStringLiteral("btnContinue"));
            ASSERT_NE(go, nullptr) << info->metaObject()->className();
            go->click();
        });
    });
    Trigger("MIDIFileExport1");
    int notes = 0;
    for (const TCellRow& row : w->PageSets[0].at(0))
        for (const TCell& c : row)
            notes += c.cellType == ctWestern && c.Note >= 1 && c.Note <= 9 ? 1 : 0;
    ASSERT_EQ(notes, 4) << "C D E F placed";
    EXPECT_TRUE(w->Modified);
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("minuet"))) << w->windowTitle().toStdString();
    EXPECT_FALSE(w->windowTitle().contains(QStringLiteral("Untitled"))) << w->windowTitle().toStdString();

    // The name a file dialog proposes, and the dialog cancelled.
    QString proposed;
    const auto cancel = [&](QFileDialog* d) {
        if (!d->selectedFiles().isEmpty())
            proposed = QFileInfo(d->selectedFiles().front()).fileName();
        d->reject();
    };
    AnswerFileDialog(cancel);
    Trigger("btnSaveMIDI");
    EXPECT_EQ(proposed.toStdString(), "minuet.mid");

    proposed.clear();
    AnswerFileDialog(cancel);
    w->mitSave->trigger();
    EXPECT_EQ(proposed.toStdString(), "minuet.mus") << "Save asks, proposing the file's name";
    EXPECT_FALSE(fs::exists(dir / "minuet.mus")) << "nothing written unasked";
    EXPECT_EQ(tqtest::ReadBytesFile(midi).substr(0, 4), "MThd") << "the MIDI file is left as it was";
}
