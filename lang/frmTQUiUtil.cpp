#include "lang/frmTQUiUtil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPoint>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace {
bool IsToolButtonKind(const QObject* o) {
    return qobject_cast<const QToolButton*>(o) || qobject_cast<const QPushButton*>(o);
}
} // namespace

void ResizeToolButtons(QWidget* owner, int width, int height) {
    if (!owner)
        return;
    for (QAbstractButton* b : owner->findChildren<QAbstractButton*>()) {
        if (!IsToolButtonKind(b))
            continue;
        QSize s = b->size();
        if (width > 0 && s.width() != width)
            s.setWidth(width);
        if (height > 0 && s.height() != height)
            s.setHeight(height);
        if (s != b->size())
            b->resize(s);
    }
}

int CaptionButtonHeight() {
    QStyle* style = QApplication::style();
    int h = style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    return h > 0 ? h : 31;
}

void GetButtonsExtent(QPoint& out, QWidget* form) { GetButtonsExtent(out, form, CaptionButtonHeight()); }

void GetButtonsExtent(QPoint& out, QWidget* form, int h) {
    int right = -1, bottom = -1;
    if (form) {
        for (QAbstractButton* b : form->findChildren<QAbstractButton*>()) {
            // visible as the form would show it, whether or not the form is on screen
            if (!IsToolButtonKind(b) || b->isHidden())
                continue;
            QPoint tl = b->mapTo(form, QPoint(0, 0));
            right = std::max(right, tl.x() + b->width());
            bottom = std::max(bottom, tl.y() + b->height());
        }
    }
    if (h == 25 || h == 31 || h == 35)
        out = QPoint(right + std::max(h - 22, 10), bottom + h + 2);
    else
        out = QPoint(right + std::max(h - 10, 10), bottom + h + 10);
}

void SetKeyHintText(QAbstractButton* button, bool show, const std::string& text) {
    if (!button)
        return;
    button->setProperty("KeyHintText", show ? QString::fromStdString(text) : QString());
    button->update();
}

std::string SelectDirectoryDlg(QWidget* parent, const std::string& folder, const std::string& caption) {
    QString dir = QFileDialog::getExistingDirectory(parent, QString::fromStdString(caption),
                                                    QString::fromStdString(folder));
    if (dir.isEmpty())
        return {};
    std::string s = dir.toStdString();
    if (s.back() != '/')
        s += '/';
    return s;
}

void CloseOnEscape(QWidget* window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}
