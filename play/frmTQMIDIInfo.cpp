#include "play/frmTQMIDIInfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayWindow.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

TfrmMIDIInfo::TfrmMIDIInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMIDIInfo"));
    SetTag(this, sidMIDIInfoTitle);
    setWindowTitle(QStringLiteral("MIDI File Information"));
    auto* grid = new QGridLayout;
    auto pair = [&](int row, const char* caption, const char* name, int tag) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        SetTag(l, tag);
        auto* v = new QLabel(this);
        v->setObjectName(QString::fromLatin1(name));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(l, row, 0, Qt::AlignRight);
        grid->addWidget(v, row, 1);
        return v;
    };
    lblMIDIFileName = pair(0, "File Name:", "lblMIDIFileName", sidMIDIFileName);
    lblMIDIType = pair(1, "MIDI Type:", "lblMIDIType", sidMIDIFormat);
    lblChuckCount = pair(2, "MIDI Track Count:", "lblChuckCount", sidMIDITrackCount);
    // The header's division: ticks per quarter note, or SMPTE frames and ticks.
    lblSpeedType = pair(3, "Time Division:", "lblSpeedType", sidMIDIDivision);
    btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    SetTag(btnContinue, sidContinueButton);
    btnContinue->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    SetTag(btnCancel, 1010);
    connect(btnContinue, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(buttons);
    if (Language)
        Language->SetLanguage(this);
}

std::string MIDIDivisionCaption(unsigned char high, unsigned char low) {
    auto text = [](int id, const char* fallback) {
        const std::string s = Language ? Language->GetString(id) : std::string();
        return QString::fromUtf8(s.empty() ? fallback : s.c_str());
    };
    if (high & 0x80) {
        // SMPTE: the negative frame rate in the high byte, ticks per frame in the low one.
        const int frames = -static_cast<int>(static_cast<signed char>(high));
        return text(sidMIDISmpteDivision, "SMPTE, %1 frames per second, %2 ticks per frame")
            .arg(frames)
            .arg(static_cast<int>(low))
            .toStdString();
    }
    return text(sidMIDITicksPerQuarter, "%1 ticks per quarter note").arg(high * 256 + low).toStdString();
}

void TfrmMIDIInfo::ShowHeader(const std::string& fileName, int format, int trackCount, unsigned char divHigh,
                              unsigned char divLow) {
    lblMIDIFileName->setText(Q(fileName));
    lblMIDIType->setText(QString::number(static_cast<int16_t>(format)));
    lblChuckCount->setText(QString::number(static_cast<int8_t>(trackCount)));
    lblSpeedType->setText(Q(MIDIDivisionCaption(divHigh, divLow)));
}

void InstallMIDIHeaderDialog(QWidget* parent) {
    MIDIImportHooks().ConfirmHeader = [parent](const std::string& file, int format, int tracks, uint8_t hi,
                                               uint8_t lo) {
        TfrmMIDIInfo dialog(parent);
        dialog.ShowHeader(file, format, tracks, hi, lo);
        return dialog.exec() == QDialog::Accepted;
    };
}
