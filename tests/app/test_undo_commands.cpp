// Undo and Redo of the editing commands as the user runs them on the real
// window: each command from its menu item, its key or the mouse on a score with
// a grand staff, slurs, a tie, a beamed pair and a second layer; one Undo gives
// back every cell of both layers and the page count, one Redo the edited state.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <filesystem>
#include <functional>
#include <sstream>

#include "app/frmTQMain.h"
#include "edit/modTQGrandStaff.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "palettes/frmTQPalettes.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/app/TQWindowCells.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

// The first cell where two states differ, for the failure message.
std::string FirstDifference(const TState& a, const TState& b) {
    std::ostringstream out;
    if (a.pageCount != b.pageCount)
        out << "page count " << a.pageCount << " vs " << b.pageCount << "; ";
    for (size_t l = 0; l < 2; ++l) {
        if (a.pages[l].size() != b.pages[l].size()) {
            out << "layer " << l << " has " << a.pages[l].size() << " pages vs " << b.pages[l].size();
            return out.str();
        }
        for (size_t p = 0; p < a.pages[l].size(); ++p)
            for (size_t r = 0; r < a.pages[l][p].size(); ++r)
                for (size_t c = 0; c < a.pages[l][p][r].size(); ++c) {
                    const TCell& x = a.pages[l][p][r][c];
                    const TCell& y = b.pages[l][p][r][c];
                    if (!(x == y)) {
                        out << "layer " << l << " page " << p << " row " << r << " col " << c << " (Note " << x.Note
                            << "):";
#define TQ_FIELD(f)                                                                                                \
    if (!(x.f == y.f))                                                                                             \
        out << " " #f;
                        TQ_FIELD(Note) TQ_FIELD(FontColor) TQ_FIELD(upNote) TQ_FIELD(cellType) TQ_FIELD(markType)
                        TQ_FIELD(markHAdj) TQ_FIELD(markWAdj) TQ_FIELD(MarkY) TQ_FIELD(EndYAdj) TQ_FIELD(UL)
                        TQ_FIELD(option) TQ_FIELD(Attr) TQ_FIELD(playDur) TQ_FIELD(dot) TQ_FIELD(shrinkRate)
                        TQ_FIELD(color) TQ_FIELD(AdvPlay) TQ_FIELD(fontSizeR) TQ_FIELD(iEnd) TQ_FIELD(jEnd)
                        TQ_FIELD(Text) TQ_FIELD(FontName) TQ_FIELD(FontStyle) TQ_FIELD(FontCharset) TQ_FIELD(xAdj)
                        TQ_FIELD(yAdj) TQ_FIELD(stemAdj) TQ_FIELD(auxByte) TQ_FIELD(CompressNotes)
                        TQ_FIELD(westChordArray) TQ_FIELD(breakPoint) TQ_FIELD(scratch)
#undef TQ_FIELD
                        out << " differ; FontName '" << x.FontName.str() << "' vs '" << y.FontName.str()
                            << "', FontCharset " << x.FontCharset << " vs " << y.FontCharset << "; iEnd " << x.iEnd << " vs " << y.iEnd << ", jEnd " << x.jEnd << " vs "
                            << y.jEnd;
                        return out.str();
                    }
                }
    }
    return out.str();
}

