// The interface in each language, as a user meets it on the real window: every
// menu item, tool button and panel, every command of the command table with the
// dialogs, tool windows and message boxes it opens, and the forms that other
// forms open. A caption fails when it is empty, holds a bare string id or a
// placeholder, speaks the other language, or is wider than its control in the
// font it is drawn in. Every check runs in the language the program starts in
// and after switching the language as Help does, with the windows made before
// the switch or only after it; Qt's own file, colour, font and print dialogs
// are read the same way.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "app/frmTQMain.h"
#include "app/modTQCommandTable.h"
#include "edit/frmTQBreakdown.h"
#include "lang/frmTQAbout.h"
#include "lang/frmTQFont.h"
#include "lang/frmTQMessage.h"
#include "lang/frmTQPref.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQPref.h"
#include "model/modTQUndo.h"
#include "output/frmTQPrintBook.h"
#include "palettes/frmTQMath.h"
#include "play/frmTQMIDIInfo.h"
#include "play/frmTQPlayList.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQScoreFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

bool HasCjk(const QString& s) {
    for (QChar c : s) {
        const ushort u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// Words that stand as they are in both interfaces: names, formats, units.
const std::set<QString>& KeptWords() {
    static const std::set<QString> words = {
        QStringLiteral("Tonquill"), QStringLiteral("MIDI"), QStringLiteral("PDF"), QStringLiteral("JPEG"),
        QStringLiteral("JPG"),      QStringLiteral("BMP"),  QStringLiteral("PNG"), QStringLiteral("GM"),
        QStringLiteral("mus"),      QStringLiteral("mid"),  QStringLiteral("midi"), QStringLiteral("mbk"),
        QStringLiteral("sly"),      QStringLiteral("dly"),  QStringLiteral("jpg"), QStringLiteral("bmp"),
        QStringLiteral("pdf"),      QStringLiteral("png"),  QStringLiteral("DLL"), QStringLiteral("Ctrl"),
        QStringLiteral("Shift"),    QStringLiteral("Alt"),  QStringLiteral("Del"), QStringLiteral("Ins"),
        QStringLiteral("Esc"),      QStringLiteral("A4"),   QStringLiteral("Bravura"), QStringLiteral("OFL"),
        QStringLiteral("SIL"),      QStringLiteral("Qt"),   QStringLiteral("FluidSynth"),
        // paper sizes and a MIDI time format go by their English names in Chinese too
        QStringLiteral("Letter"),   QStringLiteral("Legal"), QStringLiteral("SMPTE"),
        // standard paper series, units and formats in Qt's own dialogs
        QStringLiteral("JIS"),      QStringLiteral("ANSI"), QStringLiteral("in"),   QStringLiteral("mm"),
        QStringLiteral("pt"),       QStringLiteral("DD"),   QStringLiteral("CC"),   QStringLiteral("HTML"),
        QStringLiteral("DL"),
    };
    return words;
}

// The words of a caption that are English, once shortcuts ("(&O)", "&"),
// file patterns and the kept words are taken out.
QStringList EnglishWords(QString s) {
    s.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    s.remove(QLatin1Char('&'));
    s.remove(QRegularExpression(QStringLiteral("\\*\\.[A-Za-z0-9*]+")));
    // A Chinese caption may give the English name in brackets (Qt's paper names).
    if (HasCjk(s))
        s.remove(QRegularExpression(QStringLiteral("[(\uFF08][^()\uFF08\uFF09]*[A-Za-z][^()\uFF08\uFF09]*[)\uFF09]")));
    // Key names in Jianpu's way of writing them (bE, #F) are music, not words.
    s.remove(QRegularExpression(QStringLiteral("(^|\\s)[#b][A-G](?=\\s|$)")));
    QStringList out;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("[A-Za-z]{2,}")).globalMatch(s);
    while (it.hasNext()) {
        const QString w = it.next().captured();
        if (!KeptWords().count(w))
            out << w;
    }
    return out;
}

// A caption as drawn: "&" marks the mnemonic and is not drawn ("&&" is one "&").
QString Shown(QString s) {
    s.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return s;
}

struct Finding {
    std::string where;
    std::string text;
    std::string fault;
};

class Audit {
public:
    explicit Audit(bool chinese) : chinese_(chinese) {}

    // One caption: where it stands, its text, whether it may be empty.
    void Caption(const QString& where, const QString& text, bool mayBeEmpty = false) {
        const QString t = text.trimmed();
        if (t.isEmpty()) {
            if (!mayBeEmpty)
                Add(where, text, "empty");
            return;
        }
        static const QRegularExpression rawId(QStringLiteral("^\\d{3,4}$|\\bAttr \\d+|^Program \\d+$"));
        if (rawId.match(t).hasMatch())
            Add(where, text, "a raw id or placeholder");
        if (t.contains(QLatin1String("example.org")) || t.contains(QLatin1String("example.com")))
            Add(where, text, "a placeholder address");
        if (chinese_) {
            const QStringList words = EnglishWords(t);
            if (!words.isEmpty())
                Add(where, text, "English in the Chinese interface: " + words.join(QLatin1Char(' ')).toStdString());
        } else if (HasCjk(t)) {
            Add(where, text, "Chinese in the English interface");
        }
    }

    // Text wider than the room its control gives it.
    void Width(const QString& where, const QString& text, int textWidth, int room) {
        if (textWidth > room)
            Add(where, text,
                "cut off: " + std::to_string(textWidth) + " pixels of text in " + std::to_string(room));
    }

    // Every caption of a window and what it holds.
    void Window(QWidget* top, const QString& name) {
        Caption(name + QStringLiteral(" title"), top->windowTitle(), qobject_cast<QMenu*>(top) != nullptr);
        const bool fileDialog = qobject_cast<QFileDialog*>(top) != nullptr;
        for (QWidget* w : top->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(top))
                continue;
            const int tag = TagOf(w);
            if (tag > 0 && tag < 200)
                continue; // a palette button: its face is a symbol, not a caption
            // The contents of views (file names, score lines) are data, not captions.
            if (fileDialog && (qobject_cast<QAbstractItemView*>(w->parentWidget()) ||
                               qobject_cast<QAbstractItemView*>(w)))
                continue;
            const QString where = name + QLatin1Char('/') +
                                  (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                             : w->objectName());
            if (auto* l = qobject_cast<QLabel*>(w)) {
                if (l->textInteractionFlags() & Qt::TextSelectableByMouse)
                    continue; // a value shown for copying (a file name), not a caption
                if (l->pixmap().isNull() && !l->text().isEmpty() && l->textFormat() != Qt::RichText) {
                    Caption(where, l->text(), true);
                    if (!l->wordWrap() && !Qt::mightBeRichText(l->text()))
                        Width(where, l->text(), l->fontMetrics().horizontalAdvance(Shown(l->text())),
                              l->contentsRect().width());
                }
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                const bool toolButton = qobject_cast<QToolButton*>(b) != nullptr;
                Caption(where + QStringLiteral(" hint"), b->toolTip(), true);
                if (toolButton) {
                    if (b->text().isEmpty() && b->icon().isNull() && b->toolTip().isEmpty() &&
                        static_cast<QToolButton*>(b)->arrowType() == Qt::NoArrow)
                        Add(where, {}, "a button with neither face nor hint");
                    if (auto* tb = static_cast<QToolButton*>(b);
                        tb->toolButtonStyle() != Qt::ToolButtonIconOnly || b->icon().isNull())
                        Caption(where, b->text(), true);
                    // a face drawn from a text is read in every language
                    Caption(where + QStringLiteral(" face"), b->property("FaceText").toString(), true);
                    continue;
                }
                Caption(where, b->text(), !b->icon().isNull());
                const int textWidth = b->fontMetrics().horizontalAdvance(Shown(b->text()));
                if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
                    const bool check = qobject_cast<QCheckBox*>(b) != nullptr;
                    const int indicator =
                        b->style()->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth,
                                                nullptr, b) +
                        b->style()->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                                      : QStyle::PM_RadioButtonLabelSpacing,
                                                nullptr, b);
                    Width(where, b->text(), textWidth, b->width() - indicator);
                } else if (b->icon().isNull()) {
                    Width(where, b->text(), textWidth, b->width() - 4);
                }
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                Caption(where, g->title(), true);
                Width(where, g->title(), g->fontMetrics().horizontalAdvance(g->title()), g->width() - 8);
            } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < t->count(); ++i)
                    Caption(where + QStringLiteral(" tab ") + QString::number(i), t->tabText(i));
            } else if (auto* c = qobject_cast<QComboBox*>(w)) {
                if (!c->isEditable() && !fileDialog)
                    for (int i = 0; i < c->count(); ++i)
                        Caption(where + QStringLiteral(" item ") + QString::number(i), c->itemText(i), true);
            } else if (auto* tw = qobject_cast<QTreeWidget*>(w)) {
                if (QTreeWidgetItem* h = tw->headerItem(); h && !tw->isHeaderHidden())
                    for (int i = 0; i < h->columnCount(); ++i)
                        Caption(where + QStringLiteral(" column ") + QString::number(i), h->text(i), true);
            } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
                if (table->horizontalHeader()->isVisible())
                    for (int i = 0; i < table->columnCount(); ++i)
                        if (QTableWidgetItem* h = table->horizontalHeaderItem(i))
                            Caption(where + QStringLiteral(" column ") + QString::number(i), h->text(), true);
            }
        }
        // Qt's own windows: their actions (the context menus of a file dialog
        // and of its column heads) speak too.
        if (QByteArray(top->metaObject()->className()).startsWith('Q'))
            for (QAction* a : top->findChildren<QAction*>())
                if (!a->isSeparator())
                    Caption(name + QStringLiteral(" action ") + Shown(a->text()), a->text(), true);
        if (fileDialog)
            FileDialogViews(static_cast<QFileDialog*>(top), name);
    }

    // What a file dialog's views show besides file names: the entry for the
    // whole computer in its side bar and folder list, the column heads, and
    // each entry's type and date.
    void FileDialogViews(QFileDialog* d, const QString& name) {
        for (const char* list : {"sidebar", "lookInCombo"}) {
            QAbstractItemModel* m = nullptr;
            if (auto* v = d->findChild<QAbstractItemView*>(QString::fromLatin1(list)))
                m = v->model();
            else if (auto* c = d->findChild<QComboBox*>(QString::fromLatin1(list)))
                m = c->model();
            for (int r = 0; m && r < m->rowCount(); ++r) {
                const QVariant url = m->index(r, 0).data(Qt::UserRole + 1); // the entry's address
                if (url.typeId() == QMetaType::QUrl && url.toUrl().path().isEmpty())
                    Caption(name + QLatin1Char('/') + QLatin1String(list), m->index(r, 0).data().toString());
            }
        }
        auto* tree = d->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (!tree)
            return;
        // the folder's entries come from a reading thread: wait for those the dialog shows
        QStringList patterns;
        QRegularExpressionMatchIterator it =
            QRegularExpression(QStringLiteral("\\(([^)]*)\\)")).globalMatch(d->selectedNameFilter());
        while (it.hasNext())
            patterns << it.next().captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QDir folder = d->directory();
        const qsizetype shown = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() +
                                folder.entryList(patterns.isEmpty() ? QStringList{QStringLiteral("*")} : patterns,
                                                 QDir::Files).size();
        QAbstractItemModel* m = tree->model();
        for (QElapsedTimer t; !t.isValid() || (m->rowCount(tree->rootIndex()) < shown && t.elapsed() < 3000);) {
            if (!t.isValid())
                t.start();
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        for (int c = 0; c < m->columnCount(tree->rootIndex()); ++c)
            Caption(name + QStringLiteral(" column ") + QString::number(c), m->headerData(c, Qt::Horizontal).toString(),
                    true);
        for (int r = 0; r < m->rowCount(tree->rootIndex()); ++r) {
            const QString entry = m->index(r, 0, tree->rootIndex()).data().toString();
            for (int c : {1, 2, 3}) // size, type and date
                Caption(name + QLatin1Char('/') + entry + QStringLiteral(" column ") + QString::number(c),
                        m->index(r, c, tree->rootIndex()).data().toString(), true);
        }
    }

    // The items of a menu and of its sub-menus.
    void Menu(QMenu* menu, const QString& name) {
        // a pop-up menu has no title of its own
        Caption(name, menu->title(), menu->objectName().startsWith(QStringLiteral("pop")));
        std::map<QString, QString> items; // caption -> the first item with it
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            const QString where = name + QStringLiteral(" > ") +
                                  (a->objectName().isEmpty() ? a->text() : a->objectName());
            // two items of one menu that read alike cannot be told apart
            if (const auto [first, fresh] = items.emplace(Shown(a->text()), where); !fresh && !a->text().isEmpty())
                Add(where, a->text(), "the same caption as " + first->second.toStdString());
            if (a->menu())
                Menu(a->menu(), where);
            else
                Caption(where, a->text());
        }
    }

    void Add(const QString& where, const QString& text, const std::string& fault) {
        const std::string key = where.toStdString() + "|" + text.toStdString() + "|" + fault;
        if (seen_.insert(key).second)
            findings.push_back({where.toStdString(), text.toStdString(), fault});
    }

    std::string Report() const {
        std::ostringstream out;
        for (const Finding& f : findings)
            out << "  " << f.where << ": \"" << f.text << "\" " << f.fault << "\n";
        return out.str();
    }

    std::vector<Finding> findings;

