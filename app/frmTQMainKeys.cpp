// The keyboard of the main window: key preview over the whole window, the
// key-down, typed-character and key-up handlers around the key table, the
// palettes' quick-key switches, and the controls of text entry and the side
// panel that the keys and commands use.
#include "app/frmTQMain.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

#include "app/frmTQEditImage.h"
#include "edit/modTQCombineTail.h"
#include "edit/modTQCursorKeys.h"
#include "edit/modTQJianpu.h"
#include "edit/modTQKeyTable.h"
#include "edit/modTQWestEntry.h"
#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "palettes/frmTQPalettes.h"
#include "palettes/modTQDynMark.h"
#include "palettes/modTQSpecial.h"

namespace {

// The Windows virtual key of a Qt key; 0 for keys the table does not know.
int VirtualKey(const QKeyEvent* e) {
    const int k = e->key();
    switch (k) {
    case Qt::Key_Backspace: return vkBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vkTab;
    case Qt::Key_Return: case Qt::Key_Enter: return vkReturn;
    case Qt::Key_Escape: return vkEscape;
    case Qt::Key_Space: return vkSpace;
    case Qt::Key_PageUp: return vkPrior;
    case Qt::Key_PageDown: return vkNext;
    case Qt::Key_End: return vkEnd;
    case Qt::Key_Home: return vkHome;
    case Qt::Key_Left: return vkLeft;
    case Qt::Key_Up: return vkUp;
    case Qt::Key_Right: return vkRight;
    case Qt::Key_Down: return vkDown;
    case Qt::Key_Delete: return vkDelete;
    case Qt::Key_F7: return vkF7;
    default: break;
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return (e->modifiers() & Qt::KeypadModifier) ? 0x60 + (k - Qt::Key_0) : k;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return k;
    return 0;
}

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

// Widgets that take typed text themselves: their keys are not previewed.
bool TakesText(const QObject* o) {
    if (qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractSpinBox*>(o))
        return true;
    const auto* combo = qobject_cast<const QComboBox*>(o);
    return combo && combo->isEditable();
}

} // namespace

void TfrmMainTQ::BuildEntryControls() {
    // text entry: the box over the page and its check button
    edtEnterText = new QLineEdit(scrContents);
    edtEnterText->setObjectName(QStringLiteral("edtEnterText"));
    edtEnterText->setFrame(true);
    edtEnterText->hide();
    connect(edtEnterText, &QLineEdit::textChanged, this, [this] { FitTextEntryBox(); });
    pbxMain->setAttribute(Qt::WA_InputMethodEnabled, false);
    btnEnterText = new QToolButton(tbrlTop);
    btnEnterText->setObjectName(QStringLiteral("btnEnterText"));
    btnEnterText->setText(QStringLiteral("T"));
    btnEnterText->setCheckable(true);
    btnEnterText->setAutoRaise(true);
    SetTag(btnEnterText, 315);
    tbrlTop->addSeparator();
    tbrlTop->addWidget(btnEnterText);
    connect(btnEnterText, &QToolButton::toggled, this, [this] { btnEnterTextClick(); });
    OnEndTextEntry = [this] { EndTextEntry(); };

    // the quick-key switches of the two palettes
    mitEnableSpKey = new QAction(QStringLiteral("Special Symbol Shortcut Keys"), this);
    mitEnableSpKey->setObjectName(QStringLiteral("mitEnableSpKey"));
    SetTag(mitEnableSpKey, sidSpecialSymbolKeys);
    mitEnableSpKey->setCheckable(true);
    connect(mitEnableSpKey, &QAction::triggered, this, [this] { mitEnableSpKeyClick(); });
    mitEnableDynKey = new QAction(QStringLiteral("Dynamic Mark Shortcut Keys"), this);
    mitEnableDynKey->setObjectName(QStringLiteral("mitEnableDynKey"));
    SetTag(mitEnableDynKey, sidDynamicMarkKeys);
    mitEnableDynKey->setCheckable(true);
    connect(mitEnableDynKey, &QAction::triggered, this, [this] { mitEnableDynKeyClick(); });
    mitKeepOriginalAspectRatio = new QAction(QStringLiteral("Keep Original Aspect Ratio"), this);
    mitKeepOriginalAspectRatio->setObjectName(QStringLiteral("mitKeepOriginalAspectRatio"));
    SetTag(mitKeepOriginalAspectRatio, 703);
    mitKeepOriginalAspectRatio->setCheckable(true);
    connect(mitKeepOriginalAspectRatio, &QAction::triggered, this, [this] { mitKeepOriginalAspectRatioClick(); });

    // the side panel's buttons
    auto* bar = new QToolBar(pnlSideImg);
    bar->setObjectName(QStringLiteral("tbrSideImg"));
    auto button = [bar](const char* name, const char* text, const char* hint, int hintTag) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(text));
        b->setToolTip(QString::fromUtf8(hint));
        b->setProperty("HintTag", hintTag);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    btnPrevSideImg = button("btnPrevSideImg", "<", "Previous Picture", sidPreviousPicture);
    btnNextSideImg = button("btnNextSideImg", ">", "Next Picture", sidNextPicture);
    btnSideImgZoomIn = button("btnSideImgZoomIn", "+", "Zoom In", 402);
    btnSideImgZoomOut = button("btnSideImgZoomOut", "-", "Zoom Out", 403);
    btnCloseSideImg = button("btnCloseSideImg", "X", "Close", 1018);
    if (pnlSideImg->layout())
        pnlSideImg->layout()->addWidget(bar);
    connect(btnPrevSideImg, &QToolButton::clicked, this, [this] { btnPrevSideImgClick(); });
    connect(btnNextSideImg, &QToolButton::clicked, this, [this] { btnNextSideImgClick(); });
    connect(btnSideImgZoomIn, &QToolButton::clicked, this, [this] { btnSideImgZoomInClick(); });
    connect(btnSideImgZoomOut, &QToolButton::clicked, this, [this] { btnSideImgZoomOutClick(); });
    connect(btnCloseSideImg, &QToolButton::clicked, this, [this] { btnCloseSideImgClick(); });
    connect(splSideImage, &QSplitter::splitterMoved, this, [this] { splSideImageMoved(); });
    pbxSideImg->OnPaint = [this] { pbxSideImgPaint(); };

