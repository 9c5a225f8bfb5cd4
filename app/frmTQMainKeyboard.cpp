// The main window's on-screen piano panel: the paint box with the piano, the
// check boxes and the volume on its left, the close button on its right; and
// the hooks through which playback and click audition light and press its keys.
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/frmTQMain.h"
#include "edit/modTQKeyboard.h"
#include "lang/modTQLanguage.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"

namespace {

QString Text(int id, const char* fallback) {
    const std::string s = Language ? Language->GetString(id) : std::string();
    return s.empty() ? QString::fromUtf8(fallback) : QString::fromUtf8(s.c_str());
}

} // namespace

void TfrmMainTQ::BuildKeyboardPanel() {
    auto* row = new QHBoxLayout(pnlKeyboard);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);

    auto* left = new QWidget(pnlKeyboard);
    left->setObjectName(QStringLiteral("pnlKbdLeft"));
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(1);
    chkKbd2Staff = new QCheckBox(Text(922, "Keyboard to Staff"), left);
    chkKbd2Staff->setObjectName(QStringLiteral("chkKbd2Staff"));
    SetTag(chkKbd2Staff, 922);
    chkStaff2Kbd = new QCheckBox(Text(924, "Staff to Keyboard"), left);
    chkStaff2Kbd->setObjectName(QStringLiteral("chkStaff2Kbd"));
    SetTag(chkStaff2Kbd, 924);
    chkStaff2Kbd->setChecked(true);
    cbxWholeStaff = new QCheckBox(Text(926, "Whole Staff"), left);
    cbxWholeStaff->setObjectName(QStringLiteral("cbxWholeStaff"));
    SetTag(cbxWholeStaff, 926);
    auto* lblVol = new QLabel(Text(923, "Volume"), left);
    SetTag(lblVol, 923);
    trkVol = new QSlider(Qt::Horizontal, left);
    trkVol->setObjectName(QStringLiteral("trkVol"));
    trkVol->setRange(0, 127);
    trkVol->setValue(127);
    for (QWidget* w : {static_cast<QWidget*>(chkKbd2Staff), static_cast<QWidget*>(chkStaff2Kbd),
                       static_cast<QWidget*>(cbxWholeStaff), static_cast<QWidget*>(lblVol),
                       static_cast<QWidget*>(trkVol)})
        column->addWidget(w);
    row->addWidget(left);

    pbxKeyboard = new TPaintBox(pnlKeyboard);
    pbxKeyboard->setObjectName(QStringLiteral("pbxKeyboard"));
    pbxKeyboard->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    pbxKeyboard->Picture = &KeyboardPicture.Image();
    pbxKeyboard->OnPaint = [this] { pbxKeyboardPaint(); };
    pbxKeyboard->installEventFilter(this);
    row->addWidget(pbxKeyboard, 1);

    CloseKeyboard = new QToolButton(pnlKeyboard);
    CloseKeyboard->setObjectName(QStringLiteral("CloseKeyboard"));
    CloseKeyboard->setText(QStringLiteral("X"));
    CloseKeyboard->setAutoRaise(true);
    row->addWidget(CloseKeyboard, 0, Qt::AlignTop);

    connect(CloseKeyboard, &QToolButton::clicked, this, [this] { btnKeyboardClick(); });
    for (QCheckBox* box : {chkKbd2Staff, chkStaff2Kbd, cbxWholeStaff})
        connect(box, &QCheckBox::clicked, this, [this] { chkStaff2KbdClick(); });
    pnlKeyboard->installEventFilter(this);
}

