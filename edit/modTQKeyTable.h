#pragma once
// The keyboard's command table: which command a key-down (cursor movement,
// nudging, paging, deletion) or a typed character (note entry and the command
// letters) stands for on the current score.
//
// The table works on an abstract key, so that it runs without a window: the
// main window turns its key events into TKeyInput, asks the table, and runs the
// command it gets back. Key codes are the Windows virtual-key numbers (letters
// and main-keyboard digits are their upper-case ASCII codes).
#include <cstdint>

enum : int {
    vkBack = 8,
    vkTab = 9,
    vkReturn = 13,
    vkEscape = 27,
    vkSpace = 32,
    vkPrior = 33,
    vkNext = 34,
    vkEnd = 35,
    vkHome = 36,
    vkLeft = 37,
    vkUp = 38,
    vkRight = 39,
    vkDown = 40,
    vkDelete = 46,
    vkF7 = 118,
};

struct TKeyInput {
    int key = 0;         // virtual key (key down and up)
    int ch = 0;          // typed character: a byte, or a Unicode code point
    bool shift = false, alt = false, ctrl = false;
};

// What the main window's controls say when a key arrives.
struct TKeyState {
    bool textBoxVisible = false;   // the text-entry box is shown
    int sliceView = 0;             // SliceView
    bool prevPageEnabled = false;  // btnPreviousPage
    bool nextPageEnabled = false;  // btnNextPage
    bool specialKeys = false;      // mitEnableSpKey checked
    bool dynamicKeys = false;      // mitEnableDynKey checked
};

enum class TKeyCmd {
    None,
    // key down
    SelectTargetNote,  // a: the digit
    TypeNoteKey,       // a: the character
    BackspaceCursor,   // MoveCursor(-1, 0), then the page is redrawn
    PreviousPage,
    NextPage,
    GoToRowEnd,
    GoHome,
    ResizeSelection,   // a, b: columns, rows
    NudgeSelection,    // dx, dy
    MoveCursor,        // a, b
    DeleteSymbolSlot,  // a: the slot
    DeleteMark,
    DeleteRange,
    LeaveFullView,
    // typed characters
    InsertSymbol,      // a: the special-symbol code
    InsertMark,        // a: the mark kind
    ChangeMarkHeight,  // a: the step
    ChangeMarkWidth,
    MoveMark,
    MoveMarkEnd,
    FlipMark,
    WestCode,          // a: the code, b: 1 with the position argument 1
    WestLetterNote,    // a: the letter
    ChangeClef,        // a: the clef
    ChangeOctave,      // a: '\'' raises, ',' lowers
    AddOctaveNote,
    CombineTails,
    SetUnderlines,
    SwapUnderlines,
    AddThirdToChord,
};

struct TKeyCommand {
    TKeyCmd cmd = TKeyCmd::None;
    int a = 0, b = 0;
    double dx = 0, dy = 0;
    bool redrawPage = false; // the typed-character paths that end with a redraw
    bool typedNote = false;  // a value or accidental key: acts on the note just typed
    bool operator==(const TKeyCommand&) const = default;
};

// Set by the key-down table, cleared by the key-up table; waiting for the
// second byte of a two-byte character.
extern int PendingLeadByte;

// A full-width or CJK punctuation character that an input method delivers
// for an ASCII key, as that key; other characters unchanged.
int MapWideChar(int ch);
// The second byte of a two-byte GBK character after lead byte 0xA1 or 0xA3, as
// its ASCII character; 0 when the table has no entry.
int MapLeadByteChar(int lead, int second);

// Key down. Sets the modifier flags (AltDown, ShiftDown, CtrlDown) from the
// input as the table says; reads the current score for the cursor cell.
TKeyCommand KeyDownCommand(const TKeyInput& in, const TKeyState& st);
// Key up: clears the flags of the modifiers no longer held.
void KeyUpState(const TKeyInput& in, const TKeyState& st);
// Typed character: a Unicode code point (full-width punctuation is taken as
// its ASCII key), or with byteInput a byte of a two-byte character stream
// (lead bytes 0xA1 and 0xA3 wait for their second byte).
TKeyCommand KeyPressCommand(int ch, const TKeyState& st, bool byteInput = false);
