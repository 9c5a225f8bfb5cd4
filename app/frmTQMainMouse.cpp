// The mouse on the page: press, move, release, double click and wheel change
// the selection (its first cell is the cursor), move or resize the selected
// block, sound the clicked notes, pick a sound effect and page through the
// slice views. Also the pointer members they use: cell under a point, the
// selection's handles, the rubber bands, run selection and scrolling.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QCheckBox>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QLabel>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/frmTQMain.h"
#include "platform/core/TQStrings.h"
#include "edit/modTQCursorKeys.h"
#include "edit/modTQJianpu.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "play/modTQPlayState.h"
#include "render/modTQOverlay.h"

namespace {

constexpr TColor kDragColor = 0x00FF00;

// The modifier the Parts call Alt: window managers keep Alt with the mouse for
// themselves, so Meta counts as Alt too (Alt+Shift already holds Alt).
bool AltHeld(Qt::KeyboardModifiers m) { return (m & (Qt::AltModifier | Qt::MetaModifier)) != 0; }
bool CtrlHeld(Qt::KeyboardModifiers m) { return (m & Qt::ControlModifier) != 0; }
bool ShiftHeld(Qt::KeyboardModifiers m) { return (m & Qt::ShiftModifier) != 0 && !AltHeld(m); }

bool IsWestAt(int col, int row, int layer) {
    const TCell* c = CellAtAddress(col, row, -1, layer);
    return c && IsWestNoteCell(*c);
}

} // namespace

// ---------------------------------------------------------------- pointer hooks

void TfrmMainTQ::SetPointerHooks() {
    OnScrollIntoView = [this](int flags) { return ScrollIntoView(flags); };
    OnScrollByWheel = [this](int position) {
        trkZoom->setEnabled(false);
        scrMain->verticalScrollBar()->setValue(position);
        trkZoom->setEnabled(true);
    };
    OnLeaveFullView = [this] { btnCloseSliceClick(); };
}

// ---------------------------------------------------------------- handlers

void TfrmMainTQ::pbxRightMouseDown() {
    // The right page of the two-page view turns on to the next pair.
    if (SliceView != 2)
        return;
    const int pages = static_cast<int>(PageSets[static_cast<size_t>(CurLayer)].size());
    if (CurPage + 2 < pages) {
        ShowPage(CurPage + 2, true);
        PaintRightBox();
        pbxMain->update();
    }
}

