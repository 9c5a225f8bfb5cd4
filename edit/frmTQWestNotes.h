#pragma once
// The Western-note tool window: note values, rests, accidentals and note
// properties as speed buttons, each carrying its command code as Tag. It stays
// on top of the main window; the buttons run the Western entry commands.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QToolButton;

class TfrmWestNotes : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmWestNotes(QWidget* parent = nullptr);
    ~TfrmWestNotes() override;

    std::vector<QToolButton*> Buttons; // the 46 speed buttons, in the order of the window
    QToolButton *btnFlipNoteTail = nullptr, *btnDoubleNote = nullptr, *btnCombineTail = nullptr,
                *btnDecombineTail = nullptr, *btnMoveDotUpDn = nullptr, *btnReverseHead = nullptr,
                *btnMoveSign = nullptr, *btnMoveTurnSignal = nullptr, *btnConeectGFTail = nullptr,
                *btnHideStem = nullptr, *btnHideHead = nullptr, *btnAddBracket = nullptr,
                *btnCrossStaff = nullptr;
    // The two spin buttons, each an up and a down arrow.
    QWidget* spnStemLAdj = nullptr;
    QToolButton *spnStemLAdjUp = nullptr, *spnStemLAdjDown = nullptr;
    QWidget* btnCrossBrk = nullptr;
    QToolButton *btnCrossBrkUp = nullptr, *btnCrossBrkDown = nullptr;

    // The main window's part: the flag it saves in the preferences, text entry
    // and Gongche mode.
    std::function<void()> OnEndTextEntry;
    std::function<void()> OnLeaveGongChiMode;

    void FormShow();
    void FormClose();
    void FormActivate();
    void FormPaint();
    void LoadHints();

    void AddWestNoteOrPropClick(QToolButton* button);
    void AddWestModifyClick(QToolButton* button);
    void btnCombineTailClick();
    void btnConeectGFTailClick();
    void spnStemLAdjUpClick();
    void spnStemLAdjDownClick();
    void btnCrossBrkUpClick();
    void btnCrossBrkDownClick();
    void btnCrossStaffClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QToolButton* Add(int tag, const char* caption, const char* hint, int x, int y);
    bool firstShow_ = true;
};

// Step of the stem-length spin: 1.0, or 0.1 while Shift, Ctrl or Alt is held.
float StemAdjustStep(bool fine);
