#include "edit/modTQKeyTable.h"

#include "edit/modTQCursorKeys.h"
#include "edit/modTQWestEntry.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"

int PendingLeadByte = 0;

namespace {

TKeyCommand Cmd(TKeyCmd c, int a = 0, int b = 0) {
    TKeyCommand k;
    k.cmd = c;
    k.a = a;
    k.b = b;
    return k;
}

TKeyCommand Move(TKeyCmd c, double dx, double dy) {
    TKeyCommand k;
    k.cmd = c;
    k.dx = dx;
    k.dy = dy;
    return k;
}

TCell CursorCell() {
    TCell cell;
    GetCursorCell(cell);
    return cell;
}

bool IsDigit0To7(int key) { return key >= '0' && key <= '7'; }

} // namespace

int MapWideChar(int ch) {
    switch (ch) {
    case 0xFF08: return '(';
    case 0xFF09: return ')';
    case 0xFF0C: return ',';
    case 0xFF1A: return ':';
    case 0xFF1B: return ';';
    case 0xFF1F: return '?';
    case 0x3001: return '\\';
    case 0x3002: return '.';
    case 0x2014: return '_'; // the em dash of the input method's underscore key
    case 0x2015: return '_';
    case 0x00D7: return '*';
    case 0xFF5E: return '~';
    case 0x2026: return '^';
    case 0x2018: return '\'';
    case 0x2019: return '\'';
    case 0x300A: return '<';
    case 0x300B: return '>';
    case 0x300C: return '{';
    case 0x300D: return '}';
    case 0x3010: return '[';
    case 0x3011: return ']';
    default: return ch;
    }
}

int MapLeadByteChar(int lead, int second) {
    const int code = (lead << 8) | second;
    switch (code) {
    case 0xA3A8: return '(';
    case 0xA3A9: return ')';
    case 0xA3AC: return ',';
    case 0xA3BA: return ':';
    case 0xA3BB: return ';';
    case 0xA3BF: return '?';
    case 0xA1A2: return '\\';
    case 0xA1A3: return '.';
    case 0xA1AA: return '_';
    case 0xA1C1: return '*';
    case 0xA1AB: return '~';
    case 0xA1AD: return '^';
    case 0xA1AE: return '\'';
    case 0xA1AF: return '\'';
    case 0xA1B6: return '<';
    case 0xA1B7: return '>';
    case 0xA1BA: return '{';
    case 0xA1BB: return '}';
    case 0xA1BE: return '[';
    case 0xA1BF: return ']';
    default: return 0;
    }
}

TKeyCommand KeyDownCommand(const TKeyInput& in, const TKeyState& st) {
    TMainScore* s = frmMainTQ;
    if (!s)
        return {};
    const TCell cursor = CursorCell();
    const bool westNoteOrRest = IsWestNoteOrRest(cursor);
    if ((in.key == vkUp || in.key == vkDown || in.key == 'X') && !westNoteOrRest)
        ChordNoteIndex = 1;
    if (st.textBoxVisible)
        return {};
    if (st.sliceView > 0) {
        const int pages = static_cast<int>(s->PageSets[static_cast<std::size_t>(CurLayer)].size());
        if (st.sliceView == 2 && in.key == vkNext && s->CurPage < pages - 2)
            ++s->CurPage;
        if (st.sliceView == 2 && in.key == vkPrior && s->CurPage > 1)
            --s->CurPage;
        if (in.key == vkEscape)
            return Cmd(TKeyCmd::LeaveFullView);
    }
    const bool oneCell = s->SelCol0 == s->SelCol1 && s->SelRow0 == s->SelRow1;
    if (oneCell && IsWestNoteCell(cursor) && HasWestChordNotes(cursor) && IsDigit0To7(in.key))
        return Cmd(TKeyCmd::SelectTargetNote, in.key - '0');
    if (in.alt)
        AltDown = true;
    if (in.shift)
        ShiftDown = true;
    if (in.ctrl)
        CtrlDown = true;
    if (in.ctrl && !in.shift && !in.alt && GetCompressNoteCount(cursor) > 0 && IsDigit0To7(in.key))
        return Cmd(TKeyCmd::SelectTargetNote, in.key - '0');
    switch (in.key) {
    case vkSpace:
        return Cmd(TKeyCmd::TypeNoteKey, ' ');
    case vkBack:
        return Cmd(TKeyCmd::BackspaceCursor);
    case vkPrior:
        return st.prevPageEnabled ? Cmd(TKeyCmd::PreviousPage) : TKeyCommand{};
    case vkNext:
        return st.nextPageEnabled ? Cmd(TKeyCmd::NextPage) : TKeyCommand{};
    case vkEnd:
        return Cmd(TKeyCmd::GoToRowEnd);
    case vkHome:
        return Cmd(TKeyCmd::GoHome);
    case vkLeft:
    case vkRight: {
        ChordNoteIndex = 1;
        const int sign = in.key == vkLeft ? -1 : 1;
        if (AltDown)
            return Cmd(TKeyCmd::ResizeSelection, sign, 0);
        if (ShiftDown)
            return Move(TKeyCmd::NudgeSelection, sign * 1.0, 0);
        if (CtrlDown)
            return Move(TKeyCmd::NudgeSelection, sign * 0.2, 0);
        return Cmd(TKeyCmd::MoveCursor, sign, 0);
    }
    case vkUp:
    case vkDown: {
        const int sign = in.key == vkUp ? -1 : 1;
        if (ShiftDown || westNoteOrRest || (cursor.cellType == ctWestern && IsAccidentalSymbolCode(cursor.Note))) {
            // a quarter rest (22) or shorter moves by a fifth of a step
            if (CtrlDown && IsWestRestCell(cursor) && cursor.Note >= 22)
                return Move(TKeyCmd::NudgeSelection, 0, sign * 0.2);
            return Move(TKeyCmd::NudgeSelection, 0, sign * 1.0);
        }
        if (CtrlDown)
            return Move(TKeyCmd::NudgeSelection, 0, sign * 0.2);
        if (AltDown)
            return Cmd(TKeyCmd::ResizeSelection, 0, sign);
        return Cmd(TKeyCmd::MoveCursor, 0, sign);
    }
    case vkDelete:
        if (AltDown)
            return Cmd(TKeyCmd::DeleteSymbolSlot, 1);
        if (ShiftDown)
            return Cmd(TKeyCmd::DeleteMark);
        return Cmd(TKeyCmd::DeleteRange);
    default:
        return {};
    }
}

