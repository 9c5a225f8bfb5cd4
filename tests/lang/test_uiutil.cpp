#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPoint>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "lang/frmTQUiUtil.h"

namespace {
struct Palette {
    QWidget form;
    QToolButton* a = new QToolButton(&form);
    QPushButton* b = new QPushButton(&form);
    QCheckBox* other = new QCheckBox(&form);
    Palette() {
        a->setGeometry(10, 20, 30, 40);   // right 40, bottom 60
        b->setGeometry(50, 5, 25, 25);    // right 75, bottom 30
        other->setGeometry(200, 200, 10, 10);
    }
};
} // namespace

TEST(UiUtil, ResizeToolButtonsTouchesOnlyButtonsAndPositiveSides) {
    Palette p;
    ResizeToolButtons(&p.form, 22, 0);
    EXPECT_EQ(p.a->size(), QSize(22, 40));
    EXPECT_EQ(p.b->size(), QSize(22, 25));
    EXPECT_EQ(p.other->size(), QSize(10, 10));
    ResizeToolButtons(&p.form, 0, 18);
    EXPECT_EQ(p.a->size(), QSize(22, 18));
    EXPECT_EQ(p.b->size(), QSize(22, 18));
}

TEST(UiUtil, ButtonsExtentMarginsFollowCaptionHeight) {
    struct Case { int h; QPoint expected; };
    // right edge 75, bottom edge 60; the check box does not count
    const Case cases[] = {
        {25, {75 + 10, 60 + 25 + 2}},
        {31, {75 + 10, 60 + 31 + 2}},
        {35, {75 + 13, 60 + 35 + 2}},
        {18, {75 + 10, 60 + 18 + 10}},
        {40, {75 + 30, 60 + 40 + 10}},
    };
    Palette p;
    for (const Case& c : cases) {
        QPoint pt;
        GetButtonsExtent(pt, &p.form, c.h);
        EXPECT_EQ(pt, c.expected) << "caption height " << c.h;
    }
}

TEST(UiUtil, ButtonsExtentSkipsHiddenButtonsAndStartsFromMinusOne) {
    Palette p;
    p.b->hide();
    QPoint pt;
    GetButtonsExtent(pt, &p.form, 31);
    EXPECT_EQ(pt, QPoint(40 + 10, 60 + 33));
    p.a->hide();
    GetButtonsExtent(pt, &p.form, 31);
    EXPECT_EQ(pt, QPoint(-1 + 10, -1 + 33));
}

TEST(UiUtil, KeyHintTextShownOrEmptied) {
    QToolButton b;
    SetKeyHintText(&b, true, "Q");
    EXPECT_EQ(b.property("KeyHintText").toString(), "Q");
    SetKeyHintText(&b, false, "Q");
    EXPECT_EQ(b.property("KeyHintText").toString(), "");
}
