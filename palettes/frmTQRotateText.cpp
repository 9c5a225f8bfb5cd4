#include "palettes/frmTQRotateText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"

TfrmRotateText::TfrmRotateText(QWidget* parent) : QDialog(parent) {
    SetTag(this, 319);
    setWindowTitle(QString::fromStdString(StripEllipsis(DialogString(319, "Rotate Text").toStdString())));
    auto* box = new QVBoxLayout(this);
    auto* angleRow = new QHBoxLayout;
    spnRotText = new QSpinBox(this);
    spnRotText->setRange(-180, 180);
    spnRotText->setValue(0);
    spnRotText->setSuffix(QStringLiteral("\u00B0"));
    angleRow->addWidget(spnRotText);
    angleRow->addStretch(1);
    box->addLayout(angleRow);
    auto* presets = new QGridLayout;
    auto radio = [&](QRadioButton*& b, int angle, int row, int col) {
        b = new QRadioButton(QString::number(angle) + QStringLiteral("\u00B0"), this);
        SetTag(b, angle);
        presets->addWidget(b, row, col);
        connect(b, &QRadioButton::clicked, this, [this, b] { rbt45Click(b); });
    };
    radio(rbt45, 45, 0, 0);
    radio(rbt90, 90, 0, 1);
    radio(rbtN45, -45, 1, 0);
    radio(rbtN90, -90, 1, 1);
    radio(rbt0, 0, 2, 0);
    box->addLayout(presets);
    AddOkCancel(this, box, btnOK, btnCancel);
}

void TfrmRotateText::rbt45Click(QRadioButton* sender) {
    if (sender) spnRotText->setValue(TagOf(sender));
}

void TfrmRotateText::showEvent(QShowEvent* e) {
    LocaliseDialog(this);
    QDialog::showEvent(e);
}

bool AskRotateText(QWidget* parent, int& degrees) {
    TfrmRotateText dlg(parent);
    dlg.spnRotText->setValue(degrees);
    if (dlg.exec() != QDialog::Accepted) return false;
    degrees = dlg.spnRotText->value();
    return true;
}
