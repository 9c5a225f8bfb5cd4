#include "palettes/frmTQDialogCommon.h"

#include <QBoxLayout>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "lang/modTQLanguage.h"
#include "render/modTQMainView.h"

void AddOkCancel(QDialog* dialog, QBoxLayout* box, QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok = new QPushButton(DialogString(1009, "OK"), dialog);
    cancel = new QPushButton(DialogString(1010, "Cancel"), dialog);
    SetTag(ok, 1009);
    SetTag(cancel, 1010);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    box->addLayout(row);
    box->setSizeConstraint(QLayout::SetFixedSize);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

void LocaliseDialog(QWidget* form) {
    if (Language && Language->Loaded())
        Language->SetLanguage(form);
}

void EndMainTextEntry() {
    auto* view = dynamic_cast<TMainView*>(frmMainTQ);
    if (view && view->OnEndTextEntry)
        view->OnEndTextEntry();
}

QString DialogString(int id, const char* fallback) {
    const std::string s = Language && Language->Loaded() ? Language->GetString(id) : std::string();
    return QString::fromUtf8(s.empty() ? fallback : s.c_str());
}
