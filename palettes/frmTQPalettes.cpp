#include "palettes/frmTQPalettes.h"

#include <QAction>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMainSettings.h"
#include "model/modTQMainScore.h"
#include "palettes/frmTQDialogCommon.h"
#include "palettes/modTQPaletteFaces.h"
#include "palettes/modTQPaletteHooks.h"
#include "render/modTQMainView.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteOps.h"
#include "palettes/modTQSpecial.h"
#include "model/modTQRowQuery.h"
#include "edit/modTQCursorKeys.h"

std::string LayoutFolder() {
    const std::string folder = TQUserFolder() + "Layout/";
    ForceDirectories(folder);
    return folder;
}

void RunWithClickModifiers(const std::function<void()>& command) {
    const bool shift = ShiftDown, alt = AltDown, ctrl = CtrlDown;
    const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
    ShiftDown = shift || (held & Qt::ShiftModifier);
    AltDown = alt || (held & Qt::AltModifier);
    CtrlDown = ctrl || (held & Qt::ControlModifier);
    command();
    // The main window's key-up never sees keys held over a palette.
    ShiftDown = shift;
    AltDown = AltDown && alt;
    CtrlDown = CtrlDown && ctrl;
}

// ---------------------------------------------------------------- the palette

TfrmPalette::TfrmPalette(QWidget* parent, const QString& caption, int columns, int buttonSize,
                         const std::vector<TPalettePage>& pages, std::function<void(int)> onClick)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), buttonSize_(buttonSize),
      onClick_(std::move(onClick)) {
    setWindowTitle(caption);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    toolBar_ = new QToolBar(this);
    box->addWidget(toolBar_);
    notebook_ = new QStackedWidget(this);
    box->addWidget(notebook_);
    pages_ = new QTabWidget(notebook_);
    pages_->setTabPosition(QTabWidget::South);
    notebook_->addWidget(pages_);
    int rows = 1;
    for (const TPalettePage& p : pages)
        rows = std::max(rows, int((p.buttons.size() + std::size_t(columns) - 1) / std::size_t(columns)));
    for (const TPalettePage& p : pages) {
        auto* sheet = new QWidget;
        sheet->setFixedSize(columns * buttonSize, rows * buttonSize);
        for (std::size_t i = 0; i < p.buttons.size(); ++i) {
            const TPaletteButton& b = p.buttons[i];
            auto* button = new TSymbolButton(sheet);
            SetTag(button, b.tag);
            button->setFixedSize(buttonSize, buttonSize);
            button->move(int(i % std::size_t(columns)) * buttonSize, int(i / std::size_t(columns)) * buttonSize);
            // Until its face is drawn, a button without a caption shows its code.
            button->setText(b.caption ? QString::fromUtf8(b.caption) : QString::number(b.tag));
            button->setProperty("Face", b.caption == nullptr);
            if (b.hint) button->setToolTip(QString::fromUtf8(b.hint));
            connect(button, &QToolButton::clicked, this, [this, button, action = b.action] {
                if (editMode_) return;
                RunWithClickModifiers([&] {
                    if (action) action();
                    else if (onClick_) onClick_(TagOf(button));
                });
                // The focus goes back to the score.
                if (parentWidget()) parentWidget()->window()->activateWindow();
            });
        }
        pages_->addTab(sheet, QString::fromUtf8(p.caption));
    }
}

TfrmPalette::~TfrmPalette() = default;

std::vector<QToolButton*> TfrmPalette::ButtonsOfPage(int page) const {
    std::vector<QToolButton*> out;
    QWidget* sheet = pages_->widget(page);
    if (!sheet) return out;
    for (QObject* o : sheet->children())
        if (auto* b = qobject_cast<QToolButton*>(o)) out.push_back(b);
    return out;
}

void TfrmPalette::KeepOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect r = screen->availableGeometry();
    const int x = std::clamp(this->x(), r.left(), std::max(r.left(), r.right() - width()));
    const int y = std::clamp(this->y(), r.top(), std::max(r.top(), r.bottom() - height()));
    if (x != this->x() || y != this->y()) move(x, y);
}

std::vector<QAbstractButton*> TfrmPalette::ButtonsWithTag(int tag) const {
    std::vector<QAbstractButton*> out;
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (TagOf(b) == tag) out.push_back(b);
    return out;
}

void TfrmPalette::DrawFaces() {
    if (faceKind_ < 0) return;
    facesDrawn_ = true;
    std::vector<QToolButton*> buttons;
    std::vector<int> tags;
    // the buttons of the pages and those standing outside them
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->property("Face").toBool()) {
            buttons.push_back(b);
            tags.push_back(TagOf(b));
        }
    const auto faces = DrawPaletteFaces(TPaletteFaceKind(faceKind_), tags, buttonSize_ - 4);
    for (QToolButton* b : buttons) {
        const auto it = faces.find(TagOf(b));
        if (it == faces.end()) continue;
        b->setIcon(QIcon(QPixmap::fromImage(it->second)));
        b->setIconSize(it->second.size());
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
}

void TfrmPalette::ShowKeyHints(bool show) {
    for (QAbstractButton* b : findChildren<QAbstractButton*>()) SetKeyHintText(b, false, "");
    if (OnKeyHints) OnKeyHints(*this, show);
}