void TfrmMainTQ::SetKeyboardHooks() {
    TPlayerHooks& h = PlayerHooks();
    h.KeyboardExists = [this] { return Keyboard != nullptr; };
    h.KeyboardVisible = [this] { return pnlKeyboard->isVisible(); };
    h.StaffToKeyboard = [this] { return chkStaff2Kbd->isChecked(); };
    h.MainVolume = [this] { return trkVol->value(); };
    h.RepaintKeyboard = [this] { pbxKeyboardPaint(); };
    h.HighlightKey = [this](int pitch, int octave, int mode) {
        if (Keyboard && pnlKeyboard->isVisible())
            Keyboard->HighlightKey(pitch, octave, mode);
    };
    h.PressKey = [this](int pitch, int octave) {
        if (Keyboard)
            Keyboard->PressAuditionKey(pitch, octave);
    };
    h.ShowPage = [this](int page, bool redraw) { ShowPage(page, redraw); };
    h.SelectAndShowCell = [this](int col, int row, int rows, bool redraw, int flags) {
        SelectAndShowCell(col, row, rows, redraw, flags);
    };
}

void TfrmMainTQ::btnKeyboardClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    if (!Keyboard) {
        Keyboard = std::make_unique<TKeyboard>(&KeyboardPicture.Canvas());
        Keyboard->KeyDownColor = KeyDownColor;
        TKeyboardHooks& k = Keyboard->Hooks;
        k.PanelVisible = [this] { return pnlKeyboard->isVisible(); };
        k.KeyboardToStaff = [this] { return chkKbd2Staff->isChecked(); };
        k.ChordModifier = [this] { return (kbdModifiers_ & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0; };
        k.Volume = [this] { return trkVol->value(); };
        k.NoteOn = [this](int octave, int pitch, int velocity) {
            if (EnsureMidi())
                frmMIDI->MidiNoteOn(octave, pitch, velocity);
        };
        k.NoteOff = [](int octave, int pitch) {
            if (frmMIDI)
                frmMIDI->MidiNoteOff(octave, pitch);
        };
        k.Update = [this] { pbxKeyboard->update(); };
        k.ProcessEvents = [] { QCoreApplication::processEvents(); };
    }
    const bool show = pnlKeyboard->isHidden();
    pnlBottom->setVisible(show); // no empty splitter pane
    pnlKeyboard->setVisible(show);
    if (show)
        pnlKeyboardResize();
    pbxKeyboardPaint();
}

void TfrmMainTQ::pbxKeyboardPaint() {
    if (!Keyboard || !pnlKeyboard->isVisible())
        return;
    const int w = std::max(1, pbxKeyboard->width());
    const int h = std::max(1, pbxKeyboard->height());
    if (KeyboardPicture.Width() != w || KeyboardPicture.Height() != h) {
        KeyboardPicture.SetSize(w, h);
        pbxKeyboard->Picture = &KeyboardPicture.Image();
        Keyboard->Canvas = &KeyboardPicture.Canvas();
    }
    if (Keyboard->Width != w || Keyboard->Height != h || !keyboardPainted_) {
        Keyboard->Width = w;
        Keyboard->Height = h;
        keyboardPainted_ = true;
        Keyboard->Paint();
    }
}

void TfrmMainTQ::pbxKeyboardMouseDown(int x, int y, Qt::KeyboardModifiers modifiers) {
    if (!Keyboard || !pnlKeyboard->isVisible())
        return;
    pbxKeyboardPaint();
    kbdModifiers_ = modifiers;
    Keyboard->MouseDown(x, y);
    kbdModifiers_ = Qt::NoModifier;
}

void TfrmMainTQ::pbxKeyboardMouseUp(Qt::KeyboardModifiers modifiers) {
    if (!Keyboard || !pnlKeyboard->isVisible())
        return;
    if (modifiers & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier))
        return; // the keys of a chord stay down until a release without them
    Keyboard->MouseUp();
}

void TfrmMainTQ::pnlKeyboardResize() {
    // the splitter sets the height, never below 110 pixels
    pnlKeyboard->setMinimumHeight(110);
    if (pnlKeyboard->height() < 110)
        pnlKeyboard->resize(pnlKeyboard->width(), 110);
}

void TfrmMainTQ::chkStaff2KbdClick() {
    if (frmPlay)
        frmPlay->KeyRecs.clear();
}
