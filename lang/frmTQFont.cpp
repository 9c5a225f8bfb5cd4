#include "lang/frmTQFont.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void AddOnce(std::vector<std::string>& list, const std::string& name) {
    if (std::find(list.begin(), list.end(), name) == list.end())
        list.push_back(name);
}

const char* const kLeftOut[] = {"light", "small", "black", "medium", "narrow", "condensed",
                                "compressed", "titling", "demi", "heavy", "thin"};

// The example paint box: the sample text in the chosen font.
class TExampleBox : public QWidget {
public:
    explicit TExampleBox(TfrmSetFont* form) : QWidget(form), form_(form) { setMinimumSize(260, 60); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        QFont f(Q(form_->FontName()));
        const int s = form_->GetStyleBits();
        f.setBold(s & 1);
        f.setItalic(s & 2);
        f.setUnderline(s & 4);
        f.setStrikeOut(s & 8);
        f.setPointSize(16);
        p.setFont(f);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("AaBbYyZz 中文字体样本"));
    }

private:
    TfrmSetFont* form_;
};

int FlagsOf(const TCell& c) { return c.upNote; }

void SetFlag(TCell& c, int flag, bool on) {
    if (on)
        c.upNote |= flag;
    else
        c.upNote &= ~flag;
}

// The cell's name as a preference code or a real name (bytes of its charset).
std::string CellBytes(const std::string& utf8, int charset) {
    std::string out;
    if (Utf8ToCharset(utf8, charset, out))
        return out;
    return utf8;
}

} // namespace

void AddFontFace(TFontLists& lists, const std::string& fullName, const std::string& styleName,
                 const std::string& scriptName) {
    AddOnce(lists.All, fullName);
    std::string name = fullName;
    std::string lower = Lower(fullName);
    std::string style = Lower(styleName);
    for (const char* cut : {" italic", " bold"}) {
        const std::size_t at = lower.find(cut);
        if (at != std::string::npos && at > 2) {
            name = name.substr(0, at);
            lower = lower.substr(0, at);
            style = "regular";
        }
    }
    if (name.find('@') != std::string::npos)
        return;
    for (const char* word : kLeftOut)
        if (lower.find(word) != std::string::npos)
            return;
    if (style.find("regular") == std::string::npos)
        return;
    const std::string script = Lower(scriptName);
    if (script.find("west") != std::string::npos || scriptName.find("西方") != std::string::npos)
        AddOnce(lists.West, name);
    else if (script.find("chinese") != std::string::npos || scriptName.find("中文") != std::string::npos)
        AddOnce(lists.Chinese, name);
}

int GetCellFontStyle(const TCell& cell, int kind) {
    if (FlagsOf(cell) & kOwnStyleFlag)
        return cell.FontStyle;
    const TMainScore* m = frmMainTQ;
    if (kind == 3)
        return m ? m->NoteFontStyle : 1;
    if (kind == 1 || cell.FontCharset == 134)
        return m ? m->ChineseFontStyle : 0;
    if (kind == 4)
        return cell.FontStyle;
    return m ? m->EnglishFontStyle : 1;
}

int GetCellTextColour(const TCell& cell, int normalColour) {
    return (FlagsOf(cell) & kOwnColourFlag) ? cell.FontColor : normalColour;
}