private:
    bool chinese_;
    std::set<std::string> seen_;
};

// Closes every modal dialog and popup menu that opens while it lives, after
// the audit has read it.
class DialogCatcher {
public:
    explicit DialogCatcher(std::function<void(QWidget*)> inspect) : inspect_(std::move(inspect)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(5);
    }
    void Tick() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            if (auto* m = qobject_cast<QMenu*>(popup))
                inspect_(m);
            popup->close();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (QDialog* d = qobject_cast<QDialog*>(modal)) {
            inspect_(d);
            d->reject();
        } else {
            inspect_(modal);
            modal->close();
        }
    }

private:
    QTimer timer_;
    std::function<void(QWidget*)> inspect_;
};

std::string Name(QWidget* w) {
    return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString();
}

// Commands the walk leaves out: they end the program or the language of the run.
bool LeftOut(const std::string& name) {
    static const std::set<std::string> names = {"mitExit", "mitUseChinese"};
    return names.count(name) != 0;
}

// The languages of a run: the one it starts in, then each one switched to as
// Help does; with openFirst, every window is opened (and read) before each switch.
struct TLanguageRun {
    const char* name;
    std::vector<bool> chinese;
    bool openFirst;
};
void PrintTo(const TLanguageRun& run, std::ostream* out) { *out << run.name; }

