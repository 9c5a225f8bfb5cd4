// The language object's work on Qt widgets: localising forms by Tag, the texts
// of the file dialogs and of the printer-setup dialog, the overwrite check.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
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
#include "lang/modTQStringIds.h"

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

// The view of a file dialog's folder with the size, the type of a folder and
// the date of each entry in the interface language (Qt writes sizes and dates
// in the system's, and its catalogue lacks the folder's type).
class TFileDetailsInLanguage : public QIdentityProxyModel {
public:
    TFileDetailsInLanguage(QObject* parent, const TLanguage& language) : QIdentityProxyModel(parent), language_(language) {}
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) {
            const QModelIndex source = mapToSource(index);
            const bool folder = files->isDir(source);
            if (index.column() == 3)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (index.column() == 1 && !folder)
                return QLocale().formattedDataSize(files->size(source));
            if (index.column() == 2 && folder && !language_.GetString(sidFolderType).empty())
                return Q(language_.GetString(sidFolderType));
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    const TLanguage& language_;
};

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
        if (InAnotherWindow(o, form))
            continue;
        // A control whose face is a symbol (or whose Tag is a code) takes only
        // its hint by string id, from the property "HintTag".
        if (const int hintTag = o->property("HintTag").toInt(); hintTag >= 200) {
            const QString hint = Q(GetString(hintTag));
            if (!hint.isEmpty()) {
                if (auto* a = qobject_cast<QAction*>(o)) {
                    a->setToolTip(hint);
                    // a picture face: the hint also names it (tool-bar overflow, screen readers)
                    if (!a->icon().isNull())
                        a->setText(hint);
                } else if (auto* w = qobject_cast<QWidget*>(o)) {
                    w->setToolTip(hint);
                }
            }
            continue;
        }
        if (t < 200)
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
            // Items take consecutive ids from the Tag, or the ids of "ItemTags".
            const QVariantList ids = c->property("ItemTags").toList();
            for (int i = 0; i < c->count(); ++i)
                c->setItemText(i, S_(ids.isEmpty() ? t + i : ids.value(i).toInt()));
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
        } else if (std::strcmp(cls, "QToolBar") == 0) {
            // A tool bar's name, shown in the window's tool-bar menu.
            static_cast<QToolBar*>(o)->setWindowTitle(S);
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
    if (!dynamic_cast<TFileDetailsInLanguage*>(dialog->proxyModel()))
        dialog->setProxyModel(new TFileDetailsInLanguage(dialog, *this));
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

void TLanguage::PrepareFileDialog(QFileDialog* dialog, int titleId, int filterId, bool isSave) {
    if (!dialog)
        return;
    const std::string title = StripEllipsis(GetString(titleId));
    if (!title.empty())
        dialog->setWindowTitle(Q(title));
    const std::string filter = GetString(filterId);
    if (filter.find('|') != std::string::npos)
        dialog->setNameFilters(NameFilters(filter));
    LocaliseFileDialog(dialog, isSave);
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
    // The unnamed buttons at the bottom: OK, Cancel and Options, known by their
    // role in the button box or by Qt's text for them in either language.
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (!b->objectName().isEmpty())
            continue;
        auto* box = qobject_cast<QDialogButtonBox*>(b->parentWidget());
        const QDialogButtonBox::ButtonRole role = box ? box->buttonRole(b) : QDialogButtonBox::InvalidRole;
        const QString text = b->text().remove(QLatin1Char('&'));
        auto isText = [&](const char* context, const char* source) {
            return text == QString::fromLatin1(source).remove(QLatin1Char('&')) ||
                   text == QCoreApplication::translate(context, source).remove(QLatin1Char('&'));
        };
        const bool options = isText("QPrintDialog", "&Options >>") || isText("QPrintDialog", "&Options <<") ||
                             text.startsWith(QLatin1String("Options"));
        const int id = options                                                          ? 2600
                       : role == QDialogButtonBox::AcceptRole || isText("QPlatformTheme", "OK") ? 1009
                       : role == QDialogButtonBox::RejectRole || isText("QPlatformTheme", "Cancel") ? 1010
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
