#pragma once
// The message dialog: one small modal window for every message box by string id.
//
// Laid out in pixels as the program has always shown it: the text beside the
// kind's icon, the buttons centred in a panel at the bottom, an optional "do not
// show again" check box above them. TMessageDialogBoxes installs it as the
// program's TMessageBoxes.
#include <QDialog>

#include "platform/core/TQMessage.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;

class TfrmMsgYNC : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMsgYNC(QWidget* parent = nullptr);

    QLabel* lblMsg = nullptr;
    QStackedWidget* nbkImage = nullptr;
    QWidget* pnlBottom = nullptr;
    QWidget* pnlButton = nullptr;
    QPushButton* btnYes = nullptr;
    QPushButton* btnNo = nullptr;
    QPushButton* btnCancel = nullptr;
    QCheckBox* chkDoNotAskAgain = nullptr;

    // Caption and icon of a kind.
    void SetKind(TMsgKind kind);
    // Fills the form from a request: caption, text, button set, check box.
    void Prepare(const TMessageRequest& request);
    // The show handler: localises the buttons, then sizes and places everything.
    void Arrange();

    // True when the main window uses large fonts (its font taller than 12 pixels);
    // the check box then gets more room.
    static bool LargeFonts;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reject() override;

private:
    bool checkBoxWanted_ = false;
};

// The program's message boxes: each request shown in a fresh TfrmMsgYNC, centred
// on the active window.
class TMessageDialogBoxes : public TMessageBoxes {
public:
    TMessageResult Show(const TMessageRequest& request) override;
};