class UndoCommands : public ::testing::Test, public TWindowCells {
public:
    void SetUp() override {
        fs::remove(PrefFileName());
        SetMessageBoxes(&rec);
        w = std::make_unique<TfrmMainTQ>();
        w->resize(1000, 800);
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        CurLayer = 0;
        Undo.ClearUndoFiles();
        l = w->GetLeftMargin();
        t = w->GetTopMargin();
        v = w->GetCellWidth();
        u = w->GetCellHeight();
    }
    void TearDown() override {
        w.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        fs::remove(PrefFileName());
    }
    // A key as the platform delivers it: a shortcut when an enabled action owns it,
    // else a key press to the page.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        if (qt_sendShortcutOverrideEvent(w->pbxMain, 0, key, mods, text))
            return;
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(w->pbxMain, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(w->pbxMain, &release);
    }
    void Trigger(const char* name) {
        QAction* a = w->CommandAction(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    void Mouse(QEvent::Type type, QPoint p) {
        const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(p), w->pbxMain->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
        QApplication::sendEvent(w->pbxMain, &e);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from);
        Mouse(QEvent::MouseMove, QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
        Mouse(QEvent::MouseMove, to);
        Mouse(QEvent::MouseButtonRelease, to);
    }

    // Two pages on both layers. Page 0, layer 0: a title, a grand staff on rows
    // 2 and 5 with bar lines joined through rows 3 and 4, a slur, a tie and a
    // beamed pair; a treble staff on row 8 with a slur that ends in the last
    // column but one; a lyric line. Page 1 holds a staff at its top and a text
    // at its foot, so lines pushed off page 0 reach it. Layer 1 holds Jianpu
    // lines under the staves.
    void BuildScore() {
        const int last = w->Cols - 1;
        ASSERT_GE(w->Cols, 20);
        ASSERT_GE(w->Rows, 14);
        w->AllocatePage(0, 1, true, 0, 0);
        w->AllocatePage(1, 0, true, 0, 0);
        w->AllocatePage(1, 1, true, 0, 0);
        w->PageCount = 2;
        const std::string end = ",iEnd=" + std::to_string(last) + "}";
        Row(0, "\"Title\"");
        Row(2, "&G{mark=54191118,jEnd=5" + end + " W:4@3{opt=2} W:4@1{opt=4} | W:3@2{mark=1,iEnd=6} W:3@1 W:3@0 "
               "W:3@1 | W:2@2{mark=2,iEnd=10} W:2@2 |");
        Row(5, "&F{iEnd=" + std::to_string(last) + "} W:3@-2 W:3@-3 | W:2@-1 ~ W:3@0 W:3@1 | W:1@0 ~ ~ |");
        Row(8, "&G{iEnd=" + std::to_string(last) + "} W:3@2{mark=1,iEnd=" + std::to_string(last - 1) +
                   "} W:3@3 W:3@4 |");
        At(last - 1, 8) = TScoreFixture::Cell("W:3@1");
        Row(9, "\"la\" \"la\" \"la\"");
        Row(0, "&G{iEnd=" + std::to_string(last) + "} W:3@0 W:3@1 |", 1);
        Row(w->Rows - 1, "\"foot\"", 1);
        Row(3, "1 2 | 3{mark=1,iEnd=5} 4 5 |", 0, 1);
        Row(6, "5, 6, | 1_ 2_ 3 |", 0, 1);
        Row(1, "6 5 3 2 |", 1, 1);
        // texts carry the English text font, as text entry writes them
        for (TLayer& layer : w->PageSets)
            for (TPage& page : layer)
                for (TCellRow& row : page)
                    for (TCell& cell : row)
                        if (cell.cellType == ctText)
                            cell.FontName = "EN";
        w->CurPage = 0;
        CurLayer = 0;
        w->Ed.RefitBraces(); // the bar lines between the staves are joined
        ASSERT_EQ(At(3, 3).Note, At(3, 2).Note) << "bar lines joined through the staves' gap";
        w->ApplyToBothLayerChecked = true;
        w->RedrawPage();
    }

    TMessageRecorder rec;
    int l = 0, t = 0, v = 0, u = 0;
};

struct UndoCase {
    const char* name;
    std::function<void(UndoCommands&)> prepare; // selection and earlier steps, not part of the step
    std::function<void(UndoCommands&)> run;     // the command as the user gives it
};

} // namespace

class UndoCommandTable : public UndoCommands, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(UndoCommandTable, OneUndoGivesBackTheScoreAndRedoTheEdit) {
    BuildScore();
    const UndoCase& c = GetParam();
    c.prepare(*this);
    const int page = w->CurPage;
    const TState before = Capture(*this->w);
    const size_t steps = Undo.UndoList.size();
    c.run(*this);
    QApplication::processEvents();
    const TState after = Capture(*this->w);
    ASSERT_FALSE(after == before) << "the command changed nothing";
    ASSERT_GT(Undo.UndoList.size(), steps);

