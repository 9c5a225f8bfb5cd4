#pragma once
// The tempo-sign dialog: beats per minute and the note value of the beat.
#include <QDialog>
#include <QString>

class QPushButton;
class QRadioButton;
class QSpinBox;

class TfrmTempoSign : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTempoSign(QWidget* parent = nullptr);
    QSpinBox* spnSpeedValue = nullptr; // 10 .. 500 in steps of 5
    QRadioButton *rbt8thNote = nullptr, *rbt4thNote = nullptr, *rbtHalfNote = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;
    // The note code of the checked value: 4 eighth, 1 half, else 2 (quarter).
    int NoteCode() const;
    // Checks the value of a tempo cell's note code: 1 half, 4 eighth, else quarter.
    void SetNoteCode(int code);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString refusedText_; // a typed value the box dropped when it lost the focus
};

struct TTempoSignAnswer {
    int bpm = 80;
    int noteCode = 2; // 1 half, 2 quarter, 4 eighth
};
// Shows the dialog modally filled from answer; on OK stores the choice in
// answer and returns true.
bool AskTempoSign(QWidget* parent, TTempoSignAnswer& answer);
