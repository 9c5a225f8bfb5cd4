#include "platform/core/TQStrings.h"

namespace {
TStringLookup& Lookup() {
    static TStringLookup lookup;
    return lookup;
}
bool gUseChinese = false;
bool gBoldChinese = false;
} // namespace

void SetStringLookup(TStringLookup lookup) { Lookup() = std::move(lookup); }

std::string GetStringById(int id) {
    const TStringLookup& lookup = Lookup();
    return lookup ? lookup(id) : std::string();
}

bool UseChineseStrings() { return gUseChinese; }
void SetUseChineseStrings(bool on) { gUseChinese = on; }

bool BoldChineseChars() { return gBoldChinese; }
void SetBoldChineseChars(bool on) { gBoldChinese = on; }
