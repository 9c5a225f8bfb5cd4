#include "palettes/frmTQMath.h"

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/modTQMainView.h"

namespace {

// The edit's whole number; 0 for an empty edit (the validator lets nothing
// else in).
int Number(const QLineEdit* e) { return e->text().trimmed().toInt(); }

void Redraw() {
    if (auto* v = dynamic_cast<TMainView*>(frmMainTQ)) v->RedrawPage();
}

} // namespace

TfrmMath::TfrmMath(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QString::fromUtf8("数学练习题"));
    SetTag(this, sidMathTitle);
    auto* box = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto edit = [&](QLineEdit*& e, const char* label, int tag, int row) {
        auto* l = new QLabel(QString::fromUtf8(label), this);
        SetTag(l, tag);
        e = new QLineEdit(QStringLiteral("1"), this);
        e->setValidator(new QIntValidator(0, 99999, e));
        e->setMaximumWidth(70);
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
    };
    edit(edtPageN, "开始页数", sidMathFirstPage, 0);
    edit(edtPrintN, "打印页数", sidMathPageCount, 1);
    chkAns = new QCheckBox(QString::fromUtf8("包含答案页"), this);
    SetTag(chkAns, sidMathWithAnswers);
    grid->addWidget(chkAns, 0, 2);
    box->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    btnDoMath = new QPushButton(QString::fromUtf8("换一页"), this);
    btnPrintMath = new QPushButton(QString::fromUtf8("打印"), this);
    btnClose = new QPushButton(QString::fromUtf8("关闭"), this);
    SetTag(btnDoMath, sidMathNewSheet);
    SetTag(btnPrintMath, sidMathPrint);
    SetTag(btnClose, 1018);
    for (QPushButton* b : {btnDoMath, btnPrintMath, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    box->addLayout(buttons);
    box->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnDoMath, &QPushButton::clicked, this, [this] { btnDoMathClick(); });
    connect(btnPrintMath, &QPushButton::clicked, this, [this] { btnPrintMathClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(edtPageN, &QLineEdit::editingFinished, this, [this] { edtPageNExit(); });
    connect(edtPrintN, &QLineEdit::editingFinished, this, [this] { edtPrintNExit(); });
    connect(chkAns, &QCheckBox::clicked, this, [this] { chkAnsClick(); });
    if (Language)
        Language->SetLanguage(this);
}

void TfrmMath::FormShow() {
    if (Language)
        Language->SetLanguage(this);
    if (parentWidget()) move(parentWidget()->window()->width() - width() - 50, 200);
    if (PageNumber >= 1) edtPageN->setText(QString::number(PageNumber));
    else {
        PageNumber = 1;
        edtPageN->setText(QStringLiteral("1"));
    }
    WithAnswers = chkAns->isChecked();
    MakePage();
    Redraw();
}

void TfrmMath::btnDoMathClick() {
    if (PageNumber == 0) PageNumber = std::max(1, Number(edtPageN));
    WithAnswers = chkAns->isChecked();
    MakePage();
    Redraw();
}

void TfrmMath::edtPageNExit() {
    const int n = Number(edtPageN);
    if (n != 0) PageNumber = n;
    WithAnswers = chkAns->isChecked();
    WritePageToScore();
    Redraw();
}

void TfrmMath::edtPrintNExit() {
    const int n = Number(edtPrintN);
    if (n != 0) PrintCount = n;
}

void TfrmMath::chkAnsClick() {
    WithAnswers = chkAns->isChecked();
    MakePage();
    Redraw();
}

void TfrmMath::btnPrintMathClick() {
    PageNumber = std::max(1, Number(edtPageN));
    edtPrintNExit();
    WithAnswers = chkAns->isChecked();
    PrintSheets();
    edtPageN->setText(QString::number(PageNumber));
}

void TfrmMath::btnCloseClick() { close(); }

void TfrmMath::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}
