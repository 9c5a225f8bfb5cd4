// The "Shift Staffs" dialog and the command that runs it.
#include "edit/frmTQShiftStaff.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

#include "lang/modTQLanguage.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "model/modTQPredicates.h"
#include "render/modTQMainView.h"

namespace {

const char* const kLabelNames[12] = {"C", "#C", "D", "bE", "E", "F", "#F", "G", "bA", "A", "bB", "B"};
const int kKeySemitones[15] = {0, 7, 2, 9, 4, 11, 5, 10, 3, 8, 1, 6, 11, 6, 1};

int Wrap12(int v) { return ((v % 12) + 12) % 12; }

} // namespace

std::function<int(TfrmShiftStaff&)>& ShiftStaffExec() {
    static std::function<int(TfrmShiftStaff&)> exec;
    return exec;
}

TfrmShiftStaff::TfrmShiftStaff(QWidget* parent) : QDialog(parent) {
    setObjectName("frmShiftStaff");
    setWindowTitle("Shift Staffs");
    auto* top = new QVBoxLayout(this);

    lblCurrentTone = new QLabel(this);
    lblCurrentTone->setObjectName("lblCurrentTone");
    top->addWidget(lblCurrentTone);

    auto* middle = new QHBoxLayout;
    rgpShiftSteps = new QGroupBox("Shift Steps", this);
    rgpShiftSteps->setObjectName("rgpShiftSteps");
    SetTag(rgpShiftSteps, 3401);
    rgpShiftSteps->setProperty("RadioGroup", true);
    stepButtons = new QButtonGroup(this);
    auto* grid = new QGridLayout(rgpShiftSteps);
    static const char* const kSteps[10] = {"half", "one", "one & half", "two", "two & half",
                                          "three", "three & half", "four", "four & half", "five"};
    for (int i = 0; i < 10; ++i) {
        auto* b = new QRadioButton(kSteps[i], rgpShiftSteps);
        stepButtons->addButton(b, i);
        grid->addWidget(b, i % 5, (i / 5) * 2);
    }
    nbk1 = new QStackedWidget(rgpShiftSteps);
    nbk2 = new QStackedWidget(rgpShiftSteps);
    for (int n = 0; n < 2; ++n) {
        QStackedWidget* book = n == 0 ? nbk1 : nbk2;
        book->setObjectName(n == 0 ? "nbk1" : "nbk2");
        auto* page = new QWidget(book);
        page->setObjectName("Jianpu");
        auto* column = new QVBoxLayout(page);
        for (int k = 0; k < 5; ++k) {
            QLabel*& l = lbl[size_t(n * 5 + k)];
            l = new QLabel(page);
            l->setObjectName(QString("lbl%1").arg(n * 5 + k + 1));
            column->addWidget(l);
        }
        book->addWidget(page);
        book->addWidget(new QWidget(book));
        grid->addWidget(book, 0, n * 2 + 1, 5, 1);
    }
    middle->addWidget(rgpShiftSteps);

    rgpShiftDir = new QGroupBox("Shift Direction", this);
    rgpShiftDir->setObjectName("rgpShiftDir");
    SetTag(rgpShiftDir, 3420);
    rgpShiftDir->setProperty("RadioGroup", true);
    dirButtons = new QButtonGroup(this);
    auto* dirs = new QHBoxLayout(rgpShiftDir);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(i == 0 ? "Up" : "Down", rgpShiftDir);
        dirButtons->addButton(b, i);
        dirs->addWidget(b);
    }
    middle->addWidget(rgpShiftDir);
    top->addLayout(middle);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton("OK", this);
    SetTag(BitBtn1, 1109);
    BitBtn2 = new QPushButton("Cancel", this);
    SetTag(BitBtn2, 1110);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    top->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(dirButtons, &QButtonGroup::idClicked, this, [this](int) { rgpShiftDirClick(); });

    SetStepIndex(1);
    SetDirIndex(0);
}

TfrmShiftStaff::~TfrmShiftStaff() = default;