void KeyUpState(const TKeyInput& in, const TKeyState& st) {
    if (st.textBoxVisible)
        return;
    if (!in.alt)
        AltDown = false;
    if (!in.shift)
        ShiftDown = false;
    if (!in.ctrl)
        CtrlDown = false;
}

namespace {

bool IsNoteChar(int ch, bool westRow) {
    if (IsDigit0To7(ch))
        return true;
    switch (ch) {
    case '|': case 'i': case 'I': case ':': case ';': case 'l':
    case '.': case '*': case '(': case ')': case '-':
        return true;
    case 'x': case 'X':
        return !westRow;
    default:
        return false;
    }
}

TKeyCommand SpecialQuickKey(int ch) {
    TMainScore* s = frmMainTQ;
    if (HasWestRowInRange(0, s->Rows - 1, 0)) {
        if (ch >= '1' && ch <= '5')
            return Cmd(TKeyCmd::InsertSymbol, 124 + (ch - '1'));
    } else {
        switch (ch) {
        case '0': return Cmd(TKeyCmd::InsertSymbol, 16);
        case '1': return Cmd(TKeyCmd::InsertSymbol, 17);
        case '2': return Cmd(TKeyCmd::InsertSymbol, 18);
        case '3': return Cmd(TKeyCmd::InsertSymbol, 19);
        case '4': return Cmd(TKeyCmd::InsertSymbol, 24);
        case 'L': case 'l': return Cmd(TKeyCmd::InsertSymbol, 35);
        case 'W': case 'w': return Cmd(TKeyCmd::InsertSymbol, 36);
        default: break;
        }
    }
    if (ch >= 'a' && ch <= 'd')
        return Cmd(TKeyCmd::InsertSymbol, 130 + (ch - 'a'));
    return {};
}

TKeyCommand DynamicQuickKey(int ch) {
    switch (ch) {
    case '(': case '9': return Cmd(TKeyCmd::ChangeMarkHeight, 1);
    case ')': case '0': return Cmd(TKeyCmd::ChangeMarkHeight, -1);
    case '[': case '{': return Cmd(TKeyCmd::ChangeMarkWidth, 1);
    case ']': case '}': return Cmd(TKeyCmd::ChangeMarkWidth, -1);
    case '+': case '=': return Cmd(TKeyCmd::MoveMark, -1);
    case '-': case '_': return Cmd(TKeyCmd::MoveMark, 1);
    case ',': case '<': return Cmd(TKeyCmd::MoveMarkEnd, 1);
    case '.': case '>': return Cmd(TKeyCmd::MoveMarkEnd, -1);
    case '/': return Cmd(TKeyCmd::FlipMark);
    case 'D': case 'd': return Cmd(TKeyCmd::DeleteMark);
    default: return {};
    }
}

TKeyCommand Symbol(int n) { return Cmd(TKeyCmd::InsertSymbol, n); }
TKeyCommand Mark(int n) { return Cmd(TKeyCmd::InsertMark, n); }
TKeyCommand West(int n, int position = 0) { return Cmd(TKeyCmd::WestCode, n, position); }

TKeyCommand CommandChar(int ch, bool w, const TCell& cursor) {
    const int lower = (ch >= 'A' && ch <= 'Z') ? ch - 'A' + 'a' : ch;
    switch (ch) {
    case '#': case '9': return Symbol(14);
    case '\'': return Cmd(TKeyCmd::ChangeOctave, '\'');
    case ',': return Cmd(TKeyCmd::ChangeOctave, ',');
    case '/': return w ? West(114, 1) : Symbol(2);
    case '8': return Cmd(TKeyCmd::AddOctaveNote);
    case '=': return w ? Cmd(TKeyCmd::CombineTails) : Cmd(TKeyCmd::SetUnderlines);
    case '>': return w ? West(106) : Symbol(9);
    case '[': return w ? West(21) : Mark(4);
    case '\\': return w ? West(100) : Symbol(3);
    case ']': return w ? West(20) : Mark(39);
    case '^': return Symbol(7);
    case '_': return w ? West(12, 1) : Cmd(TKeyCmd::SetUnderlines);
    case '`': return Symbol(41);
    case '{': return cursor.markType > 0 ? Cmd(TKeyCmd::FlipMark) : Symbol(6);
    case '}': return Symbol(5);
    case '~': return Symbol(4);
    case 'L': return Symbol(27);
    default: break;
    }
    switch (lower) {
    case 'a': return w ? Cmd(TKeyCmd::WestLetterNote, ch) : Symbol(1);
    case 'b':
        return w && cursor.Note == ' ' ? Cmd(TKeyCmd::WestLetterNote, ch) : Symbol(15);
    case 'c': return w ? Cmd(TKeyCmd::WestLetterNote, ch) : Symbol(23);
    case 'd': return w ? Cmd(TKeyCmd::WestLetterNote, ch) : Symbol(11);
    case 'e': return w ? Cmd(TKeyCmd::WestLetterNote, ch) : Mark(65);
    case 'f':
        if (!w)
            return Mark(2);
        return SelectionHasOtherClef(-2) ? Cmd(TKeyCmd::ChangeClef, -2) : Cmd(TKeyCmd::WestLetterNote, ch);
    case 'g':
        if (!w)
            return Mark(3);
        return SelectionHasOtherClef(-1) ? Cmd(TKeyCmd::ChangeClef, -1) : Cmd(TKeyCmd::WestLetterNote, ch);
    case 'h': return w ? West(23) : Symbol(30);
    case 'j': return w ? West(24) : Mark(7);
    case 'k': return w ? West(25) : Symbol(96);
    case 'm': return Mark(1);
    case 'n': return w ? West(105) : Symbol(111);
    case 'o': return w ? West(7) : Symbol(10);
    case 'p': return Symbol(41);
    case 'q': return w ? West(1) : West(3);
    case 'r': return w ? West(3) : Symbol(28);
    case 's': return w ? West(22) : Cmd(TKeyCmd::SwapUnderlines);
    case 't': return w ? West(4) : Symbol(86);
    case 'u': return w ? West(6) : Symbol(87);
    case 'v': return Symbol(8);
    case 'w': return w ? West(2) : Symbol(13);
    case 'x': return w ? West(102) : TKeyCommand{};
    case 'y': return w ? West(5) : TKeyCommand{};
    case 'z':
        if (w)
            return West(101);
        return IsJianpuSound(cursor) ? Cmd(TKeyCmd::AddThirdToChord) : TKeyCommand{};
    default: return {};
    }
}

} // namespace

