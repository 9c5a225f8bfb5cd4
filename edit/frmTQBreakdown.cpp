#include "edit/frmTQBreakdown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "edit/frmTQFormParts.h"
#include "lang/modTQLanguage.h"
#include "model/modTQMainScore.h"
#include "render/modTQMainView.h"

using tqform::Caption;
using tqform::Check;
using tqform::Radio;
using tqform::Spin;

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

} // namespace

TfrmBreakdown::TfrmBreakdown(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBreakdown"));
    setWindowTitle(QStringLiteral("Part Breakdown"));
    SetTag(this, 1400);
    auto* grid = new QGridLayout(this);

    lblRule = new QLabel(QStringLiteral("Line rule:"), this);
    SetTag(lblRule, 1315);
    cbxRule = new QComboBox(this);
    cbxRule->setObjectName(QStringLiteral("cbxRule"));
    SetTag(cbxRule, 1316);
    for (int id = 1316; id <= 1319; ++id)
        cbxRule->addItem(Q(Language->GetString(id)));
    grid->addWidget(lblRule, 0, 0);
    grid->addWidget(cbxRule, 0, 1);

    lblPartToPick = new QLabel(QStringLiteral("Line Number"), this);
    SetTag(lblPartToPick, 1316);
    edtPick = new QLineEdit(QStringLiteral("1"), this);
    edtPick->setObjectName(QStringLiteral("edtPick"));
    lblExample = new QLabel(QStringLiteral("Example: 1,3,5"), this);
    SetTag(lblExample, 1402);
    grid->addWidget(lblPartToPick, 1, 0);
    grid->addWidget(edtPick, 1, 1);
    grid->addWidget(lblExample, 2, 1);

    lblLineCount = new QLabel(QStringLiteral("Number of lines"), this);
    SetTag(lblLineCount, 1407);
    grid->addWidget(lblLineCount, 3, 1);
    chkTop = Check(this, "chkTop", "Include the lines above each system", 1405, false);
    spnTop = Spin(this, "spnTop", 1, 40, 1);
    chkPre = Check(this, "chkPre", "Include the lines above each chosen staff", 1403, true);
    spnPre = Spin(this, "spnPre", 1, 40, 1);
    chkFollow = Check(this, "chkFollow", "Include the lines below each chosen staff", 1404, true);
    spnFollow = Spin(this, "spnFollow", 1, 40, 1);
    grid->addWidget(chkTop, 4, 0);
    grid->addWidget(spnTop, 4, 1);
    grid->addWidget(chkPre, 5, 0);
    grid->addWidget(spnPre, 5, 1);
    grid->addWidget(chkFollow, 6, 0);
    grid->addWidget(spnFollow, 6, 1);

    lblSpaceBtw = new QLabel(QStringLiteral("Empty rows after each system:"), this);
    SetTag(lblSpaceBtw, 1406);
    spnSpace = Spin(this, "spnSpace", 0, 40, 2);
    grid->addWidget(lblSpaceBtw, 7, 0);
    grid->addWidget(spnSpace, 7, 1);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    SetTag(btnOk, 1009);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnCancel, 1010);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 8, 0, 1, 2);

    connect(cbxRule, &QComboBox::activated, this, [this] { cbxRuleChange(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmBreakdown::FormShow() {
    Language->SetLanguage(this);
    cbxRule->setCurrentIndex(0);
}

void TfrmBreakdown::FormActivate() {
    if (MainView() && MainView()->OnEndTextEntry)
        MainView()->OnEndTextEntry();
}

void TfrmBreakdown::cbxRuleChange() {
    const int rule = cbxRule->currentIndex();
    edtPick->setVisible(true);
    lblPartToPick->setVisible(true);
    if (rule == 1) {
        lblPartToPick->setText(Q(Language->GetString(1317)));
        lblExample->setText(Q(Language->GetString(1408)));
    } else if (rule == 3) {
        lblExample->setText(QString());
        lblPartToPick->setVisible(false);
        edtPick->setVisible(false);
    } else {
        lblPartToPick->setText(Q(Language->GetString(rule == 0 ? 1316 : 1318)));
        lblExample->setText(Q(Language->GetString(1402)));
        if (frmMainTQ) {
            QFont font = edtPick->font();
            font.setFamily(Q(frmMainTQ->EnglishFontName));
            edtPick->setFont(font);
        }
        edtPick->setText(QStringLiteral("1"));
    }
}

void TfrmBreakdown::TakeOptions() {
    TBreakdownOptions& o = Logic.Options;
    o.Rule = std::max(cbxRule->currentIndex(), 0);
    o.Pick = edtPick->text().toUtf8().toStdString();
    o.Top = chkTop->isChecked();
    o.TopLines = spnTop->value();
    o.Pre = chkPre->isChecked();
    o.PreLines = spnPre->value();
    o.Follow = chkFollow->isChecked();
    o.FollowLines = spnFollow->value();
    o.Space = spnSpace->value();
}

void TfrmBreakdown::btnOkClick() {
    TakeOptions();
    accept();
}

void TfrmBreakdown::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmBreakdown::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool BreakDown1Click(QWidget* parent, const TDialogRunner& run) {
    if (!BreakdownMayStart())
        return false;
    TfrmBreakdown dialog(parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    dialog.TakeOptions();
    return ApplyBreakdown(dialog.Logic);
}
