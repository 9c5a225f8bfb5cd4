#include "edit/frmTQBowDir.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "edit/frmTQFormParts.h"
#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "render/modTQMainView.h"

using tqform::Caption;
using tqform::Check;
using tqform::Radio;
using tqform::Spin;

namespace {

QLabel* Image(QWidget* parent, const char* name, const char* glyph) {
    auto* l = new QLabel(QString::fromUtf8(glyph), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

TfrmBowDir::TfrmBowDir(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmBowDir"));
    setWindowTitle(QStringLiteral("Bow Direction"));
    SetTag(this, 1300);
    CloseOnEscape(this);
    auto* layout = new QVBoxLayout(this);

    gbxBowMeasure = new QGroupBox(QStringLiteral("Where to Add Signs"), this);
    SetTag(gbxBowMeasure, 1301);
    auto* gl = new QVBoxLayout(gbxBowMeasure);
    rbtEveryNote = Radio(gbxBowMeasure, "rbtEveryNote", "Every Bow Movement", 1302);
    rbtEveryMeasure = Radio(gbxBowMeasure, "rbtEveryMeasure", "Every Measure", 1303);
    rbtEveryOther = Radio(gbxBowMeasure, "rbtEveryOther", "Every Other Measure", 1304);
    for (QRadioButton* r : {rbtEveryNote, rbtEveryMeasure, rbtEveryOther})
        gl->addWidget(r);
    rbtEveryMeasure->setChecked(true);
    layout->addWidget(gbxBowMeasure);

    rgpApplyTo = new QGroupBox(QStringLiteral("Apply To"), this);
    rgpApplyTo->setObjectName(QStringLiteral("rgpApplyTo"));
    rgpApplyTo->setProperty("RadioGroup", true);
    SetTag(rgpApplyTo, 1305);
    auto* al = new QVBoxLayout(rgpApplyTo);
    const char* applyTexts[3] = {"End of the Piece", "End of the Page", "End of the Line"};
    for (int i = 0; i < 3; ++i) {
        rgpApplyToItems[i] = new QRadioButton(QString::fromUtf8(applyTexts[i]), rgpApplyTo);
        SetTag(rgpApplyToItems[i], 1306 + i);
        al->addWidget(rgpApplyToItems[i]);
    }
    rgpApplyToItems[0]->setChecked(true);
    layout->addWidget(rgpApplyTo);

    GroupBox1 = new QGroupBox(QStringLiteral("Sign Type"), this);
    SetTag(GroupBox1, 1309);
    auto* tl = new QGridLayout(GroupBox1);
    rbtArrow = Radio(GroupBox1, "rbtArrow", "Arrows", 1310);
    rbtSymbol = Radio(GroupBox1, "rbtSymbol", "Bowing Symbols", 1311);
    imgBowPull1 = Image(GroupBox1, "imgBowPull1", "\u2192");
    imgBowPush1 = Image(GroupBox1, "imgBowPush1", "\u2190");
    imgBowPull2 = Image(GroupBox1, "imgBowPull2", "\u2293");
    imgBowPush2 = Image(GroupBox1, "imgBowPush2", "V");
    tl->addWidget(rbtArrow, 0, 0);
    tl->addWidget(imgBowPull1, 0, 1);
    tl->addWidget(imgBowPush1, 0, 2);
    tl->addWidget(rbtSymbol, 1, 0);
    tl->addWidget(imgBowPull2, 1, 1);
    tl->addWidget(imgBowPush2, 1, 2);
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("First Direction"), this);
    SetTag(GroupBox2, 1312);
    auto* dl = new QGridLayout(GroupBox2);
    rbtPull = Radio(GroupBox2, "rbtPull", "Pull (down-bow)", 1313);
    rbtPush = Radio(GroupBox2, "rbtPush", "Push (up-bow)", 1314);
    imgStartPull1 = Image(GroupBox2, "imgStartPull1", "\u2192");
    imgStartPush1 = Image(GroupBox2, "imgStartPush1", "\u2190");
    imgStartPull2 = Image(GroupBox2, "imgStartPull2", "\u2293");
    imgStartPush2 = Image(GroupBox2, "imgStartPush2", "V");
    dl->addWidget(rbtPull, 0, 0);
    dl->addWidget(imgStartPull1, 0, 1);
    dl->addWidget(imgStartPull2, 0, 1);
    dl->addWidget(rbtPush, 1, 0);
    dl->addWidget(imgStartPush1, 1, 1);
    dl->addWidget(imgStartPush2, 1, 1);
    rbtPull->setChecked(true);
    layout->addWidget(GroupBox2);

    auto* rule = new QHBoxLayout;
    lblLineRule = new QLabel(QStringLiteral("Line rule:"), this);
    SetTag(lblLineRule, 1315);
    cbxLineRule = new QComboBox(this);
    cbxLineRule->setObjectName(QStringLiteral("cbxLineRule"));
    for (int id = 1316; id <= 1319; ++id)
        cbxLineRule->addItem(QString::fromUtf8(Language->GetString(id).c_str()));
    rule->addWidget(lblLineRule);
    rule->addWidget(cbxLineRule);
    layout->addLayout(rule);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(QStringLiteral("Add"), this);
    SetTag(btnOk, 1325);
    btmClearBowSign = new QPushButton(QStringLiteral("Clear"), this);
    SetTag(btmClearBowSign, 1324);
    btnReverse = new QPushButton(QStringLiteral("Reverse"), this);
    SetTag(btnReverse, 1326);
    btnCancel = new QPushButton(QStringLiteral("&Close"), this);
    SetTag(btnCancel, 1018);
    for (QPushButton* b : {btnOk, btmClearBowSign, btnReverse, btnCancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(rbtArrow, &QRadioButton::clicked, this, [this] { rbtArrowClick(); });
    connect(rbtSymbol, &QRadioButton::clicked, this, [this] { rbtSymbolClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btmClearBowSign, &QPushButton::clicked, this, [this] { btmClearBowSignClick(); });
    connect(btnReverse, &QPushButton::clicked, this, [this] { btnReverseClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    const bool symbols = LoadBowStyleSym();
    rbtSymbol->setChecked(symbols);
    rbtArrow->setChecked(!symbols);
    ShowStartImages();
}

TfrmBowDir::~TfrmBowDir() { SaveBowStyleSym(rbtSymbol->isChecked()); }

void TfrmBowDir::ShowStartImages() {
    const bool symbols = rbtSymbol->isChecked();
    imgStartPull1->setVisible(!symbols);
    imgStartPush1->setVisible(!symbols);
    imgStartPull2->setVisible(symbols);
    imgStartPush2->setVisible(symbols);
}

void TfrmBowDir::FormShow() {
    Language->SetLanguage(this);
    Bow.Mode = bmAdd;
    cbxLineRule->setCurrentIndex(0);
    bool several = false;
    if (frmMainTQ) {
        GetRowGroup(frmMainTQ->SelRow0, -1);
        several = GroupRows.size() > 1;
    }
    lblLineRule->setVisible(several);
    cbxLineRule->setVisible(several);
    ShowStartImages();
}

void TfrmBowDir::FormActivate() {
    if (MainView() && MainView()->OnEndTextEntry)
        MainView()->OnEndTextEntry();
}

void TfrmBowDir::rbtArrowClick() { ShowStartImages(); }
void TfrmBowDir::rbtSymbolClick() { ShowStartImages(); }

void TfrmBowDir::TakeOptions() {
    TBowOptions& o = Bow.Options;
    o.Where = rbtEveryNote->isChecked() ? 0 : rbtEveryOther->isChecked() ? 2 : 1;
    o.ApplyTo = rgpApplyToItems[2]->isChecked() ? 2 : rgpApplyToItems[1]->isChecked() ? 1 : 0;
    o.Symbols = rbtSymbol->isChecked();
    o.StartPush = rbtPush->isChecked();
    o.LineRule = std::max(cbxLineRule->currentIndex(), 0);
}

bool TfrmBowDir::btnOkClick() {
    TakeOptions();
    Bow.Mode = bmAdd;
    return Bow.ApplyBowSigns();
}

bool TfrmBowDir::btmClearBowSignClick() {
    TakeOptions();
    return Bow.ClearWithConfirmation();
}

bool TfrmBowDir::btnReverseClick() {
    TakeOptions();
    Bow.Mode = bmReverse;
    return Bow.ApplyBowSigns();
}

void TfrmBowDir::btnCancelClick() { close(); }

void TfrmBowDir::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TfrmBowDir::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

TfrmBowDir* mitBowDirectionClick(QWidget* mainWindow) {
    auto* window = mainWindow ? mainWindow->findChild<TfrmBowDir*>(QStringLiteral("frmBowDir")) : nullptr;
    if (!window)
        window = new TfrmBowDir(mainWindow);
    window->adjustSize();
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        window->move(main.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    window->show();
    window->raise();
    return window;
}