void TfrmMainTQ::pbxMainMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (OnEndTextEntry)
        OnEndTextEntry();
    ChordNoteIndex = 1;
    const int pages = static_cast<int>(PageSets[static_cast<size_t>(CurLayer)].size());
    if (SliceView > 0) {
        QScrollBar* bar = scrMain->verticalScrollBar();
        const int panelH = pnlMain->height();
        const int panelW = pnlMain->width();
        if (SliceView == 3) {
            const int p = bar->value();
            if (y - p < panelH / 5.0)
                bar->setValue(p - pbxMain->height() / 3);
            else if (y - p > panelH * 4.0 / 5.0)
                bar->setValue(p + pbxMain->height() / 3);
            else if (x < panelW / 4.0 && CurPage > 0) {
                ShowPage(CurPage - 1, true);
                bar->setValue(2 * panelH);
            } else if (x > panelW * 3.0 / 4.0 && CurPage < pages - 1) {
                ShowPage(CurPage + 1, true);
                bar->setValue(0);
            }
        } else if (SliceView == 2) {
            if (CurPage > 1) {
                ShowPage(CurPage - 2, true);
                if (pbxRight)
                    pbxRight->update();
            }
        } else if (SliceView == 1) {
            if (x > GetCellWidth() * Cols / 2) {
                if (CurPage < pages - 1)
                    ShowPage(CurPage + 1, true);
            } else if (CurPage > 0) {
                ShowPage(CurPage - 1, true);
            }
        }
        pbxMain->update();
        return;
    }
    auto mark = [this] {
        DrawCurrentSelection(&DrawEngine);
        pbxMain->update();
    };
    if (button == Qt::LeftButton) {
        const int handle = SelectionHandleAt(x, y);
        if (handle != 0) {
            DragX = -1;
            PressX = x;
            PressY = y;
            MouseMode = handle;
        } else if (IsOutsideVertically(x, y)) {
            mark();
            PointToCell(SelCol1, SelRow1, x, y);
            if (!CtrlHeld(shift))
                SelCol0 = SelCol1;
            SelRow0 = 0;
            SelRow1 = Rows - 1;
            mark();
        } else if (IsOutsideHorizontally(x, y)) {
            if (DoubleClickPending) {
                ScrollPosY = scrMain->verticalScrollBar()->value();
                ScrollRangeY = scrMain->verticalScrollBar()->maximum();
                ToggleScrollEnd();
                DoubleClickPending = false;
                return;
            }
            mark();
            PointToCell(SelCol1, SelRow1, x, y);
            if (AltHeld(shift)) {
                const int found = FindRowHighlight(SelRow1);
                if (found >= 0)
                    Highlights.erase(Highlights.begin() + found);
                else
                    AddHighlight(0, Cols - 1, SelRow1, -1);
                SelCol0 = 0;
                SelRow0 = SelRow1;
                SelCol1 = Cols - 1;
                RedrawPage();
                return;
            }
            if (CtrlHeld(shift)) {
                SelCol0 = 0;
                SelCol1 = Cols - 1;
            } else {
                SelCol0 = 0;
                if (x >= 0.8 * GetLeftMargin() || y >= 0.8 * GetTopMargin()) {
                    SelRow0 = SelRow1;
                    SelCol1 = Cols - 1;
                } else {
                    SelRow0 = 0;
                    SelCol1 = Cols - 1;
                    SelRow1 = Rows - 1;
                }
            }
            mark();
        } else if (ShiftHeld(shift) && CtrlHeld(shift)) {
            mark();
            PointToCell(SelCol0, SelRow0, x, y);
            SelCol1 = SelCol0;
            SelRow0 = 0;
            SelRow1 = Rows - 1;
            mark();
        } else if (ShiftHeld(shift)) {
            mark();
            PointToCell(SelCol0, SelRow0, x, y);
            SelRow1 = SelRow0;
            SelCol0 = 0;
            SelCol1 = Cols - 1;
            mark();
        } else if (AltHeld(shift) || DoubleClickPending) {
            DrawCurrentSelection(&DrawEngine);
            SelectRunAt(x, y);
            pbxMain->update();
        } else {
            MouseMode = 1;
            mark();
            PointToCell(SelCol0, SelRow0, x, y);
            SelCol1 = SelCol0;
            SelRow1 = SelRow0;
            const TCell* cell = CellAtAddress(SelCol0, SelRow0);
            const bool west = IsWestAt(SelCol0, SelRow0, CurLayer) ||
                              (HasJianpuPageAt(CurPage) && IsWestAt(SelCol0, SelRow0, 1 - CurLayer));
            if (west) {
                if (cell && (cell->option & 0x40000u))
                    ShowCellHint(SelCol0 + 1.0f, SelRow0 + 0.25f, "CR");
                else if (PopupHintChecked && OnShowNoteHintPanel)
                    OnShowNoteHintPanel(SelCol0, SelRow0);
            } else if (cell && cell->Note == 146) {
                const int index = cell->upNote;
                if (!SoundEffectPicked && PlayWindow.SoundEffectIndex)
                    SavedSoundEffect = PlayWindow.SoundEffectIndex();
                const std::string text = PlayWindow.SoundEffectText ? PlayWindow.SoundEffectText(index) : std::string();
                if (PlayWindow.SelectSoundEffect)
                    PlayWindow.SelectSoundEffect(index, text);
                SoundEffectPicked = true;
                const std::string caption = (Language ? Language->GetString(3499) : std::string()) + text;
                sbrPanel0->setText(QString::fromUtf8(caption.c_str()));
            } else {
                SoundEffectPicked = false;
            }
            mark();
            timDrag->start(300);
        }
    }
    // Sounding the clicked notes through the piano.
    if (pnlKeyboard->isVisible() && chkStaff2Kbd && chkStaff2Kbd->isChecked()) {
        GetRowGroup(SelRow0, -1);
        const bool whole = (cbxWholeStaff->isChecked() || CtrlHeld(shift)) && GroupRows.size() > 1;
        if (whole) {
            soundFirstRow_ = GroupRows.front().row;
            soundLastRow_ = GroupRows.back().row;
            const TCell* here = CellAtAddress(SelCol0, SelRow0);
            const TCell* above = CellAtAddress(SelCol0, soundFirstRow_ - 1, -1, 1);
            if (here && IsJianpuNoteCell(*here) && soundFirstRow_ > 0 && above && IsJianpuNoteCell(*above))
                --soundFirstRow_;
            DrawCurrentSelection(&DrawEngine);
            DrawSelectionRect(&DrawEngine, SelCol0, soundFirstRow_, SelCol0, soundLastRow_);
            pbxMain->update();
        }
        soundWhole_ = whole;
        EnsureMidi();
        TPlayState* play = AuditionState();
        const bool west = IsWestAt(SelCol0, SelRow0, CurLayer) ||
                          (HasJianpuPage() && IsWestAt(SelCol0, SelRow0, 1 - CurLayer));
        if (west)
            play->AuditionWestClick(SelCol0, SelRow0, whole);
        else
            play->AuditionJianpuClick(whole);
        ClickSounding = true;
    }
    DoubleClickPending = false;
    // the file name, a new score's "untitled" in the interface's words (string 1028)
    const std::string untitledWord = UseChineseStrings() ? GetStringById(1028) : std::string();
    const std::string shown = FileName == "Untitled" && !untitledWord.empty() ? untitledWord : FileName;
    sbrPanel1->setText(QString::fromUtf8(shown.c_str()));
    Controls.StatusFile = shown;
    PressCol = MouseDownCol = SelCol0;
    PressRow = MouseDownRow = SelRow0;
}