class InterfaceTexts : public ::testing::TestWithParam<TLanguageRun> {
protected:
    void SetUp() override {
        fs::remove(PrefFileName());
        std::ofstream(PrefFileName()) << "[Pref]\nUseChinese=" << (GetParam().chinese.front() ? 1 : 0)
                                      << "\nnoAskMusicFont=1\n";
        // a score and a folder where the score dialogs start, a picture where the picture dialog starts
        fs::create_directories(fs::path(TQUserFolder()) / "Music" / "Songs");
        std::ofstream(fs::path(TQUserFolder()) / "Music" / "song.mus") << "x";
        SetMessageBoxes(&dialogs);
        w.reset(StartTonquill());
        w->OpenDocument = [](const std::string&) { return true; };
        QApplication::processEvents();
        ASSERT_EQ(Language->UseChinese, GetParam().chinese.front());
        for (std::size_t i = 1; i < GetParam().chinese.size(); ++i) {
            if (GetParam().openFirst) {
                Audit before(Language->UseChinese);
                std::set<std::string> seen;
                WalkCommands(before, seen);
                OpenForms(before);
                OpenQtDialogs(before);
                EXPECT_TRUE(before.findings.empty()) << "before switching to " << (i + 1) << ": "
                                                     << before.findings.size() << " faults:\n" << before.Report();
            }
            w->CommandAction("mitUseChinese")->trigger(); // as Help does
            QApplication::processEvents();
            ASSERT_EQ(Language->UseChinese, GetParam().chinese[i]);
        }
    }
    void TearDown() override {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != w.get() && t->isVisible())
                t->hide();
        w.reset();
        frmMsgYNC = nullptr;
        SetMessageBoxes(nullptr);
        Undo.ClearUndoFiles();
        CurLayer = 0;
        Language->UseChinese = true;
        Language->LoadLanguageDll();
        fs::remove(PrefFileName());
    }
    // The language the run ends in.
    static bool InForce() { return GetParam().chinese.back(); }

    // The visible windows other than the main one, read and hidden.
    void AuditToolWindows(Audit& audit, const std::string& after) {
        QApplication::processEvents();
        for (QWidget* t : QApplication::topLevelWidgets()) {
            if (t == w.get() || !t->isVisible() || qobject_cast<QMenu*>(t))
                continue;
            audit.Window(t, QString::fromStdString(after + " -> " + Name(t)));
            t->hide();
        }
    }

    // The main window's menus, tool bars, command-table actions and panels.
    void AuditMainWindow(Audit& audit) {
        for (QAction* a : w->mnuMain->actions())
            if (a->menu())
                audit.Menu(a->menu(), a->menu()->objectName());
        for (QMenu* m : w->findChildren<QMenu*>())
            if (m->objectName().startsWith(QStringLiteral("pop")))
                audit.Menu(m, m->objectName());
        // the window's tool bars are named in its tool-bar menu
        for (QToolBar* bar : w->findChildren<QToolBar*>())
            if (bar->parentWidget() == w.get())
                audit.Caption(bar->objectName() + QStringLiteral(" title"), bar->windowTitle());
        // every action of the command table, shown or not, and its hint
        for (const TCommandRow& row : CommandTable()) {
            if (row.Flags & cfOpening)
                continue; // a menu: its title is read with the menu bar
            QAction* a = w->CommandAction(row.Name);
            ASSERT_NE(a, nullptr) << row.Name;
            audit.Caption(QString::fromLatin1(row.Name), a->text(), !a->icon().isNull());
            audit.Caption(QString::fromLatin1(row.Name) + QStringLiteral(" hint"), a->toolTip(), true);
        }
        audit.Window(w.get(), QStringLiteral("frmMainTQ"));
    }

    // Every command of the window, on a small score with a selection so that
    // commands reach their dialogs; each dialog, message box, pop-up menu and
    // tool window it opens is read. The names of what opened go to seen.
    void WalkCommands(Audit& audit, std::set<std::string>& seen) {
        const char* tune[] = {"\"1=C\"", "1", "2", "3", "4", "|", "5", "6", "7", "1'", "|"};
        for (int c = 0; c < 11; ++c)
            w->PageSets[0][0][1][static_cast<size_t>(c + 1)] = TScoreFixture::Cell(tune[c]);
        w->SelCol0 = 2;
        w->SelCol1 = 6;
        w->SelRow0 = w->SelRow1 = 1;
        std::string current;
        DialogCatcher catcher([&](QWidget* d) {
            seen.insert(Name(d));
            if (auto* m = qobject_cast<QMenu*>(d))
                audit.Menu(m, QString::fromStdString(current + " -> " + Name(d)));
            else
                audit.Window(d, QString::fromStdString(current + " -> " + Name(d)));
        });
        // (the file dialogs' own actions, which make, rename and delete files, are not the window's)
        auto inFileDialog = [](const QObject* o) {
            for (; o; o = o->parent())
                if (qobject_cast<const QFileDialog*>(o))
                    return true;
            return false;
        };
        std::vector<QAction*> actions = w->CommandActions;
        for (QAction* a : w->findChildren<QAction*>())
            if (!a->objectName().isEmpty() && !inFileDialog(a) &&
                std::find(actions.begin(), actions.end(), a) == actions.end())
                actions.push_back(a);
        for (QAction* a : actions) {
            current = a->objectName().toStdString();
            // what a user cannot reach (hidden developer items) is left out
            if (current.empty() || LeftOut(current) || a->menu() || !a->isVisible())
                continue;
            a->setEnabled(true);
            a->trigger();
            for (QWidget* t : QApplication::topLevelWidgets())
                if (t != w.get() && t->isVisible() && !qobject_cast<QMenu*>(t))
                    seen.insert(Name(t));
            AuditToolWindows(audit, current);
            if (!w->isVisible())
                w->show();
        }
    }

    // The forms that other forms or later steps open, and the message form.
    void OpenForms(Audit& audit) {
        // what a form asks as it opens (the arithmetic sheet asks before it drops a changed score)
        DialogCatcher catcher([&](QWidget* d) { audit.Window(d, QStringLiteral("asked: ") + QString::fromStdString(Name(d))); });
        auto look = [&](QWidget* form, const char* name) {
            form->show();
            QApplication::processEvents();
            audit.Window(form, QString::fromLatin1(name));
            form->hide();
        };
        TfrmSetFont font(w.get());
        look(&font, "frmSetFont");
        TfrmAboutBox about(w.get());
        look(&about, "frmAboutBox");
        TfrmMIDIInfo midi(w.get());
        midi.ShowHeader("song.mid", 1, 3, 0x01, 0xE0);
        look(&midi, "frmMIDIInfo");
        TfrmPlayList list(w.get());
        list.FormShow("Untitled");
        look(&list, "frmPlayList");
        TfrmBreakdown breakdown(w.get());
        look(&breakdown, "frmBreakdown");
        TfrmPrintBook printBook(w.get());
        look(&printBook, "frmPrintBook");
        TfrmMath math(w.get());
        look(&math, "frmMath");
        // the message form with each set of buttons and the check box
        for (TMsgButtons buttons : {mbOK, mbYesNo, mbYesNoCancel}) {
            TfrmMsgYNC box(w.get());
            box.Prepare(Language->BuildMessageForm(1022, "", mkConfirmation, buttons, true, 0));
            look(&box, "frmMsgYNC");
        }
    }

    // Qt's own file, colour, font, print and page-setup dialogs, made now.
    void OpenQtDialogs(Audit& audit) {
        auto look = [&](QDialog* d, const char* name) {
            d->show();
            QApplication::processEvents();
            audit.Window(d, QString::fromLatin1(name));
            d->hide();
        };
        // a file dialog as the program prepares every one it makes
        QFileDialog file(w.get());
        Language->PrepareFileDialog(&file, 1060, 1063, false);
        file.setViewMode(QFileDialog::Detail);
        file.setDirectory(QString::fromStdString(TQUserFolder() + "Music"));
        look(&file, "QFileDialog");
        QColorDialog colour(w.get());
        colour.setOption(QColorDialog::DontUseNativeDialog);
        look(&colour, "QColorDialog");
        QFontDialog font(w.get());
        font.setOption(QFontDialog::DontUseNativeDialog);
        look(&font, "QFontDialog");
        QPrinter printer;
        QPrintDialog print(&printer, w.get());
        look(&print, "QPrintDialog");
        QPageSetupDialog page(&printer, w.get());
        look(&page, "QPageSetupDialog");
    }

    TMessageDialogBoxes dialogs;
    std::unique_ptr<TfrmMainTQ> w;
    tqtest::TempDir dir;
};

} // namespace

