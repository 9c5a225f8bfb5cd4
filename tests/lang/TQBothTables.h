#pragma once
// The Chinese and the English string table, each loaded once for the tests
// that read them side by side.
#include "lang/modTQLanguage.h"

struct TBothTables {
    TLanguage ch, en;
    TBothTables() {
        ch.UseChinese = true;
        en.UseChinese = false;
        ch.LoadLanguageDll();
        en.LoadLanguageDll();
    }
};

inline TBothTables& Both() {
    static TBothTables t;
    return t;
}
