#pragma once
// Switches the legacy music fonts on or off for one test and back on after it.
// The fonts are loaded once; "off" makes the drawers take their second forms.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/TQGlyphMap.h"
#include "tests/support/TQTestSupport.h"

class TMusicFonts {
public:
    TMusicFonts(bool musicalSymbols, bool toccata) {
        loaded_ = LoadProgramFonts(tqtest::ProgramFolder().string() + "/");
        SetMusicFontInstalled("MusicalSymbols", musicalSymbols);
        SetMusicFontInstalled("Toccata", toccata);
    }
    ~TMusicFonts() {
        SetMusicFontInstalled("MusicalSymbols", true);
        SetMusicFontInstalled("Toccata", true);
    }
    TMusicFonts(const TMusicFonts&) = delete;
    TMusicFonts& operator=(const TMusicFonts&) = delete;
    bool loaded() const { return loaded_; }

private:
    bool loaded_ = false;
};
