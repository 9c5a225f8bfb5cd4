#include "app/frmTQEditImage.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"

TfrmEditImage::TfrmEditImage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditImage"));
    // Modify > Properties edits any cell's offsets and size: the dialog is named
    // as that menu item is
    setWindowTitle(QStringLiteral("Cell Property"));
    SetTag(this, 359);
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto label = [this](const char* text, int tag) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        SetTag(l, tag);
        return l;
    };
    edtXOffset = new QLineEdit(this);
    edtXOffset->setObjectName(QStringLiteral("edtXOffset"));
    edtYOffset = new QLineEdit(this);
    edtYOffset->setObjectName(QStringLiteral("edtYOffset"));
    edtScale = new QLineEdit(this);
    edtScale->setObjectName(QStringLiteral("edtScale"));
    form->addRow(label("X offset", 1701), edtXOffset);
    form->addRow(label("Y offset", 1703), edtYOffset);
    form->addRow(label("Scale", 1704), edtScale);
    column->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetTag(buttons->button(QDialogButtonBox::Ok), 1009);
    SetTag(buttons->button(QDialogButtonBox::Cancel), 1010);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfrmEditImage::LoadCell(const TCell& cell) {
    edtXOffset->setText(QString::number(static_cast<double>(cell.xAdj), 'f', 2));
    edtYOffset->setText(QString::number(static_cast<double>(cell.yAdj), 'f', 2));
    edtScale->setText(QString::number(static_cast<double>(cell.fontSizeR), 'f', 2));
}

void TfrmEditImage::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Language->SetLanguage(this);
}