TfrmSetFont::TfrmSetFont(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetFont"));
    SetTag(this, 665);
    setWindowTitle(QStringLiteral("Font"));
    auto* grid = new QGridLayout(this);
    edtFontName = new QLineEdit(this);
    lstFontList = new QListWidget(this);
    grid->addWidget(edtFontName, 0, 0);
    grid->addWidget(lstFontList, 1, 0, 3, 1);

    auto* GroupBox2 = new QGroupBox(QStringLiteral("Font Type"), this);
    SetTag(GroupBox2, 653);
    auto* types = new QVBoxLayout(GroupBox2);
    rbtWest = new QRadioButton(QStringLiteral("West"), GroupBox2);
    rbtChinese = new QRadioButton(QStringLiteral("Chinese"), GroupBox2);
    rbtAll = new QRadioButton(QStringLiteral("All"), GroupBox2);
    SetTag(rbtWest, 650);
    SetTag(rbtChinese, 651);
    SetTag(rbtAll, 652);
    rbtWest->setChecked(true);
    for (QRadioButton* r : {rbtWest, rbtChinese, rbtAll}) {
        types->addWidget(r);
        connect(r, &QRadioButton::clicked, this, [this] { ShowFontList(); });
    }
    grid->addWidget(GroupBox2, 0, 1, 2, 1);

    auto* gbxFontStyle = new QGroupBox(QStringLiteral("Font Style"), this);
    SetTag(gbxFontStyle, 658);
    auto* styles = new QVBoxLayout(gbxFontStyle);
    chkBold = new QCheckBox(QStringLiteral("Bold"), gbxFontStyle);
    chkItalic = new QCheckBox(QStringLiteral("Italic"), gbxFontStyle);
    chkUnderline = new QCheckBox(QStringLiteral("Underline"), gbxFontStyle);
    chkStrickout = new QCheckBox(QStringLiteral("Strickout"), gbxFontStyle);
    SetTag(chkBold, 654);
    SetTag(chkItalic, 655);
    SetTag(chkUnderline, 656);
    SetTag(chkStrickout, 657);
    for (QCheckBox* c : {chkBold, chkItalic, chkUnderline, chkStrickout}) {
        styles->addWidget(c);
        connect(c, &QCheckBox::toggled, this, [this] { pbxExample->update(); });
    }
    grid->addWidget(gbxFontStyle, 2, 1);

    gbxTxSize = new QGroupBox(QStringLiteral("Misc."), this);
    SetTag(gbxTxSize, 660);
    auto* misc = new QGridLayout(gbxTxSize);
    auto* lblColor = new QLabel(QStringLiteral("Text Color"), gbxTxSize);
    SetTag(lblColor, 662);
    edtTextColor = new QLineEdit(gbxTxSize);
    edtTextColor->setReadOnly(true);
    auto* btnColor = new QPushButton(QStringLiteral("Change"), gbxTxSize);
    SetTag(btnColor, 2059);
    auto* Label1 = new QLabel(QStringLiteral("Text Size"), gbxTxSize);
    SetTag(Label1, 661);
    edtTextSize = new QLineEdit(QStringLiteral("1.0"), gbxTxSize);
    auto* up = new QToolButton(gbxTxSize);
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(gbxTxSize);
    down->setArrowType(Qt::DownArrow);
    misc->addWidget(lblColor, 0, 0);
    misc->addWidget(edtTextColor, 0, 1);
    misc->addWidget(btnColor, 0, 2);
    misc->addWidget(Label1, 1, 0);
    misc->addWidget(edtTextSize, 1, 1);
    misc->addWidget(up, 1, 2);
    misc->addWidget(down, 1, 3);
    grid->addWidget(gbxTxSize, 3, 1);
    chkBox = new QCheckBox(QStringLiteral("Box Around Text"), this);
    SetTag(chkBox, 663);
    grid->addWidget(chkBox, 4, 1);
    connect(up, &QToolButton::clicked, this, [this] { CSpinButton1UpClick(); });
    connect(down, &QToolButton::clicked, this, [this] { CSpinButton1DownClick(); });
    connect(btnColor, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(QColor(TextColour & 0xFF, (TextColour >> 8) & 0xFF,
                                                       (TextColour >> 16) & 0xFF), this);
        if (c.isValid()) {
            TextColour = c.red() | (c.green() << 8) | (c.blue() << 16);
            ShowTextColour();
        }
    });

    auto* GroupBox1 = new QGroupBox(QStringLiteral("Example"), this);
    SetTag(GroupBox1, 664);
    auto* ex = new QVBoxLayout(GroupBox1);
    pbxExample = new TExampleBox(this);
    ex->addWidget(pbxExample);
    grid->addWidget(GroupBox1, 4, 0);

    auto* buttons = new QHBoxLayout;
    btnDefault = new QPushButton(QStringLiteral("Default"), this);
    SetTag(btnDefault, sidFontDefaultButton);
    btnFontOk = new QPushButton(QStringLiteral("OK"), this);
    btnButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(btnFontOk, 1009);
    SetTag(btnButtonCancel, 1010);
    buttons->addWidget(btnDefault);
    buttons->addStretch();
    buttons->addWidget(btnFontOk);
    buttons->addWidget(btnButtonCancel);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(btnDefault, &QPushButton::clicked, this, [this] {
        btnDefaultClick();
        accept();
    });
    connect(btnFontOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstFontList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        selecting_ = true;
        edtFontName->setText(item->text());
        selecting_ = false;
        pbxExample->update();
    });
    connect(edtFontName, &QLineEdit::textChanged, this, [this] { edtFontNameChange(); });

    TextColour = NormalColour;
    ShowTextColour();
}

