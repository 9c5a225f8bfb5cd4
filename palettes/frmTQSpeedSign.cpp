#include "palettes/frmTQSpeedSign.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"

namespace {

// A note of the beat, from the music font.
QIcon NoteIcon(char32_t glyph) {
    QPixmap pm(18, 28);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f(QStringLiteral("Bravura"));
    f.setPixelSize(22);
    p.setFont(f);
    p.drawText(QPointF(3, 22), QString::fromUcs4(&glyph, 1));
    return QIcon(pm);
}

} // namespace

TfrmTempoSign::TfrmTempoSign(QWidget* parent) : QDialog(parent) {
    SetTag(this, 1020);
    setWindowTitle(DialogString(1020, "Tempo Sign"));
    auto* box = new QVBoxLayout(this);
    auto* valueRow = new QHBoxLayout;
    auto* label = new QLabel(DialogString(1080, "Beats per minute"), this);
    SetTag(label, 1080);
    spnSpeedValue = new QSpinBox(this);
    spnSpeedValue->setRange(10, 500);
    spnSpeedValue->setSingleStep(5);
    spnSpeedValue->setValue(80);
    label->setBuddy(spnSpeedValue);
    valueRow->addWidget(label);
    valueRow->addWidget(spnSpeedValue);
    box->addLayout(valueRow);
    auto* notes = new QHBoxLayout;
    auto radio = [&](QRadioButton*& b, int tag, const char* fallback, char32_t glyph) {
        b = new QRadioButton(DialogString(tag, fallback), this);
        SetTag(b, tag);
        b->setIcon(NoteIcon(glyph));
        b->setIconSize(QSize(18, 28));
        notes->addWidget(b);
    };
    radio(rbt8thNote, 1081, "Eighth note", 0xE1D7);
    radio(rbt4thNote, 1082, "Quarter note", 0xE1D5);
    radio(rbtHalfNote, 1083, "Half note", 0xE1D3);
    rbt4thNote->setChecked(true);
    box->addLayout(notes);
    AddOkCancel(this, box, btnOK, btnCancel);
    // A typed tempo outside the spin's range is refused with a message, not
    // silently replaced by the last good value.
    disconnect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnOK, &QPushButton::clicked, this, [this, label] {
        if (spnSpeedValue->hasAcceptableInput() && refusedText_.isEmpty()) {
            accept();
            return;
        }
        refusedText_.clear();
        if (Language)
            Language->MessageOk(1410, " " + label->text().toStdString(), mkError);
        spnSpeedValue->setFocus();
        spnSpeedValue->selectAll();
    });
    spnSpeedValue->installEventFilter(this);
    connect(spnSpeedValue, &QSpinBox::valueChanged, this, [this] { refusedText_.clear(); });
}

bool TfrmTempoSign::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the box puts its last good value back: what was typed is kept
    // here, so that OK still refuses it.
    if (watched == spnSpeedValue && event->type() == QEvent::FocusOut && !spnSpeedValue->hasAcceptableInput())
        refusedText_ = spnSpeedValue->text();
    return QDialog::eventFilter(watched, event);
}

int TfrmTempoSign::NoteCode() const {
    if (rbt8thNote->isChecked()) return 4;
    if (rbtHalfNote->isChecked()) return 1;
    return 2;
}

void TfrmTempoSign::SetNoteCode(int code) {
    (code == 1 ? rbtHalfNote : code == 4 ? rbt8thNote : rbt4thNote)->setChecked(true);
}

void TfrmTempoSign::showEvent(QShowEvent* e) {
    EndMainTextEntry();
    LocaliseDialog(this);
    QDialog::showEvent(e);
}

bool AskTempoSign(QWidget* parent, TTempoSignAnswer& answer) {
    TfrmTempoSign dlg(parent);
    dlg.spnSpeedValue->setValue(answer.bpm);
    dlg.SetNoteCode(answer.noteCode);
    if (dlg.exec() != QDialog::Accepted) return false;
    answer.bpm = dlg.spnSpeedValue->value();
    answer.noteCode = dlg.NoteCode();
    return true;
}