    w->CurPage = page;
    Key(Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    const TState undone = Capture(*this->w);
    EXPECT_TRUE(undone == before) << FirstDifference(undone, before);

    Key(Qt::Key_Y, Qt::ControlModifier);
    QApplication::processEvents();
    const TState redone = Capture(*this->w);
    EXPECT_TRUE(redone == after) << FirstDifference(redone, after);
}

namespace {

void Nothing(UndoCommands&) {}

const UndoCase kUndoCases[] = {
    {"InsertCellInASlur", [](UndoCommands& f) { f.Select(5, 2, 5, 2); },
     [](UndoCommands& f) { f.Key(Qt::Key_I, Qt::ControlModifier); }},
    {"InsertCellOnTheLowerStaff", [](UndoCommands& f) { f.Select(7, 5, 7, 5); },
     [](UndoCommands& f) { f.Key(Qt::Key_I, Qt::ControlModifier); }},
    {"InsertCellUnderASlurToTheLastColumnButOne", [](UndoCommands& f) { f.Select(3, 8, 3, 8); },
     [](UndoCommands& f) { f.Key(Qt::Key_I, Qt::ControlModifier); }},
    {"DeleteCellOnTheLowerStaff", [](UndoCommands& f) { f.Select(2, 5, 2, 5); },
     [](UndoCommands& f) { f.Key(Qt::Key_D, Qt::ControlModifier); }},
    {"DeleteCellInATie", [](UndoCommands& f) { f.Select(10, 2, 10, 2); },
     [](UndoCommands& f) { f.Trigger("mitDeleteCell"); }},
    {"InsertLine", [](UndoCommands& f) { f.Select(1, 3, 1, 3); },
     [](UndoCommands& f) { f.Key(Qt::Key_Insert, Qt::ControlModifier); }},
    {"DeleteLine", [](UndoCommands& f) { f.Select(0, 0, 0, 0); },
     [](UndoCommands& f) { f.Key(Qt::Key_Delete, Qt::ControlModifier); }},
    {"InsertColumnInASlur", [](UndoCommands& f) { f.Select(6, 2, 6, 2); },
     [](UndoCommands& f) { f.Trigger("mitInsertCol"); }},
    {"DeleteColumnInASlur", [](UndoCommands& f) { f.Select(6, 2, 6, 2); },
     [](UndoCommands& f) { f.Trigger("mitDeleteColumn"); }},
    {"InsertPage", Nothing, [](UndoCommands& f) { f.Key(Qt::Key_P, Qt::ControlModifier); }},
    {"DeletePage", [](UndoCommands& f) { f.rec.Answer(mrYes); },
     [](UndoCommands& f) { f.Trigger("mitDeletePage"); }},
    {"CutAcrossTheGrandStaff", [](UndoCommands& f) { f.Select(3, 2, 6, 5); },
     [](UndoCommands& f) { f.Key(Qt::Key_X, Qt::ControlModifier); }},
    {"ClearTheLowerStaff", [](UndoCommands& f) { f.Select(0, 5, 8, 5); },
     [](UndoCommands& f) { f.Trigger("mitClear"); }},
    {"PasteOverASlur",
     [](UndoCommands& f) {
         f.Select(1, 5, 3, 5);
         f.Key(Qt::Key_C, Qt::ControlModifier);
         f.Select(4, 2, 4, 2);
     },
     [](UndoCommands& f) { f.Key(Qt::Key_V, Qt::ControlModifier); }},
    {"ToGrandStaffSelectedRowsPushesLaterPages", [](UndoCommands& f) { f.Select(0, 8, 5, 8); },
     [](UndoCommands& f) { f.Trigger("mitToGFSelected"); }},
    {"ToGrandStaffWholeScore", Nothing, [](UndoCommands& f) { f.Trigger("mitToGFAllPages"); }},
    {"FlipStemsOfABeamedPair", [](UndoCommands& f) { f.Select(1, 2, 1, 2); },
     [](UndoCommands& f) { f.Key(Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\")); }},
    {"TypeANoteOnTheStaff", [](UndoCommands& f) { f.Select(13, 2, 13, 2); },
     [](UndoCommands& f) { f.Key(Qt::Key_C, Qt::NoModifier, QStringLiteral("c")); }},
    {"DeleteKeyAcrossTheGrandStaff", [](UndoCommands& f) { f.Select(4, 2, 6, 5); },
     [](UndoCommands& f) { f.Key(Qt::Key_Delete); }},
    {"HintsForAllNotes", Nothing, [](UndoCommands& f) { f.Trigger("mitAddHintforAll"); }},
    {"ClefOfTheLowerTrebleStaff", [](UndoCommands& f) { f.Select(0, 8, 5, 8); },
     [](UndoCommands& f) { f.Trigger("mitToFStaff"); }},
    {"SlurFromTheDynamicMarksPalette",
     [](UndoCommands& f) {
         f.Trigger("mitDynamicMarks");
         f.Select(4, 5, 7, 5);
     },
     [](UndoCommands& f) {
         auto* palette = qobject_cast<TfrmPalette*>(f.w->frmDynMark);
         ASSERT_NE(palette, nullptr);
         const auto slur = palette->ButtonsWithTag(1);
         ASSERT_FALSE(slur.empty());
         slur.front()->click();
     }},
    {"DragTheLowerStaffDownALine",
     [](UndoCommands& f) { f.Select(0, 5, f.w->Cols - 1, 5); },
     [](UndoCommands& f) {
         // the top edge of the selection is its move handle
         const QPoint press(f.l + 4 * f.v + f.v / 2, f.t + 5 * f.u);
         ASSERT_EQ(f.w->SelectionHandleAt(press.x(), press.y()), 2);
         f.Drag(press, QPoint(press.x(), press.y() + f.u));
     }},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Commands, UndoCommandTable, ::testing::ValuesIn(kUndoCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The menu items own Ctrl+Z and Ctrl+Y; opening the Edit menu while nothing
// could be undone must not leave the keys dead afterwards.
TEST_F(UndoCommands, UndoKeysWorkAfterTheEditMenuOpenedWithNothingToUndo) {
    BuildScore();
    QMenu* edit = w->findChild<QMenu*>(QStringLiteral("mitEdit"));
    ASSERT_NE(edit, nullptr);
    emit edit->aboutToShow();
    emit edit->aboutToHide();
    EXPECT_FALSE(w->CommandAction("mitUndo")->isEnabled());
    EXPECT_FALSE(w->CommandAction("mitRedo")->isEnabled());

    Select(3, 2, 3, 2);
    const TCell moved = At(3, 2);
    Key(Qt::Key_I, Qt::ControlModifier);
    ASSERT_EQ(At(4, 2).Note, moved.Note) << "Ctrl+I inserted a cell";
    EXPECT_TRUE(w->CommandAction("mitUndo")->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(3, 2).Note, moved.Note) << "Ctrl+Z took the insert back";
    EXPECT_FALSE(w->CommandAction("mitUndo")->isEnabled());
    EXPECT_TRUE(w->CommandAction("mitRedo")->isEnabled());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(At(4, 2).Note, moved.Note) << "Ctrl+Y did it again";
}

// A column inserted or deleted inside a slur moves the notes; the slur's end
// moves with its last note, so the slur still covers the same notes.
TEST_F(UndoCommands, ColumnInsideASlurMovesTheSlurEndWithItsNote) {
    BuildScore();
    // the slur on row 2 runs from column 4 to column 6 (W:3@2 W:3@1 W:3@0)
    ASSERT_EQ(At(4, 2).markType, 1);
    ASSERT_EQ(At(4, 2).iEnd, 6);
    Select(5, 2, 5, 2);
    Trigger("mitInsertCol");
    EXPECT_EQ(At(7, 2).Note, 3);
    EXPECT_FLOAT_EQ(At(7, 2).yAdj, 0.0f) << "the slur's last note moved one column right";
    EXPECT_EQ(At(4, 2).iEnd, 7);
    EXPECT_EQ(At(10, 2).iEnd, 11) << "the tie after the column moved whole";

    Select(5, 2, 5, 2);
    Trigger("mitDeleteColumn"); // the empty column goes again
    Select(5, 2, 5, 2);
    Trigger("mitDeleteColumn"); // and with it the slur's middle note
    EXPECT_FLOAT_EQ(At(5, 2).yAdj, 0.0f);
    EXPECT_EQ(At(4, 2).iEnd, 5) << "the slur still ends on its last note";
    EXPECT_EQ(At(0, 2).iEnd, w->Cols - 1) << "the staff keeps its length";
}
