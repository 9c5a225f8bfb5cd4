// The user's hands on a main window under test: keys as the platform delivers
// them (a shortcut when an enabled action owns the key, else a key press to the
// page), typed text, menu actions by name and left clicks on cells; and the
// score's state, to compare every cell of both layers before and after.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <filesystem>
#include <sstream>
#include <string>

#include "edit/modTQCursorKeys.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "tests/app/TQWindowCells.h"
#include "tests/support/TQTestSupport.h"

struct TWindowKeys : TWindowCells {
    using TWindowCells::Type;
    // Printable ASCII as typed: Qt's key code of a letter is its capital, of
    // a digit or a sign its own code; capitals and shifted signs hold Shift.
    void Type(const std::string& keys) {
        for (const char ch : keys) {
            const int key = (ch >= 'a' && ch <= 'z') ? ch - 'a' + 'A' : ch;
            const bool shifted = (ch >= 'A' && ch <= 'Z') || std::string("~!@#$%^&*()_+{}|:\"<>?").find(ch) !=
                                                                   std::string::npos;
            Key(key, shifted ? Qt::ShiftModifier : Qt::NoModifier, QString(QChar(ch)));
        }
    }
    void Trigger(const char* name) {
        QAction* a = w->CommandAction(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    QPoint CellCentre(int col, int row) const {
        return QPoint(w->GetLeftMargin() + col * w->GetCellWidth() + w->GetCellWidth() / 2,
                      w->GetTopMargin() + row * w->GetCellHeight() + w->GetCellHeight() / 2);
    }
    void Mouse(QEvent::Type type, QPoint p) {
        const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(p), w->pbxMain->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
        QApplication::sendEvent(w->pbxMain, &e);
    }
    void Click(int col, int row) {
        Mouse(QEvent::MouseButtonPress, CellCentre(col, row));
        Mouse(QEvent::MouseButtonRelease, CellCentre(col, row));
        QApplication::processEvents();
    }
};

// A shown main window of 1000 x 800, the active one, on fresh preferences, its
// message boxes recorded, the undo store empty, no modifier key held; all put
// back afterwards.
class TWindowTest : public ::testing::Test, public TWindowKeys {
public:
    void SetUp() override {
        std::filesystem::remove(PrefFileName());
        BeforeStart();
        SetMessageBoxes(&rec);
        StartWindow();
        CurLayer = 0;
        AltDown = ShiftDown = CtrlDown = false;
        Undo.ClearUndoFiles();
    }
    void TearDown() override {
        w.reset();
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        AltDown = ShiftDown = CtrlDown = false;
        std::filesystem::remove(PrefFileName());
    }
    TMessageRecorder rec;

protected:
    // Runs on the fresh preferences before the window starts: a test writes
    // the preferences or chooses the language the window starts with here.
    virtual void BeforeStart() {}
};

// The window test with the English interface.
class TEnglishWindowTest : public TWindowTest {
protected:
    void BeforeStart() override {
        Language->UseChinese = false;
        Language->LoadLanguageDll();
    }
};

// The first cell where two states differ, for the failure message.
inline std::string FirstDifference(const TState& a, const TState& b) {
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
