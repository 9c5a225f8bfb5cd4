// The property dialogs as the main window runs them: shown modally through
// their Ask functions and answered by a "user" once they are up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <functional>

#include "palettes/frmTQClefStaff.h"
#include "palettes/frmTQKeySign.h"
#include "palettes/frmTQMusicTitle.h"
#include "palettes/frmTQShrinkRate.h"
#include "palettes/frmTQRotateText.h"
#include "palettes/frmTQSpeedSign.h"
#include "palettes/frmTQTimeSignature.h"
#include "platform/gui/TQGlyphMap.h"
#include "tests/palettes/TQPaletteFixture.h"
#include "tests/support/TQTestSupport.h"

namespace {

// Once the modal dialog of type Form is up, act on it (and save its picture
// when a name is given); act ends with a click on OK or Cancel.
template <class Form>
void WhenShown(std::function<void(Form&)> act, std::string png = "") {
    QTimer::singleShot(0, [act, png] {
        auto* f = qobject_cast<Form*>(QApplication::activeModalWidget());
        if (!f) {
            ADD_FAILURE() << "the dialog is not up";
            if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
            return;
        }
        if (!png.empty()) tqtest::SavePngIfWanted(f->grab().toImage(), png);
        act(*f);
    });
}

TEST(TempoSignForm, ShowsTheCellsTempoAndAnswersTheChoice) {
    LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    TTempoSignAnswer a{72, 1};
    WhenShown<TfrmTempoSign>(
        [](TfrmTempoSign& f) {
            EXPECT_EQ(f.spnSpeedValue->value(), 72);
            EXPECT_TRUE(f.rbtHalfNote->isChecked());
            f.spnSpeedValue->setValue(600); // clamped
            EXPECT_EQ(f.spnSpeedValue->value(), 500);
            f.spnSpeedValue->stepBy(-2);
            f.rbt8thNote->click();
            f.btnOK->click();
        },
        "dialog_tempo_sign");
    ASSERT_TRUE(AskTempoSign(nullptr, a));
    EXPECT_EQ(a.bpm, 490);
    EXPECT_EQ(a.noteCode, 4);

    // Any other note code shows the quarter note; Cancel changes nothing.
    a = {120, 7};
    WhenShown<TfrmTempoSign>([](TfrmTempoSign& f) {
        EXPECT_TRUE(f.rbt4thNote->isChecked());
        EXPECT_EQ(f.NoteCode(), 2);
        f.spnSpeedValue->setValue(200);
        f.btnCancel->click();
    });
    EXPECT_FALSE(AskTempoSign(nullptr, a));
    EXPECT_EQ(a.bpm, 120);
    EXPECT_EQ(a.noteCode, 7);
}

TEST(TimeSignatureForm, TheCSignIsOfferedOnAWesternRowFor44And22) {
    TPaletteFixture fx;
    fx.Row(0, "&G W:3 W:4");
    fx.Row(1, "\"1=C\" 1 2 3");
    struct Case {
        const char* name;
        int row, numerator, denominator;
        bool offered;
    } cases[] = {
        {"4/4 on a Western row", 0, 4, 4, true},
        {"2/2 on a Western row", 0, 2, 2, true},
        {"3/4 on a Western row", 0, 3, 4, false},
        {"4/4 on a Jianpu row", 1, 4, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fx.Select(1, c.row, 1, c.row);
        TTimeSignatureAnswer a{c.numerator, c.denominator, false};
        const bool offered = c.offered;
        WhenShown<TfrmTimeSignature>([offered](TfrmTimeSignature& f) {
            EXPECT_EQ(!f.chkUseCSymbol->isHidden(), offered);
            f.chkUseCSymbol->setChecked(true);
            f.btnOK->click();
        });
        ASSERT_TRUE(AskTimeSignature(nullptr, a));
        EXPECT_EQ(a.numerator, c.numerator);
        EXPECT_EQ(a.denominator, c.denominator);
        // A hidden box is no choice of the sign.
        EXPECT_EQ(a.useCSymbol, c.offered);
    }

    // The box follows the values while the dialog is up.
    fx.Select(1, 0, 1, 0);
    TTimeSignatureAnswer a{3, 8, false};
    WhenShown<TfrmTimeSignature>(
        [](TfrmTimeSignature& f) {
            EXPECT_TRUE(f.chkUseCSymbol->isHidden());
            EXPECT_EQ(f.cbxDn->currentText(), QStringLiteral("8"));
            f.spnUp->setValue(4);
            f.cbxDn->setCurrentIndex(2);
            EXPECT_FALSE(f.chkUseCSymbol->isHidden());
            tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_time_signature");
            f.btnOK->click();
        });
    ASSERT_TRUE(AskTimeSignature(nullptr, a));
    EXPECT_EQ(a.numerator, 4);
    EXPECT_EQ(a.denominator, 4);
    EXPECT_FALSE(a.useCSymbol);
}

TEST(TimeSignatureForm, OutOfRangeValuesShowTheDefaults) {
    TPaletteFixture fx;
    TTimeSignatureAnswer a{200, 5, false};
    WhenShown<TfrmTimeSignature>([](TfrmTimeSignature& f) {
        EXPECT_EQ(f.spnUp->value(), 4);
        EXPECT_EQ(f.cbxDn->currentIndex(), 2);
        f.btnCancel->click();
    });
    EXPECT_FALSE(AskTimeSignature(nullptr, a));
    EXPECT_EQ(a.numerator, 200);
}

TEST(KeySignatureForm, LettersEnableTheSignsAndTheAnswerIsTheKeyText) {
    TKeySignAnswer a;
    WhenShown<TKeySignature>(
        [](TKeySignature& f) {
            EXPECT_EQ(f.cbxKeyLetter->count(), 8);
            EXPECT_EQ(f.cbxKeyLetter->currentText(), QStringLiteral("G"));
            EXPECT_EQ(f.BuildKeyText(), "1=G");
            EXPECT_FALSE(f.rbtSharp->isEnabled());
            EXPECT_TRUE(f.cbxOrignaldKey->isHidden());
            f.cbxKeyLetter->setCurrentIndex(3); // F
            EXPECT_FALSE(f.rbtFlat->isEnabled());
            EXPECT_TRUE(f.rbtSharp->isEnabled());
            f.rbtSharp->click();
            EXPECT_EQ(f.BuildKeyText(), "1=#F");
            f.cbxKeyLetter->setCurrentIndex(4); // E: natural again
            f.cbxKeyLetter->setCurrentIndex(2);
            EXPECT_TRUE(f.rbtNatural->isChecked());
            EXPECT_FALSE(f.rbtSharp->isEnabled());
            f.rbtFlat->click();
            f.btnOK->click();
        },
        "dialog_key_signature");
    ASSERT_TRUE(AskKeySign(nullptr, a));
    EXPECT_EQ(a.keyText, "1=bE");
    EXPECT_FALSE(a.fixedKey);

    WhenShown<TKeySignature>([](TKeySignature& f) {
        f.cbxKeyLetter->setCurrentIndex(0); // C keeps both signs
        EXPECT_TRUE(f.rbtFlat->isEnabled());
        EXPECT_TRUE(f.rbtSharp->isEnabled());
        f.rbtFlat->click();
        f.cbxKeyLetter->setCurrentIndex(7); // the fixed key, whatever sign was checked
        EXPECT_FALSE(f.cbxOrignaldKey->isHidden());
        EXPECT_FALSE(f.rbtFlat->isEnabled());
        EXPECT_FALSE(f.rbtSharp->isEnabled());
        f.cbxOrignaldKey->setCurrentIndex(8); // Eb
        tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_key_signature_fixed");
        f.btnOK->click();
    });
    ASSERT_TRUE(AskKeySign(nullptr, a));
    EXPECT_EQ(a.keyText, "1=C Fixed Key");
    EXPECT_TRUE(a.fixedKey);
    EXPECT_EQ(a.originalKey, 8);
}

TEST(KeySignatureForm, ShownAgainItStartsOverWithOneFixedKeyItem) {
    TKeySignature f;
    f.show();
    f.cbxKeyLetter->setCurrentIndex(7);
    f.hide();
    f.show();
    EXPECT_EQ(f.cbxKeyLetter->count(), 8);
    EXPECT_EQ(f.BuildKeyText(), "1=G");
    EXPECT_TRUE(f.cbxOrignaldKey->isHidden());
    EXPECT_TRUE(f.rbtFlat->isEnabled());
}

TEST(RotateTextForm, PresetsSetTheAngle) {
    int degrees = 30;
    WhenShown<TfrmRotateText>(
        [](TfrmRotateText& f) {
            EXPECT_EQ(f.spnRotText->value(), 30);
            f.rbtN45->click();
            EXPECT_EQ(f.spnRotText->value(), -45);
            f.rbt90->click();
            EXPECT_EQ(f.spnRotText->value(), 90);
            f.rbtN90->click();
            f.btnOK->click();
        },
        "dialog_rotate_text");
    ASSERT_TRUE(AskRotateText(nullptr, degrees));
    EXPECT_EQ(degrees, -90);

    WhenShown<TfrmRotateText>([](TfrmRotateText& f) {
        f.spnRotText->setValue(-300); // clamped
        EXPECT_EQ(f.spnRotText->value(), -180);
        f.btnCancel->click();
    });
    EXPECT_FALSE(AskRotateText(nullptr, degrees));
    EXPECT_EQ(degrees, -90);
}

TEST(ClefStaffForm, ShowsKeyAndClefAndGivesTheChoiceBack) {
    LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
    struct Case {
        const char* name;
        int key, clef, tab;
    } cases[] = {
        {"E flat on the C4 staff", 8, -5, 3},
        {"D on the bass staff", 2, -2, 1},
        {"F sharp on the alto staff", 13, -3, 4},
        {"tablature", 0, -6, 4},
        {"drum staff", 0, -4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmClefStaff f;
        f.SetKeyClef(c.key, c.clef);
        EXPECT_EQ(f.tabStaff->currentIndex(), c.tab);
        int clef = 0;
        EXPECT_EQ(f.GetKeyClef(clef), c.key);
        EXPECT_EQ(clef, c.clef);
    }

    // The user picks the C4 tab and E flat: clef -5, key 8.
    int key = 1, clef = -1;
    WhenShown<TfrmClefStaff>([](TfrmClefStaff& f) {
        EXPECT_EQ(f.tabStaff->currentIndex(), 0);
        EXPECT_TRUE(f.keyButtons[1]->isChecked());
        f.tabStaff->setCurrentIndex(3);
        f.keyButtons[8]->click();
        tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_clef_staff");
        f.btnOK->click();
    });
    ASSERT_TRUE(AskClefStaff(nullptr, key, clef));
    EXPECT_EQ(key, 8);
    EXPECT_EQ(clef, -5);

    // "Other" with the tablature staff: -6, key 0; then C sharp on the G staff.
    WhenShown<TfrmClefStaff>([](TfrmClefStaff& f) {
        f.tabStaff->setCurrentIndex(4);
        f.rbtTabStaff->click();
        tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_clef_staff_other");
        f.btnOK->click();
    });
    ASSERT_TRUE(AskClefStaff(nullptr, key, clef));
    EXPECT_EQ(key, 0);
    EXPECT_EQ(clef, -6);
    WhenShown<TfrmClefStaff>([](TfrmClefStaff& f) {
        EXPECT_TRUE(f.rbtTabStaff->isChecked());
        f.otherButtons[2]->click();
        f.btnOK->click();
    });
    ASSERT_TRUE(AskClefStaff(nullptr, key, clef));
    EXPECT_EQ(key, 14);
    EXPECT_EQ(clef, -1);

    // Cancel keeps both.
    WhenShown<TfrmClefStaff>([](TfrmClefStaff& f) {
        f.tabStaff->setCurrentIndex(1);
        f.btnCancel->click();
    });
    EXPECT_FALSE(AskClefStaff(nullptr, key, clef));
    EXPECT_EQ(key, 14);
    EXPECT_EQ(clef, -1);
}

TEST(ShrinkRateForm, StoredRatesAndTheAnswer) {
    struct Case {
        const char* name;
        bool vertical;
        int stored, shown;
    } cases[] = {
        {"compression 0 counts as 15", false, 0, 80},
        {"compression 20", false, 20, 85},
        {"vertical 15", true, 15, 95},
        {"vertical beyond the spin is clamped", true, 60, 130},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShrinkRateAnswer a;
        const int shown = c.shown;
        const bool vertical = c.vertical;
        WhenShown<TfrmShrinkRate>([shown, vertical](TfrmShrinkRate& f) {
            EXPECT_EQ(f.spnShrinkRate->value(), shown);
            // The vertical rate asks with string 921 in caption and label.
            EXPECT_EQ(f.lblEnterRate->text() == f.windowTitle(), vertical);
            if (vertical) tqtest::SavePngIfWanted(f.grab().toImage(), "dialog_vertical_rate");
            f.spnShrinkRate->stepBy(-1);
            f.chkSetDefShrinkRate->setChecked(true);
            f.btnOK->click();
        });
        ASSERT_TRUE(AskShrinkRate(nullptr, c.vertical, c.stored, a));
        EXPECT_EQ(a.percent, c.shown - 1);
        EXPECT_TRUE(a.setDefault);
    }
    TShrinkRateAnswer a;
    WhenShown<TfrmShrinkRate>(
        [](TfrmShrinkRate& f) {
            f.spnShrinkRate->setValue(10); // clamped
            EXPECT_EQ(f.spnShrinkRate->value(), 30);
            f.btnCancel->click();
        },
        "dialog_shrink_rate");
    EXPECT_FALSE(AskShrinkRate(nullptr, false, 0, a));
    EXPECT_EQ(a.percent, 80);
    EXPECT_FALSE(a.setDefault);
}

TEST(MusicTitleForm, EditsTheTitle) {
    std::string title = "\xE6\x98\xA5\xE6\xB1\x9F"; // UTF-8
    WhenShown<TfrmMusicTitle>(
        [](TfrmMusicTitle& f) {
            EXPECT_EQ(f.edtMusicTitle->text(), QString::fromUtf8("\xE6\x98\xA5\xE6\xB1\x9F"));
            f.edtMusicTitle->setText(f.edtMusicTitle->text() + QStringLiteral(" 2"));
            f.btnOK->click();
        },
        "dialog_music_title");
    ASSERT_TRUE(AskMusicTitle(nullptr, title));
    EXPECT_EQ(title, "\xE6\x98\xA5\xE6\xB1\x9F 2");
    WhenShown<TfrmMusicTitle>([](TfrmMusicTitle& f) {
        f.edtMusicTitle->clear();
        f.btnCancel->click();
    });
    EXPECT_FALSE(AskMusicTitle(nullptr, title));
    EXPECT_EQ(title, "\xE6\x98\xA5\xE6\xB1\x9F 2");
}

} // namespace