void TfrmPalette::showEvent(QShowEvent* e) {
    LocaliseDialog(this);
    if (!facesDrawn_) DrawFaces();
    ShowKeyHints(KeyHintsWanted && KeyHintsWanted());
    if (SetVisibleFlag) SetVisibleFlag(true);
    QWidget::showEvent(e);
    KeepOnScreen();
}

void TfrmPalette::hideEvent(QHideEvent* e) {
    // Hidden by the user or the main window, not by a minimised desktop.
    if (!e->spontaneous() && SetVisibleFlag) SetVisibleFlag(false);
    QWidget::hideEvent(e);
}

void TfrmPalette::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        EndMainTextEntry();
        if (OnActivate) OnActivate();
    }
    QWidget::changeEvent(e);
}

void TSymbolButton::paintEvent(QPaintEvent* e) {
    QToolButton::paintEvent(e);
    const QString hint = property("KeyHintText").toString();
    if (hint.isEmpty()) return;
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(std::max(7, height() / 3));
    p.setFont(f);
    p.setPen(Qt::blue);
    p.drawText(rect().adjusted(1, 0, -1, 0), Qt::AlignRight | Qt::AlignBottom, hint);
}

// ---------------------------------------------------------------- layout edit view

namespace {

// A face for a tool-bar button: a short text drawn on a transparent square.
QIcon TextIcon(const QString& text) {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f;
    f.setPixelSize(text.size() > 2 ? 9 : 12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, text);
    return QIcon(pm);
}

QString LayoutDialogTitle(int tag, const char* fallback) { return DialogString(tag, fallback); }

// The dialog's filter: the string after its title id holds description|pattern
// pairs.
QString LayoutDialogFilter(int tag, int paletteId) {
    const bool special = paletteId == kSpecialLayoutId;
    QString text = DialogString(tag + 1, special ? "Special Symbol Layout Files (*.sly)|*.sly|All Files (*.*)|*.*"
                                                 : "Dynamic Mark Layout Files (*.dly)|*.dly|All Files (*.*)|*.*");
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i].split(QLatin1Char('(')).first().trimmed() + QStringLiteral(" (") + pattern +
                       QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

class TfrmLayoutPalette::TPagesAdapter : public TLayoutPages {
public:
    explicit TPagesAdapter(TfrmPalette& form) : form_(form) {
        for (int p = 0; p < form.Pages()->count(); ++p)
            for (QToolButton* b : form.ButtonsOfPage(p)) buttons.push_back(b);
    }
    int PageCount() const override { return form_.Pages()->count(); }
    int ControlWidth() const override { return form_.Pages()->widget(0)->width(); }
    int SheetHeight() const override { return form_.Pages()->widget(0)->height(); }
    std::vector<TLayoutButtonRef> Buttons(int page) const override {
        std::vector<TLayoutButtonRef> out;
        for (QToolButton* b : form_.ButtonsOfPage(page)) {
            TLayoutButtonRef r;
            r.button = int(std::find(buttons.begin(), buttons.end(), b) - buttons.begin());
            r.tag = TagOf(b);
            r.left = b->x();
            r.top = b->y();
            r.width = b->width();
            r.height = b->height();
            out.push_back(r);
        }
        return out;
    }
    void PlaceButton(int button, int page, int left, int top) override {
        if (button < 0 || button >= int(buttons.size()) || page < 0 || page >= PageCount()) return;
        QToolButton* b = buttons[std::size_t(button)];
        b->setParent(form_.Pages()->widget(page));
        b->move(left, top);
        b->show();
    }
    std::vector<QToolButton*> buttons;

private:
    TfrmPalette& form_;
};

class TLayoutView : public QWidget {
public:
    TLayoutView(TLayoutMgr& mgr, std::function<QToolButton*(int)> button, QWidget* parent)
        : QWidget(parent), mgr_(mgr), button_(std::move(button)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const int w = mgr_.ButtonWidth(), h = mgr_.ButtonHeight();
        for (const auto& m : mgr_.BuildPageMarks(height())) {
            if (m.separator) p.fillRect(m.left, m.top, m.width, m.height, Qt::gray);
            else p.drawText(m.left, m.top + 12, QString::fromStdString(m.caption));
        }
        mgr_.PaintLayout(p, [this, w, h](QPainter& painter, int button, int x, int y) {
            DrawFace(painter, QRect(x, y, w, h), button);
        });
    }
    void mousePressEvent(QMouseEvent* e) override {
        mgr_.DragBegin(int(e->position().x()), int(e->position().y()));
        update();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!mgr_.Dragging()) return;
        mgr_.DragMove(int(e->position().x()), int(e->position().y()));
        update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        mgr_.DragEnd(int(e->position().x()), int(e->position().y()));
        update();
    }

private:
    // The button's face, or its caption when it has none.
    void DrawFace(QPainter& p, const QRect& r, int button) {
        QToolButton* b = button_(button);
        if (!b) return;
        if (!b->icon().isNull()) {
            const QPixmap pm = b->icon().pixmap(b->iconSize());
            p.drawPixmap(r.x() + (r.width() - pm.width()) / 2, r.y() + (r.height() - pm.height()) / 2, pm);
        } else {
            p.drawText(r, Qt::AlignCenter, b->text());
        }
    }
    TLayoutMgr& mgr_;
    std::function<QToolButton*(int)> button_;
};

