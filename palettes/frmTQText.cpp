#include "palettes/frmTQText.h"

#include <QPushButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "model/modTQMainScore.h"
#include "palettes/frmTQDialogCommon.h"
#include "palettes/modTQDialogs.h"
#include "platform/core/TQCodec.h"
#include "platform/gui/TQGlyphMap.h"

TfrmText::TfrmText(QWidget* parent) : QDialog(parent) {
    SetTag(this, 301);
    setWindowTitle(QString::fromStdString(StripEllipsis(DialogString(301, "Add Text").toStdString())));
    auto* box = new QVBoxLayout(this);
    auto* label = new QLabel(DialogString(2401, "Enter a line of text"), this);
    SetTag(label, 2401);
    box->addWidget(label);
    edtText = new QPlainTextEdit(this);
    QFont f = edtText->font();
    f.setPointSize(13);
    edtText->setFont(f);
    box->addWidget(edtText);
    edtText->setMinimumSize(360, 120);
    QPushButton *ok = nullptr, *cancel = nullptr;
    AddOkCancel(this, box, ok, cancel);
    // OK writes the lines before the dialog closes.
    disconnect(ok, nullptr, this, nullptr);
    connect(ok, &QPushButton::clicked, this, [this] { btnOKClick(); });
}

void TfrmText::btnOKClick() {
    std::vector<std::string> lines;
    for (const QString& line : edtText->toPlainText().split(QLatin1Char('\n'))) {
        const std::string utf8 = line.toStdString();
        // Score texts are stored in their code page: GBK for Chinese lines,
        // else the Western code page; a line neither holds is left out.
        bool ascii = true;
        for (unsigned char ch : utf8) ascii = ascii && ch < 0x80;
        std::string bytes = utf8;
        if (!ascii && !Utf8ToCharset(utf8, 134, bytes) && !Utf8ToCharset(utf8, 0, bytes)) continue;
        lines.push_back(bytes);
    }
    WriteTextLines(lines);
    accept();
}

void TfrmText::showEvent(QShowEvent* e) {
    EndMainTextEntry();
    LocaliseDialog(this);
    QDialog::showEvent(e);
    edtText->clear();
    if (const TMainScore* s = frmMainTQ) {
        // The score's Chinese text font, at the edit's size.
        QFont f = edtText->font();
        f.setFamily(QString::fromStdString(SubstituteFontFamily(s->ChineseFontName)));
        f.setBold(s->ChineseFontStyle & 1);
        f.setItalic(s->ChineseFontStyle & 2);
        edtText->setFont(f);
    }
    edtText->setFocus();
}
