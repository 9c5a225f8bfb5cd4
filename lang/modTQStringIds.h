#pragma once
// The string ids from 4000 on: captions, hints and texts of the interface that
// the first ranges of the string tables (200 to 3681) have no id for. This is
// the one list of them; both tables, TQ_CH and TQ_EN, hold every id here and
// no other id from 4000 on (the string-table test checks it).
//
//   4000-4099  main window: menus, tool bars, status texts, the left tool bar's hints
//   4100-4199  forms of the language layer: font dialog, about box, preferences
//   4200-4299  symbol palettes and the small property dialogs
//   4300-4399  play window, play list and MIDI files
//   4400-4499  editing tools, books, printing and image export
//   4500-4599  the user's guide
#define TQ_EXTRA_STRING_IDS(X) \
    X(sidNormalView, 4000) /* View: switch between page and normal view */ \
    X(sidFullView, 4001) /* View: full page view */ \
    X(sidRefresh, 4002) /* View: refresh */ \
    X(sidMainToolBar, 4003) /* name of the top tool bar */ \
    X(sidNoteToolBar, 4004) /* name of the left tool bar */ \
    X(sidUseChinese, 4005) /* Help: the language switch */ \
    X(sidPasteDynamicMarks, 4006) /* Paste Special: dynamic marks only */ \
    X(sidPasteOffsets, 4007) /* Paste Special: offsets only */ \
    X(sidCellProperties, 4008) /* pop-up: the cell's fields */ \
    X(sidScanConvert, 4009) /* Tool: scan convert (not shown) */ \
    X(sidToGrandStaffSelected, 4010) \
    X(sidToGrandStaffAll, 4011) \
    X(sidDecoupleSelected, 4012) \
    X(sidDecoupleAll, 4013) \
    X(sidCombineGrandStaff, 4014) \
    X(sidSpecifyCompression, 4015) /* compression pop-up: enter a rate */ \
    X(sidClearSideImage, 4016) /* Image: close the side picture */ \
    X(sidImportMIDI, 4017) /* File > MIDI: import a MIDI file */ \
    X(sidMIDIMenu, 4018) /* File: the MIDI sub-menu */ \
    X(sidEnableShortcutKeys, 4019) /* palettes' quick keys on or off */ \
    X(sidPreferences, 4022) /* Tool: preferences */ \
    X(sidPreviousPicture, 4023) /* side picture panel */ \
    X(sidNextPicture, 4024) \
    X(sidHintNoUnderline, 4030) \
    X(sidHintUnderline1, 4031) \
    X(sidHintUnderline2, 4032) \
    X(sidHintUnderline3, 4033) \
    X(sidHintSwapUnderline, 4034) \
    X(sidHintNoDots, 4035) \
    X(sidHintDot1Up, 4036) \
    X(sidHintDot2Up, 4037) \
    X(sidHintDot1Down, 4038) \
    X(sidHintDot2Down, 4039) \
    X(sidHintSingleBar, 4040) \
    X(sidHintBeginBar, 4041) \
    X(sidHintEndBar, 4042) \
    X(sidHintRepeatBegin, 4043) \
    X(sidHintRepeatEnd, 4044) \
    X(sidHintDoubleBar, 4045) \
    X(sidHintTwoDots, 4046) \
    X(sidHintAttr112, 4047) \
    X(sidHintAttr96, 4048) \
    X(sidHintCircle, 4049) \
    X(sidHintAttr32, 4050) \
    X(sidHintAttr48, 4051) \
    X(sidHintAttr64, 4052) \
    X(sidHintAttr80, 4053) \
    X(sidHintDotted, 4054) \
    X(sidSpecialSymbolKeys, 4080) /* Tool: the Special Symbols palette's quick keys on or off */ \
    X(sidDynamicMarkKeys, 4081) /* Tool: the Dynamic Marks palette's quick keys on or off */ \
    X(sidOneMeasureWrong, 4082) /* beat check: the rest of "In all, 1 measure may be wrong" */ \
    X(sidFontDefaultButton, 4101) /* font dialog: back to the default font */ \
    X(sidAboutFontLicence, 4102) /* about box: the music font and its licence */ \
    X(sidPaperSizeInvalid, 4103) /* preferences: a paper size that cannot be used (its field follows) */ \
    X(sidFolderType, 4110) /* file dialogs: the type of a folder */ \
    X(sidMathTitle, 4200) /* arithmetic sheet window: title */ \
    X(sidMathFirstPage, 4201) /* arithmetic sheet: first page number */ \
    X(sidMathPageCount, 4202) /* arithmetic sheet: pages to print */ \
    X(sidMathWithAnswers, 4203) /* arithmetic sheet: with answer pages */ \
    X(sidMathNewSheet, 4204) /* arithmetic sheet: a new sheet */ \
    X(sidMathPrint, 4205) /* arithmetic sheet: print */ \
    X(sidMIDIInfoTitle, 4300) /* MIDI header dialog: title */ \
    X(sidMIDIFileName, 4301) /* MIDI header dialog: file name */ \
    X(sidMIDIFormat, 4302) /* MIDI header dialog: format */ \
    X(sidMIDITrackCount, 4303) /* MIDI header dialog: track count */ \
    X(sidMIDIDivision, 4304) /* MIDI header dialog: time division */ \
    X(sidMIDITicksPerQuarter, 4305) /* %1: ticks per quarter note */ \
    X(sidMIDISmpteDivision, 4306) /* %1: frames per second, %2: ticks per frame */ \
    X(sidContinueButton, 4307) /* Continue button */ \
    X(sidMIDISystemSkipped, 4310) /* MIDI import: system messages inside a track were skipped */ \
    X(sidMIDIPercussionLeftOut, 4311) /* MIDI import: the percussion of channel 10 was left out */ \
    X(sidChooseFolder, 4400) /* score browser: choose another folder */ \
    X(sidPrefsUnreadable, 4401) /* TQ.ini cannot be read; followed by its path */ \
    X(sidPrefsUnwritable, 4402) /* TQ.ini cannot be written; followed by its path */ \

enum TExtraStringId : int {
#define TQ_EXTRA_STRING_ID_ENUM(name, id) name = id,
    TQ_EXTRA_STRING_IDS(TQ_EXTRA_STRING_ID_ENUM)
#undef TQ_EXTRA_STRING_ID_ENUM
};

// Every id of the list, in order.
inline constexpr int kExtraStringIds[] = {
#define TQ_EXTRA_STRING_ID_VALUE(name, id) id,
    TQ_EXTRA_STRING_IDS(TQ_EXTRA_STRING_ID_VALUE)
#undef TQ_EXTRA_STRING_ID_VALUE
};