void TfrmSetFont::showEvent(QShowEvent* event) {
    Language->SetLanguage(this);
    QDialog::showEvent(event);
}

void TfrmSetFont::ShowTextColour() {
    edtTextColor->setStyleSheet(QStringLiteral("background: %1;")
                                    .arg(QColor(TextColour & 0xFF, (TextColour >> 8) & 0xFF,
                                                (TextColour >> 16) & 0xFF)
                                             .name()));
}

void TfrmSetFont::FillFontLists() {
    // Every family in every script; the scripts a family supports say which
    // list it joins (Latin as West, Simplified Chinese as Chinese).
    std::vector<std::vector<std::string>> faces;
    for (const QString& family : QFontDatabase::families()) {
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        std::string script = "other";
        if (systems.contains(QFontDatabase::SimplifiedChinese))
            script = "Chinese";
        else if (systems.contains(QFontDatabase::Latin))
            script = "Western";
        for (const QString& style : QFontDatabase::styles(family)) {
            const std::string fullName =
                S(style.compare(QStringLiteral("Regular"), Qt::CaseInsensitive) == 0 ? family
                                                                                     : family + QLatin1Char(' ') + style);
            faces.push_back({fullName, S(style), script});
        }
    }
    FillFontLists(faces);
}

void TfrmSetFont::FillFontLists(const std::vector<std::vector<std::string>>& faces) {
    Lists = TFontLists{};
    for (const auto& f : faces)
        if (f.size() == 3)
            AddFontFace(Lists, f[0], f[1], f[2]);
    std::sort(Lists.West.begin(), Lists.West.end());
    std::sort(Lists.Chinese.begin(), Lists.Chinese.end());
    std::sort(Lists.All.begin(), Lists.All.end());
    ShowFontList();
}

void TfrmSetFont::ShowFontList() {
    const std::vector<std::string>& list =
        rbtWest->isChecked() ? Lists.West : rbtChinese->isChecked() ? Lists.Chinese : Lists.All;
    lstFontList->clear();
    for (const std::string& name : list)
        lstFontList->addItem(Q(name));
    edtFontNameChange();
}

void TfrmSetFont::edtFontNameChange() {
    if (selecting_)
        return;
    const QString typed = edtFontName->text();
    for (int i = 0; i < lstFontList->count(); ++i)
        if (!typed.isEmpty() && lstFontList->item(i)->text().contains(typed, Qt::CaseSensitive)) {
            lstFontList->setCurrentRow(i);
            break;
        }
    pbxExample->update();
}

int TfrmSetFont::GetStyleBits() const {
    return (chkBold->isChecked() ? 1 : 0) | (chkItalic->isChecked() ? 2 : 0) | (chkUnderline->isChecked() ? 4 : 0) |
           (chkStrickout->isChecked() ? 8 : 0);
}

std::string TfrmSetFont::FontName() const { return S(edtFontName->text()); }