TfrmLayoutPalette::TfrmLayoutPalette(QWidget* parent, const QString& caption, int columns,
                                     int buttonSize, const std::vector<TPalettePage>& pages,
                                     std::function<void(int)> onClick, int paletteId,
                                     const std::string& key, const std::string& defaultFile)
    : TfrmPalette(parent, caption, columns, buttonSize, pages, std::move(onClick)),
      paletteId_(paletteId), key_(key) {
    adapter_ = std::make_unique<TPagesAdapter>(*this);
    layout_ = std::make_unique<TLayoutMgr>(buttonSize, buttonSize);
    layout_->CollectButtons(*adapter_);
    view_ = new TLayoutView(*layout_, [this](int button) -> QToolButton* {
        if (button < 0 || button >= int(adapter_->buttons.size())) return nullptr;
        return adapter_->buttons[std::size_t(button)];
    }, notebook_);
    notebook_->addWidget(view_);
    btnCustomerize_ = toolBar_->addAction(QStringLiteral("Rearrange Layout"), this,
                                          [this] { btnCustomerizeClick(); });
    btnExitCustom_ = toolBar_->addAction(QStringLiteral("Exit Layout"), this, [this] { btnExitCustomClick(); });
    btnSaveCustom_ = toolBar_->addAction(QStringLiteral("Save Layout"), this, [this] {
        const QString name = AskLayoutFile(true);
        if (!name.isEmpty()) SaveLayoutAs(name.toStdString());
    });
    btnApplyCustom_ = toolBar_->addAction(QStringLiteral("Apply Layout"), this, [this] { btnApplyCustomClick(); });
    btnLoadLayout_ = toolBar_->addAction(QStringLiteral("Load Layout"), this, [this] {
        const QString name = AskLayoutFile(false);
        if (!name.isEmpty()) LoadLayout(name.toStdString());
    });
    // Faces; their captions (by Tag) are their hints.
    btnCustomerize_->setIcon(TextIcon(QStringLiteral("\u25A6")));
    btnExitCustom_->setIcon(TextIcon(QStringLiteral("\u21A9")));
    btnSaveCustom_->setIcon(TextIcon(QStringLiteral("\u21E9")));
    btnApplyCustom_->setIcon(TextIcon(QStringLiteral("\u2713")));
    btnLoadLayout_->setIcon(TextIcon(QStringLiteral("\u21E7")));
    btnExitCustom_->setVisible(false);
    btnSaveCustom_->setVisible(false);
    btnApplyCustom_->setVisible(false);

    layoutFile_ = LayoutFolder() + defaultFile;
    const std::string stored = TLayoutMgr::ReadLayoutKey(key_);
    if (!stored.empty() && FileExists(stored) &&
        layout_->LoadLayoutFile(paletteId_, stored, *adapter_, false)) {
        layoutFile_ = stored;
        layout_->ArrangeButtons(*adapter_);
        layout_->changed = false;
    }
    prevLayoutFile_ = layoutFile_;
}

TfrmLayoutPalette::~TfrmLayoutPalette() = default;

void TfrmLayoutPalette::btnCustomerizeClick() {
    if (editMode_) return;
    layout_->CollectButtons(*adapter_);
    savedWidth_ = width();
    savedHeight_ = height();
    editMode_ = true;
    view_->setMinimumSize(layout_->LayoutWidth(), 30 + layout_->Rows() * layout_->ButtonHeight() + 10);
    notebook_->setCurrentIndex(1);
    resize(layout_->LayoutWidth(), height() + 10);
    for (QAction* a : HiddenWhileEditing) a->setVisible(false);
    for (QWidget* w : BarsHiddenWhileEditing) w->hide();
    btnCustomerize_->setVisible(false);
    btnExitCustom_->setVisible(true);
    btnSaveCustom_->setVisible(true);
    btnApplyCustom_->setVisible(true);
    prevLayoutFile_ = layoutFile_;
}

void TfrmLayoutPalette::btnExitCustomClick() {
    if (!editMode_) return;
    if (layout_->changed) {
        if (MessageYesNoById(2906, "", mkConfirmation) == mrYes) {
            if (!layout_->saved) layout_->SaveLayoutFile(paletteId_, layoutFile_);
            layout_->ArrangeButtons(*adapter_);
            TLayoutMgr::WriteLayoutKey(layoutFile_, key_);
        } else {
            layoutFile_ = prevLayoutFile_;
        }
        layout_->changed = false;
    }
    editMode_ = false;
    notebook_->setCurrentIndex(0);
    view_->setMinimumSize(0, 0);
    resize(savedWidth_, savedHeight_);
    for (QAction* a : HiddenWhileEditing) a->setVisible(true);
    for (QWidget* w : BarsHiddenWhileEditing) w->show();
    btnCustomerize_->setVisible(true);
    btnExitCustom_->setVisible(false);
    btnSaveCustom_->setVisible(false);
    btnApplyCustom_->setVisible(false);
}

void TfrmLayoutPalette::btnApplyCustomClick() {
    if (!editMode_) return;
    if (MessageYesNoById(2907, "", mkConfirmation) != mrYes) return;
    if (!layout_->saved) layout_->SaveLayoutFile(paletteId_, layoutFile_);
    layout_->ArrangeButtons(*adapter_);
    TLayoutMgr::WriteLayoutKey(layoutFile_, key_);
    layout_->changed = false;
}

