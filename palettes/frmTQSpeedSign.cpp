#include "palettes/frmTQSpeedSign.h"

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
