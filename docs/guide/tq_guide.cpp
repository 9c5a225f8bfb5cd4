// Makes a user's guide PDF from a Markdown source with Qt's own PDF writer.
//
//   tq_guide <source.md> <out.pdf> <title> [<heading>]
//
// With a heading, only that "## " section of the source is taken (the README's
// "Getting started"). Pictures are found relative to the source's folder. The
// PDF is written to a temporary file first, so a failed run leaves no half file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFormat>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

// The "## heading" section of a Markdown text, up to the next "## " heading.
QString Section(const QString& text, const QString& heading) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList out;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("## "))) {
            if (inside)
                break;
            inside = line.mid(3).trimmed() == heading;
            continue;
        }
        if (inside)
            out << line;
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: tq_guide <source.md> <out.pdf> <title> [<heading>]\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    const QString title = QString::fromUtf8(argv[3]);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tq_guide: cannot read %s\n", argv[1]);
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    if (argc > 4) {
        text = Section(text, QString::fromUtf8(argv[4]));
        if (text.trimmed().isEmpty()) {
            std::fprintf(stderr, "tq_guide: no section \"%s\" in %s\n", argv[4], argv[1]);
            return 1;
        }
        // The section's own sub-headings become the guide's chapters.
        text.replace(QRegularExpression(QStringLiteral("^### "), QRegularExpression::MultilineOption),
                     QStringLiteral("## "));
    }
    text = QStringLiteral("# ") + title + QStringLiteral("\n\n") + text;

    QTextDocument doc;
    doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(source).absolutePath() + QLatin1Char('/')));
    // One face for Latin and Chinese text alike (fonts-noto-cjk).
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(QStringLiteral("table { border-collapse: collapse; } td, th { padding: 3px; }"));
    doc.setMarkdown(text);
    // The pictures, from the source's folder; a guide without its picture is not made.
    const QDir folder = QFileInfo(source).absoluteDir();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QImage picture(folder.filePath(name));
            if (picture.isNull()) {
                std::fprintf(stderr, "tq_guide: cannot read the picture %s\n", qPrintable(name));
                return 1;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(name), picture);
        }
    }
    // A "|" key in a table cell is written "\|" in the source; the page shows "|".
    for (QTextCursor c = doc.find(QStringLiteral("\\|")); !c.isNull(); c = doc.find(QStringLiteral("\\|"), c))
        c.insertText(QStringLiteral("|"));

    const QString temporary = target + QStringLiteral(".part");
    {
        QPdfWriter pdf(temporary);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Tonquill"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        doc.print(&pdf);
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        std::fprintf(stderr, "tq_guide: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
