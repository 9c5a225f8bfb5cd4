#include "palettes/frmTQPalettes.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
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

#include "lang/modTQLanguage.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteOps.h"
#include "palettes/modTQSpecial.h"

std::string LayoutFolder() {
    const std::string folder = TQUserFolder() + "Layout/";
    ForceDirectories(folder);
    return folder;
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
            auto* button = new QToolButton(sheet);
            SetTag(button, b.tag);
            button->setFixedSize(buttonSize, buttonSize);
            button->move(int(i % std::size_t(columns)) * buttonSize, int(i / std::size_t(columns)) * buttonSize);
            button->setText(b.caption ? QString::fromUtf8(b.caption) : QString::number(b.tag));
            if (b.hint) button->setToolTip(QString::fromUtf8(b.hint));
            connect(button, &QToolButton::clicked, this, [this, button] {
                if (!editMode_ && onClick_) onClick_(TagOf(button));
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

void TfrmPalette::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    KeepOnScreen();
}

// ---------------------------------------------------------------- layout edit view

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
    TLayoutView(TLayoutMgr& mgr, std::function<QString(int)> text, QWidget* parent)
        : QWidget(parent), mgr_(mgr), text_(std::move(text)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const int w = mgr_.ButtonWidth(), h = mgr_.ButtonHeight();
        for (const auto& m : mgr_.BuildPageMarks(height())) {
            if (m.separator) p.fillRect(m.left, m.top, m.width, m.height, Qt::gray);
            else p.drawText(m.left, m.top + 12, QString::fromStdString(m.caption));
        }
        p.setPen(Qt::black);
        for (int i = 0; i < mgr_.Count(); ++i) {
            int x, y;
            mgr_.SlotDrawPos(i, x, y);
            p.drawRect(x, y, w - 1, h - 1);
            p.drawText(QRect(x, y, w, h), Qt::AlignCenter, text_(mgr_.Item(i).button));
        }
        if (mgr_.Dragging()) {
            // The drag image as an overlay, repainted with every move.
            p.setPen(QPen(Qt::darkYellow, 2));
            const int x = mgr_.DragImageX(), y = mgr_.DragImageY();
            p.drawRect(x, y, w, h);
            p.drawText(QRect(x, y, w, h), Qt::AlignCenter, text_(mgr_.DragSource().button));
        }
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
    TLayoutMgr& mgr_;
    std::function<QString(int)> text_;
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
    view_ = new TLayoutView(*layout_, [this](int button) {
        if (button < 0 || button >= int(adapter_->buttons.size())) return QString();
        return adapter_->buttons[std::size_t(button)]->text();
    }, notebook_);
    notebook_->addWidget(view_);
    btnCustomerize_ = toolBar_->addAction(QStringLiteral("Rearange Layout"), this,
                                          [this] { btnCustomerizeClick(); });
    btnExitCustom_ = toolBar_->addAction(QStringLiteral("Exit Layout"), this, [this] { btnExitCustomClick(); });
    btnSaveCustom_ = toolBar_->addAction(QStringLiteral("Save Layout"), this, [this] {
        const bool special = paletteId_ == kSpecialLayoutId;
        const QString name = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Layout To File"), QString::fromStdString(layoutFile_),
            special ? QStringLiteral("Special Symbol Layout Files(*.sly);;All Files(*.*)")
                    : QStringLiteral("Dynamic Mark Layout Files(*.dly);;All Files(*.*)"));
        if (!name.isEmpty()) SaveLayout(name.toStdString());
    });
    btnApplyCustom_ = toolBar_->addAction(QStringLiteral("Apply Layout"), this, [this] { btnApplyCustomClick(); });
    btnLoadLayout_ = toolBar_->addAction(QStringLiteral("Load Layout"), this, [this] {
        const bool special = paletteId_ == kSpecialLayoutId;
        const QString name = QFileDialog::getOpenFileName(
            this, QStringLiteral("Open Layout File"), QString::fromStdString(layoutFile_),
            special ? QStringLiteral("Special Symbol Layout Files(*.sly);;All Files(*.*)")
                    : QStringLiteral("Dynamic Mark Layout Files(*.dly);;All Files(*.*)"));
        if (!name.isEmpty()) LoadLayout(name.toStdString());
    });
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

void TfrmLayoutPalette::SaveLayout(const std::string& fileName) {
    layout_->SaveLayoutFile(paletteId_, fileName);
}

void TfrmLayoutPalette::closeEvent(QCloseEvent* e) {
    if (editMode_) btnExitCustomClick();
    TfrmPalette::closeEvent(e);
}

// ---------------------------------------------------------------- the four palettes

namespace {

std::vector<TPaletteButton> Codes(std::initializer_list<int> codes) {
    std::vector<TPaletteButton> out;
    for (int c : codes) out.push_back({c, nullptr, nullptr});
    return out;
}

void Range(std::vector<TPaletteButton>& v, int from, int to) {
    for (int c = from; c <= to; ++c) v.push_back({c, nullptr, nullptr});
}

} // namespace

TfrmLayoutPalette* CreateSpecialPalette(QWidget* parent) {
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
    return new TfrmLayoutPalette(parent, QStringLiteral("Special Symbols"), 7, 23, pages,
                                 [](int code) { InsertSpecialSymbol(code); }, kSpecialLayoutId,
                                 "SP_Layout", "custom.sly");
}

TfrmLayoutPalette* CreateDynMarkPalette(QWidget* parent) {
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
    return new TfrmLayoutPalette(
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
                const QString answer = QInputDialog::getText(nullptr, QStringLiteral("Multi-measure rest"),
                                                             QStringLiteral("Number of rest measures"),
                                                             QLineEdit::Normal, QString(), &ok);
                if (ok) InsertMultiMeasureRest(ParseMeasureCount(answer.toStdString()));
                return;
            }
            default: InsertMark(kind, true);
            }
        },
        kDynMarkLayoutId, "DM_Layout", "custom.dly");
}

