#include "palettes/frmTQTimeSignature.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "model/modTQRowQuery.h"
#include "palettes/frmTQDialogCommon.h"
#include "palettes/modTQDialogs.h"

TfrmTimeSignature::TfrmTimeSignature(QWidget* parent) : QDialog(parent) {
    SetTag(this, 314);
    setWindowTitle(QString::fromStdString(StripEllipsis(DialogString(314, "Time Signature").toStdString())));
    auto* box = new QVBoxLayout(this);
    auto* fraction = new QVBoxLayout;
    spnUp = new QSpinBox(this);
    spnUp->setRange(1, 128);
    spnUp->setValue(4);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    cbxDn = new QComboBox(this);
    for (const char* d : {"1", "2", "4", "8", "16", "32"}) cbxDn->addItem(QString::fromLatin1(d));
    cbxDn->setCurrentIndex(2);
    fraction->addWidget(spnUp);
    fraction->addWidget(line);
    fraction->addWidget(cbxDn);
    auto* centre = new QHBoxLayout;
    centre->addStretch(1);
    centre->addLayout(fraction);
    centre->addStretch(1);
    box->addLayout(centre);
    chkUseCSymbol = new QCheckBox(DialogString(2801, "Use the \"C\" sign"), this);
    SetTag(chkUseCSymbol, 2801);
    chkUseCSymbol->hide();
    box->addWidget(chkUseCSymbol);
    AddOkCancel(this, box, btnOK, btnCancel);
    connect(spnUp, &QSpinBox::valueChanged, this, [this] { chkUseCSymbolClick(); });
    connect(cbxDn, &QComboBox::currentIndexChanged, this, [this] { chkUseCSymbolClick(); });
}

void TfrmTimeSignature::chkUseCSymbolClick() {
    chkUseCSymbol->setVisible(
        TimeSigOffersCSymbol(IsWestRowAtCursor(), spnUp->value(), cbxDn->currentText().toStdString()));
}

void TfrmTimeSignature::SetDenominator(int denominator) {
    const int i = cbxDn->findText(QString::number(denominator));
    cbxDn->setCurrentIndex(i >= 0 ? i : 2);
}

int TfrmTimeSignature::Denominator() const { return cbxDn->currentText().toInt(); }

bool TfrmTimeSignature::UseCSymbol() const {
    return !chkUseCSymbol->isHidden() && chkUseCSymbol->isChecked();
}

void TfrmTimeSignature::showEvent(QShowEvent* e) {
    EndMainTextEntry();
    LocaliseDialog(this);
    chkUseCSymbolClick();
    QDialog::showEvent(e);
}

bool AskTimeSignature(QWidget* parent, TTimeSignatureAnswer& answer) {
    TfrmTimeSignature dlg(parent);
    dlg.spnUp->setValue(answer.numerator >= 1 && answer.numerator <= 128 ? answer.numerator : 4);
    dlg.SetDenominator(answer.denominator);
    if (dlg.exec() != QDialog::Accepted) return false;
    answer.numerator = dlg.spnUp->value();
    answer.denominator = dlg.Denominator();
    answer.useCSymbol = dlg.UseCSymbol();
    return true;
}
