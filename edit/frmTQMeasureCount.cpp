#include "edit/frmTQMeasureCount.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "edit/frmTQFormParts.h"
#include "lang/modTQLanguage.h"
#include "render/modTQMainView.h"

using tqform::Caption;
using tqform::Check;
using tqform::Radio;
using tqform::Spin;

TfrmMeasureCount::TfrmMeasureCount(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMeasureCount"));
    setWindowTitle(QStringLiteral("Add Measure Numbers"));
    SetTag(this, 602);
    auto* layout = new QVBoxLayout(this);

    GroupBox1 = new QGroupBox(QStringLiteral("Numbering"), this);
    SetTag(GroupBox1, 1801);
    auto* g1 = new QGridLayout(GroupBox1);
    rbtEvery = Radio(GroupBox1, "rbtEvery", "Every", 1802);
    spnMeasureInc = Spin(GroupBox1, "spnMeasureInc", 1, 50, 5);
    Label2 = Caption(GroupBox1, "measures", 1803);
    rbtBegLine = Radio(GroupBox1, "rbtBegLine", "Beginning of each line", 1804);
    rbtEvery->setChecked(true);
    g1->addWidget(rbtEvery, 0, 0);
    g1->addWidget(spnMeasureInc, 0, 1);
    g1->addWidget(Label2, 0, 2);
    g1->addWidget(rbtBegLine, 1, 0, 1, 3);
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Scope"), this);
    SetTag(GroupBox2, 1805);
    auto* g2 = new QVBoxLayout(GroupBox2);
    rbtEntirePeice = Radio(GroupBox2, "rbtEntirePeice", "Entire piece", 1806);
    rbtCurrentToEnd = Radio(GroupBox2, "rbtCurrentToEnd", "From the cursor to the end", 1807);
    rbtSelectedLine = Radio(GroupBox2, "rbtSelectedLine", "Selected lines", 1810);
    rbtEntirePeice->setChecked(true);
    for (QRadioButton* r : {rbtEntirePeice, rbtCurrentToEnd, rbtSelectedLine})
        g2->addWidget(r);
    layout->addWidget(GroupBox2);

    auto* numbers = new QGridLayout;
    Label1 = Caption(this, "First number:", 1808);
    spnStartNo = Spin(this, "spnStartNo", 0, 1000, 1);
    Label3 = Caption(this, "Vertical offset:", 1809);
    spnPosOff = Spin(this, "spnPosOff", -10, 10, -2);
    Label4 = Caption(this, "", 2302);
    numbers->addWidget(Label1, 0, 0);
    numbers->addWidget(spnStartNo, 0, 1);
    numbers->addWidget(Label3, 1, 0);
    numbers->addWidget(spnPosOff, 1, 1);
    numbers->addWidget(Label4, 1, 2);
    layout->addLayout(numbers);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    SetTag(btnOk, 1009);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);
    btnRemoveMsure = new QPushButton(QStringLiteral("Remove"), this);
    SetTag(btnRemoveMsure, 603);
    btnRemoveMsure->setDefault(true);
    for (QPushButton* b : {btnOk, btnCancel, btnRemoveMsure})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, [this] {
        TakeOptions();
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnRemoveMsure, &QPushButton::clicked, this, [this] { btnRemoveMsureClick(); });
}

void TfrmMeasureCount::FormShow() {
    Language->SetLanguage(this);
    Logic.RemoveMode = false;
}

void TfrmMeasureCount::FormActivate() {
    if (MainView() && MainView()->OnEndTextEntry)
        MainView()->OnEndTextEntry();
}

void TfrmMeasureCount::TakeOptions() {
    TMeasureCountOptions& o = Logic.Options;
    o.Every = rbtEvery->isChecked();
    o.Increment = spnMeasureInc->value();
    o.Scope = rbtSelectedLine->isChecked() ? 2 : rbtCurrentToEnd->isChecked() ? 1 : 0;
    o.StartNo = spnStartNo->value();
    o.PosOffset = spnPosOff->value();
}

void TfrmMeasureCount::btnRemoveMsureClick() {
    TakeOptions();
    if (Logic.btnRemoveMsureClick())
        accept();
}

void TfrmMeasureCount::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmMeasureCount::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool mitAddMeasureCountClick(QWidget* parent, const TDialogRunner& run) {
    TfrmMeasureCount dialog(parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    dialog.TakeOptions();
    RunMeasureCount(dialog.Logic);
    return true;
}