bool TfrmSetFont::LoadFont(int mode) {
    TMainScore* m = frmMainTQ;
    rbtWest->setChecked(true);
    if (mode != -1) {
        // A preference font: the dialog shows the one being edited.
        edtFontName->setText(Q(PreferenceFontName));
        const int s = PreferenceFontStyle;
        chkBold->setChecked(s & 1);
        chkItalic->setChecked(s & 2);
        chkUnderline->setChecked(s & 4);
        chkStrickout->setChecked(s & 8);
        chkBox->hide();
        gbxTxSize->hide();
        chkUnderline->hide();
        chkStrickout->hide();
        btnDefault->hide();
        (mode == 0 ? rbtChinese : rbtWest)->setChecked(true);
        TextColour = NormalColour;
        ShowTextColour();
        ShowFontList();
        return true;
    }
    if (!m || m->PageSets[static_cast<std::size_t>(CurLayer)].size() <= static_cast<std::size_t>(m->CurPage))
        return false;
    const TPage& page = m->PageSets[static_cast<std::size_t>(CurLayer)][static_cast<std::size_t>(m->CurPage)];
    const TCell* target = nullptr;
    const int r0 = std::max(0, std::min(m->SelRow0, m->SelRow1)), r1 = std::min(m->Rows - 1, std::max(m->SelRow0, m->SelRow1));
    const int c0 = std::max(0, std::min(m->SelCol0, m->SelCol1)), c1 = std::min(m->Cols - 1, std::max(m->SelCol0, m->SelCol1));
    for (int r = r0; r <= r1 && !target; ++r)
        for (int c = c0; c <= c1 && !target; ++c)
            if (IsColorableCell(page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]))
                target = &page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    if (!target)
        return false;
    const TCell& cell = *target;
    std::string code = cell.FontName;
    if (code.empty())
        code = (cell.cellType == ctJianpu && IsJianpuSound(cell)) ? "NT" : "EN";
    const int kind = GetFontKind(code);
    std::string shown;
    if (kind == 1 || cell.FontCharset == 134) {
        rbtChinese->setChecked(true);
        shown = m->ChineseFontName;
    } else if (kind == 2) {
        shown = m->EnglishFontName;
    } else if (kind == 3) {
        shown = m->NoteFontName;
    } else {
        shown = code;
    }
    if (kind == 4 || kind == 0) {
        std::string utf8;
        shown = CharsetToUtf8(cell.FontName, cell.FontCharset, utf8) ? utf8 : cell.FontName;
    }
    edtFontName->setText(Q(shown));
    const int s = GetCellFontStyle(cell, kind);
    chkBold->setChecked(s & 1);
    chkItalic->setChecked(s & 2);
    chkUnderline->setChecked(s & 4);
    chkStrickout->setChecked(s & 8);
    if (cell.cellType == ctText)
        chkBox->setChecked((cell.Attr & 0xF0u) == 0xF0u);
    else
        chkBox->hide();
    edtTextSize->setText(QString::number(static_cast<double>(cell.fontSizeR), 'f', 2));
    TextColour = GetCellTextColour(cell, NormalColour);
    ShowTextColour();
    ShowFontList();
    return true;
}

