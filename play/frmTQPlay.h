#pragma once
// The play window: a stay-on-top tool window with a Basic and an Advanced page
// (tabs at the bottom). It is made of the play state: the controls write their
// settings into it, and the commands of play/modTQPlayWindow.h do the work.
#include <QWidget>

#include "play/modTQPlayState.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

class TMainView;

class TfrmPlay : public QWidget, public TPlayState {
    Q_OBJECT
public:
    explicit TfrmPlay(QWidget* parent = nullptr);
    ~TfrmPlay() override;

    QTabWidget* pagPlay = nullptr;
    QWidget* shtMain = nullptr;
    QWidget* shtAdj = nullptr;
    // Basic
    QPushButton* btnPlay = nullptr;
    QPushButton* btnPlayList = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnNext = nullptr;
    QRadioButton* rbtJianpu = nullptr;
    QRadioButton* rbtWest = nullptr;
    QComboBox* cbxPlayRule = nullptr;
    QComboBox* cbxSoundEffect = nullptr;
    QToolButton* btnSetSoundEffect = nullptr;
    QSpinBox* spnSpeedAdj = nullptr;
    QCheckBox* chkIgnoreSpeed = nullptr;
    QCheckBox* chkEchoOn = nullptr;
    QCheckBox* chkIgnorePad = nullptr;
    QCheckBox* chkIgnoreDyn = nullptr;
    QCheckBox* chkShowPlay = nullptr;
    // Advanced
    QSpinBox* spnRitArpAdj = nullptr;
    QPushButton* btnApplyRitArpAdj = nullptr;
    QSpinBox* spnCredAdj = nullptr;
    QPushButton* btnApplyCredAdj = nullptr;
    QSpinBox* spnNotesVolAdj = nullptr;
    QPushButton* btnApplyVolAdj = nullptr;
    QComboBox* cbxPlayDur = nullptr;
    QSpinBox* spnPlayDot = nullptr;
    QPushButton* btnPlayDur = nullptr;
    QCheckBox* cbxShowRed = nullptr;

    // The main window's "play window shown" flag and its red-change switch.
    std::function<void(bool)> OnVisibleChanged;
    std::function<bool()> GetShowChangedRed;
    std::function<void(bool)> SetShowChangedRed;
    // The window was activated: the main window ends text entry and leaves Gongche entry.
    std::function<void()> OnActivated;
    // The folder of the score shown (for the folder dialog).
    std::function<std::string()> ScoreFileName;

    // Links the play window, the folder play and the MIDI import to the main
    // view: opening scores, redrawing, the header dialog, the controls after an
    // import. The player start and the main controls' switch stay for the main
    // window to set (PlayWindowHooks().StartPlayer, EnableMainControls).
    void ConnectMainView(TMainView* view);

    void FormShow();
    bool FormCloseQuery() const { return !Playing; }
    void SetDefaultPlayOptions();
    void spnSpeedAdjChange();
    void cbxSoundEffectChange();
    void pagPlayChange(int index);
    void LoadCellAdj(int col, int row);
    void btnPlayClick();
    void btnPlayListClick();
    void btnStopClick();
    void btnNextClick();
    void btnApplyVolAdjClick();
    void btnApplyRitArpAdjClick();
    void btnApplyCredAdjClick();
    void btnPlayDurClick();
    void btnSetSoundEffectClick();
    // The controls' values into the play state, and the state into the controls.
    void ReadControls();
    void SyncControls();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void SetPlayingControls(bool playing);
    bool loading_ = false;
};
