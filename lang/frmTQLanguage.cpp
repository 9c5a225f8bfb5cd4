// The language object's work on Qt widgets: localising forms by Tag, the texts
// of the file dialogs and of the printer-setup dialog, the overwrite check.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <cstring>

#include "lang/modTQLanguage.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

bool ShowHint(const QObject* o) { return o->property("ShowHint").toBool(); }

// "desc|pattern|desc|pattern" as Qt name filters "desc (pattern pattern)".
QStringList NameFilters(const std::string& filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // The patterns in the description's own parentheses are replaced by the real ones.
        if (desc.endsWith(QLatin1Char(')'))) {
            qsizetype open = desc.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                desc = desc.left(open).trimmed();
        }
        out << (desc.isEmpty() ? patterns : desc + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out;
}

// A plain QWidget that is a page of a QTabWidget (a tab sheet).
QTabWidget* TabWidgetOfPage(QObject* o) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w)
        return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    if (!stack)
        return nullptr;
    return qobject_cast<QTabWidget*>(stack->parentWidget());
}

void ShowPlainMessage(const std::string& text) {
    TMessageRequest req;
    req.kind = mkInformation;
    req.buttons = mbOK;
    req.caption = "Tonquill";
    req.text = text;
    MessageBoxes().Show(req);
}

} // namespace

namespace {

// A tool window or dialog that only has the form as its parent localises
// itself; its controls are not the form's. Menus and file dialogs are the
// form's own even though Qt makes them windows.
bool InAnotherWindow(QObject* o, const QWidget* form) {
    for (; o && o != form; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->isWindow() && !qobject_cast<QMenu*>(w) && !qobject_cast<QFileDialog*>(w))
            return true;
    }
    return false;
}

} // namespace

void TLanguage::SetLanguage(QWidget* form) {
    if (!form)
        return;
    const int formTag = TagOf(form);
    if (formTag > 199)
        form->setWindowTitle(Q(StripEllipsis(GetString(formTag))));

    const QList<QObject*> components = form->findChildren<QObject*>();
    for (QObject* o : components) {
        const int t = TagOf(o);
        if (t < 200 || InAnotherWindow(o, form))
            continue;
        const std::string s = GetString(t);
        if (s.empty())
            continue;
        const QString S = Q(s);
        auto S_ = [this](int id) { return Q(GetString(id)); };
        const char* cls = o->metaObject()->className();

        if (std::strcmp(cls, "QToolButton") == 0) {
            auto* b = static_cast<QToolButton*>(o);
            if (qobject_cast<QToolBar*>(b->parentWidget())) {
                // A tool bar's button.
                if (b->text().isEmpty())
                    b->setToolTip(S);
                else {
                    b->setText(S);
                    if (!b->toolTip().isEmpty())
                        b->setToolTip(S_(t + 1));
                }
            } else {
                // A speed button.
                if (b->text() == QLatin1String("...") || b->text().isEmpty())
                    b->setToolTip(S);
                else {
                    b->setText(S);
                    if (ShowHint(b))
                        b->setToolTip(S_(t + 1));
                }
            }
        } else if (TabWidgetOfPage(o) && std::strcmp(cls, "QWidget") == 0) {
            QTabWidget* tabs = TabWidgetOfPage(o);
            tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(o)), S);
        } else if (std::strcmp(cls, "QPushButton") == 0) {
            auto* b = static_cast<QPushButton*>(o);
            if (b->text().isEmpty())
                b->setToolTip(S);
            else {
                b->setText(S);
                if (ShowHint(b))
                    b->setToolTip(S_(t + 1));
            }
        } else if (std::strcmp(cls, "QAction") == 0) {
            static_cast<QAction*>(o)->setText(S);
        } else if (std::strcmp(cls, "QMenu") == 0) {
            static_cast<QMenu*>(o)->setTitle(S);
        } else if (std::strcmp(cls, "QLabel") == 0) {
            static_cast<QLabel*>(o)->setText(S);
        } else if (std::strcmp(cls, "QGroupBox") == 0 && !o->property("RadioGroup").toBool()) {
            static_cast<QGroupBox*>(o)->setTitle(S);
        } else if (std::strcmp(cls, "QCheckBox") == 0 || std::strcmp(cls, "QRadioButton") == 0) {
            static_cast<QAbstractButton*>(o)->setText(S);
        } else if (std::strcmp(cls, "QFileDialog") == 0) {
            auto* d = static_cast<QFileDialog*>(o);
            d->setWindowTitle(S);
            const std::string filter = GetString(t + 1);
            if (filter.find('|') != std::string::npos)
                d->setNameFilters(NameFilters(filter));
        } else if (std::strcmp(cls, "QComboBox") == 0) {
            auto* c = static_cast<QComboBox*>(o);
            for (int i = 0; i < c->count(); ++i)
                c->setItemText(i, S_(t + i));
        } else if (std::strcmp(cls, "QTabBar") == 0) {
            auto* b = static_cast<QTabBar*>(o);
            for (int i = 0; i < b->count(); ++i)
                b->setTabText(i, S_(t + i));
        } else if (std::strcmp(cls, "QGroupBox") == 0) {
            // A radio group: caption at the Tag when it has one, then its items.
            auto* g = static_cast<QGroupBox*>(o);
            int k = 0;
            if (!g->title().isEmpty()) {
                g->setTitle(S);
                k = 1;
            }
            const QList<QRadioButton*> items = g->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
            for (int i = 0; i < items.size(); ++i)
                items[i]->setText(S_(t + k + i));
        } else if (std::strcmp(cls, "QTabWidget") == 0) {
            auto* p = static_cast<QTabWidget*>(o);
            for (int i = 0; i < p->count(); ++i)
                p->setTabText(i, S_(t + i));
        } else if (std::strcmp(cls, "QTreeWidget") == 0) {
            QTreeWidgetItem* header = static_cast<QTreeWidget*>(o)->headerItem();
            for (int c = 0; header && c < header->columnCount(); ++c) {
                const int columnTag = header->data(c, Qt::UserRole).toInt();
                if (columnTag > 99)
                    header->setText(c, S_(columnTag));
            }
        } else if (std::strcmp(cls, "QListWidget") == 0) {
            auto* l = static_cast<QListWidget*>(o);
            for (int i = 0; i < l->count(); ++i)
                l->item(i)->setText(S_(t + i));
        } else {
            ShowPlainMessage("Unknown control in SetLanguage: " + o->objectName().toStdString());
        }
    }
}

