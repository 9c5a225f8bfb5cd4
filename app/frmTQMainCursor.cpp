// The main window's cell hint, note-name panel and page popup menus, and the
// window side of the cursor members (tool-window placement, side picture).
#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/frmTQMain.h"
#include "convert/modTQJianpuNoteText.h"
#include "edit/modTQEd.h"
#include "edit/modTQEditCommands.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "notation/modTQNoteHint.h"
#include "palettes/modTQPaletteOps.h"
#include "platform/core/TQStrings.h"

namespace {

QString QU(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QAction* PopupItem(QMenu* menu, const char* name, const char* caption, bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(checkable);
    return a;
}

} // namespace

void TfrmMainTQ::BuildCursorParts() {
    HintWindow = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    HintWindow->setObjectName(QStringLiteral("HintWindow"));
    HintWindow->setStyleSheet(QStringLiteral("QLabel { background: #FFFFE1; border: 1px solid black; padding: 1px; }"));
    HintWindow->hide();
    timHint1 = new QTimer(this);
    timHint1->setObjectName(QStringLiteral("timHint1"));
    timHint1->setInterval(2000);
    connect(timHint1, &QTimer::timeout, this, [this] { timHint1Timer(); });
    timMoveWestNote = new QTimer(this);
    timMoveWestNote->setObjectName(QStringLiteral("timMoveWestNote"));
    timMoveWestNote->setInterval(1000);
    connect(timMoveWestNote, &QTimer::timeout, this, [this] { timMoveWestNoteTimer(); });

    pnlHint = new QWidget(pbxMain ? pbxMain->parentWidget() : this);
    pnlHint->setObjectName(QStringLiteral("pnlHint"));
    pbxHint = new TPaintBox(pnlHint);
    pbxHint->setObjectName(QStringLiteral("pbxHint"));
    pnlHint->hide();

    popMainPopup = new QMenu(this);
    popMainPopup->setObjectName(QStringLiteral("popMain")); // the command table fills it further
    mitPaste1 = PopupItem(popMainPopup, "mitPaste1", "Paste");
    SetTag(mitPaste1, 206);
    popMainPopup->addSeparator();
    mitHiDot = PopupItem(popMainPopup, "mitHiDot", "Add High Dot");
    mitLowDot = PopupItem(popMainPopup, "mitLowDot", "Add Low Dot");
    mitUnderline = PopupItem(popMainPopup, "mitUnderline", "Add Underline");
    mitDelUnderline = PopupItem(popMainPopup, "mitDelUnderline", "Remove Underline");
    mitCombineVert2 = PopupItem(popMainPopup, "mitCombineVert2", "Combine Vertically");
    mitCombineHori2 = PopupItem(popMainPopup, "mitCombineHori2", "Combine Horizontally");
    mitShrinkReset = PopupItem(popMainPopup, "mitShrinkReset", "Reset Shrink");
    mitEnterShrink = PopupItem(popMainPopup, "mitEnterShrink", "Shrink");
    SetTag(mitEnterShrink, 325);
    mitShrinkInc = PopupItem(popMainPopup, "mitShrinkInc", "Increase Shrink");
    mitShrinkDec = PopupItem(popMainPopup, "mitShrinkDec", "Decrease Shrink");
    popMainPopup->addSeparator();
    mitHideClefSign1 = PopupItem(popMainPopup, "mitHideClefSign1", "Hide Clef", true);
    mitHideKeySignature1 = PopupItem(popMainPopup, "mitHideKeySignature1", "Hide Key Signature", true);
    mitHideStartLine1 = PopupItem(popMainPopup, "mitHideStartLine1", "Start Line", true);
    mitHideEndLine1 = PopupItem(popMainPopup, "mitHideEndLine1", "Hide End Line", true);
    mitCommentStaff1 = PopupItem(popMainPopup, "mitCommentStaff1", "Comment Staff", true);
    mitExtenttoEndLine1 = PopupItem(popMainPopup, "mitExtenttoEndLine1", "Extend to End Line");
    connect(popMainPopup, &QMenu::aboutToShow, this, [this] { popMainPopupPopup(); });
    connect(mitPaste1, &QAction::triggered, this, [] { EditPaste(0); });
    connect(mitHiDot, &QAction::triggered, this, [this] { mitHiDotClick(); });
    connect(mitLowDot, &QAction::triggered, this, [this] { mitLowDotClick(); });
    connect(mitUnderline, &QAction::triggered, this, [this] { mitUnderlineClick(); });
    connect(mitDelUnderline, &QAction::triggered, this, [this] { mitDelUnderlineClick(); });
    auto toggle = [this](QAction* a, int bit) {
        connect(a, &QAction::triggered, this, [this, bit] {
            MainEd().ToggleAttribute(bit);
            RedrawPage();
        });
    };
    toggle(mitHideClefSign1, sbHideClef);
    toggle(mitHideKeySignature1, sbHideKeySignature);
    toggle(mitHideStartLine1, sbStartLine);
    toggle(mitHideEndLine1, sbHideEndLine);
    toggle(mitExtenttoEndLine1, saExtendToEndLine);

    popShrinkPopup = new QMenu(this);
    popShrinkPopup->setObjectName(QStringLiteral("popShrink"));
    mitResetComp = PopupItem(popShrinkPopup, "mitResetComp", "Reset");
    mitIncreseComp = PopupItem(popShrinkPopup, "mitIncreseComp", "Increase");
    mitDecreseComp = PopupItem(popShrinkPopup, "mitDecreseComp", "Decrease");
    mitSpecifyComp = PopupItem(popShrinkPopup, "mitSpecifyComp", "Specify . . .");
    connect(popShrinkPopup, &QMenu::aboutToShow, this, [this] { popShrinkPopupPopup(); });

    if (mitHintSize)
        connect(mitHintSize, &QMenu::aboutToShow, this, [this] { mitHintSizeClick(); });
    if (mitShowHintinJianpu)
        connect(mitShowHintinJianpu, &QAction::triggered, this, [this] { RedrawSelection(); });

    OnShowCellHint = [this](float x, float y, const std::string& text) { ShowCellHintAt(x, y, text); };
    OnHideCellHint = [this] { HideCellHint(); };
    OnEnterGongcheChar = [](int key) { EnterGongcheChar(key); };
    OnShowNoteHintPanel = [this](int col, int row) { ShowNoteHintPanel(col, row); };
    OnMoveWestNoteTimer = [this](bool run) {
        if (run)
            timMoveWestNote->start();
        else
            timMoveWestNote->stop();
    };
    if (scrMain) {
        QScrollBar* bar = scrMain->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, this, [this](int v) { ScrollPosY = v; });
        connect(bar, &QScrollBar::rangeChanged, this, [this](int, int max) { ScrollRangeY = max; });
    }
    OnLeaveFullView = [this] {
        if (pbxRight)
            pbxRight->hide();
        for (QWidget* w : {static_cast<QWidget*>(tbrlTop), static_cast<QWidget*>(tbrLeft),
                           static_cast<QWidget*>(mnuMain)})
            if (w)
                w->show();
        if (pnlBottom && pnlKeyboard)
            pnlBottom->setVisible(!pnlKeyboard->isHidden());
        if (PaintBoxWidth > 0 && PaintBoxHeight > 0)
            pbxMain->setFixedSize(PaintBoxWidth, PaintBoxHeight);
    };
    OnScrollByWheel = [this](int position) {
        if (!scrMain)
            return;
        const bool was = trkZoom && trkZoom->isEnabled();
        if (trkZoom)
            trkZoom->setEnabled(false);
        scrMain->verticalScrollBar()->setValue(position);
        if (trkZoom)
            trkZoom->setEnabled(was);
    };
}

