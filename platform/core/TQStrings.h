#pragma once
// Strings by id and the language switches, for the layers below the language
// object.
//
// The drawing code writes a few localised texts (the page label of the footer
// and of the slice view) but sits below the language object. The language
// object installs its lookup here when it loads a string table and keeps the
// switches up to date; until then every id gives "" and the switches are off.
#include <functional>
#include <string>

using TStringLookup = std::function<std::string(int id)>;

// Installs the lookup (an empty function removes it).
void SetStringLookup(TStringLookup lookup);
// The UTF-8 text of a string id; "" when no table is loaded or the id is unknown.
std::string GetStringById(int id);

// The user interface speaks Chinese (preference "UseChinese").
bool UseChineseStrings();
void SetUseChineseStrings(bool on);

// Single Chinese characters are drawn in the bold face instead of the score's
// Chinese font.
bool BoldChineseChars();
void SetBoldChineseChars(bool on);