    // Escape in a slice view: the window's tool bars, menu and panels come back
    if (!OnLeaveFullView)
        OnLeaveFullView = [this] { btnCloseSliceClick(); };

    frmEditImage = new TfrmEditImage(this);
    frmEditImage->hide();

    // key preview: every key of this window passes here before its widget
    qApp->installEventFilter(this);
}

namespace {

TKeyInput KeyInput(int key, bool shift, bool alt, bool ctrl) {
    TKeyInput in;
    in.key = key;
    in.shift = shift;
    in.alt = alt;
    in.ctrl = ctrl;
    return in;
}

// A value or accidental key typed on the empty cell after a Western note acts
// on that note, the one just typed: it becomes the selection. Returns the
// cursor column to come back to, -1 when the key acts where it is.
int StepBackToTypedNote(TfrmMainTQ& w, const TKeyCommand& k) {
    if (w.SelCol0 != w.SelCol1 || w.SelRow0 != w.SelRow1 || w.SelCol0 < 1)
        return -1;
    const TCell* cursor = CellAtAddress(w.SelCol0, w.SelRow0);
    const TCell* left = CellAtAddress(w.SelCol0 - 1, w.SelRow0);
    if (!cursor || !left || !IsEmptyCell(*cursor))
        return -1;
    // a value goes on a note or a rest, an accidental on a note only
    if (!IsWestNoteCell(*left) && !(k.cmd == TKeyCmd::WestCode && IsWestNoteOrRest(*left)))
        return -1;
    const int col = w.SelCol0;
    w.SelCol0 = w.SelCol1 = col - 1;
    return col;
}

} // namespace