void TfrmMainTQ::ShowCellHintAt(float x, float y, const std::string& text) {
    if (text.empty())
        return;
    timHint1->stop();
    const QPoint at(static_cast<int>(GetLeftMargin() + GetCellWidth() * x),
                    static_cast<int>(GetTopMargin() + GetCellHeight() * y));
    HintWindow->setText(QU(text));
    HintWindow->adjustSize();
    HintWindow->move(pbxMain->mapToGlobal(at));
    HintWindow->show();
    timHint1->start();
}

void TfrmMainTQ::HideCellHint() {
    timHint1->stop();
    HintWindow->hide();
}

void TfrmMainTQ::timHint1Timer() { HideCellHint(); }

void TfrmMainTQ::ShowNoteHintPanel(int col, int row) {
    if (!PopupHintChecked)
        return;
    const std::string text = GetNoteHintText(col, row, 1);
    if (text.empty())
        return;
    const int n = static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'G') || (c >= '1' && c <= '7');
    }));
    const int L = GetLeftMargin(), T = GetTopMargin(), V = GetCellWidth(), U = GetCellHeight();
    const int left = pbxMain->x() + L + V * (col + 1);
    const int top = CurLayer == 1 ? pbxMain->y() + static_cast<int>(T + U * (row - 0.2 + 1.2))
                                  : pbxMain->y() + static_cast<int>(T + U * (row - 0.2 - 0.42 * n));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSize(std::max(1, static_cast<int>(0.5 * V)));
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance(QStringLiteral("#G"));
    const int h = fm.height();
    int width, height, textX;
    if (text.find_first_of("klmnopqrs") != std::string::npos) {
        width = static_cast<int>(1.5 * w);
        height = static_cast<int>(h * (n + 0.7));
        textX = static_cast<int>(0.5 * w);
    } else {
        width = w;
        height = static_cast<int>(h * (n + 0.5));
        textX = static_cast<int>(0.15 * w);
    }
    pnlHint->setGeometry(left, top, std::max(width, 1), std::max(height, 1));
    pbxHint->setGeometry(0, 0, std::max(width, 1), std::max(height, 1));
    HintPicture.SetSize(std::max(width, 1), std::max(height, 1));
    TCanvas& canvas = HintPicture.Canvas();
    canvas.Brush.Color = RGBColor(255, 255, 0);
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(TRect{0, 0, width, height});
    canvas.Font.Name = "Arial";
    canvas.Font.Style = fsBold;
    canvas.Font.Size = std::max(1, static_cast<int>(0.5 * V));
    DrawTextWithAccidentals(&DrawEngine, static_cast<float>(textX), static_cast<float>(height - 1.2 * h), text,
                            &canvas);
    pbxHint->Picture = &HintPicture.Image();
    pnlHint->show();
    pnlHint->raise();
    pbxHint->update();
    pnlHintVisible = true;
    pnlHintWidth = width;
}

