#include "palettes/frmTQClefStaff.h"

#include <QButtonGroup>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"

namespace {

// Staff steps above the bottom line of the accidentals of a key signature on
// the treble staff, in the order they are written.
constexpr int kSharpSteps[7] = {8, 5, 9, 6, 3, 7, 4};
constexpr int kFlatSteps[7] = {4, 7, 3, 6, 2, 5, 1};

// Sharps (positive) or flats (negative) of a key code.
int AccidentalCount(int key) {
    static const int counts[15] = {0, 1, 2, 3, 4, 5, -1, -2, -3, -4, -5, -6, -7, 6, 7};
    return key >= 0 && key < 15 ? counts[key] : 0;
}

} // namespace

QPixmap KeySignaturePicture(int key, int clef, int height) {
    const double space = height / 6.0; // a staff space
    const int width = int(space * 12.5);
    QPixmap pm(width, height);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, std::max(1.0, space / 10)));
    const double bottom = space * 5;
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(0, bottom - i * space), QPointF(width, bottom - i * space));
    QFont f(QStringLiteral("Bravura"));
    f.setPixelSize(int(space * 4));
    p.setFont(f);
    // The clef glyph and the line it stands on (steps above the bottom line).
    char32_t glyph = 0xE050;
    int clefStep = 2, shift = 0;
    switch (clef) {
    case -2: glyph = 0xE062; clefStep = 6; shift = -2; break;
    case -3: glyph = 0xE05C; clefStep = 4; shift = -1; break;
    case -5: glyph = 0xE05C; clefStep = 6; shift = 1; break;
    default: break;
    }
    auto y = [&](int step) { return bottom - step * space / 2; };
    p.drawText(QPointF(space * 0.4, y(clefStep)), QString::fromUcs4(&glyph, 1));
    const int n = AccidentalCount(key);
    const char32_t sign = n > 0 ? 0xE262 : 0xE260;
    for (int i = 0; i < std::abs(n); ++i) {
        int step = (n > 0 ? kSharpSteps : kFlatSteps)[i] + shift;
        // Tenor sharps are written an octave lower where they would leave the staff.
        if (n > 0 && clef == -5 && step > 8) step -= 7;
        p.drawText(QPointF(space * (3.6 + 1.05 * i), y(step)), QString::fromUcs4(&sign, 1));
    }
    return pm;
}

TfrmClefStaff::TfrmClefStaff(QWidget* parent) : QDialog(parent) {
    SetTag(this, 2500);
    setWindowTitle(DialogString(2500, "Clef and Staff"));
    auto* box = new QVBoxLayout(this);
    tabStaff = new QTabBar(this);
    SetTag(tabStaff, 2515);
    const char* tabNames[5] = {"G Staff", "F Staff", "C3 Staff", "C4 Staff", "Other"};
    for (int i = 0; i < 5; ++i) tabStaff->addTab(DialogString(2515 + i, tabNames[i]));
    box->addWidget(tabStaff);
    pages = new QStackedWidget(this);
    box->addWidget(pages);

    // The keys of a clef: sharp keys left, flat keys right.
    auto* keysPage = new QWidget;
    auto* keysGrid = new QGridLayout(keysPage);
    auto* keysGroup = new QButtonGroup(this);
    static const char* keyNames[12] = {"C major",  "G major",      "D major",      "A major",
                                       "E major",  "B major",      "F major",      "B flat major",
                                       "E flat major", "A flat major", "D flat major", "G flat major"};
    for (int k = 0; k < 12; ++k) {
        auto* b = new QRadioButton(DialogString(2501 + k, keyNames[k]), keysPage);
        SetTag(b, 2501 + k);
        keysGroup->addButton(b, k);
        keyButtons[std::size_t(k)] = b;
        const int column = k < 6 ? 0 : 1;
        keysGrid->addWidget(b, k < 6 ? k : k - 6, column);
    }
    pages->addWidget(keysPage);

    // "Other".
    auto* otherPage = new QWidget;
    auto* otherBox = new QVBoxLayout(otherPage);
    auto* otherGroup = new QButtonGroup(this);
    auto* staves = new QHBoxLayout;
    rbtDrumStaff = new QRadioButton(DialogString(2513, "Drum staff"), otherPage);
    SetTag(rbtDrumStaff, 2513);
    rbtTabStaff = new QRadioButton(DialogString(2514, "Tablature staff"), otherPage);
    SetTag(rbtTabStaff, 2514);
    otherGroup->addButton(rbtDrumStaff);
    otherGroup->addButton(rbtTabStaff);
    staves->addWidget(rbtDrumStaff);
    staves->addWidget(rbtTabStaff);
    otherBox->addLayout(staves);
    auto* extra = new QGridLayout;
    static const int clefs[4] = {-1, -2, -3, -5};
    static const char* extraNames[3] = {"C flat major", "F sharp major", "C sharp major"};
    for (int c = 0; c < 4; ++c) {
        auto* g = new QGroupBox(DialogString(2515 + c, tabNames[c]), otherPage);
        SetTag(g, 2515 + c);
        auto* gb = new QVBoxLayout(g);
        for (int i = 0; i < 3; ++i) {
            auto* b = new QRadioButton(DialogString(2520 + 2 * i, extraNames[i]), g);
            SetTag(b, 2520 + 2 * i);
            b->setIcon(KeySignaturePicture(12 + i, clefs[c], 36));
            b->setIconSize(QSize(KeySignaturePicture(0, -1, 36).width(), 36));
            otherGroup->addButton(b);
            otherButtons[std::size_t(c * 3 + i)] = b;
            gb->addWidget(b);
        }
        extra->addWidget(g, c / 2, c % 2);
    }
    otherBox->addLayout(extra);
    pages->addWidget(otherPage);
    rbtDrumStaff->setChecked(true);
    keyButtons[0]->setChecked(true);

    AddOkCancel(this, box, btnOK, btnCancel);
    connect(tabStaff, &QTabBar::currentChanged, this, [this](int tab) { tabStaffChange(tab); });
    tabStaffChange(0);
}

