#include "palettes/frmTQShrinkRate.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"
#include "palettes/modTQDialogs.h"

TfrmShrinkRate::TfrmShrinkRate(QWidget* parent) : QDialog(parent) {
    SetTag(this, 921);
    setWindowTitle(DialogString(921, "Enter Compression Rate"));
    auto* box = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    lblEnterRate = new QLabel(DialogString(920, "Compression rate (%):"), this);
    SetTag(lblEnterRate, 920);
    spnShrinkRate = new QSpinBox(this);
    spnShrinkRate->setRange(30, 130);
    spnShrinkRate->setValue(80);
    lblEnterRate->setBuddy(spnShrinkRate);
    row->addWidget(lblEnterRate);
    row->addWidget(spnShrinkRate);
    box->addLayout(row);
    chkSetDefShrinkRate = new QCheckBox(DialogString(925, "Set as default"), this);
    SetTag(chkSetDefShrinkRate, 925);
    box->addWidget(chkSetDefShrinkRate);
    AddOkCancel(this, box, btnOK, btnCancel);
}

void TfrmShrinkRate::PresetCompression(int rate) { spnShrinkRate->setValue(::PresetCompression(rate)); }

void TfrmShrinkRate::PresetVertRate(int rate) {
    spnShrinkRate->setValue(::PresetVertRate(rate));
    SetTag(lblEnterRate, 921);
    lblEnterRate->setText(DialogString(921, "Enter Compression Rate"));
    setWindowTitle(DialogString(921, "Enter Compression Rate"));
}

void TfrmShrinkRate::showEvent(QShowEvent* e) {
    LocaliseDialog(this);
    QDialog::showEvent(e);
}

bool AskShrinkRate(QWidget* parent, bool vertical, int storedRate, TShrinkRateAnswer& answer) {
    TfrmShrinkRate dlg(parent);
    if (vertical) dlg.PresetVertRate(storedRate);
    else dlg.PresetCompression(storedRate);
    if (dlg.exec() != QDialog::Accepted) return false;
    answer.percent = dlg.spnShrinkRate->value();
    answer.setDefault = dlg.chkSetDefShrinkRate->isChecked();
    return true;
}