void TfrmMainTQ::popMainPopupPopup() {
    TCell cell;
    GetCursorCell(cell);
    mitPaste1->setEnabled(MainEd().PasteEnabled);
    const bool note = IsWestNoteCell(cell, 1) || IsJianpuNoteCell(cell);
    for (QAction* a : {mitHiDot, mitLowDot, mitUnderline, mitDelUnderline, mitCombineVert2, mitShrinkReset,
                       mitEnterShrink})
        a->setVisible(note);
    const bool west = IsWestNoteOrRest(cell, 1);
    const int ids[4] = {west ? 608 : 900, west ? 609 : 901, west ? 622 : 902, west ? 623 : 903};
    QAction* const firstFour[4] = {mitHiDot, mitLowDot, mitUnderline, mitDelUnderline};
    for (int i = 0; i < 4; ++i)
        firstFour[i]->setText(QU(GetStringById(ids[i])));
    const bool header = IsClefCell(cell);
    for (QAction* a : {mitHideClefSign1, mitHideKeySignature1, mitHideStartLine1, mitHideEndLine1, mitCommentStaff1,
                       mitExtenttoEndLine1})
        a->setVisible(header);
    if (header) {
        mitHideClefSign1->setChecked((cell.playDur & 4) != 0);
        mitHideKeySignature1->setChecked((cell.playDur & 2) != 0);
        mitHideEndLine1->setChecked((cell.playDur & 1) != 0);
        mitCommentStaff1->setChecked((cell.playDur & 32) != 0);
    }
    mitCombineHori2->setVisible(!cell.CompressNotes.empty() ||
                                ((note || IsRestCell(cell)) && SelCol1 != SelCol0));
    mitShrinkInc->setVisible(note || cell.Note == ':' || cell.Note == ';');
    mitShrinkDec->setVisible(mitShrinkInc->isVisible());
}

void TfrmMainTQ::popShrinkPopupPopup() {
    TCell cell;
    GetCursorCell(cell);
    const bool on = IsShrinkCell(cell) || (IsVerticalCell(cell) && !IsWestNoteCell(cell, 1));
    for (QAction* a : {mitResetComp, mitIncreseComp, mitDecreseComp, mitSpecifyComp})
        a->setEnabled(on);
}

void TfrmMainTQ::mitHintSizeClick() {
    // the size items store 0.5 and 0.65; scores may hold 0.4 and 0.6
    auto near = [this](float v) { return std::fabs(HintSize - v) < 0.0001f; };
    mitLarge->setChecked(near(0.8f));
    mitMed->setChecked(near(0.6f) || near(0.65f));
    mitSmall->setChecked(near(0.4f) || near(0.5f));
}

void TfrmMainTQ::mitShowHintinJianpuClick() {
    mitShowHintinJianpu->setChecked(!mitShowHintinJianpu->isChecked());
    RedrawSelection();
}

void TfrmMainTQ::mitPopupHintClick() { mitPopupHint->setChecked(!mitPopupHint->isChecked()); }

void TfrmMainTQ::StepSideImage(int direction) {
    // +1 from the last picture wraps to the first; -1 from the first stays
    const std::string current = ImgFileName;
    if (current.empty())
        return;
    const std::string next = TMainView::StepSideImageFile(current, direction);
    if (!next.empty() && next != current)
        LoadSideImage(next, false);
}

void TfrmMainTQ::DrawSideImage(float scale) {
    if (!SideImage || SideImage->Width() <= 0)
        return;
    const int w = std::max(1, static_cast<int>(SideImage->Width() * scale));
    const int h = std::max(1, static_cast<int>(SideImage->Height() * scale));
    pbxSideImg->setFixedSize(w, h);
    SidePicture = SideImage->Image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pbxSideImg->Picture = &SidePicture;
    pbxSideImg->update();
}
