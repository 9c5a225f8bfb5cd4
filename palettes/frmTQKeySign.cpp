#include "palettes/frmTQKeySign.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "lang/modTQLanguage.h"
#include "palettes/frmTQDialogCommon.h"

TKeySignature::TKeySignature(QWidget* parent) : QDialog(parent) {
    SetTag(this, 3670);
    setWindowTitle(QString::fromStdString(StripEllipsis(DialogString(3670, "Key Signature").toStdString())));
    auto* box = new QVBoxLayout(this);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(new QLabel(QStringLiteral("1 ="), this));
    cbxKeyLetter = new QComboBox(this);
    for (const std::string& l : TKeySignChoice{}.letters) cbxKeyLetter->addItem(QString::fromStdString(l));
    keyRow->addWidget(cbxKeyLetter, 1);
    box->addLayout(keyRow);
    auto* signs = new QHBoxLayout;
    auto radio = [&](QRadioButton*& b, int tag, const char* fallback) {
        b = new QRadioButton(DialogString(tag, fallback), this);
        SetTag(b, tag);
        signs->addWidget(b);
    };
    radio(rbtSharp, 3671, "Sharp");
    radio(rbtFlat, 3672, "Flat");
    radio(rbtNatural, 3673, "Natural");
    rbtNatural->setChecked(true);
    box->addLayout(signs);
    auto* original = new QHBoxLayout;
    lblOrignalKey = new QLabel(DialogString(3675, "Original key:"), this);
    SetTag(lblOrignalKey, 3675);
    cbxOrignaldKey = new QComboBox(this);
    for (const char* k : {"C", "G", "D", "A", "E", "B", "F", "Bb", "Eb", "Ab", "Db", "Gb", "Cb", "F#", "C#"})
        cbxOrignaldKey->addItem(QString::fromLatin1(k));
    lblOrignalKey->setBuddy(cbxOrignaldKey);
    original->addWidget(lblOrignalKey);
    original->addWidget(cbxOrignaldKey, 1);
    box->addLayout(original);
    AddOkCancel(this, box, btnOK, btnCancel);
    connect(cbxKeyLetter, &QComboBox::currentIndexChanged, this, [this] {
        if (!showing_) cbxKeyLetterChange();
    });
    FormShow();
}

TKeySignChoice TKeySignature::Choice() const {
    TKeySignChoice k;
    k.letters.clear();
    for (int i = 0; i < cbxKeyLetter->count(); ++i) k.letters.push_back(cbxKeyLetter->itemText(i).toStdString());
    k.letter = cbxKeyLetter->currentIndex();
    k.sharp = rbtSharp->isChecked();
    k.flat = rbtFlat->isChecked();
    k.natural = rbtNatural->isChecked();
    k.sharpEnabled = rbtSharp->isEnabled();
    k.flatEnabled = rbtFlat->isEnabled();
    k.originalKeyVisible = !cbxOrignaldKey->isHidden();
    k.originalKey = cbxOrignaldKey->currentIndex();
    return k;
}

void TKeySignature::ShowChoice(const TKeySignChoice& k) {
    showing_ = true;
    if (cbxKeyLetter->count() < int(k.letters.size()))
        for (std::size_t i = std::size_t(cbxKeyLetter->count()); i < k.letters.size(); ++i)
            cbxKeyLetter->addItem(QString::fromStdString(k.letters[i]));
    cbxKeyLetter->setCurrentIndex(k.letter);
    (k.flat ? rbtFlat : k.sharp ? rbtSharp : rbtNatural)->setChecked(true);
    rbtSharp->setEnabled(k.sharpEnabled);
    rbtFlat->setEnabled(k.flatEnabled);
    cbxOrignaldKey->setCurrentIndex(k.originalKey);
    cbxOrignaldKey->setVisible(k.originalKeyVisible);
    lblOrignalKey->setVisible(k.originalKeyVisible);
    showing_ = false;
}

void TKeySignature::FormShow() {
    TKeySignChoice k = Choice();
    KeySignShow(k, DialogString(532, "Fixed Key").toStdString());
    ShowChoice(k);
}

void TKeySignature::cbxKeyLetterChange() {
    TKeySignChoice k = Choice();
    KeySignLetterChange(k, cbxKeyLetter->currentIndex());
    ShowChoice(k);
}

std::string TKeySignature::BuildKeyText() const { return ::BuildKeyText(Choice()); }

void TKeySignature::showEvent(QShowEvent* e) {
    EndMainTextEntry();
    LocaliseDialog(this);
    FormShow();
    QDialog::showEvent(e);
}

bool AskKeySign(QWidget* parent, TKeySignAnswer& answer) {
    TKeySignature dlg(parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    const TKeySignChoice k = dlg.Choice();
    answer.keyText = ::BuildKeyText(k);
    answer.fixedKey = k.letter == 7;
    answer.originalKey = answer.fixedKey ? k.originalKey : 0;
    return true;
}