void TfrmLayoutPalette::LoadLayout(const std::string& fileName) {
    if (!layout_->LoadLayoutFile(paletteId_, fileName, *adapter_, true)) return;
    layoutFile_ = fileName;
    if (editMode_) {
        view_->update();
        return;
    }
    layout_->ArrangeButtons(*adapter_);
    TLayoutMgr::WriteLayoutKey(layoutFile_, key_);
}

QString TfrmLayoutPalette::AskLayoutFile(bool save) {
    // a file dialog of the interface language, like every other file dialog of the program
    const int tag = save ? saveDialogTag_ : openDialogTag_;
    QFileDialog dialog(this, LayoutDialogTitle(tag, save ? "Save Layout To File" : "Open Layout File"));
    dialog.setObjectName(save ? QStringLiteral("dlgSaveLayout") : QStringLiteral("dlgOpenLayout"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(LayoutDialogFilter(tag, paletteId_).split(QStringLiteral(";;")));
    dialog.selectFile(QString::fromStdString(layoutFile_));
    if (Language && Language->Loaded())
        Language->LocaliseFileDialog(&dialog, save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void TfrmLayoutPalette::TagLayoutButtons(int customerize, int exit, int save, int apply, int load) {
    SetTag(btnCustomerize_, customerize);
    SetTag(btnExitCustom_, exit);
    SetTag(btnSaveCustom_, save);
    SetTag(btnApplyCustom_, apply);
    SetTag(btnLoadLayout_, load);
}

void TfrmLayoutPalette::TagLayoutDialogs(int open, int save) {
    openDialogTag_ = open;
    saveDialogTag_ = save;
}

bool TfrmLayoutPalette::SaveLayoutAs(const std::string& chosen) {
    if (chosen.empty()) return false;
    const std::string ext = paletteId_ == kSpecialLayoutId ? "sly" : "dly";
    std::string name = chosen;
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += "." + ext;
    if (Language && !Language->ConfirmOverwrite(name, ext)) return false;
    return layout_->SaveLayoutFile(paletteId_, name);
}

void TfrmLayoutPalette::SaveLayout(const std::string& fileName) {
    layout_->SaveLayoutFile(paletteId_, fileName);
}

void TfrmLayoutPalette::closeEvent(QCloseEvent* e) {
    if (editMode_) btnExitCustomClick();
    TfrmPalette::closeEvent(e);
}

// ---------------------------------------------------------------- the four palettes

namespace {

TMainView* View() { return dynamic_cast<TMainView*>(frmMainTQ); }

void FocusScore(QWidget* form) {
    if (form->parentWidget()) form->parentWidget()->window()->activateWindow();
}

// The other palettes end the Gongche entry mode when they are activated.
void LeaveGongcheMode() {
    TMainView* v = View();
    if (!v || !v->GongChiMode) return;
    v->GongChiMode = false;
    v->RedrawPage();
}

// A tool-bar button with a drawn face; its Tag's string is its hint.
QAction* AddToolButton(TfrmPalette* form, QToolBar* bar, int tag, const char* face, const char* hint,
                       std::function<void()> click, bool checkable = false) {
    auto* b = new TSymbolButton(bar);
    SetTag(b, tag);
    b->setIcon(TextIcon(QString::fromUtf8(face)));
    b->setToolTip(QString::fromUtf8(hint));
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    QObject::connect(b, &QToolButton::clicked, form, [form, click = std::move(click)] {
        RunWithClickModifiers(click);
        FocusScore(form);
    });
    return bar->addWidget(b);
}

void SetLabels(TfrmPalette& form, bool show, std::initializer_list<std::pair<int, const char*>> labels) {
    for (const auto& [tag, text] : labels)
        for (QAbstractButton* b : form.ButtonsWithTag(tag)) SetKeyHintText(b, show, text);
}

// Gives the buttons and tool-bar actions of a palette their names, by Tag: the
// first still unnamed button with the Tag, else the first unnamed action.
void NameButtons(TfrmPalette& form, std::initializer_list<std::pair<int, const char*>> names) {
    for (const auto& [tag, name] : names) {
        QObject* found = nullptr;
        for (QAbstractButton* b : form.ButtonsWithTag(tag))
            if (b->objectName().isEmpty()) {
                found = b;
                break;
            }
        if (!found)
            for (QAction* a : form.findChildren<QAction*>())
                if (TagOf(a) == tag && a->objectName().isEmpty()) {
                    found = a;
                    break;
                }
        if (found) found->setObjectName(QString::fromLatin1(name));
    }
}

std::vector<TPaletteButton> Codes(std::initializer_list<int> codes) {
    std::vector<TPaletteButton> out;
    for (int c : codes) out.push_back({c, nullptr, nullptr});
    return out;
}

void Range(std::vector<TPaletteButton>& v, int from, int to) {
    for (int c = from; c <= to; ++c) v.push_back({c, nullptr, nullptr});
}

} // namespace

TfrmSpecial* CreateSpecialPalette(QWidget* parent) {
    std::vector<TPalettePage> pages(5);
    pages[0] = {"1", Codes({1, 5, 6, 7, 8, 9, 10, 13, 14, 15, 16, 17, 18, 19, 24, 26, 27, 28, 34, 35, 36,
                            39, 40, 41, 44, 46, 86, 87, 88, 96, 107, 108, 109, 111, 120, 120, 121, 141,
                            142, 143, 150, 177})};
    pages[1] = {"2", Codes({30, 31, 33, 45, 58, 80, 85, 97, 98, 99, 100, 101, 117, 118, 119, 123})};
    const char* nums[] = {"1", "2", "3", "4", "5"};
    for (int i = 0; i < 5; ++i) pages[1].buttons.push_back({124 + i, nums[i], nullptr});
    const char* romans[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII"};
    for (int i = 0; i < 8; ++i) pages[1].buttons.push_back({130 + i, romans[i], nullptr});
    for (int c : {140, 144, 145, 147, 148, 149, 151, 152, 153, 154, 155, 172})
        pages[1].buttons.push_back({c, nullptr, nullptr});
    pages[1].buttons.push_back({173, ":", nullptr});
    pages[2] = {"3", Codes({11, 12, 20, 21, 22, 23, 25, 29, 38, 42, 43, 47, 48, 52, 53, 54, 55, 56, 57, 59,
                            60, 61})};
    Range(pages[2].buttons, 64, 79);
    for (int c : {81, 82, 84, 93}) pages[2].buttons.push_back({c, nullptr, nullptr});
    pages[3] = {"4", Codes({2, 3, 4, 49, 51, 62, 63, 83, 90, 91, 92, 94, 95})};
    Range(pages[3].buttons, 102, 106);
    pages[3].buttons.push_back({110, nullptr, nullptr});
    Range(pages[3].buttons, 113, 116);
    pages[3].buttons.push_back({139, nullptr, nullptr});
    Range(pages[3].buttons, 156, 170);
    Range(pages[3].buttons, 174, 176);
    pages[4] = {"5", Codes({50, 122, 171})};
    const char* syllables[] = {"八", "大", "才", "台", "另", "打", "乙", "七", "不", "扑", "呆",
                               "仓", "扎", "多", "罗", "顷", "匝", "崩", "龙", "冬", "嘟", "噜"};
    for (int i = 0; i < 22; ++i) pages[4].buttons.push_back({10000 + i, syllables[i], nullptr});
    // The second button with Tag 120 (btnMoveAlteratr) moves the accidental
    // beside the cursor note instead of writing a double flat.
    int seen120 = 0;
    for (TPaletteButton& b : pages[0].buttons)
        if (b.tag == 120 && ++seen120 == 2) {
            b.caption = "\u266D\u2194";
            b.hint = "Move accidental";
            b.action = [] { MoveAccidentalSide(); };
        }
    auto* form = new TfrmSpecial(parent, QStringLiteral("Special Symbols"), 7, 23, pages,
                                       [](int code) { InsertSpecialSymbol(code); }, kSpecialLayoutId,
                                       "SP_Layout", "custom.sly");
    SetTag(form, 1006);
    form->SetFaceKind(pfSpecial);
    form->TagLayoutButtons(3125, 3126, 3135, 3114, 3134);
    form->TagLayoutDialogs(3108, 3112);
    // The three position buttons (bottom down at start) and Delete.
    QToolBar* bar = form->ToolBar();
    QAction* first = bar->actions().isEmpty() ? nullptr : bar->actions().first();
    auto* group = new QButtonGroup(form);
    std::vector<QAction*> added;
    for (auto [tag, face, hint, position] :
         {std::tuple{3116, "\u2193", "Add symbol on bottom", spBottom},
          std::tuple{3115, "\u2191", "Add symbol on top", spTop},
          std::tuple{3132, "\u2195", "Add symbol on middle", spMiddle}}) {
        const TSymbolPosition p = position;
        QAction* a = AddToolButton(form, bar, tag, face, hint, [p] { SpecialPositionClick(p); }, true);
        auto* b = qobject_cast<QAbstractButton*>(bar->widgetForAction(a));
        group->addButton(b);
        b->setChecked(p == spBottom);
        added.push_back(a);
    }
    SymbolPosition() = spBottom;
    added.push_back(AddToolButton(form, bar, 3133, "\u2715", "Delete symbol", [] { btnDeleteSymClick(); }));
    // They stand before the layout buttons.
    for (QAction* a : added) {
        bar->removeAction(a);
        bar->insertAction(first, a);
    }
    form->HiddenWhileEditing = added;
    NameButtons(*form, {{3116, "btnOnBot"}, {3115, "btnOnTop"}, {3132, "btnOnMid"}, {3133, "btnDeleteSym"},
                        {3125, "btnCustomerize"}, {3126, "btnExitCustom"}, {3135, "btnSaveCustom"},
                        {3114, "btnApplyCustom"}, {3134, "btnLoadLayout"}, {1, "btnFermataDn"}, {5, "btnRA"},
                        {6, "btnLA"}, {8, "btnV"}, {10, "btnZr"}, {14, "btn9"}, {15, "btnB"}, {16, "btnKn"},
                        {17, "btnYi"}, {18, "btnEr"}, {19, "btnSa"}, {24, "btnSi"}, {27, "btnZ"}, {28, "btnY"},
                        {35, "btnN"}, {36, "btnW"}, {41, "btnP"}, {96, "btnK"}, {109, "btnFermataUp"},
                        {111, "btnC"}, {123, "btn0"}, {124, "btn1"}, {125, "btn2"}, {126, "btn3"}, {127, "btn4"},
                        {128, "btn5"}, {130, "btnI"}, {131, "btnII"}, {132, "btnIII"}, {133, "btnIV"}});
    form->SetVisibleFlag = [](bool shown) {
        if (MainSettings()) MainSettings()->SpecialDlgVisible = shown;
    };
    form->OnActivate = [] { LeaveGongcheMode(); };
    form->KeyHintsWanted = [] { return PaletteHooks().SpecialKeysEnabled && PaletteHooks().SpecialKeysEnabled(); };
    form->OnKeyHints = [](TfrmPalette& f, bool show) {
        const TMainScore* s = frmMainTQ;
        if (s && HasWestRowInRange(0, s->Rows - 1, 0))
            SetLabels(f, show, {{124, "1"}, {125, "2"}, {126, "3"}, {127, "4"}, {128, "5"}});
        else
            SetLabels(f, show, {{18, "2"}, {19, "3"}, {24, "4"}, {35, "l"}, {36, "w"}});
        // btnI, btnII, btnIII and btnV (Tag 8).
        SetLabels(f, show, {{130, "a"}, {131, "b"}, {132, "c"}, {8, "d"}});
    };
    return form;
}

void SpecialPositionClick(TSymbolPosition position) { SymbolPosition() = position; }

void btnDeleteSymClick() {
    const TSymbolPosition p = SymbolPosition();
    DeleteSymbolSlot(p == spMiddle ? 0 : p == spTop ? 1 : -1);
}

TfrmDynMark* CreateDynMarkPalette(QWidget* parent) {
    std::vector<TPalettePage> pages(4);
    pages[0] = {"1", Codes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 25, 30, 39, 40, 41, 56, 65, 66, 67, 71, 81, 86,
                            87, 95, 96})};
    pages[1] = {"2", Codes({20, 21, 43, 48, 51, 52, 61, 62, 64})};
    Range(pages[1].buttons, 74, 80);
    Range(pages[1].buttons, 82, 85);
    Range(pages[1].buttons, 88, 92);
    pages[2] = {"3", Codes({22, 23, 24, 26, 27, 32, 33, 34, 35, 36, 37, 44, 45, 46, 47, 49, 50, 53, 55, 59,
                            69, 70, 94, 97, 98})};
    pages[3] = {"4", Codes({28, 29, 42, 73, 93, 99})};
    auto* form = new TfrmDynMark(
        parent, QStringLiteral("Dynamic Marks"), 5, 25, pages,
        [](int kind) {
            switch (kind) {
            case 32: AddChords(4, false); return;
            case 33: AddChords(4, true); return;
            case 34: AddChords(3, false); return;
            case 35: AddChords(3, true); return;
            case 36: AddChords(7, false); return;
            case 37: AddChords(7, true); return;
            case 87: {
                bool ok = false;
                const QString answer = QInputDialog::getText(nullptr, DialogString(317, "Multi-measure Rest"),
                                                             DialogString(318, "Enter the number of rest measures"),
                                                             QLineEdit::Normal, QString(), &ok);
                if (ok) InsertMultiMeasureRest(ParseMeasureCount(answer.toStdString()));
                return;
            }
            default: InsertMark(kind, true);
            }
        },
        kDynMarkLayoutId, "DM_Layout", "custom.dly");
    SetTag(form, 1007);
    form->SetFaceKind(pfDynMark);
    form->TagLayoutButtons(3104, 3105, 3110, 3114, 3106);
    form->TagLayoutDialogs(3106, 3110);
    // ToolBar1: the mark edits, above the layout bar.
    auto* bar1 = new QToolBar(form);
    static_cast<QBoxLayout*>(form->layout())->insertWidget(0, bar1);
    AddToolButton(form, bar1, 3100, "\u21C5", "Flip mark", [] { FlipMark(false); });
    AddToolButton(form, bar1, 3101, "H+", "Increase mark height", [] { ChangeMarkHeight(1); });
    AddToolButton(form, bar1, 3102, "H-", "Decrease mark height", [] { ChangeMarkHeight(-1); });
    AddToolButton(form, bar1, 3103, "\u2715", "Delete mark", [] { DeleteMark(); });
    AddToolButton(form, bar1, 3117, "W+", "Increase mark width", [] { ChangeMarkWidth(1); });
    AddToolButton(form, bar1, 3118, "W-", "Decrease mark width", [] { ChangeMarkWidth(-1); });
    AddToolButton(form, bar1, 3119, "\u21BA", "Reset layout to default", [] {});
    // Mark kind 38 has its button beside the mark edits, outside the pages and
    // their layout.
    {
        auto* mark38 = new TSymbolButton(form);
        mark38->setObjectName(QStringLiteral("SpeedButton38"));
        SetTag(mark38, 38);
        mark38->setFixedSize(25, 25);
        mark38->setText(QStringLiteral("38"));
        mark38->setProperty("Face", true);
        QObject::connect(mark38, &QToolButton::clicked, form, [form] {
            if (form->InEditMode())
                return;
            RunWithClickModifiers([] { InsertMark(38, true); });
            if (form->parentWidget())
                form->parentWidget()->window()->activateWindow();
        });
        bar1->addWidget(mark38);
    }
    QToolBar* bar2 = form->ToolBar();
    std::vector<QAction*> moves = {
        AddToolButton(form, bar2, 3120, "\u2191", "Move mark up", [] { MoveMark(-1); }),
        AddToolButton(form, bar2, 3121, "\u2193", "Move mark down", [] { MoveMark(1); }),
        AddToolButton(form, bar2, 3122, "e\u2191", "Move mark end up", [] { MoveMarkEnd(-1); }),
        AddToolButton(form, bar2, 3123, "e\u2193", "Move mark end down", [] { MoveMarkEnd(1); }),
    };
    // While the layout is edited, ToolBar1 and the move buttons are hidden.
    form->HiddenWhileEditing = moves;
    form->BarsHiddenWhileEditing = {bar1};
    NameButtons(*form, {{3100, "btnFlipMark"}, {3101, "btnExtendH"}, {3102, "btnDecreseH"}, {3103, "btnDeleteMark"},
                        {3117, "btnExtendW"}, {3118, "btnDecreseW"}, {3119, "btnReset"}, {3104, "btnCustomerize"},
                        {3105, "btnExitCustom"}, {3106, "btnLoadLayout"}, {3110, "btnSaveCustom"},
                        {3114, "btnApplyCustom"}, {3120, "btnMoveMarkUp"}, {3121, "btnMoveMarkDn"},
                        {3122, "btnMoveMarkEndUp"}, {3123, "btnMoveMarkEndDn"}, {4, "btnCrescendo"},
                        {5, "btnDimin"}, {32, "btnChord4"}, {33, "btnChord4Wave"}, {34, "btnChord3"},
                        {35, "btnChord3Wave"}, {36, "btnChord7"}, {37, "btnChord7Wave"}, {99, "btnDashLine3"}});
    form->SetVisibleFlag = [](bool shown) {
        if (MainSettings()) MainSettings()->DynDlgVisible = shown;
    };
    form->OnActivate = [] { LeaveGongcheMode(); };
    form->KeyHintsWanted = [] { return PaletteHooks().DynKeysEnabled && PaletteHooks().DynKeysEnabled(); };
    form->OnKeyHints = [](TfrmPalette& f, bool show) {
        SetLabels(f, show,
                  {{3100, "/"}, {3101, "(,9"}, {3102, "),0"}, {3117, "[,{"}, {3118, "],}"}, {3120, "-,_"},
                   {3121, "+,="}, {3122, ">,,"}, {3123, "<,."}, {3103, "d"}});
    };
    return form;
}

void TfrmGongChi::EnterGongcheChar(int c) { ::EnterGongcheChar(c); }

TfrmGongChi* CreateGongChiPalette(QWidget* parent) {
    std::vector<TPalettePage> pages(1);
    pages[0].caption = "Gongche";
    Range(pages[0].buttons, 1, 35);
    for (int t = -1; t >= -9; --t) pages[0].buttons.push_back({t, nullptr, nullptr});
    // The five marks: Tag 100 + mark.
    for (int m = 1; m <= 5; ++m) pages[0].buttons.push_back({100 + m, nullptr, nullptr});
    auto* form = new TfrmGongChi(parent, QStringLiteral("Gongche"), 7, 23, pages, [](int tag) {
        if (tag > 100) ToggleGongcheMark(tag - 100);
        else InsertGongcheSymbol(tag);
    });
    // Titled, and its one page named, by the palette's own name.
    SetTag(form, 456);
    SetTag(form->Pages()->widget(0), 456);
    form->SetFaceKind(pfGongche);
    // Every Gongche button's hint is the key that starts Gongche entry.
    for (QToolButton* b : form->ButtonsOfPage(0)) b->setToolTip(QStringLiteral("e"));
    form->SetVisibleFlag = [](bool shown) {
        if (MainSettings()) MainSettings()->GongChiDlgVisible = shown;
        // Gongche entry lasts as long as its palette is shown.
        TMainView* v = View();
        if (!shown && v && v->GongChiMode) {
            v->GongChiMode = false;
            v->RedrawPage();
        }
    };
    form->OnActivate = [] {
        TMainView* v = View();
        if (!v || v->GongChiMode) return;
        v->GongChiMode = true;
        v->RedrawPage();
    };
    return form;
}

void TfrmTextSymbols::SetSymbolSizeQuietly(int value) {
    if (!spnSymSize) return;
    spnSymSize->setProperty("quiet", true);
    spnSymSize->setValue(value);
    spnSymSize->setProperty("quiet", false);
}

void TfrmTextSymbols::showEvent(QShowEvent* e) {
    // The spin shows the open score's size.
    if (frmMainTQ) SetSymbolSizeQuietly(frmMainTQ->TextSymSize);
    TfrmPalette::showEvent(e);
}

TfrmTextSymbols* CreateTextSymbolsPalette(QWidget* parent) {
    std::vector<TPalettePage> pages(3);
    pages[0] = {"Dynamic", Codes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})};
    for (auto [id, c] : std::initializer_list<std::pair<int, const char*>>{
             {13, "D.S."}, {14, "D.C."}, {15, "tr"}, {18, "sempre"}, {19, "poco"}, {20, "sub."},
             {21, "dim."}, {22, "cresc."}, {23, "gliss."}, {25, "decre."}, {26, "Fine"}, {38, "rit."},
             {39, "tempo"}, {42, "Rall."}, {43, "similar"}, {48, "accel"}, {49, "messo"}, {78, "sff"},
             {79, "Coda"}, {101, "Tempo I"}, {102, "Tempo II"}})
        pages[0].buttons.push_back({id, c, nullptr});
    pages[1].caption = "Tempo";
    for (auto [id, c] : std::initializer_list<std::pair<int, const char*>>{
             {30, "Largo"}, {31, "Larghetto"}, {32, "Adagio"}, {33, "Andante"}, {34, "Moderato"},
             {35, "Allegro"}, {36, "Presto"}, {37, "Prestissimo"}, {40, "Allegretto"}, {44, "Lento"},
             {45, "Andantino"}, {46, "Vivace"}, {80, "Grave"}, {81, "allargando"}, {82, "Sostenuto"},
             {83, "Comodo"}, {84, "Vivo"}, {86, "Ad Libitum"}, {87, "Agiato"}, {88, "piu mosso"}})
        pages[1].buttons.push_back({id, c, nullptr});
    pages[2].caption = "Chinese";
    for (auto [id, c] : std::initializer_list<std::pair<int, const char*>>{
             {50, "庄板"}, {51, "慢板"}, {52, "中板"}, {53, "小快板"}, {54, "快板"}, {55, "渐快"},
             {57, "渐慢"}, {58, "原速"}, {59, "稍慢"}, {60, "最弱"}, {61, "很弱"}, {62, "中弱"},
             {63, "弱"}, {64, "中强"}, {65, "强"}, {66, "很强"}, {67, "最强"}, {68, "渐弱"},
             {70, "突强"}, {71, "强弱"}, {74, "稍快"}, {76, "原速 I"}, {77, "原速 II"}, {90, "广板"},
             {91, "柔板"}, {92, "小广板"}, {93, "行板"}, {94, "如歌行板"}, {95, "慢中板"}, {96, "速板"},
             {97, "快速板"}, {98, "急板"}, {99, "小行板"}, {100, "最急板"}})
        pages[2].buttons.push_back({id, c, nullptr});
    auto* form = new TfrmTextSymbols(parent, QStringLiteral("Text Symbols"), 4, 60, pages,
                                     [](int id) { InsertTextSymbol(id); });
    SetTag(form, 457);
    for (int p = 0; p < 3; ++p) SetTag(form->Pages()->widget(p), 462 + p);
    form->SetFaceKind(pfTextSymbol);
    form->SetVisibleFlag = [](bool shown) {
        if (MainSettings()) MainSettings()->TextSymDlgVisible = shown;
    };
    form->OnActivate = [] { LeaveGongcheMode(); };
    auto* spin = new QSpinBox(form);
    spin->setObjectName(QStringLiteral("spnSymSize"));
    spin->setRange(4, 20);
    form->spnSymSize = spin;
    form->SetSymbolSizeQuietly(frmMainTQ ? frmMainTQ->TextSymSize : 8);
    QObject::connect(spin, &QSpinBox::valueChanged, form, [spin](int v) {
        if (spin->property("quiet").toBool()) return;
        SetTextSymSize(v);
    });
    // The size panel stands on the first page, after its last button.
    QWidget* first = form->Pages()->widget(0);
    const int size = 60, columns = 4;
    const int count = int(form->ButtonsOfPage(0).size());
    int col = count % columns, row = count / columns;
    if (columns - col < 2) { // too little room left in the last row
        col = 0;
        row += 1;
    }
    if ((row + 1) * size > first->height()) first->setFixedHeight((row + 1) * size);
    auto* pnlTextSize = new QWidget(first);
    pnlTextSize->setObjectName(QStringLiteral("pnlTextSize"));
    pnlTextSize->setGeometry(col * size, row * size, (columns - col) * size, size);
    spin->setParent(pnlTextSize);
    auto* sizeRow = new QHBoxLayout(pnlTextSize);
    sizeRow->setContentsMargins(4, 0, 4, 0);
    auto* label = new QLabel(DialogString(661, "Text Size"), pnlTextSize);
    label->setObjectName(QStringLiteral("lblSymSize"));
    SetTag(label, 661);
    label->setBuddy(spin);
    sizeRow->addWidget(label);
    sizeRow->addWidget(spin, 1);
    // Hints: the tempo a tempo word stands for, or the gloss of a Chinese word.
    const std::pair<int, const char*> hints[] = {
        {12, "强弱"},       {30, "46"},           {31, "60"},           {32, "56"},          {33, "66"},
        {34, "88"},         {35, "115"},          {36, "189"},          {37, "210"},         {40, "108"},
        {44, "52"},         {45, "69"},           {46, "160"},          {80, "40"},          {81, "132"},
        {82, "76"},         {83, "80"},           {84, "152"},          {50, "Grave, 40"},   {51, "Lento, 52"},
        {52, "Moderato, 88"}, {53, "Allegretto, 108"}, {54, "Allegro, 132"}, {55, "Accel"}, {57, "Rit, Rall"},
        {58, "Tempo"},      {59, "Meno Mosso"},   {60, "ppp"},          {61, "pp"},          {62, "mp"},
        {63, "p"},          {64, "mf"},           {65, "f"},            {66, "ff"},          {67, "fff"},
        {68, "Smorendo"},   {70, "sf"},           {71, "fs"},           {74, "Piu Mosso"},   {76, "Tempo I"},
        {77, "Tempo II"},   {90, "Largo, 46"},    {91, "Adagio, 56"},   {92, "Larghetto, 60"}, {93, "Andante, 66"},
        {94, "Sostenato, 76"}, {95, "Comodo, 80"}, {96, "Vivo, 152"},   {97, "Vivace, 160"}, {98, "Presto, 189"},
        {99, "Andantino, 69"}, {100, "Pretissimo, 210"}};
    for (const auto& [id, hint] : hints)
        for (QAbstractButton* b : form->ButtonsWithTag(id))
            b->setToolTip(QString::fromUtf8(hint));
    return form;
}