int TfrmShiftStaff::StepIndex() const { return stepButtons->checkedId(); }
void TfrmShiftStaff::SetStepIndex(int index) {
    if (QAbstractButton* b = stepButtons->button(index))
        b->setChecked(true);
}
int TfrmShiftStaff::DirIndex() const { return dirButtons->checkedId(); }
void TfrmShiftStaff::SetDirIndex(int index) {
    if (QAbstractButton* b = dirButtons->button(index))
        b->setChecked(true);
}

const char* TfrmShiftStaff::LabelName(int semitone) { return kLabelNames[Wrap12(semitone)]; }

int TfrmShiftStaff::KeyCodeSemitone(int keyCode) {
    return keyCode >= 0 && keyCode < 15 ? kKeySemitones[keyCode] : 0;
}

int TfrmShiftStaff::ReadKeyNameSemitone(const std::string& name) {
    static const std::pair<const char*, int> kNames[] = {
        {"C", 0}, {"C#", 1}, {"Db", 1}, {"D", 2}, {"D#", 3}, {"Eb", 3}, {"E", 4}, {"F", 5}, {"F#", 6},
        {"Gb", 6}, {"G", 7}, {"G#", 8}, {"Ab", 8}, {"A", 9}, {"A#", 10}, {"Bb", 10}, {"B", 11}};
    for (const auto& [text, semitone] : kNames) {
        const std::string t(text);
        if (t.size() == name.size() &&
            std::equal(t.begin(), t.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return semitone;
    }
    return -1;
}

int TfrmShiftStaff::JianpuKeySemitone(const std::string& keyName) {
    if (keyName.empty())
        return -1;
    static const std::string kLetters = "CDEFGAB";
    static const int kBase[7] = {0, 2, 4, 5, 7, 9, 11};
    const size_t at = kLetters.find(keyName.back());
    if (at == std::string::npos)
        return -1;
    int index = kBase[at];
    if (keyName.size() >= 2) {
        if (keyName[0] == 'b')
            --index;
        else if (keyName[0] == '#')
            ++index;
    }
    return Wrap12(index);
}

void TfrmShiftStaff::FillLabels() {
    const int sign = DirIndex() == 1 ? -1 : 1;
    for (int k = 1; k <= 10; ++k) {
        std::string text;
        if (Kind == 1) {
            text = LabelName(KeyCodeSemitone(KeyCode) + sign * k);
        } else {
            const int base = JianpuKeySemitone(KeyName);
            if (base >= 0)
                text = LabelName(base + sign * k);
        }
        lbl[size_t(k - 1)]->setText(QString::fromStdString(text));
    }
}

void TfrmShiftStaff::rgpShiftDirClick() { FillLabels(); }

bool TfrmShiftStaff::PrepareRange(int scope) {
    TMainScore* s = frmMainTQ;
    Scope = scope;
    Kind = 0;
    int found = -1;
    for (int r = std::max(s->SelRow0, 0); r < s->Rows && found < 0; ++r)
        if (IsWestRow(r, 0, -1))
            found = r;
    if (found >= 0 && found <= s->SelRow1) {
        Kind = 1;
    } else {
        found = -1;
        for (int r = std::max(s->SelRow0, 0); r < s->Rows && found < 0; ++r)
            if (IsJianpuMusicRow(r, -1, 0))
                found = r;
        if (found < 0 || found > s->SelRow1) {
            if (Language)
                Language->MessageOk(3314, "", mkError);
            return false;
        }
        Kind = 2;
    }
    if (found > 0 && !IsJianpuMusicRow(found - 1, -1, 0) && !IsWestRow(found - 1, 0, -1)) {
        s->SelRow0 = found;
        nbk1->setCurrentIndex(0);
        nbk2->setCurrentIndex(0);
        return true;
    }
    if (Language)
        Language->MessageOk(3313, "", mkError);
    return false;
}

int TfrmShiftStaff::StartKeyLastCol(int page, int row, int fromCol) {
    const TMainScore* s = frmMainTQ;
    if (page < 0 || page >= int(s->PageSets[0].size()))
        return s->Cols - 1;
    const TPage& p = s->PageSets[0][size_t(page)];
    if (row < 0 || row >= int(p.size()))
        return s->Cols - 1;
    const TCellRow& cells = p[size_t(row)];
    const int end = std::min<int>(s->Cols, int(cells.size()));
    bool note = false;
    for (int c = std::max(fromCol, 0); c < end; ++c) {
        if (IsJianpuNoteDigit(cells[size_t(c)].Note))
            note = true;
        else if (note && IsBarLineCell(cells[size_t(c)]))
            return c - 1;
    }
    return s->Cols - 1;
}

bool TfrmShiftStaff::ReadCurrentJianpuKey() {
    TMainScore* s = frmMainTQ;
    KeyName = "C";
    const TCell* keyText = nullptr;
    // Over the range's first row only the key texts of its first measure
    // count: one further right is a key change inside the row.
    auto searchUp = [&](int page, int fromRow, int lastColOfFirstRow) {
        if (page < 0 || page >= int(s->PageSets[0].size()))
            return;
        const TPage& p = s->PageSets[0][size_t(page)];
        for (int r = std::min(fromRow, int(p.size()) - 1); r >= 0 && !keyText; --r) {
            int c = std::min<int>(s->Cols, int(p[size_t(r)].size())) - 1;
            if (r == fromRow)
                c = std::min(c, lastColOfFirstRow);
            for (; c >= 0 && !keyText; --c)
                if (IsJianpuKeyTextCell(p[size_t(r)][size_t(c)]))
                    keyText = &p[size_t(r)][size_t(c)];
        }
    };
    if (Scope == 0) {
        int first = -1;
        for (int r = 0; r < s->Rows && first < 0; ++r)
            if (IsJianpuMusicRow(r, 0, 0))
                first = r;
        if (first <= 0)
            return false;
        searchUp(0, first - 1, StartKeyLastCol(0, first, 0));
    } else {
        if (s->CurPage >= 0 && s->CurPage < int(s->PageSets[0].size()))
            searchUp(s->CurPage, s->SelRow0 - 1, StartKeyLastCol(s->CurPage, s->SelRow0, s->SelCol0));
        for (int p = s->CurPage - 1; p >= 0 && !keyText; --p)
            searchUp(p, s->Rows - 1, s->Cols - 1);
    }
    if (keyText) {
        std::string t = keyText->Text;
        const size_t b = t.find_first_not_of(' ');
        const size_t e = t.find_last_not_of(' ');
        t = b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
        if (t.size() < 2)
            return false;
        const char prev = t[t.size() - 2];
        std::string name = (prev == 'b' || prev == '#') ? t.substr(t.size() - 2) : t.substr(t.size() - 1);
        // A Western spelling ("Eb", "F#") reads as the same key.
        if (name.size() == 1 && t.size() >= 3 && (name == "b" || name == "#"))
            name = name + t.substr(t.size() - 2, 1);
        // A text that does not end in a key name ("1=C Fixed Key") reads as C.
        KeyName = JianpuKeySemitone(name) >= 0 ? name : "C";
    }
    lblCurrentTone->setText(QString::fromStdString((Language ? Language->GetString(3679) : std::string()) + KeyName));
    return true;
}

bool TfrmShiftStaff::FormShow() {
    TMainScore* s = frmMainTQ;
    if (Scope == 0) {
        jianpu_ = false;
        for (int r = 0; r < s->Rows && !jianpu_; ++r)
            jianpu_ = IsJianpuMusicRow(r, 0, 0);
    } else {
        jianpu_ = IsJianpuMusicRow(s->SelRow0, -1, 0);
    }
    SetTag(this, jianpu_ ? 640 : 3400);
    if (Language)
        Language->SetLanguage(this);
    if (jianpu_) {
        if (!ReadCurrentJianpuKey())
            return false;
        FillLabels();
        return true;
    }
    TPoint at{-1, -1};
    const int from = Scope == 0 ? 0 : s->SelRow0;
    if (!FindNextClefCell(from, at, true))
        return false;
    if (Scope == 0 && at.y == 0 && s->CurPage == 0)
        return false;
    const TCell& clef = s->PageSets[0][size_t(s->CurPage)][size_t(at.y)][size_t(at.x)];
    KeyCode = int(clef.Attr & 0xFFu);
    lblCurrentTone->setText(QString::fromStdString((Language ? Language->GetString(3679) : std::string()) +
                                                   LabelName(KeyCodeSemitone(KeyCode))));
    FillLabels();
    return true;
}

bool TfrmShiftStaff::ApplyShift(bool transpose) {
    TMainView* view = MainView();
    Steps = StepIndex() + 1;
    if (Steps < 1)
        return false;
    if (Scope == 0 && IsMusicRow(0)) {
        if (Language)
            Language->MessageOk(3315, "", mkError);
        return false;
    }
    if (DirIndex() == 1)
        Steps = -Steps;
    const int page = view->CurPage;
    const bool done = transpose ? TransposeWestern() : ChangeToneJianpu();
    if (done)
        view->SetModified(true);
    view->CurPage = page;
    CurLayer = 0;
    return done;
}

void ShiftStaffs(int scope, bool transpose) {
    TMainView* view = MainView();
    if (view->OnEndTextEntry)
        view->OnEndTextEntry();
    const int savedPage = view->CurPage;
    if (!transpose) {
        bool ok = false;
        if (scope == 0) {
            for (int r = 0; r < view->Rows && !ok; ++r)
                ok = IsJianpuMusicRow(r, 0, 0);
        } else {
            ok = IsJianpuMusicRow(view->SelRow0, -1, 0);
        }
        if (!ok) {
            if (Language)
                Language->MessageOk(scope == 0 ? 3678 : 3680, "", mkWarning);
            return;
        }
    } else {
        bool jianpu = false;
        if (scope == 0) {
            for (int p = 0; p < int(view->PageSets[0].size()) && !jianpu; ++p)
                jianpu = HasJianpuRowInRange(0, view->Rows - 1, p);
        } else {
            const int last = scope == 1 ? view->SelRow1 : view->Rows - 1;
            for (int r = view->SelRow0; r <= last && !jianpu; ++r)
                jianpu = IsJianpuMusicRow(r, -1, 0);
        }
        if (jianpu) {
            if (Language)
                Language->MessageOk(3681, "", mkWarning);
            return;
        }
    }
    TfrmShiftStaff form;
    const int c0 = view->SelCol0, r0 = view->SelRow0, c1 = view->SelCol1, r1 = view->SelRow1;
    auto restore = [&] {
        view->SelCol0 = c0;
        view->SelRow0 = r0;
        view->SelCol1 = c1;
        view->SelRow1 = r1;
        view->CurPage = savedPage;
    };
    if (scope == 0) {
        view->SelCol0 = 0;
        view->SelRow0 = 0;
        view->SelCol1 = view->Cols - 1;
        view->SelRow1 = view->Rows - 1;
        view->CurPage = 0;
    }
    if (!form.PrepareRange(scope) || !form.FormShow()) {
        restore();
        return;
    }
    const int result = ShiftStaffExec() ? ShiftStaffExec()(form) : (form.exec() == QDialog::Accepted ? mrOk : mrCancel);
    if (result != mrOk) {
        restore();
        return;
    }
    form.SnapshotFile = Undo.SaveScoreSnapshot(true);
    if (form.SnapshotFile.empty()) {
        restore();
        return;
    }
    // The report counts only the cells this command marks, not the marks an
    // earlier command (a beat check, say) left on the page.
    view->Highlights.clear();
    const bool done = form.ApplyShift(transpose);
    restore();
    if (!done)
        return;
    view->RedrawPage();
    view->ForceSaveAs = true;
    if (!view->Highlights.empty() && Language)
        Language->MessageOk(1033, std::to_string(view->Highlights.size()) + Language->GetString(1037), mkWarning);
}