void TLanguage::LocaliseFileDialog(QFileDialog* dialog, bool isSave) {
    if (!dialog)
        return;
    // Our own dialog, so that its buttons and labels can be renamed.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    auto set = [&](QFileDialog::DialogLabel label, int id) {
        const std::string s = GetString(id);
        if (!s.empty())
            dialog->setLabelText(label, Q(s));
    };
    set(QFileDialog::Accept, isSave ? 1011 : 1012);
    set(QFileDialog::Reject, 1010);
    set(QFileDialog::FileName, 1013);
    set(QFileDialog::FileType, isSave ? 1015 : 1014);
    set(QFileDialog::LookIn, isSave ? 1016 : 1017);
}

void TLanguage::LocalisePrinterSetupDialog(QWidget* dialog) {
    if (!dialog)
        return;
    // The controls of Qt's page-setup and print dialogs, by object name (and the
    // name of the group that holds them, where the name alone is ambiguous).
    static const struct {
        const char* group;
        const char* name;
        int id;
    } controls[] = {
        {"", "groupBox_2", 2605},         {"", "pageSizeLabel", 2607}, {"", "paperSourceLabel", 2608},
        {"", "groupBox_3", 2604},         {"", "portrait", 2602},      {"", "landscape", 2603},
        {"", "printerGroup", 2606},       {"printerGroup", "label", 2609},
        {"printerGroup", "label_2", 2613}, {"printerGroup", "label_3", 2610},
    };
    for (const auto& c : controls) {
        const std::string s = GetString(c.id);
        if (s.empty())
            continue;
        for (QWidget* w : dialog->findChildren<QWidget*>(QString::fromLatin1(c.name))) {
            if (*c.group && (!w->parentWidget() || w->parentWidget()->objectName() != QLatin1String(c.group)))
                continue;
            if (auto* l = qobject_cast<QLabel*>(w))
                l->setText(Q(s));
            else if (auto* b = qobject_cast<QAbstractButton*>(w))
                b->setText(Q(s));
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                g->setTitle(Q(s));
        }
    }
    // The unnamed buttons at the bottom: OK, Cancel and Options.
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (!b->objectName().isEmpty())
            continue;
        const QString text = b->text().remove(QLatin1Char('&'));
        const int id = text == QLatin1String("OK")           ? 1009
                       : text == QLatin1String("Cancel")     ? 1010
                       : text.startsWith(QLatin1String("Options")) ? 2600
                                                                     : 0;
        if (id && !GetString(id).empty())
            b->setText(Q(GetString(id)));
    }
}

bool TLanguage::ConfirmOverwrite(QFileDialog* dialog) {
    if (!dialog)
        return true;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty())
        return true;
    return ConfirmOverwrite(files.first().toStdString(), dialog->defaultSuffix().toStdString());
}
