#include "edit/frmTQWestNotes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>

#include "edit/modTQCombineTail.h"
#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMainSettings.h"
#include "model/modTQMainScore.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kButton = 24;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

struct TButtonDef {
    int tag;
    const char* caption;
    const char* hint;
    const char* name;
};

// The speed buttons of the window, row by row; a null caption ends a row.
const TButtonDef kButtons[] = {
    {81, "𝅝'", "", ""},
    {1, "𝅝", "q", ""},
    {2, "𝅗𝅥", "w", ""},
    {3, "♩", "r", ""},
    {4, "♪", "t", ""},
    {5, "16", "y", ""},
    {6, "32", "u", ""},
    {7, "64", "o", ""},
    {8, "128", "", ""},
    {0, nullptr, nullptr, nullptr},
    {19, "▬", "", ""},
    {20, "𝄻", "}", ""},
    {21, "𝄼", "{", ""},
    {22, "𝄽", "s", ""},
    {23, "𝄾", "h", ""},
    {24, "𝄿", "j", ""},
    {25, "𝅀", "k", ""},
    {26, "𝅁", "", ""},
    {27, "𝅂", "", ""},
    {0, nullptr, nullptr, nullptr},
    {100, "⇅", "\\", "btnFlipNoteTail"},
    {101, "+3", "z", "btnDoubleNote"},
    {102, "−", "x", ""},
    {102, "=", "=", "btnCombineTail"},
    {114, "/", "/", "btnDecombineTail"},
    {103, ".", ".", ""},
    {185, ":", "Move dot up or down", "btnMoveDotUpDn"},
    {108, "~", "", ""},
    {112, "◐", "Reverse Note Head", "btnReverseHead"},
    {0, nullptr, nullptr, nullptr},
    {182, "≈", "", ""},
    {105, "·", "n", ""},
    {128, "▾", "v", ""},
    {106, ">", ">", ""},
    {131, "'", "", ""},
    {126, "↔", "Move sign to other side", "btnMoveSign"},
    {14, "♯", "9", ""},
    {15, "♭", "b", ""},
    {41, "♮", "p", ""},
    {0, nullptr, nullptr, nullptr},
    {121, "𝄪", "", ""},
    {120, "𝄫", "", ""},
    {129, "∽", "", "btnMoveTurnSignal"},
    {25, "┃", "Connect stems cross the grand staff", "btnConeectGFTail"},
    {110, "|", "Hide stem", "btnHideStem"},
    {111, "○", "Hide Head", "btnHideHead"},
    {184, "^", "", ""},
    {107, "v", "", ""},
    {127, "()", "Add/remove brackets on head", "btnAddBracket"},
    {0, nullptr, nullptr, nullptr},
    {183, "⤓", "Note cross staff", "btnCrossStaff"},
};

bool FineModifiers() {
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0;
}

} // namespace

float StemAdjustStep(bool fine) {
    return fine ? 0.1f : 1.0f;
}

TfrmWestNotes::TfrmWestNotes(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmWestNotes"));
    SetTag(this, 1008);
    setWindowTitle(QStringLiteral("Western symbols"));
    int x = 2, y = 2;
    for (const TButtonDef& d : kButtons) {
        if (!d.caption) {
            x = 2;
            y += kButton + 2;
            continue;
        }
        QToolButton* b = Add(d.tag, d.caption, d.hint, x, y);
        if (*d.name)
            b->setObjectName(QString::fromLatin1(d.name));
        const std::string name = d.name;
        if (name == "btnFlipNoteTail")
            btnFlipNoteTail = b;
        else if (name == "btnDoubleNote")
            btnDoubleNote = b;
        else if (name == "btnCombineTail")
            btnCombineTail = b;
        else if (name == "btnDecombineTail")
            btnDecombineTail = b;
        else if (name == "btnMoveDotUpDn")
            btnMoveDotUpDn = b;
        else if (name == "btnReverseHead")
            btnReverseHead = b;
        else if (name == "btnMoveSign")
            btnMoveSign = b;
        else if (name == "btnMoveTurnSignal")
            btnMoveTurnSignal = b;
        else if (name == "btnConeectGFTail")
            btnConeectGFTail = b;
        else if (name == "btnHideStem")
            btnHideStem = b;
        else if (name == "btnHideHead")
            btnHideHead = b;
        else if (name == "btnAddBracket")
            btnAddBracket = b;
        else if (name == "btnCrossStaff")
            btnCrossStaff = b;
        if (b == btnCombineTail)
            connect(b, &QToolButton::clicked, this, [this] { btnCombineTailClick(); });
        else if (b == btnConeectGFTail)
            connect(b, &QToolButton::clicked, this, [this] { btnConeectGFTailClick(); });
        else if (b == btnCrossStaff)
            connect(b, &QToolButton::clicked, this, [this] { btnCrossStaffClick(); });
        else if (d.tag == 14 || d.tag == 15 || d.tag == 41 || d.tag == 120 || d.tag == 121)
            connect(b, &QToolButton::clicked, this, [this, b] { AddWestModifyClick(b); });
        else
            connect(b, &QToolButton::clicked, this, [this, b] { AddWestNoteOrPropClick(b); });
        x += kButton + 2;
    }
    auto spin = [this, &x, y](QWidget*& box, QToolButton*& up, QToolButton*& down, const char* name,
                              const char* hint) {
        box = new QWidget(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, y, 14, kButton);
        box->setToolTip(QString::fromUtf8(hint));
        up = new QToolButton(box);
        up->setArrowType(Qt::UpArrow);
        up->setGeometry(0, 0, 14, kButton / 2);
        down = new QToolButton(box);
        down->setArrowType(Qt::DownArrow);
        down->setGeometry(0, kButton / 2, 14, kButton / 2);
        x += 16;
    };
    spin(spnStemLAdj, spnStemLAdjUp, spnStemLAdjDown, "spnStemLAdj", "Change note stem length");
    spin(btnCrossBrk, btnCrossBrkUp, btnCrossBrkDown, "btnCrossBrk", "Cross Staff Break Point");
    connect(spnStemLAdjUp, &QToolButton::clicked, this, [this] { spnStemLAdjUpClick(); });
    connect(spnStemLAdjDown, &QToolButton::clicked, this, [this] { spnStemLAdjDownClick(); });
    connect(btnCrossBrkUp, &QToolButton::clicked, this, [this] { btnCrossBrkUpClick(); });
    connect(btnCrossBrkDown, &QToolButton::clicked, this, [this] { btnCrossBrkDownClick(); });
    WestEntryHooks().BreakPointHint = [this](const std::string& text) { btnCrossBrk->setToolTip(Q(text)); };
    // FormCreate: the window takes the extent of its buttons, 10 pixels higher
    QPoint extent;
    GetButtonsExtent(extent, this);
    resize(std::max(extent.x(), x + 4), std::max(extent.y(), y + kButton + 4) + 10);
}