void TfrmMainTQ::pbxMainMouseMove(Qt::KeyboardModifiers, int x, int y) {
    const int l = GetLeftMargin();
    const int t = GetTopMargin();
    const int v = GetCellWidth();
    const int u = GetCellHeight();
    x = std::clamp(x, l, l + v * Cols);
    y = std::clamp(y, t, t + u * Rows);
    switch (MouseMode) {
    case 1: {
        int col = 0;
        int row = 0;
        PointToCell(col, row, x, y);
        if (col != SelCol1 || row != SelRow1) {
            DrawCurrentSelection(&DrawEngine);
            SelCol1 = col;
            SelRow1 = row;
            DrawCurrentSelection(&DrawEngine);
            pbxMain->update();
        }
        ScrollIntoView(0);
        break;
    }
    case 2:
        if (DragX > 0)
            DrawDragFrame(DragX, DragY);
        DragX = l + v * SelCol0 + x - PressX;
        DragY = t + u * SelRow0 + y - PressY;
        DrawDragFrame(DragX, DragY);
        pbxMain->update();
        break;
    case 3:
    case 4:
    case 5:
        if (DragX >= 1)
            DrawDragLine(DragX, DragY);
        else {
            DrawCurrentSelection(&DrawEngine);
            pbxMain->update();
        }
        DragX = MouseMode == 5 ? v * (SelCol1 + 1) + l : v * (SelCol1 + 1) + l + x - PressX;
        DragY = MouseMode == 4 ? u * (SelRow1 + 1) + t : u * (SelRow1 + 1) + t + y - PressY;
        DrawDragLine(DragX, DragY);
        pbxMain->update();
        break;
    default:
        switch (SelectionHandleAt(x, y)) {
        case 2:
            pbxMain->setCursor(Qt::SizeAllCursor);
            break;
        case 3:
            pbxMain->setCursor(Qt::SizeFDiagCursor);
            break;
        case 4:
            pbxMain->setCursor(Qt::SizeHorCursor);
            break;
        case 5:
            pbxMain->setCursor(Qt::SizeVerCursor);
            break;
        default:
            if (IsOutsideHorizontally(x, y) || IsOutsideVertically(x, y))
                pbxMain->setCursor(Qt::PointingHandCursor);
            else
                pbxMain->unsetCursor();
        }
    }
}

void TfrmMainTQ::pbxMainMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    timDrag->stop();
    if (ClickSounding) {
        if (soundWhole_) {
            DrawSelectionRect(&DrawEngine, SelCol0, soundFirstRow_, SelCol0, soundLastRow_);
            DrawCurrentSelection(&DrawEngine);
            pbxMain->update();
        }
        if (Keyboard)
            Keyboard->ReleaseAll();
        ClickSounding = false;
    }
    if (button == Qt::LeftButton) {
        const int l = GetLeftMargin();
        const int t = GetTopMargin();
        const double v = GetCellWidth();
        const double u = GetCellHeight();
        if (MouseMode == 2 && DragX >= 0) {
            DrawDragFrame(DragX, DragY);
            int col = static_cast<int>((DragX - l + 0.45 * v) / v);
            const int row = static_cast<int>((DragY - t + 0.45 * u) / u);
            if (GongChiMode && (col % 2) != 0)
                --col;
            if (col != SelCol0 || row != SelRow0) {
                try {
                    Ed.MoveBlock(col, row, 0);
                    RedrawPage();
                } catch (...) {
                }
            }
        } else if (MouseMode >= 3 && MouseMode <= 5 && DragX >= 0) {
            DrawDragLine(DragX, DragY);
            try {
                // A release left of or above the first cell keeps a one-cell width or height.
                const int col = std::max(SelCol0, static_cast<int>((DragX - l + 0.45 * v) / v - 1.0));
                const int row = std::max(SelRow0, static_cast<int>((DragY - t + 0.45 * u) / u - 1.0));
                if (col != SelCol1 || row != SelRow1) {
                    SelCol1 = std::min(col, Cols - 1);
                    SelRow1 = std::min(row, Rows - 1);
                    RedrawPage();
                } else {
                    DrawCurrentSelection(&DrawEngine); // the mark the first move took away
                    pbxMain->update();
                }
            } catch (...) {
            }
        } else if (MouseMode == 1) {
            if (SelCol0 > SelCol1)
                std::swap(SelCol0, SelCol1);
            if (SelRow0 > SelRow1)
                std::swap(SelRow0, SelRow1);
            if (PlayWindow.Visible && PlayWindow.Visible() && PlayWindow.AdvancedPageShown &&
                PlayWindow.AdvancedPageShown() && PlayWindow.LoadCellAdj)
                PlayWindow.LoadCellAdj();
            if (OnHideNoteHint)
                OnHideNoteHint();
        }
        MouseMode = 0;
        DragX = -1;
        pbxMain->unsetCursor();
    }
    if (OnPlaceTextEntry)
        OnPlaceTextEntry();
}

