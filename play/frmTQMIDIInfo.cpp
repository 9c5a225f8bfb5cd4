#include "play/frmTQMIDIInfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "play/modTQMIDIReader.h"
#include "play/modTQPlayWindow.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

TfrmMIDIInfo::TfrmMIDIInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMIDIInfo"));
    setWindowTitle(QStringLiteral("MIDI Dile Information"));
    auto* grid = new QGridLayout;
    auto pair = [&](int row, const char* caption, const char* name) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        auto* v = new QLabel(this);
        v->setObjectName(QString::fromLatin1(name));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(l, row, 0, Qt::AlignRight);
        grid->addWidget(v, row, 1);
        return v;
    };
    lblMIDIFileName = pair(0, "File Name:", "lblMIDIFileName");
    lblMIDIType = pair(1, "MIDI Type:", "lblMIDIType");
    lblChuckCount = pair(2, "MIDI Track Count:", "lblChuckCount");
    lblSpeedType = pair(3, "MIDI Tempo Type:", "lblSpeedType");
    btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    btnContinue->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnContinue, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(buttons);
}

void TfrmMIDIInfo::ShowHeader(const std::string& fileName, int format, int trackCount, unsigned char divHigh,
                              unsigned char divLow) {
    lblMIDIFileName->setText(Q(fileName));
    lblMIDIType->setText(QString::number(static_cast<int16_t>(format)));
    lblChuckCount->setText(QString::number(static_cast<int8_t>(trackCount)));
    lblSpeedType->setText(Q(MIDIDivisionText(divHigh, divLow)));
}

void InstallMIDIHeaderDialog(QWidget* parent) {
    MIDIImportHooks().ConfirmHeader = [parent](const std::string& file, int format, int tracks, uint8_t hi,
                                               uint8_t lo) {
        TfrmMIDIInfo dialog(parent);
        dialog.ShowHeader(file, format, tracks, hi, lo);
        return dialog.exec() == QDialog::Accepted;
    };
}
