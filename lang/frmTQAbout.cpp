#include "lang/frmTQAbout.h"

#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <cstdio>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QLabel* Label(QWidget* parent, const char* name, int x, int y, int w, int tag, Qt::Alignment align,
              const QString& text = QString()) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, 20);
    l->setAlignment(align | Qt::AlignVCenter);
    SetTag(l, tag);
    return l;
}

// The program's icon: a quill over five staff lines.
QPixmap ProgramIcon(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 5; ++i)
        p.drawLine(2, 14 + i * 6, w - 2, 14 + i * 6);
    p.setBrush(QColor(0x20, 0x40, 0x80));
    p.drawEllipse(QPointF(w * 0.35, 32), 6, 4.5);
    p.drawLine(QPointF(w * 0.35 + 6, 32), QPointF(w * 0.35 + 6, 6));
    return QPixmap::fromImage(img);
}
} // namespace

std::string TrimVersionZeros(const std::string& fixed) {
    std::string text = fixed;
    const std::size_t dot = text.find('.');
    while (dot != std::string::npos && text.size() > dot + 2 && text.back() == '0')
        text.pop_back();
    return text;
}

std::string AboutVersionLine(bool chinese, const std::string& versionWord) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", 5.2);
    const std::string version = TrimVersionZeros(buf);
    return chinese ? versionWord + " " + version : "Release " + version;
}

TfrmAboutBox::TfrmAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAboutBox"));
    SetTag(this, 1100);
    setWindowTitle(QStringLiteral("About Tonquill"));
    setFixedSize(300, 254);
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 209);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(16, 16, 57, 49);
    icon->setPixmap(ProgramIcon(57, 49));
    ProductName = Label(panel, "ProductName", 88, 16, 180, 1000, Qt::AlignLeft, QStringLiteral("Tonquill"));
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(23);
    ProductName->setFont(f);
    ProductName->setFixedHeight(30);
    lblVersion = Label(panel, "lblVersion", 72, 56, 176, 0, Qt::AlignHCenter);
    lblAuthorCaption = Label(panel, "lblAuthorCaption", 13, 88, 55, 1101, Qt::AlignRight, QStringLiteral("Author:"));
    lblAuthor = Label(panel, "lblAuthor", 72, 88, 203, 0, Qt::AlignLeft);
    // The program has no mail address or download site of its own: those lines
    // stay empty and hidden, and the licence of the music font it ships stands there.
    Label3 = Label(panel, "Label3", 13, 110, 85, 1103, Qt::AlignRight, QStringLiteral("E-mail:"));
    Label2 = Label(panel, "Label2", 103, 110, 170, 0, Qt::AlignLeft);
    Label4 = Label(panel, "Label4", 13, 149, 85, 1104, Qt::AlignRight, QStringLiteral("Download:"));
    Label1 = Label(panel, "Label1", 103, 149, 170, 0, Qt::AlignLeft);
    for (QLabel* unused : {Label3, Label2, Label4, Label1})
        unused->hide();
    lblFontLicence = Label(panel, "lblFontLicence", 13, 112, 260, sidAboutFontLicence, Qt::AlignLeft,
                           QStringLiteral("Music font: Bravura, SIL Open Font License 1.1"));
    lblFontLicence->setWordWrap(true);
    lblFontLicence->setGeometry(13, 112, 260, 60);
    lblFontLicence->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAllRight = Label(panel, "lblAllRight", 12, 182, 180, 1102, Qt::AlignLeft, QStringLiteral("All rights reserved."));
    lblAllRight->setWordWrap(true);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    SetTag(OKButton, 1018);
    OKButton->setGeometry(111, 220, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAboutBox::FormShow() {
    Language->SetLanguage(this);
    lblVersion->setText(Q(AboutVersionLine(Language->UseChinese, Language->GetString(1001))));
    // The author and the years of the program, ending with the current year.
    constexpr int kFirstYear = 2026;
    const int year = QDate::currentDate().year();
    const QString years = year > kFirstYear ? QString::number(kFirstYear) + QLatin1Char('-') + QString::number(year)
                                            : QString::number(year);
    lblAuthor->setText(Q(Language->GetString(1002)) + QStringLiteral(", ") + years);
}

void TfrmAboutBox::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}