bool TfrmMainTQ::KeyPreview(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == pbxSideImg && type == QEvent::MouseButtonPress) {
        const auto* m = static_cast<QMouseEvent*>(event);
        pbxSideImgMouseDown(static_cast<int>(m->position().y()), m->button() == Qt::LeftButton);
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* e = static_cast<QKeyEvent*>(event);
    if (KeyWhilePlaying(e))
        return true;
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier, alt = mods & Qt::AltModifier, ctrl = mods & Qt::ControlModifier;
    if (watched == edtEnterText) {
        if (type == QEvent::KeyPress && edtEnterText->isVisible()) {
            const int key = VirtualKey(e);
            edtEnterTextKeyDown(key, ctrl);
            // Enter and Escape end the entry; other keys go on to the box
            return key == vkReturn || key == vkEscape;
        }
        return false;
    }
    if (TakesText(watched))
        return false;
    if (type == QEvent::ShortcutOverride) {
        // letters, digits and punctuation reach the table even where a menu
        // item has them as its shortcut
        const QString text = e->text();
        if (!ctrl && !alt && !text.isEmpty() && text.at(0).isPrint()) {
            e->accept();
            return true;
        }
        PrepareMenusForKeys(QKeySequence(e->keyCombination()));
        return false;
    }
    if (type == QEvent::KeyRelease) {
        if (e->isAutoRepeat())
            return true;
        FormKeyUp(VirtualKey(e), shift && e->key() != Qt::Key_Shift, alt && e->key() != Qt::Key_Alt,
                  ctrl && e->key() != Qt::Key_Control);
        return true;
    }
    if (IsModifierKey(e->key())) {
        FormKeyDown(0, shift, alt, ctrl);
        return true;
    }
    FormKeyDown(VirtualKey(e), shift, alt, ctrl);
    const QString text = e->text();
    if (!ctrl && !alt && !text.isEmpty()) {
        const char32_t ch = text.toUcs4().value(0);
        if (ch >= 32 && ch != 127)
            FormKeyPress(static_cast<int>(ch));
    }
    return true;
}

namespace {

// The menus holding the action, the outermost first, when they hang from the menu bar.
std::vector<QMenu*> MenuPath(const QAction* a, const QMenuBar* bar) {
    std::vector<QMenu*> path;
    for (const QAction* item = a; item;) {
        const QList<QObject*> holders = item->associatedObjects();
        if (!path.empty() && std::any_of(holders.begin(), holders.end(), [bar](const QObject* o) { return o == bar; })) {
            std::reverse(path.begin(), path.end());
            return path;
        }
        QMenu* menu = nullptr;
        for (QObject* o : holders)
            if ((menu = qobject_cast<QMenu*>(o)))
                break;
        if (!menu || path.size() > 8)
            return {};
        path.push_back(menu);
        item = menu->menuAction();
    }
    return {};
}

} // namespace

void TfrmMainTQ::PrepareMenusForKeys(const QKeySequence& keys) {
    std::vector<QMenu*> done;
    for (QAction* a : findChildren<QAction*>()) {
        if (a->shortcut() != keys)
            continue;
        for (QMenu* menu : MenuPath(a, mnuMain)) {
            if (std::find(done.begin(), done.end(), menu) != done.end())
                continue;
            done.push_back(menu);
            emit menu->aboutToShow();
        }
    }
}

void TfrmMainTQ::FormKeyDown(int key, bool shift, bool alt, bool ctrl) {
    trkZoom->setEnabled(false);
    TKeyState st;
    st.textBoxVisible = edtEnterText->isVisible();
    st.sliceView = SliceView;
    st.prevPageEnabled = btnPreviousPage->isEnabled();
    st.nextPageEnabled = btnNextPage->isEnabled();
    st.specialKeys = mitEnableSpKey->isChecked();
    st.dynamicKeys = mitEnableDynKey->isChecked();
    const TKeyCommand k = KeyDownCommand(KeyInput(key, shift, alt, ctrl), st);
    RunKeyCommand(k);
    trkZoom->setEnabled(true);
}

void TfrmMainTQ::FormKeyPress(int ch) {
    TKeyState st;
    st.textBoxVisible = edtEnterText->isVisible();
    st.sliceView = SliceView;
    st.specialKeys = mitEnableSpKey->isChecked();
    st.dynamicKeys = mitEnableDynKey->isChecked();
    const TKeyCommand k = KeyPressCommand(ch, st);
    RunKeyCommand(k);
    if (k.redrawPage)
        RedrawPage();
}

void TfrmMainTQ::FormKeyUp(int key, bool shift, bool alt, bool ctrl) {
    TKeyState st;
    st.textBoxVisible = edtEnterText->isVisible();
    KeyUpState(KeyInput(key, shift, alt, ctrl), st);
}

void TfrmMainTQ::mitEnableSpKeyClick() {
    if (auto* palette = qobject_cast<TfrmPalette*>(frmSpecial))
        palette->ShowKeyHints(mitEnableSpKey->isChecked());
}

void TfrmMainTQ::mitEnableDynKeyClick() {
    if (auto* palette = qobject_cast<TfrmPalette*>(frmDynMark))
        palette->ShowKeyHints(mitEnableDynKey->isChecked());
}

