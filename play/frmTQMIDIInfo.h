#pragma once
// The MIDI header dialog: file name, format, track count and division of a file
// about to be imported; Continue goes on with the import, Cancel ends it.
#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

class TfrmMIDIInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMIDIInfo(QWidget* parent = nullptr);

    QLabel* lblMIDIFileName = nullptr;
    QLabel* lblMIDIType = nullptr;
    QLabel* lblChuckCount = nullptr;
    QLabel* lblSpeedType = nullptr;
    QPushButton* btnContinue = nullptr;
    QPushButton* btnCancel = nullptr;

    void ShowHeader(const std::string& fileName, int format, int trackCount, unsigned char divHigh,
                    unsigned char divLow);
};

// The division of a MIDI header as a reader understands it: "480 ticks per
// quarter note", or the SMPTE frame rate and ticks per frame.
std::string MIDIDivisionCaption(unsigned char high, unsigned char low);

// Makes the MIDI import show this dialog before it reads the tracks.
void InstallMIDIHeaderDialog(QWidget* parent);