TEST_P(InterfaceTexts, TheMainWindowSpeaksOneLanguage) {
    Audit audit(InForce());
    AuditMainWindow(audit);
    // the window title names the program once
    const QString title = w->windowTitle();
    EXPECT_EQ(title.count(QStringLiteral("Tonquill")), 1) << title.toStdString();
    EXPECT_TRUE(audit.findings.empty()) << audit.findings.size() << " faults:\n" << audit.Report();
}

TEST_P(InterfaceTexts, EveryCommandsDialogsAndMessagesSpeakOneLanguage) {
    Audit audit(InForce());
    std::set<std::string> seen;
    WalkCommands(audit, seen);
    EXPECT_TRUE(audit.findings.empty()) << audit.findings.size() << " faults:\n" << audit.Report();
    // the walk reached the program's dialogs and tool windows, and Qt's own
    for (const char* name : {"frmPref", "frmAboutBox", "frmSetFont", "frmPlay", "frmWestNotes", "frmPrint",
                             "frmSaveImage", "frmBook", "frmBrowser", "frmShiftStaff", "frmBowDir",
                             "frmMeasureCount", "frmEditImage", "frmMsgYNC", "dlgOpen", "dlgSave", "dlgOpenMIDI",
                             "dlgSaveMIDI", "dlgOpenPic", "TfrmClefStaff", "TKeySignature", "TfrmTempoSign",
                             "TfrmTimeSignature", "TfrmText", "TfrmRotateText", "TfrmShrinkRate", "TfrmSpecial",
                             "TfrmDynMark", "TfrmGongChi", "TfrmTextSymbols", "QColorDialog", "QPageSetupDialog",
                             "popShrink"})
        EXPECT_TRUE(seen.count(name)) << name << " was not reached";
}