TKeyCommand KeyPressCommand(int ch, const TKeyState& st, bool byteInput) {
    TMainScore* s = frmMainTQ;
    if (st.textBoxVisible || !s)
        return {};
    if (!byteInput)
        ch = MapWideChar(ch);
    const TCell cursor = CursorCell();
    if (st.specialKeys) {
        const TKeyCommand k = SpecialQuickKey(ch);
        if (k.cmd != TKeyCmd::None)
            return k;
    }
    if (st.dynamicKeys && cursor.markType > 0) {
        const TKeyCommand k = DynamicQuickKey(ch);
        if (k.cmd != TKeyCmd::None)
            return k;
    }
    if (byteInput && PendingLeadByte == 0 && (ch == 0xA1 || ch == 0xA3)) {
        PendingLeadByte = ch;
        return {};
    }
    if (byteInput && PendingLeadByte != 0) {
        const int mapped = MapLeadByteChar(PendingLeadByte, ch);
        if (mapped != 0)
            ch = mapped;
        PendingLeadByte = 0;
    }
    const bool w = IsWestRowAtCursor();
    TKeyCommand k;
    if (ch != ' ' && IsNoteChar(ch, w))
        k = Cmd(TKeyCmd::TypeNoteKey, ch);
    else
        k = CommandChar(ch, w, cursor);
    // the value keys q w r t y u and the sharp
    k.typedNote = w && ((k.cmd == TKeyCmd::WestCode && k.a >= 1 && k.a <= 6) ||
                        (k.cmd == TKeyCmd::InsertSymbol && k.a == 14));
    k.redrawPage = true;
    return k;
}