void TfrmMainTQ::RunKeyCommand(const TKeyCommand& k) {
    const int cursor = k.typedNote ? StepBackToTypedNote(*this, k) : -1;
    RunKeyCommandHere(k);
    if (cursor >= 0) {
        // the cursor stays after the note, for the next one; Undo comes back there
        SelCol0 = SelCol1 = cursor;
        Undo.SetGroupSelection(SelCol0, SelRow0, SelCol1, SelRow1);
    }
}

void TfrmMainTQ::RunKeyCommandHere(const TKeyCommand& k) {
    switch (k.cmd) {
    case TKeyCmd::None:
        break;
    case TKeyCmd::PreviousPage:
        btnPreviousPageClick();
        break;
    case TKeyCmd::NextPage:
        btnNextPageClick();
        break;
    case TKeyCmd::GoToRowEnd: {
        SelCol0 = Cols - 1;
        SelCol1 = SelCol0;
        SelRow1 = SelRow0;
        const int x = GetLeftMargin() + SelCol0 * GetCellWidth();
        const int y = GetTopMargin() + SelRow0 * GetCellHeight();
        scrMain->ensureVisible(x, y, 10 * GetCellWidth(), GetCellHeight());
        RedrawPage();
        break;
    }
    case TKeyCmd::GoHome:
        SelCol0 = SelRow0 = SelCol1 = SelRow1 = 0;
        GoToPage(0);
        Controls.PageComboText = std::to_string(CurPage + 1);
        RedrawPage();
        PageCaption();
        ShowControls();
        break;
    case TKeyCmd::DeleteSymbolSlot:
        DeleteSymbolSlot(k.a);
        break;
    case TKeyCmd::DeleteMark:
        DeleteMark();
        break;
    case TKeyCmd::DeleteRange:
        Ed.DeleteRange(SelCol0, SelRow0, SelCol1, SelRow1);
        RedrawCells(0, std::max(0, SelRow0 - 1), Cols, SelRow1 + 1);
        break;
    case TKeyCmd::InsertSymbol:
        InsertSpecialSymbol(k.a);
        break;
    case TKeyCmd::InsertMark:
        InsertMark(k.a, true);
        break;
    case TKeyCmd::ChangeMarkHeight:
        ChangeMarkHeight(k.a);
        break;
    case TKeyCmd::ChangeMarkWidth:
        ChangeMarkWidth(k.a);
        break;
    case TKeyCmd::MoveMark:
        MoveMark(k.a);
        break;
    case TKeyCmd::MoveMarkEnd:
        MoveMarkEnd(k.a);
        break;
    case TKeyCmd::FlipMark:
        FlipMark(false);
        break;
    case TKeyCmd::WestCode:
        AddWestNoteOrProp(k.a, true, k.b ? static_cast<float>(k.b) : kNoPosition, true);
        break;
    case TKeyCmd::WestLetterNote:
        AddWestNoteOrProp(DefaultNoteKind + 3, true, static_cast<float>(LetterToStaffPos(k.a)), true);
        break;
    case TKeyCmd::ChangeClef:
        ChangeClef(k.a);
        break;
    case TKeyCmd::CombineTails:
        CombineTails(&DrawEngine);
        break;
    case TKeyCmd::AddThirdToChord:
        JianpuEditor.AddThirdToChord();
        break;
    default:
        RunEditKeyCommand(k);
        break;
    }
}

void TfrmMainTQ::RunEditKeyCommand(const TKeyCommand& k) {
    switch (k.cmd) {
    case TKeyCmd::SelectTargetNote:
        SelectTargetNote(k.a);
        break;
    case TKeyCmd::TypeNoteKey:
        TypeNoteKey(k.a, true);
        break;
    case TKeyCmd::BackspaceCursor:
        MoveCursor(-1, 0);
        RedrawPage();
        break;
    case TKeyCmd::ResizeSelection:
        ResizeSelection(k.a, k.b);
        break;
    case TKeyCmd::NudgeSelection:
        NudgeSelection(static_cast<float>(k.dx), static_cast<float>(k.dy), false);
        break;
    case TKeyCmd::MoveCursor:
        MoveCursor(k.a, k.b);
        break;
    case TKeyCmd::LeaveFullView:
        LeaveFullView();
        break;
    case TKeyCmd::ChangeOctave:
        ChangeOctave(k.a, true);
        break;
    case TKeyCmd::AddOctaveNote:
        AddOctaveNote();
        break;
    case TKeyCmd::SetUnderlines:
        SetUnderlines(1, true, true);
        break;
    case TKeyCmd::SwapUnderlines:
        btnSwapUnderline();
        break;
    default:
        break;
    }
}
