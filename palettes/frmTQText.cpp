#include "palettes/frmTQText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "palettes/modTQDialogs.h"
#include "platform/core/TQCodec.h"

TfrmText::TfrmText(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Text"));
    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(QStringLiteral("Enter a line of text"), this));
    edtText = new QPlainTextEdit(this);
    QFont f = edtText->font();
    f.setPointSize(13);
    edtText->setFont(f);
    box->addWidget(edtText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { btnOKClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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
    QDialog::showEvent(e);
    edtText->clear();
    edtText->setFocus();
}