void TfrmSetFont::ApplyFontToSelection() {
    TMainScore* m = frmMainTQ;
    if (!m || m->PageSets[static_cast<std::size_t>(CurLayer)].size() <= static_cast<std::size_t>(m->CurPage))
        return;
    Undo.SaveUndo();
    if (DefaultRequested) {
        ResetSelectionFonts();
        return;
    }
    const int s = GetStyleBits();
    const std::string name = FontName();
    const bool chinese = rbtChinese->isChecked();
    double size = std::atof(S(edtTextSize->text()).c_str());
    if (size <= 0.0)
        size = 1.0;
    TPage& page = m->PageSets[static_cast<std::size_t>(CurLayer)][static_cast<std::size_t>(m->CurPage)];
    const int r0 = std::max(0, std::min(m->SelRow0, m->SelRow1)), r1 = std::min(m->Rows - 1, std::max(m->SelRow0, m->SelRow1));
    const int c0 = std::max(0, std::min(m->SelCol0, m->SelCol1)), c1 = std::min(m->Cols - 1, std::max(m->SelCol0, m->SelCol1));
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            TCell& cell = page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            auto follow = [&](const std::string& prefName, int prefStyle, const char* code, int charset) {
                SetFlag(cell, kOwnStyleFlag, s != prefStyle);
                if (name == prefName) {
                    cell.FontName = code;
                    SetFlag(cell, kOwnNameFlag, false);
                } else {
                    cell.FontName = CellBytes(name, charset);
                    SetFlag(cell, kOwnNameFlag, true);
                }
            };
            if (cell.cellType == ctTimeSig) {
                cell.FontColor = TextColour;
            } else if (cell.cellType == ctJianpu) {
                follow(m->NoteFontName, m->NoteFontStyle, "NT", m->NoteFontCharset);
            } else if (chinese) {
                follow(m->ChineseFontName, m->ChineseFontStyle, "CN", 134);
            } else {
                follow(m->EnglishFontName, m->EnglishFontStyle, "EN", 0);
            }
            cell.FontStyle = s;
            if (chkBox->isVisible() && chkBox->isChecked())
                cell.Attr = (cell.Attr & ~0xF0u) | 0xF0u;
            if (TextColour == 0) {
                SetFlag(cell, kOwnColourFlag, false);
            } else if (IsColorableCell(cell)) {
                cell.FontColor = TextColour;
                SetFlag(cell, kOwnColourFlag, true);
            }
            cell.fontSizeR = static_cast<float>(size);
        }
}

void TfrmSetFont::ResetSelectionFonts() {
    TMainScore* m = frmMainTQ;
    if (!m || m->PageSets[static_cast<std::size_t>(CurLayer)].size() <= static_cast<std::size_t>(m->CurPage))
        return;
    TPage& page = m->PageSets[static_cast<std::size_t>(CurLayer)][static_cast<std::size_t>(m->CurPage)];
    const int r0 = std::max(0, std::min(m->SelRow0, m->SelRow1)), r1 = std::min(m->Rows - 1, std::max(m->SelRow0, m->SelRow1));
    const int c0 = std::max(0, std::min(m->SelCol0, m->SelCol1)), c1 = std::min(m->Cols - 1, std::max(m->SelCol0, m->SelCol1));
    const int cursorType = page[static_cast<std::size_t>(std::max(0, m->SelRow0))][static_cast<std::size_t>(std::max(0, m->SelCol0))].cellType;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            TCell& cell = page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            SetFlag(cell, kOwnStyleFlag, false);
            SetFlag(cell, kOwnNameFlag, false);
            if (cursorType == ctJianpu) {
                cell.FontName = "NT";
                cell.FontStyle = m->NoteFontStyle;
                cell.FontCharset = 1;
            } else if (!rbtChinese->isChecked()) {
                cell.FontName = "EN";
                cell.FontStyle = m->EnglishFontStyle;
                cell.FontCharset = 1;
            } else {
                cell.FontName = "CN";
                cell.FontStyle = m->ChineseFontStyle;
            }
        }
}

void TfrmSetFont::CSpinButton1UpClick() {
    double v = std::atof(S(edtTextSize->text()).c_str());
    if (v == 0.0)
        v = 1.0;
    else if (v >= 2.0)
        v += 0.5;
    else
        v += 0.2;
    edtTextSize->setText(QString::number(v, 'f', 2));
}

void TfrmSetFont::CSpinButton1DownClick() {
    double v = std::atof(S(edtTextSize->text()).c_str());
    if (v <= 0.2)
        v = 1.0;
    else
        v -= 0.2;
    edtTextSize->setText(QString::number(v, 'f', 2));
}

void TfrmSetFont::btnDefaultClick() { DefaultRequested = true; }
