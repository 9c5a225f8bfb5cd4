// Standard MIDI File import: note values, the clean-up passes over staves
// placed note by note, and the import as a whole.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/modTQCellAccess.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kMsgBadFormat = 1045;
constexpr int kMsgStavesTooMany = 3720;
constexpr int kMsgNoNotes = 3722;
constexpr int kMsgSystemSkipped = 4310;
constexpr int kMsgPercussionLeftOut = 4311;
constexpr int kGrandStaffBrace = 54191118;
constexpr int kEmptyCode = 32;

int PageCount0() { return frmMainTQ ? static_cast<int>(frmMainTQ->PageSets[0].size()) : 0; }






} // namespace

TCell* GridCell(int layer, int page, int row, int col) {
    TMainScore* s = frmMainTQ;
    if (!s || layer < 0 || layer > 1 || page < 0 || row < 0 || col < 0 || row >= s->Rows || col >= s->Cols)
        return nullptr;
    TLayer& pages = s->PageSets[static_cast<std::size_t>(layer)];
    if (page >= static_cast<int>(pages.size()))
        return nullptr;
    TPage& p = pages[static_cast<std::size_t>(page)];
    if (row >= static_cast<int>(p.size()) || col >= static_cast<int>(p[static_cast<std::size_t>(row)].size()))
        return nullptr;
    return &p[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

// ---- values ----

int TMIDIReader::QuantizeNoteValue(int ticks, int& dots) const {
    dots = 0;
    if (ticks <= 0)
        return 0;
    struct Row {
        double upTo, twoDots, oneDot;
    };
    static const Row rows[8] = {{0.255, 0.14, 0.18}, {0.53, 0.3, 0.4},  {1.1, 0.65, 0.85},  {2.2, 1.3, 1.6},
                                {4.0, 2.6, 3.8},     {8.0, 5.2, 6.8},   {16.0, 10.5, 13.0}, {32.0, 20.5, 26.0}};
    const double r = static_cast<double>(TicksPerQuarter()) / ticks;
    for (int i = 0; i < 8; ++i) {
        if (rows[i].upTo >= r) {
            dots = r <= rows[i].twoDots ? 2 : r <= rows[i].oneDot ? 1 : 0;
            return i + 1;
        }
    }
    return 0;
}

int TMIDIReader::NoteValueTicks(int value, uint32_t option) const {
    const int base = static_cast<int>(std::trunc(std::ldexp(1.0, 3 - value) * TicksPerQuarter()));
    if (option & 0x8u)
        return static_cast<int>(std::trunc(base * 1.5));
    if (option & 0x40u)
        return static_cast<int>(std::trunc(base * 1.75));
    return base;
}

int TMIDIReader::RestValueTicks(int code, uint32_t option) const {
    return NoteValueTicks(RestCodeToValue(code), option);
}

int TMIDIReader::FirstNoteColumn() const { return static_cast<int>(std::abs(SignatureSharps) / 3.0 + 4); }

// ---- placement ----

int TMIDIReader::PlaceMidi() {
    Placed = 0;
    for (TMIDISounding& s : Sounding)
        s = {};
    if (!frmMainTQ || Tracks.empty() || TicksPerQuarter() == 0)
        return 0;
    if (!PlanMidiLayout(frmMainTQ->Cols, frmMainTQ->Rows))
        return 0;
    WritePlannedLayout();
    return Placed;
}

// ---- clean-up ----

template <class F>
void TMIDIReader::Walk(int s, F visit) const {
    const int rows = frmMainTQ->Rows, cols = frmMainTQ->Cols;
    const int c0 = FirstNoteColumn();
    for (int page = 0; page < PageCount0(); ++page) {
        for (int r = page == 0 ? 6 : 2; r < rows - ExtraRows - 1; r += 2 + Gap + ExtraRows) {
            for (int c = c0; c < cols; c += 2) {
                TCell* cell = GridCell(0, page, r + s, c);
                if (cell && !visit(page, r, c, *cell))
                    return;
            }
        }
    }
}

bool TMIDIReader::NextPlacedMidiCell(TCellLoc& loc, int s) const {
    const int rows = frmMainTQ->Rows, cols = frmMainTQ->Cols;
    const int c0 = FirstNoteColumn();
    int page = loc.page, c = loc.col + 2, r = loc.row + s;
    while (page < PageCount0()) {
        while (r < rows - ExtraRows - 1) {
            for (; c < cols; c += 2) {
                const TCell* cell = GridCell(0, page, r, c);
                if (cell && IsWestNoteOrRest(*cell, 1)) {
                    loc = {page, c, r};
                    return true;
                }
            }
            c = c0;
            r += 2 + Gap + ExtraRows;
        }
        ++page;
        r = 2 + s;
        c = c0;
    }
    return false;
}

void TMIDIReader::SetMidiCellValue(int layer, int page, int row, int col, int code, int dots, bool reset) {
    TCell* cell = GridCell(layer, page, row, col);
    if (!cell)
        return;
    TCell copy = *cell;
    if (reset)
        ResetCell(copy);
    else
        copy.option &= ~(0x8u | 0x40u);
    copy.cellType = ctWestern;
    copy.Note = code;
    if (dots == 1)
        copy.option |= 0x8u;
    else if (dots == 2)
        copy.option |= 0x40u;
    *cell = copy;
}

void TMIDIReader::MergeMidiNoteAndRest(int s) {
    bool have = false;
    TCellLoc note;
    Walk(s, [&](int page, int r, int c, TCell& cell) {
        if (IsWestNoteCell(cell, 1)) {
            note = {page, c, r + s};
            have = true;
            return true;
        }
        if (cell.Note != kEmptyCode && !IsWestRestCell(cell)) {
            have = false;
            return true;
        }
        if (have && IsWestRestCell(cell)) {
            TCell* n = GridCell(0, note.page, note.row, note.col);
            if (n && ((cell.Note == 23 && n->Note == 4) || (cell.Note == 24 && n->Note == 5))) {
                n->Note -= 1;
                n->option |= 0x10u;
                ResetCell(cell);
            }
        }
        return true;
    });
}

void TMIDIReader::TrimLongMidiNotes(int s) {
    Walk(s, [&](int page, int r, int c, TCell& n) {
        if (!IsWestNoteCell(n, 1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, s))
            return false;
        const TCell* m = GridCell(0, loc.page, loc.row, loc.col);
        const int ticks = NoteValueTicks(n.Note, n.option);
        const int gap = m->scratch - n.scratch;
        if (gap <= ticks && RoundToInt(gap * 1.2) < ticks && gap + 4 < ticks && gap > 0) {
            int dots = 0;
            const int v = QuantizeNoteValue(gap, dots);
            if (v == n.Note)
                SetMidiCellValue(0, page, r + s, c, v, dots, false);
        }
        return true;
    });
}

void TMIDIReader::FillMidiStaffRests(int s, int o) {
    Walk(s, [&](int page, int r, int c, TCell& n) {
        if (!IsWestNoteCell(n, 1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, o))
            return false;
        const TCell* m = GridCell(0, loc.page, loc.row, loc.col);
        TCell* other = GridCell(0, page, r + o, c);
        if (!other)
            return true;
        const int ticks = NoteValueTicks(n.Note, n.option);
        const int gap = m->scratch - n.scratch;
        if (gap <= 0 || gap >= ticks)
            return true;
        int dots = 0;
        const int v = QuantizeNoteValue(gap, dots);
        if (v == 0)
            return true;
        if (IsWestNoteCell(*other, 1)) {
            if (v <= other->Note)
                return true;
            frmMainTQ->AddMissingJianpuPages();
            SetMidiCellValue(1, page, r + o, c, ValueToRestCode(v), dots, false);
            if (TCell* rest = GridCell(1, page, r + o, c))
                rest->scratch = n.scratch;
            return true;
        }
        const bool placed = IsWestNoteOrRest(*other, 1);
        SetMidiCellValue(0, page, r + o, c, ValueToRestCode(v), dots, false);
        if (!placed)
            other->scratch = n.scratch; // the new rest starts with the note
        return true;
    });
}

void TMIDIReader::ShortenMidiRests(int s, int o) {
    TCell last; // an empty cell at the start
    TCellLoc lastLoc;
    std::vector<TCellLoc> rests;
    long long sum = 0;
    Walk(s, [&](int page, int r, int c, TCell& x) {
        if (IsWestRestCell(x)) {
            if (IsWestNoteCell(last, 1)) {
                rests.push_back({page, c, r});
                sum += RestValueTicks(x.Note, x.option);
            }
            return true;
        }
        if (!IsWestNoteCell(x, 1))
            return true;
        if (IsWestNoteCell(last, 1) && sum > 0) {
            const long long room = static_cast<long long>(x.scratch - last.scratch) - NoteValueTicks(last.Note, last.option);
            long long excess = sum - room;
            if (excess > 0) {
                for (const TCellLoc& loc : rests) {
                    TCell* rest = GridCell(0, loc.page, loc.row + s, loc.col);
                    if (!rest || !IsWestRestCell(*rest))
                        continue;
                    const TCell* other = GridCell(0, loc.page, loc.row + o, loc.col);
                    if (other && IsWestNoteCell(*other, 1) && RestCodeToValue(rest->Note) > other->Note)
                        continue;
                    // Once the excess is used up the rests left keep the staff's time.
                    if (excess <= 0)
                        break;
                    const int rt = RestValueTicks(rest->Note, rest->option);
                    if (rt == excess) {
                        ResetCell(*rest);
                        excess = 0;
                    } else if (rt > excess) {
                        int dots = 0;
                        const int v = QuantizeNoteValue(static_cast<int>(rt - excess), dots);
                        if (v == 0)
                            ResetCell(*rest); // too short for any rest
                        else
                            SetMidiCellValue(0, loc.page, loc.row + s, loc.col, ValueToRestCode(v), dots, false);
                        excess = 0;
                    } else {
                        ResetCell(*rest);
                        excess -= rt;
                    }
                }
            }
        }
        rests.clear();
        sum = 0;
        last = x;
        lastLoc = {page, c, r};
        return true;
    });
}

void TMIDIReader::MergeMidiRests(int s, int o) {
    Walk(s, [&](int page, int r, int c, TCell& r1) {
        if (!IsWestRestCell(r1))
            return true;
        TCellLoc loc{page, c, r};
        if (!NextPlacedMidiCell(loc, s))
            return false;
        TCell* r2 = GridCell(0, loc.page, loc.row, loc.col);
        if (!r2 || !IsWestRestCell(*r2))
            return true;
        const TCell* other = GridCell(0, loc.page, loc.row - s + o, loc.col);
        if (other && IsWestNoteCell(*other, 1))
            return true;
        int dots = 0;
        const int v = QuantizeNoteValue(RestValueTicks(r1.Note, r1.option) + RestValueTicks(r2->Note, r2->option), dots);
        if (v == 0)
            return true;
        SetMidiCellValue(0, page, r + s, c, ValueToRestCode(v), dots, false);
        ResetCell(*r2);
        return true;
    });
}

void TMIDIReader::CleanUpMidiStaves() {
    if (Format == 0 || Tracks.size() < 3) {
        MergeMidiNoteAndRest(0);
        return;
    }
    MergeMidiNoteAndRest(0);
    MergeMidiNoteAndRest(3);
    TrimLongMidiNotes(0);
    TrimLongMidiNotes(3);
    FillMidiStaffRests(0, 3);
    FillMidiStaffRests(3, 0);
    ShortenMidiRests(0, 3);
    ShortenMidiRests(3, 0);
    MergeMidiRests(0, 3);
    MergeMidiRests(3, 0);
}

// ---- the import ----

bool TMIDIReader::ImportMIDIFile(const std::string& fileName) {
    Damaged = false;
    Title.clear();
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    if (!LoadFile(fileName))
        return false;
    if (!ReadHeader())
        return false;
    // The whole file is read and laid out before the score is touched: a file
    // that cannot be placed is refused with the score as it was.
    ReadBody();
    auto refuse = [&](int id, const std::string& extra) {
        MessageOkById(id, extra, mkError);
        Data.clear();
        Tracks.clear();
        return false;
    };
    // Formats 0 and 1 are placed; the independent sequences of format 2 are not.
    if (TooLong || Format > 1)
        return refuse(kMsgBadFormat, "\n" + fileName);
    auto plan = [&]() {
        MessageId = 0;
        if (PlanMidiLayout(s->Cols, s->Rows))
            return true;
        if (MessageId == kMsgStavesTooMany)
            refuse(MessageId, Message);
        else if (MessageId != 0)
            refuse(MessageId, "\n" + fileName);
        else
            refuse(Damaged ? kMsgBadFormat : kMsgNoNotes, "\n" + fileName);
        return false;
    };
    if (!plan())
        return false;
    const int plannedCols = s->Cols, plannedRows = s->Rows;
    auto tellShared = [&]() {
        if (StavesWanted > static_cast<int>(staves_.size()))
            MessageOkById(kMsgStavesTooMany, std::to_string(StavesWanted), mkInformation);
    };
    tellShared();
    auto* view = dynamic_cast<TMainView*>(s);
    if (MIDIImportHooks().NewScore) {
        if (!MIDIImportHooks().NewScore())
            return false;
    } else if (view) {
        if (!view->NewScore())
            return false;
    } else {
        s->PageSets[1].clear();
        s->PageSets[0].resize(1);
        s->AllocatePage(0, 0, true, 0, 0);
        s->PageCount = 1;
        s->CurPage = 0;
        CurLayer = 0;
    }
    if (MIDIImportHooks().ConfirmHeader &&
        !MIDIImportHooks().ConfirmHeader(FileName, Format, DeclaredTracks, DivisionHigh, DivisionLow))
        return false;
    // A new score may come with another page grid.
    if (s->Cols != plannedCols || s->Rows != plannedRows) {
        const int before = static_cast<int>(staves_.size());
        if (!plan())
            return false;
        if (static_cast<int>(staves_.size()) < before)
            tellShared();
    }
    WritePlannedLayout();
    Data.clear();
    Tracks.clear();

    s->CurPage = 0;
    s->SelCol0 = s->SelRow0 = s->SelCol1 = s->SelRow1 = 0;
    CurLayer = 0;
    if (!Title.empty()) {
        if (TCell* c = GridCell(0, 0, 1, 3)) {
            ResetCell(*c);
            c->cellType = ctText;
            c->Text = Title;
            c->FontCharset = TitleCharset;
            c->fontSizeR = 1.5f;
        }
    }
    if (ScoreTempo > 0) {
        // The tempo sign: a quarter note (note code 2) = the beats per minute.
        if (TCell* c = GridCell(0, 0, 4, 3)) {
            ResetCell(*c);
            c->cellType = ctTempo;
            c->Note = 2;
            c->FontColor = ScoreTempo;
        }
    }
    s->PageCount = std::max(s->PageCount, PageCount0());
    if (view) {
        view->RefreshPageCombo();
        view->GoToPage(0);
        view->PageCaption(); // the page count of the imported score
        view->Controls.StatusFile = "MIDI File Name: " + fileName;
        view->RedrawPage();
    }
    s->SetModified(true);
    if (frmPlay) {
        // The placed staves play as Western, all staffs.
        frmPlay->PlayWest = true;
        frmPlay->PlayRule = prAllStaffs;
    }
    if (StrayStatus > 0) {
        // The diagnostic of the first status byte that starts no event; the
        // bytes after it were read on.
        TMessageRequest r;
        r.kind = mkWarning;
        r.text = StrayText + "\n" + fileName;
        MessageBoxes().Show(r);
    }
    if (SystemSkipped > 0)
        MessageOkById(kMsgSystemSkipped, "\n" + fileName, mkWarning);
    if (PercussionLeftOut > 0)
        MessageOkById(kMsgPercussionLeftOut, "\n" + fileName, mkInformation);
    if (Damaged)
        MessageOkById(kMsgBadFormat, "\n" + fileName, mkError);
    if (MIDIImportHooks().Finished)
        MIDIImportHooks().Finished(fileName);
    return Placed > 0;
}
