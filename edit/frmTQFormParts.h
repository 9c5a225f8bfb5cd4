#pragma once
// Small makers of the controls the editing dialogs share: each control gets
// its object name and, where it has a caption, the Tag that localises it.
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QString>

#include "lang/modTQLanguage.h"

namespace tqform {

inline QRadioButton* Radio(QWidget* parent, const char* name, const char* text, int tag) {
    auto* r = new QRadioButton(QString::fromUtf8(text), parent);
    r->setObjectName(QString::fromLatin1(name));
    SetTag(r, tag);
    return r;
}

inline QSpinBox* Spin(QWidget* parent, const char* name, int lo, int hi, int value) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}

inline QCheckBox* Check(QWidget* parent, const char* name, const char* text, int tag, bool on) {
    auto* c = new QCheckBox(QString::fromUtf8(text), parent);
    c->setObjectName(QString::fromLatin1(name));
    SetTag(c, tag);
    c->setChecked(on);
    return c;
}

inline QLabel* Caption(QWidget* parent, const char* text, int tag) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    SetTag(l, tag);
    return l;
}

} // namespace tqform