TEST_P(InterfaceTexts, FormsOpenedFromOtherFormsSpeakOneLanguage) {
    Audit audit(InForce());
    OpenForms(audit);
    // a Yes/No box answers 是 or 否, Yes or No
    TfrmMsgYNC box(w.get());
    box.Prepare(Language->BuildMessageForm(1022, "", mkConfirmation, mbYesNo, true, 0));
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(box.btnYes->text().remove(QLatin1Char('&')).toStdString(),
              InForce() ? std::string("\xE6\x98\xAF") : std::string("Yes")); // 是
    EXPECT_EQ(box.btnNo->text().remove(QLatin1Char('&')).toStdString(),
              InForce() ? std::string("\xE5\x90\xA6") : std::string("No")); // 否
    box.hide();
    EXPECT_TRUE(audit.findings.empty()) << audit.findings.size() << " faults:\n" << audit.Report();
}

TEST_P(InterfaceTexts, ModifyPropertiesOpensADialogNamedAsItsMenuItem) {
    QAction* item = w->CommandAction("mitEditProperty");
    ASSERT_NE(item, nullptr);
    QString title, ok;
    DialogCatcher catcher([&](QWidget* d) {
        title = d->windowTitle();
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (auto* box = qobject_cast<QDialogButtonBox*>(b->parentWidget());
                box && box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                ok = b->text();
    });
    item->trigger();
    EXPECT_EQ(title.toStdString(), StripEllipsis(item->text().toStdString()));
    // its OK button says what every other dialog's says
    EXPECT_EQ(ok.toStdString(), Language->GetString(1009));
}

TEST_P(InterfaceTexts, QtsOwnDialogsSpeakTheLanguageInForce) {
    Audit audit(InForce());
    EXPECT_EQ(TLanguage::QtTranslationsLoaded(), InForce());
    OpenQtDialogs(audit);
    EXPECT_TRUE(audit.findings.empty()) << audit.findings.size() << " faults:\n" << audit.Report();
}

TEST_P(InterfaceTexts, TheTempoWordsOfTheTextPaletteAreSpeltRight) {
    // The Text Symbols palette's tempo page: the word each button puts in the score.
    std::map<int, std::string> words;
    for (QToolButton* b : w->frmTextSymbols->findChildren<QToolButton*>())
        words[TagOf(b)] = b->text().toStdString();
    EXPECT_EQ(words[37], "Prestissimo");
    EXPECT_EQ(words[81], "allargando");
    EXPECT_EQ(words[82], "Sostenuto");
}

INSTANTIATE_TEST_SUITE_P(
    BothLanguages, InterfaceTexts,
    ::testing::Values(TLanguageRun{"Chinese", {true}, false}, TLanguageRun{"English", {false}, false},
                      // the windows made after the switch
                      TLanguageRun{"ChineseThenEnglish", {true, false}, false},
                      TLanguageRun{"EnglishThenChinese", {false, true}, false},
                      // every window opened before the switch, and again after it
                      TLanguageRun{"ChineseThenEnglishOpened", {true, false}, true},
                      TLanguageRun{"EnglishThenChineseOpened", {false, true}, true},
                      TLanguageRun{"ChineseEnglishChinese", {true, false, true}, true},
                      TLanguageRun{"EnglishChineseEnglish", {false, true, false}, true}),
    [](const ::testing::TestParamInfo<TLanguageRun>& info) { return std::string(info.param.name); });
