#include "palettes/frmTQMusicTitle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"

TfrmMusicTitle::TfrmMusicTitle(QWidget* parent) : QDialog(parent) {
    SetTag(this, 1214);
    setWindowTitle(DialogString(1214, "Edit Music Title"));
    auto* box = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(DialogString(1219, "Title"), this);
    SetTag(label, 1219);
    edtMusicTitle = new QLineEdit(this);
    edtMusicTitle->setMinimumWidth(300);
    label->setBuddy(edtMusicTitle);
    row->addWidget(label);
    row->addWidget(edtMusicTitle, 1);
    box->addLayout(row);
    AddOkCancel(this, box, btnOK, btnCancel);
}

void TfrmMusicTitle::showEvent(QShowEvent* e) {
    LocaliseDialog(this);
    QDialog::showEvent(e);
    edtMusicTitle->setFocus();
}

bool AskMusicTitle(QWidget* parent, std::string& title) {
    TfrmMusicTitle dlg(parent);
    dlg.edtMusicTitle->setText(QString::fromStdString(title));
    if (dlg.exec() != QDialog::Accepted) return false;
    title = dlg.edtMusicTitle->text().toStdString();
    return true;
}