TfrmWestNotes::~TfrmWestNotes() {
    WestEntryHooks().BreakPointHint = nullptr;
}

QToolButton* TfrmWestNotes::Add(int tag, const char* caption, const char* hint, int x, int y) {
    auto* b = new QToolButton(this);
    SetTag(b, tag);
    b->setText(QString::fromUtf8(caption));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(x, y, kButton, kButton);
    Buttons.push_back(b);
    return b;
}

void TfrmWestNotes::LoadHints() {
    if (!Language)
        return;
    const std::pair<QWidget*, int> hints[] = {
        {btnCrossStaff, 3650}, {btnReverseHead, 3651}, {btnMoveSign, 3652},      {btnMoveTurnSignal, 3653},
        {btnHideStem, 3654},   {btnHideHead, 3655},    {btnConeectGFTail, 3658}, {btnAddBracket, 3659},
        {spnStemLAdj, 3660},   {btnMoveDotUpDn, 3674},
    };
    for (const auto& [w, id] : hints)
        w->setToolTip(Q(Language->GetString(id)));
}

void TfrmWestNotes::FormShow() {
    if (Language)
        Language->SetLanguage(this);
    LoadHints();
    if (MainSettings())
        MainSettings()->WestDlgVisible = true;
    if (firstShow_ && parentWidget()) {
        firstShow_ = false;
        const QRect main = parentWidget()->window()->geometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
    }
}

void TfrmWestNotes::FormClose() {
    if (MainSettings())
        MainSettings()->WestDlgVisible = false;
}

void TfrmWestNotes::FormActivate() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    else if (MainView() && MainView()->OnEndTextEntry)
        MainView()->OnEndTextEntry();
    if (MainView() && MainView()->GongChiMode) {
        MainView()->GongChiMode = false;
        if (OnLeaveGongChiMode)
            OnLeaveGongChiMode();
        MainView()->RedrawPage();
    }
}

void TfrmWestNotes::FormPaint() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    int left = x() - area.x(), top = y() - area.y();
    KeepOnScreen(left, top, width(), height(), area.width(), area.height());
    if (left != x() - area.x() || top != y() - area.y())
        move(left + area.x(), top + area.y());
}

void TfrmWestNotes::AddWestNoteOrPropClick(QToolButton* button) {
    AddWestNoteOrProp(TagOf(button), true, kNoPosition, true);
}

void TfrmWestNotes::AddWestModifyClick(QToolButton* button) {
    if (WestEntryHooks().InsertSpecialSymbol)
        WestEntryHooks().InsertSpecialSymbol(TagOf(button));
}

void TfrmWestNotes::btnCombineTailClick() {
    if (MainView())
        CombineTails(&MainView()->DrawEngine);
    if (WestEntryHooks().FocusMainWindow)
        WestEntryHooks().FocusMainWindow();
}

void TfrmWestNotes::btnConeectGFTailClick() {
    ConnectGFTails();
    if (WestEntryHooks().FocusMainWindow)
        WestEntryHooks().FocusMainWindow();
}

void TfrmWestNotes::spnStemLAdjUpClick() {
    AdjustStemLength(StemAdjustStep(FineModifiers()));
}
void TfrmWestNotes::spnStemLAdjDownClick() {
    AdjustStemLength(-StemAdjustStep(FineModifiers()));
}
void TfrmWestNotes::btnCrossBrkUpClick() {
    StepCrossBreakPoint(1);
}
void TfrmWestNotes::btnCrossBrkDownClick() {
    StepCrossBreakPoint(-1);
}

void TfrmWestNotes::btnCrossStaffClick() {
    int upper = -1, lower = -1;
    if (frmMainTQ && FindGrandStaffPair(frmMainTQ->SelRow0, upper, lower) &&
        WestEntryHooks().InsertSpecialSymbol)
        WestEntryHooks().InsertSpecialSymbol(183);
}

void TfrmWestNotes::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
    FormPaint();
}

void TfrmWestNotes::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmWestNotes::hideEvent(QHideEvent* event) {
    FormClose();
    QWidget::hideEvent(event);
}

void TfrmWestNotes::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QWidget::changeEvent(event);
}