void TfrmClefStaff::tabStaffChange(int tab) {
    if (tab < 0 || tab > 4) return;
    if (tabStaff->currentIndex() != tab) tabStaff->setCurrentIndex(tab);
    if (tab == 4) {
        pages->setCurrentIndex(1);
        return;
    }
    pages->setCurrentIndex(0);
    static const int clefs[4] = {-1, -2, -3, -5};
    const QPixmap sample = KeySignaturePicture(0, -1, 36);
    for (int k = 0; k < 12; ++k) {
        keyButtons[std::size_t(k)]->setIcon(KeySignaturePicture(k, clefs[tab], 36));
        keyButtons[std::size_t(k)]->setIconSize(sample.size());
    }
}

TClefStaffChoice TfrmClefStaff::Choice() const {
    TClefStaffChoice c;
    c.tab = tabStaff->currentIndex();
    for (int k = 0; k < 12 && c.keyButton < 0; ++k)
        if (keyButtons[std::size_t(k)]->isChecked()) c.keyButton = k;
    for (int k = 0; k < 12 && c.otherButton < 0; ++k)
        if (otherButtons[std::size_t(k)]->isChecked()) c.otherButton = k;
    c.tabStaff = rbtTabStaff->isChecked();
    c.drumStaff = rbtDrumStaff->isChecked();
    return c;
}

int TfrmClefStaff::GetKeyClef(int& clef) const { return ::GetKeyClef(Choice(), clef); }

void TfrmClefStaff::SetKeyClef(int key, int clef) {
    const TClefStaffChoice c = ::SetKeyClef(key, clef);
    tabStaffChange(c.tab);
    if (c.keyButton >= 0) keyButtons[std::size_t(c.keyButton)]->setChecked(true);
    if (c.otherButton >= 0) otherButtons[std::size_t(c.otherButton)]->setChecked(true);
    else if (c.tabStaff) rbtTabStaff->setChecked(true);
    else if (c.drumStaff) rbtDrumStaff->setChecked(true);
}

void TfrmClefStaff::showEvent(QShowEvent* e) {
    EndMainTextEntry();
    LocaliseDialog(this);
    QDialog::showEvent(e);
}

bool AskClefStaff(QWidget* parent, int& key, int& clef) {
    TfrmClefStaff dlg(parent);
    dlg.SetKeyClef(key, clef);
    if (dlg.exec() != QDialog::Accepted) return false;
    key = dlg.GetKeyClef(clef);
    return true;
}
