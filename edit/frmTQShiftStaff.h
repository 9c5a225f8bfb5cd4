#pragma once
// "Shift Staffs": the dialog of the two commands that move music by a number of
// half tones. "Change Tone" (640) rewrites Jianpu rows into a new key that sounds
// the same: the key text moves by the interval and every degree the other way.
// "Transposition" (3400) moves Western rows, by converting them to Jianpu in
// tonic sol-fa, moving the key texts, converting back and repairing from the
// untouched score what the conversions do not keep.
//
// ShiftStaffs runs a command: checks the range, shows the dialog, takes one
// whole-score undo snapshot after OK and applies the shift. Scopes: 0 the whole
// score, 1 the selected rows, 2 the selected line to the end of the page.
#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "model/modTQCell.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class TMainScore;

class TfrmShiftStaff : public QDialog {
    Q_OBJECT
public:
    explicit TfrmShiftStaff(QWidget* parent = nullptr);
    ~TfrmShiftStaff() override;

    // --- components ---
    QGroupBox* rgpShiftSteps = nullptr; // "Shift Steps" (3401): ten items, 3402..3411
    QButtonGroup* stepButtons = nullptr;
    QGroupBox* rgpShiftDir = nullptr;   // "Shift Direction" (3420): "Up", "Down"
    QButtonGroup* dirButtons = nullptr;
    QLabel* lblCurrentTone = nullptr;
    QStackedWidget* nbk1 = nullptr;     // lbl1..lbl5 beside the first column of steps
    QStackedWidget* nbk2 = nullptr;     // lbl6..lbl10 beside the second
    std::array<QLabel*, 10> lbl{};      // lbl[0] is lbl1
    QPushButton* BitBtn1 = nullptr;     // OK (1109)
    QPushButton* BitBtn2 = nullptr;     // Cancel (1110)

    // Item indexes of the two radio groups (steps: i + 1 half tones; direction:
    // 0 up, 1 down).
    int StepIndex() const;
    void SetStepIndex(int index);
    int DirIndex() const;
    void SetDirIndex(int index);

    // --- members ---
    std::unique_ptr<TMainScore> Holder; // the untouched score during a Western transposition
    int Scope = 0;
    int Steps = 0;
    int Kind = 0;    // 1 a Western row starts the range, 2 a Jianpu row
    int KeyCode = 0; // key code of the first staff (Western)
    std::array<int, 8> BarAccidental{};
    std::array<int, 8> BarOctave{};
    std::string KeyName = "C";
    std::string SnapshotFile;

    bool PrepareRange(int scope);
    // Fills the current key and the labels; false closes the dialog at once.
    bool FormShow();
    void rgpShiftDirClick();
    bool ApplyShift(bool transpose);

    // --- Jianpu key change ---
    bool ChangeToneJianpu();
    bool WriteKeyTexts();
    // The Jianpu key texts inside the range (key changes after its start) move
    // by the interval too, since the degrees after them move.
    void ShiftInnerKeyTexts();
    void NormaliseAccidentals(int pass);
    void ShiftJianpuDegrees();
    void ShiftJianpuNote(TCell& cell);
    // One note (degree character, octave dots, attribute word) shifted by Steps.
    void ShiftJianpuNote(int32_t& note, int32_t& octave, uint32_t& attr) const;
    bool ReadCurrentJianpuKey();
    // The last column of the first measure of a row from fromCol on (the
    // column before the first bar line after a note; the last column when
    // there is none): the key texts over the row up to it give its starting key.
    static int StartKeyLastCol(int page, int row, int fromCol);

    // --- Western transposition ---
    bool TransposeWestern();
    void ShiftKeyTexts();
    bool RestoreFromSnapshot();
    void RestoreSavedCells();
    void RestoreSavedRow(int row);
    void FixNoteOctave(const TCell& saved, TCell& live) const;
    void AlignBeamGroupStems(int first, int last, int row);

    // Label texts (semitone above C -> "C", "#C", ... "B").
    static const char* LabelName(int semitone);
    static int KeyCodeSemitone(int keyCode);
    // Semitone of a key name read from a key text ("C#", "Db", ... any case), -1 for none.
    static int ReadKeyNameSemitone(const std::string& name);
    // Semitone of a Jianpu key name ("C", "bE", "#F"), -1 for none.
    static int JianpuKeySemitone(const std::string& keyName);

private:
    bool jianpu_ = false;
    int firstRowRepaired_ = 0, lastRowRepaired_ = 0;
    void FillLabels();
    void VisitCells(const std::function<void(TCell&)>& visit, bool barsReset);
    void TreatNote(int32_t note, int32_t octave, uint32_t& attr, int pass);
    bool WriteKeyTextAt(int page, int row, int col, const std::string& name);
    const TCell* SavedCell(int col, int row, int layer) const;
    const TCellRow* SavedRow(int row, int layer) const;
};

// Shows the dialog modally and returns the modal result (mrOk, mrCancel). Tests
// replace it to answer the dialog through its functions.
std::function<int(TfrmShiftStaff&)>& ShiftStaffExec();

// The six menu commands: mitChangeToneAllPages / mitTransposeToneAll (scope 0),
// mitChangeToneSelected / mitTransposeToneSel (1), mitChangeToneEndPage /
// mitTransSelected2End (2); transpose false for "Change Tone".
void ShiftStaffs(int scope, bool transpose);