TfrmPalette* CreateGongChiPalette(QWidget* parent) {
    std::vector<TPalettePage> pages(1);
    pages[0].caption = "GongChi";
    Range(pages[0].buttons, 1, 35);
    for (int t = -1; t >= -9; --t) pages[0].buttons.push_back({t, nullptr, nullptr});
    // The five marks: Tag 100 + mark.
    for (int m = 1; m <= 5; ++m) pages[0].buttons.push_back({100 + m, nullptr, nullptr});
    auto* form = new TfrmPalette(parent, QStringLiteral("GongChi"), 7, 23, pages, [](int tag) {
        if (tag > 100) ToggleGongcheMark(tag - 100);
        else InsertGongcheSymbol(tag);
    });
    return form;
}

TfrmPalette* CreateTextSymbolsPalette(QWidget* parent) {
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
             {35, "Allegro"}, {36, "Presto"}, {37, "Prestissim"}, {40, "Allegretto"}, {44, "Lento"},
             {45, "Andantino"}, {46, "Vivace"}, {80, "Grave"}, {81, "sllargando"}, {82, "Sostenato"},
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
    auto* form = new TfrmPalette(parent, QStringLiteral("Text Symbols"), 4, 60, pages,
                                 [](int id) { InsertTextSymbol(id); });
    auto* spin = new QSpinBox(form);
    spin->setObjectName(QStringLiteral("spnSymSize"));
    spin->setRange(4, 20);
    spin->setValue(frmMainTQ ? frmMainTQ->TextSymSize : 8);
    QObject::connect(spin, &QSpinBox::valueChanged, form, [spin](int v) {
        if (spin->property("quiet").toBool()) return;
        SetTextSymSize(v);
    });
    form->layout()->addWidget(spin);
    return form;
}
