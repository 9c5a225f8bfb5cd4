#pragma once
// The Jianpu style of conversions (menu "Jianpu Style", string 531): movable doh
// ("Tonic Sol-Fa", 533) or fixed doh ("Fixed Key", 532), a pair of radio items.
// The checked state of "Fixed Key" is the mode (TMainView::mitFixedKeyChecked,
// preference FixedKey); "Tonic Sol-Fa" is checked whenever it is not.
#include <string>

void mitTonicSolFaClick();
void mitFixedKeyClick();
bool mitTonicSolFaChecked();

// What opening the Western menu sets: the layer-0-only items (mitStaffOptions,
// mitCreateStaff, mitChangeKeySignature, mitConvertToGFStaff, mitWestern2Jianpu,
// mitJianpu2Western, mitCombineasGrandStaff, mitDecoupleGrandStaff,
// mitResetKeySignture) are enabled while layer 0 is current, and the caption of
// mitJianpuStyle names the style in force.
struct TWesternMenuState {
    bool Layer0ItemsEnabled = true;
    std::string JianpuStyleCaption;
};
// Ends text entry and returns the state the menu shows.
TWesternMenuState mitWesternClick();