void TfrmMainTQ::pbxMainDblClick() {
    if (SliceView > 0)
        LeaveFullView();
    else
        DoubleClickPending = true;
}

void TfrmMainTQ::FormMouseWheel(int delta) {
    ScrollPosY = scrMain->verticalScrollBar()->value();
    ScrollRangeY = scrMain->verticalScrollBar()->maximum();
    ScrollByWheel(-delta / 10);
}

void TfrmMainTQ::timDragTimer() {
    pbxMain->setCursor(Qt::SizeFDiagCursor);
    timDrag->stop();
}

TPlayState* TfrmMainTQ::AuditionState() {
    if (frmPlay)
        return frmPlay;
    if (!ownPlayState_)
        ownPlayState_ = std::make_unique<TPlayState>();
    frmPlay = ownPlayState_.get();
    return frmPlay;
}

std::string TfrmMainTQ::BookRowFile(const QMimeData* data) const {
    if (!data || !data->hasFormat(QString::fromLatin1(kBookRowMimeType)))
        return std::string();
    const std::string path = data->data(QString::fromLatin1(kBookRowMimeType)).toStdString();
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec) ? path : std::string();
}

bool TfrmMainTQ::pbxMainDragOver(const QMimeData* data) const { return !BookRowFile(data).empty(); }

void TfrmMainTQ::pbxMainDragDrop(const QMimeData* data) {
    if (OnBookDragEnd)
        OnBookDragEnd();
    const std::string path = BookRowFile(data);
    if (!path.empty())
        OpenFromPath(path);
}

bool TfrmMainTQ::MouseEventFilter(QObject* watched, QEvent* event) {
    if (watched == pbxRight && event->type() == QEvent::MouseButtonPress) {
        pbxRightMouseDown();
        return true;
    }
    if (watched == pbxMain) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (!e->mimeData()->hasFormat(QString::fromLatin1(kBookRowMimeType)))
                return false; // files dropped on the page go to the window
            if (pbxMainDragOver(e->mimeData()))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasFormat(QString::fromLatin1(kBookRowMimeType)))
                return false;
            pbxMainDragDrop(e->mimeData());
            e->acceptProposedAction();
            return true;
        }
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            pbxMainMouseDown(e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
            return true;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            pbxMainMouseMove(e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            pbxMainMouseUp(e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
            return true;
        }
        case QEvent::MouseButtonDblClick: {
            auto* e = static_cast<QMouseEvent*>(event);
            pbxMainDblClick();
            // the press that follows a double click
            pbxMainMouseDown(e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
            return true;
        }
        default:
            break;
        }
    }
    if (watched == pbxMain || watched == scrMain->viewport()) {
        if (event->type() == QEvent::Wheel) {
            FormMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        }
    }
    if (pbxKeyboard && watched == pbxKeyboard) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* e = static_cast<QMouseEvent*>(event);
            pbxKeyboardMouseDown(e->position().toPoint().x(), e->position().toPoint().y(), e->modifiers());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            pbxKeyboardMouseUp(static_cast<QMouseEvent*>(event)->modifiers());
            return true;
        }
        if (event->type() == QEvent::Resize) {
            keyboardPainted_ = false;
            pbxKeyboardPaint();
        }
    }
    if (watched == pnlKeyboard && event->type() == QEvent::Resize)
        pnlKeyboardResize();
    return false;
}
