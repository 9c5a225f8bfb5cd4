// Cell access on a main window under test: read or write a cell of any page
// and layer, lay out a row from a cell picture, select a block, start the
// window, send keys; the score's state to compare before and after a command.
#pragma once

#include <QApplication>
#include <QKeyEvent>

#include <memory>
#include <sstream>
#include <string>

#include "app/frmTQMain.h"
#include "tests/support/TQScoreFixture.h"

// Qt's own entry for a key that may be a shortcut, as the platform delivers it
// (QtGui exports it for its test library).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

// The score and its page count, without the fields that drawing a page writes
// back into Western cells (the head, stem and beam positions).
struct TState {
    TPageSets pages;
    int pageCount = 0;
    bool operator==(const TState&) const = default;
};

inline TState Capture(const TfrmMainTQ& w) {
    TState s{w.PageSets, w.PageCount};
    for (TLayer& layer : s.pages)
        for (TPage& page : layer)
            for (TCellRow& row : page)
                for (TCell& c : row)
                    if (c.cellType == ctWestern) {
                        c.upNote = 0;
                        c.FontStyle = 0;
                        c.FontCharset = 0;
                        c.scratch = 0;
                    }
    return s;
}

struct TWindowCells {
    std::unique_ptr<TfrmMainTQ> w;

    // A fresh main window of 1000 x 800, shown and active; the one before goes first.
    void StartWindow() {
        w.reset();
        w = std::make_unique<TfrmMainTQ>();
        w->resize(1000, 800);
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
    }
    // A key as the keyboard sends it: Qt's shortcut path first, then press and
    // release, to the page or the widget given.
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

    TCell& At(int col, int row, int page = 0, int layer = 0) {
        return w->PageSets[size_t(layer)].at(size_t(page)).at(size_t(row)).at(size_t(col));
    }
    void Row(int row, const std::string& picture, int page = 0, int layer = 0) {
        std::istringstream in(picture);
        std::string token;
        for (int col = 0; in >> token; ++col)
            At(col, row, page, layer) = TScoreFixture::Cell(token);
    }
    void Select(int c0, int r0, int c1, int r1) {
        w->SelCol0 = c0;
        w->SelRow0 = r0;
        w->SelCol1 = c1;
        w->SelRow1 = r1;
    }
};
