#pragma once
// The play state: everything the play window holds for playing a score.
//
// The play list, the per-staff state of the list builders, the player's stop
// flag and the window's settings as plain values. The play window (app/) is made
// of this part, as the main window is made of its score part; the builders, the
// passes and the player reach it through the one global pointer frmPlay.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "play/modTQBitCount.h"
#include "play/modTQPlayList.h"

inline constexpr int kPlayStaves = 16;     // staves of one staff group
inline constexpr int kSoundEffects = 130;  // 128 programs, mute, ignore
inline constexpr int kSoundMute = 128;
inline constexpr int kSoundIgnore = 129;
inline constexpr int kNoAccidental = 10000; // lookups' answer for "no accidental"

// One entry of the sound-effect list.
struct TSoundRecord {
    uint8_t Family;  // 1..8; 0 for the ignore entry
    uint8_t Zero;
    uint8_t Program; // index + 1 for the 128 programs, 129 mute, 0 ignore
    uint8_t Pedal;   // 1: notes die away by themselves; pedal marks matter and held notes may ring on
};
extern const std::array<TSoundRecord, kSoundEffects> SoundTable;
// Pedal flag of a sound-effect index; 0 outside the table.
int SoundPedalFlag(int index);

// Running or pending tuplet of a staff.
struct TTupletRec {
    uint8_t Flag = 0;
    int8_t Left = 0;       // notes left
    float Factor = 1.0f;   // time factor
    int16_t LastCol = 0;   // last column; a pending tuplet keeps its note value here
};

// The pending tie of a staff.
struct TTieRecord {
    int Item = -1;   // item holding the tie's first note; -1 none
    int LastCol = 0; // last column the tie may reach
    int Page = 0;
    int StartCol = 0;
    int StartRow = 0;
    int Stamp = 0;   // list stamp
    TPNote Notes[kPlayNoteSlots];
};

// Small notes of a cell waiting for the following steps of their staff.
struct TShrinkRec {
    int Col = -1; // the cell's column
    std::vector<TPlayItem> Items;
};

// One accidental remembered until the bar ends.
struct TMeasureAlterater {
    int32_t Semitones = 0; // -2..+2
    int32_t Note = 0;      // Jianpu degree character, or Western staff position
    int32_t Octave = 0;    // Jianpu octave dots, or the clef code in force
    bool operator==(const TMeasureAlterater&) const = default;
};

// One Jianpu key change.
struct TKeyRec {
    int8_t Tonic = 0;       // pitch class of "1"
    uint8_t OctaveFlag = 0; // 255: the key's notes sound an octave lower
    int32_t Page = 0;
    int32_t Col = 0;
    int32_t Row = 0;
    uint8_t Fixed = 0;      // the key text says "C Fixed Key"
    int16_t FixedNote = 0;
};

// A jump of the play list: where a replay copies from, stops, resumes and ends.
struct TJumpRecord {
    int Start = 0; // list index a replay copies from; -1 once used
    int End = 0;   // list index the replay stops at; 0 none
    int Coda = 0;  // list index the replay resumes from after the end; 0 none
    int Fine = 0;  // list index at which everything stops; 0 none
    int Segno = 0; // list index of a segno (for the Coda text symbol)
};

// An ornament (or arpeggio) waiting for the column's items to be complete.
struct TTrillRec {
    int Kind = 0;                 // 0 none; 1 trill, 2 repeated notes, 3..8 mordents and turns,
                                  // 9 staccato, 10 / 11 arpeggio up / down, 13 tempo-bound repeats
    int Word1 = 0, Word2 = 0;
    uint32_t Attr = 0;            // attribute word of the symbol cell; low nibble: 1 sharp, 2 flat, 3 natural
    TCell Cell;                   // the ornamented (or arpeggio) cell
    TPlayItem Item;               // the ornamented note's item; Col and Row hold its place
    TPlayItem Item2;
    int Staff = 0;
    int Index = 0;
    int Extra = 0;
};

// Three notes of one staff against two of others over the same columns.
struct TTripletUneven {
    std::vector<int16_t> Staves;  // staves playing the pair
    int16_t StartCol = -1;
    int16_t EndCol = -1;          // below 0: no passage
    int16_t Row = 0;              // the triplet staff's row
    int16_t Swing = 0;            // the triplet's first cell is staccato-marked
    int Span = 0;                 // play units of the passage: the pair's two notes
    std::vector<int> Onsets;      // every onset of the passage, in order, from 0
    int16_t TimedFrom = -1;       // columns timed by the passage itself: the bar
    int16_t TimedTo = -1;         // counter leaves their steps alone
};

// Play rules (the play-rule list's indexes).
enum TPlayRule { prCurrentStaff = 0, prGroupStaff = 1, prAllStaffs = 2, prHighlightedStaffs = 3, prSelectedNotes = 4 };

class TPlayState {
public:
    TPlayState();
    virtual ~TPlayState();
    TPlayState(const TPlayState&) = delete;
    TPlayState& operator=(const TPlayState&) = delete;

    // --- the window's settings ---
    bool PlayWest = false;        // Western staves are played (else Jianpu)
    int PlayRule = prAllStaffs;   // index of the play-rule list
    int SoundEffect = 0;          // index of the sound-effect list, 0..129
    int SpeedAdj = 100;           // speed, percent (10..500, step 5)
    bool IgnoreSpeed = false;     // "Ignore Tempo Signs"
    bool EchoOn = false;          // "Echo On" (hidden)
    bool IgnorePad = false;       // "Ignore Pad Signs"
    bool IgnoreDyn = false;       // "Ignore Dynamic Signs": every note at velocity 127
    bool ShowPlay = true;         // "Show Play Position": the player follows the music
    // Advanced page
    int RitArpAdj = 100;          // 20..250, step 10
    int CredAdj = 100;            // 50..250, step 5
    int NotesVolAdj = 100;        // 0..150, step 5
    int PlayDurIndex = 0;         // "No", "Full", "1/2" .. "1/128", "0"
    int PlayDot = 0;              // 0..2
    bool ShowRed = false;         // "Show Change in Red"

    // --- working state of a build and a play ---
    int StartCol = 0;
    int StartRow = 0;
    int StartIndex = -1;          // first item the player sounds; -1 after the list is cleared
    int16_t GraceDots = 0;
    int16_t GraceDashes = 0;
    int OctaveCarry[kPlayStaves] = {};
    float VolumeFactor = 1.0f;
    // The volume percent of a note of `cell` under the staff's dynamics at its
    // column (VolumeFactor), rounded to the nearest: the player's velocity of it
    // (percent x 1.27) is then the velocity of the dynamics table.
    uint8_t NoteVolume(const TCell& cell) const;
    // The velocity of the same loudness, 0..127.
    uint8_t NoteVelocity(const TCell& cell) const;
    int KeyTonic = 0;
    int KeyOctave = 0;
    TTupletRec ActiveTuplet[2 * kPlayStaves]; // index layer x 16 + staff
    TTupletRec PendingTuplet[kPlayStaves];
    uint8_t TitleSymbol43 = 0;
    int PlayTempo = 100;
    int HighlightAbove = 2;
    int HighlightBelow = 2;
    TTieRecord TieRecord[2 * kPlayStaves];    // index layer x 16 + staff
    int RowOverride = 0;
    int FirstGroup = 0;
    std::vector<int> OctaveShifts[kPlayStaves];
    int TimeSigNum = 4;
    int TimeSigDen = 4;
    uint8_t Echo = 0;
    int16_t TupletScanStart = 0, TupletScanEnd = 0, TupletScanSplit = 0, TupletScanState = 0, TupletScanLevel = 0;
    int CurClef = 0;
    int CurKeyCode = 0;
    int PlayTime = 0;
    std::deque<TPNote> SoundingNotes; // Length holds the end time; sorted by it
    std::vector<TMeasureAlterater> MeasureAccidentals[kPlayStaves];
    std::vector<TPlayItem> PlayList;
    std::vector<TKeyRec> KeyRecs;
    int NextKeyIndex = 0;         // next key record to test
    uint8_t FixedKey = 0;
    int FixedKeyNote = 0;
    int BorrowedTime = 0;         // time a grace or small note takes from the next note
    uint8_t BorrowApplied = 0;
    int BorrowStaff = -1;         // the staff whose next note gives BorrowedTime
    uint8_t Playing = 0;
    int StopRequest = 0;          // 0 go on, 1 stop, 2 next piece

    // --- settings handlers ---
    // The speed box changed: the player's speed scale becomes 100 / speed.
    void SpeedAdjChange();
    // The sound effect changed: "Ignore Pad Signs" exactly when the instrument has no pedal.
    void SoundEffectChange();
    // Stop: stop request 1 and all notes off at once. Next: stop request 2.
    void StopClick();
    void NextClick();

    // --- play rules ---
    bool IsRuleCurrentStaff() const { return PlayRule == prCurrentStaff; }
    bool IsRuleSelectedNotes() const { return PlayRule == prSelectedNotes; }
    bool IsRuleGroupOrAll() const { return PlayRule == prGroupStaff || PlayRule == prAllStaffs; }
    // A row of the played notation on the current page.
    bool IsNotationRow(int row) const;

    // --- staves and start ---
    // FirstGroup for the play rule and the staff of row (GroupRows filled for row).
    void FindFirstGroup(int row);
    // Start column and row from the cursor; false when no playable staff lies at or below it.
    bool FindStartRow();
    // Row at which an item of that staff is highlighted.
    int GroupStartRow(int staff) const;
    // HighlightAbove / HighlightBelow from the Jianpu rows around the staves.
    void ComputeHighlightMargins();
    // Some staff row of the group holds a note at that column of the current page.
    bool ColumnHasNote(int col) const;
    // A marker item when the highlight height of the rule differs from height.
    void EmitHighlightHeight(int& height);
    // The main window's flag that keeps the play highlight one row high (set
    // between a mouse-down and its mouse-up); unset: clear.
    std::function<bool()> MainHighlightOneRow;

    // Grace notes just made for a staff (list items from `first` on) take their
    // time from the step before them in PlayList, at most a quarter of it, and
    // are fitted into the time taken; with no step before, the staff's next note
    // gives it (BorrowedTime). The beat after the main note stays where it is.
    void BorrowGraceTime(std::vector<TPlayItem>& list, size_t first, int staff);
    // The small notes of one cell (both notations) as items: the first two (more
    // after spaces and dots) go to the staff's list, the rest wait in ShrinkRecs.
    void CompressedCellToItems(const TCell& cell, int column, std::vector<TPlayItem>& list, int staff);
    TShrinkRec ShrinkRecs[kPlayStaves];

    // Moves every note of the list's sounding items by the staff clef's octave
    // flag (0x40 up, else 0x80 down).
    void ShiftStaffOctave(std::vector<TPlayItem>& list, int staff) const;

    // --- rows above the first staff ---
    // TimeSigNum / TimeSigDen from the first time-signature cell above the first staff (4/4 when none).
    void FindTimeSignature();

    // --- adding items ---
    // Appends the item to PlayList. With adjust, a notes item with a cell, Volume
    // above 5 and a first note longer than 5 gets Volume 127 and Hold = Echo (and,
    // with Echo, its echo through OnEcho); and RowOverride, when above 0, goes into Row.
    void AddPlayItem(const TPlayItem& item, bool adjust);
    // The ornament pass's echo of an item added while Echo is set.
    std::function<void(const TPlayItem&)> OnEcho;
    // A keyboard refresh item (kind 7) for the cell, unless the last item is one.
    void AddRefreshItem(int col, int row);

    // --- held notes ---
    // For a notes item (unless "Echo On"): the step shrinks to its shortest note;
    // longer notes are held in SoundingNotes and release items are added for the
    // held notes that end by the new PlayTime (not for a note the item strikes again).
    void ProcessHeldNotes(TPlayItem& item);
    // A release item for every note still held, in order.
    void FlushHeldNotes();

    // --- Western cells ---
    // Play units of a note value (1 whole .. 9 1/256) under option's lengthening bit and PlayTempo.
    int PlayUnitsOfValue(int value, uint32_t option) const;
    // Play units of one Western cell: override, breve, dots, tuplet, staff tempo.
    int WestCellDuration(int column, const TCell& cell, int staff);
    // Lowers the item's Duration to the cell's length (a rest is read as its value).
    void WestStepDuration(int column, const TCell& cell, TPlayItem& item, int staff);
    // Fills the item's notes from a Western note cell (main note, then chord notes);
    // the number of notes filled.
    int WestCellNotes(TPlayItem& item, const TCell& cell, int staff);
    // Fills slot `slot` from a note head at `line` with accidental `attr`; false
    // when the item's cell lies outside the page.
    bool WestNotePitch(int slot, const TCell& cell, TPlayItem& item, int line, uint32_t attr, int staff);
    // Octave and pitch class of a staff position under CurClef with the semitone offset.
    void WestPitchFromLine(int line, int semitones, TPNote& note, int staff);
    // One row of the step table chosen by the semitone offset, shifted by KeyTonic;
    // OctaveCarry[staff] takes the octave carried over.
    int ApplyAccidental(int natural, int sharp, int dsharp, int flat, int dflat, int semitones, int staff);
    // Semitone offset of a note: its own accidental (remembered for the bar), the
    // bar's, else the key signature's; kNoAccidental when none.
    int WestAccidental(uint32_t attr, int line, int clef, int clefShift, int staff);
    // A grace cell (or a cell without small notes) as items of the staff's list;
    // grace notes borrow their time from the last item of PlayList.
    void WestCellToItems(const TCell& cell, std::vector<TPlayItem>& list, int column, int row, int staff);
    // A click on a Western note: its notes sound (every staff of the group with allStaves).
    void AuditionWestClick(int column, int row, bool allStaves);
    void AuditionWestCell(int column, int row);
    // Sounds one note cell through the MIDI output and presses its key on the piano.
    void SoundWestNote(const TCell& cell, int staff);

    // --- Jianpu cells ---
    // Pitch class of a degree (0..6 for '1'..'7') with a semitone offset, shifted
    // by KeyTonic; -1 for another degree. OctaveCarry[staff] takes the carry.
    int JianpuDegreePitchClass(int degree, int accidental, int staff);
    // Fills a slot from a Jianpu note (degree character, octave dots, attribute
    // word) at a column of a staff: pitch class, octave, and the bar's accidental.
    void JianpuNotePitch(int note, int dots, uint32_t attr, int column, int staff, TPNote& slot);
    // Play units of a Jianpu cell; option -1 reads the cell's option word.
    int JianpuCellDuration(int underlines, int column, int row, uint32_t attr, int64_t option, int staff, int playDur);
    // Units added by the dashes and dot cells after the cell, up to the next note or bar line.
    int JianpuDashExtension(int units, int column, int row) const;
    // One item for a vertical chord cell (merged into the list's first item with merge).
    void AddJianpuVerticalItem(const TCell& cell, int column, std::vector<TPlayItem>& list, int staff, bool merge);
    // One item per note of a grace cell; grace notes take their time from the item before.
    void AddJianpuGraceItems(const TCell& cell, int column, int row, std::vector<TPlayItem>& list, int staff);
    // Key changes from the key texts above the Jianpu rows (KeyRecs).
    void CollectJianpuKeyChanges(int row, bool forwardOff);
    void ReadJianpuKeyCell(int page, int column, int row);
    // Puts the key in force at (page, row, column) into KeyTonic and KeyOctave.
    void ApplyJianpuKeyChange(int page, int row, int column);
    // A click on a Jianpu note: it sounds in the key in force at the cursor with the
    // accidentals carried in its bar (every staff of the group with allStaffs).
    void AuditionJianpuClick(bool allStaffs);
    // The key in force at the cursor (KeyTonic -1 when no key text stands before it).
    void FindAuditionKey();
    bool FindAuditionKeyInPage(int column, int row, int firstJianpuRow);
    // Bar memory of staves 0 and 1 from the bar start to the cursor.
    void RebuildBarAccidentals();
    void AuditionJianpuCell(int column, int row);
    void SoundJianpuNote(const TCell& cell);
    // The accidental written earlier in the bar on the clicked degree and octave dots.
    int FindBarAccidentalBefore(const TCell& cell, int column, int row) const;
    // The accidental of a Jianpu note being built: its own (remembered for the bar),
    // else the staff's bar memory for that note and octave dots; kNoAccidental when none.
    int LookupStaffAccidental(uint32_t attr, int note, int dots, int staff);

    // Octaves of the octave mark of the column on the staff: +1, -1, +2, -2 or 0.
    int OctaveMarkShift(int column, int staff) const;

    // --- tempo ---
    // Tempo value (100 = 60 quarters a minute) or relative code (0, -1 .. -10) of a cell;
    // numeric is 0 for a tempo cell, poco is set by a text holding "poco".
    int TempoWordValue(int column, int row, int& numeric, int& poco) const;
    // The same for a cell already looked up (nullptr: none).
    int TempoWordValueOf(const TCell* cell, int& numeric, int& poco) const;
    // ColumnTempo of the staff group in GroupRows, with ramps and returns.
    void BuildTempoMap();
    void FillTempoFrom(int column, int value);
    void RampTempo(int start, int end, int target, bool barLine);
    // 2.0 when a fermata stands over or under the staff group g at the column, else 1.0.
    float FermataFactor(int column, int g) const;
    std::vector<int16_t> ColumnTempo;
    std::vector<int16_t> TempoHistory;
    int RampStartCol = -1;
    int LastTempoCol = -1;
    int RampRate = 0;
    int RampKind = 0;
    int TempoBeforeRamp = 0;

    // --- dynamics ---
    // Velocity in force per staff of the group (index in GroupRows) and column.
    std::vector<int8_t> StaffVolume[kPlayStaves];
    // Every column from first to the last gets min(velocity, 127).
    void FillStaffVolume(int first, int velocity, std::vector<int8_t>& table) const;
    // Velocity (above 0), ramp kind (below 0) or 0 of the cell at (column, row) of the layer and page (-1 current).
    int CellDynamic(int column, int row, int layer, int page) const;
    // The same for a cell already looked up (nullptr: none).
    static int CellDynamicOf(const TCell* cell);
    // StaffVolume of the staff group in GroupRows.
    void BuildStaffVolumes();
    // BuildStaffVolumes, then BuildTempoMap.
    void PrepareGroupDynamics();
    // A crescendo, diminuendo or accent shape from the mark at (column, row) over the staff's velocities.
    void ApplyDynamicRamp(int column, int row, int staffRow, int above, int below, int kind, std::vector<int8_t>& table);
    // Last column of a ramp; target the closing velocity found, 0 when none.
    int FindDynamicRampEnd(int column, int row, int staffRow, int above, int below, int kind, int start,
                           int& target) const;
    // Volume 80 and tempo 100 unless the rows above the first staff say otherwise;
    // the first sound-effect cell there adds an instrument change.
    void ScanHeaderSettings(int& volume, int& tempo);

    // --- repeats, navigation marks, ties, octave marks ---
    TJumpRecord JumpRecord[2]; // 0 navigation (segno, coda, Fine, D.S., D.C.), 1 repeat bars
    // Before a column's notes: repeat bars and navigation marks; false when the
    // column was a measure-repeat symbol that has been expanded.
    bool HandleRepeatColumn(int column, int row);
    // Navigation mark in the group's band at the column (1 segno, 2 D.S., 3 coda
    // sign, 4 D.C., 5 repeat stop, 6 Fine, 7 Coda; 0 none), passing over `previous`.
    int FindNavigationMark(int column, int previous) const;
    // Appends copies of earlier items; true when the record stays armed (a Fine before its end).
    bool ReplayFromRecord(int k, int kind);
    // Appends copies of items from+1 .. to; with move they take (column, row).
    void CopyPlayItems(int column, int row, int from, int to, bool move);
    // Last keyboard-refresh item (bar marker) at or before index; -1 when none.
    int FindPreviousMarkerItem(int index) const;
    void ClearTies();
    // A note cell carrying a slur mark starts a tie with the item just built.
    void BeginTie(int itemIndex, int column, int row, int g);
    // The notes of a later cell that repeat a tied pitch lengthen the tied note instead of sounding again.
    void ResolveTie(std::vector<TPlayItem>& items, int column, int row, int g);
    bool IsSameTiedPitch(const TPNote& stored, const TPNote& note) const;
    bool ExtendTiedNote(int column, int row, int added, const TPNote& note);
    // The Western builder has already lengthened the tied note by the cell's own value.
    bool TieLengthWritten = false;
    bool MarkSlotTied(TPNote& slot) const;
    // At the start of a staff row: whether a tie from the row before still runs into it.
    bool CheckTieStillOpen(int row, int g);
    // OctaveShifts of every staff of the group (and of one clicked row, list 0).
    void CollectOctaveMarks();
    void CollectRowOctaveMarks(int row);

    // --- accents and the Advanced page ---
    bool IsAccentedNote(int column, int row, int layer) const;
    // The same for the cell and the cell above it (nullptr: none).
    static bool IsAccentedCell(const TCell* cell, const TCell* up);
    // The last item's volume x 1.5 when the cell holds the accent symbol.
    void AccentLastItem(const TCell& cell);
    bool IsArpRateMarkNear(int column, int row) const;
    bool IsTempoRampCell(int column, int row) const;
    bool IsDynamicRampCell(int column, int row) const;

    // --- bar accidental memory ---
    // Remembers (or replaces) the accidental of (note, octave) on the staff;
    // semitones outside -2..2 (kNoAccidental) and staves outside 0..15 change nothing.
    void RememberAccidental(int semitones, int note, int octave, int staff);
    void RememberAccidentalCode(int code, int note, int octave, int staff);
    // Semitones remembered for (note, octave) on the staff, kNoAccidental when none.
    int FindMeasureAccidental(int note, int octave, int staff) const;
    // Forgets every remembered accidental (at the start of a build and at bar lines).
    void ClearBarAccidentals();
    // The accidental a note plays with: its own (from the attribute word), which
    // is then remembered for the rest of the bar, else the one remembered for
    // (note, octave), else kNoAccidental.
    int BarAccidental(uint32_t attr, int note, int octave, int staff);

    // --- building the play list ---
    // Builds PlayList from the whole score (every staff group of every page) for
    // the play rule, notation and settings above; StartIndex becomes the first
    // item at or after the cursor cell. With showMessages, string 1054 is shown
    // when nothing can be played. False when no list was built.
    bool BuildPlayList(bool showMessages);
    // The walk over the staff groups of all pages; always true.
    bool BuildGroupPlayLists();
    // First time-signature cell of the current page; the outputs keep their values when none.
    void FindPageTimeSignature(int& num, int& den) const;
    // The first time-signature cell above the first staff of the current page adds its item.
    bool FindTimeSignatureOnPage();
    // A time-signature cell in the column, up to HighlightAbove rows above row, adds its item.
    bool FindTimeSignatureAbove(int column, int row);
    // IsMusicRow of a row of the current page and layer, remembered for the
    // build (the score does not change while its list is built).
    bool IsMusicRowOfBuild(int row);
    // IsJianpuMusicRow the same way.
    bool IsJianpuRowOfBuild(int row);
    int musicRowPage_ = -1, musicRowLayer_ = -1;
    std::vector<signed char> musicRows_, jianpuRows_;
    // The kinds of cell (bit cellType; kBandOther for other types) in each column
    // of the group's band, the rows from HighlightAbove above its first staff to
    // HighlightBelow below its last, taken once per group by MergeStaffItems: the
    // column scans for instrument cells, time signatures, jump marks and fermatas
    // pass over a column whose band holds none of their kinds.
    void SummarizeBand();
    // False only when the band summary is current and the column's band holds no
    // cell of the kinds.
    // (Both inline, in play/modTQPlayGrid.h.)
    bool BandMayHold(int column, uint32_t kinds) const;
    bool BandSummaryCurrent() const;
    static constexpr uint32_t kBandOther = 1u << 31;
    static constexpr uint32_t kBandEndMark = 1u << 30; // mark type 78 or 79
    static constexpr uint32_t BandKind(int cellType) {
        return cellType >= 0 && cellType < 30 ? 1u << cellType : kBandOther;
    }
    std::vector<uint32_t> bandKinds_;
    int bandPage_ = -1, bandLayer_ = -1, bandFirst_ = 0, bandLast_ = 0, bandAbove_ = 0, bandBelow_ = 0;
    // One staff's items of one column in MergeStaffItems; kept to reuse its storage.
    std::vector<TPlayItem> staffItems_;
    // The rows of a band in each layer while staff volumes or the tempo map are built.
    std::vector<const TCellRow*> bandRows_[2];
    // A kind-6 item when the signature differs from the last one added; the bar counter takes its length.
    void AddTimeSignatureItem(const TCell& cell, int column, int row);
    // A kind-4 item: program on the channel (-1 every channel).
    void AddInstrumentItem(int program, int channel);
    // Sound-effect cells of the column in the group's rows and the rows above it.
    void AddInstrumentCells(int column);
    // Rebuilds the list and writes its note items as text; false when the file cannot be written.
    bool PlayListDump(const std::string& fileName);
    // The dump text of the list as it stands.
    std::string PlayListDumpText() const;
    int SavedPage = 0;
    int PlayStaffIndex = -1;      // Current Staff: position of the cursor's staff in its group; -1 every staff
    bool DumpMode = false;
    int StartCellCol = 0, StartCellRow = 0; // the cursor cell the build counts from
    int LastSigNum = 0, LastSigDen = 0;     // last kind-6 item added
    int ChannelProgram[kPlayStaves] = {};   // program + 1 per channel, 0 unset
    // Selected Notes: the selection's last column and row on SavedPage.
    int SelEndCol = 0, SelEndRow = 0;

    // --- staff group merge ---
    TBitCount BitCount{*this};
    bool BitCountOn = false;      // the bar counter aligns the group's steps
    int BarStartCol = 0;
    // Builds and merges the staff group in GroupRows into PlayList; false when the selection ended.
    bool MergeStaffItems();
    // One cell of one staff into items; whether any were made.
    bool StaffCellItems(int column, int row, std::vector<TPlayItem>& items, int staff);
    // The per-cell builder: chooses the converter for the cell and keeps the staff's state.
    bool BuildStaffCellItems(int column, int row, std::vector<TPlayItem>& items, int staff, bool merge);
    // A dotted note against plain values in a two-staff group: the last step takes the shorter value.
    void AlignDottedPair(int column, int staff);
    bool WestTieAlreadyLengthened(int column, int row, int staff) const;

    // --- ornaments and arpeggios ---
    TTrillRec Ornaments[6];
    std::vector<TPlayItem> PendingNotes;
    bool ArpeggioOff = false;
    bool ScanOrnamentSymbols(int column, int row, int rowsUp, std::vector<TPlayItem>& list, int staff);
    bool StartOrnament(int column, int row, int kind, uint32_t attr, const std::vector<TPlayItem>& list, int staff);
    bool ExpandOrnament(TTrillRec& rec, std::vector<TPlayItem>& list);
    bool ExpandTrill(TTrillRec& rec, std::vector<TPlayItem>& list);
    // Neighbour notes of note by the scale of the key in force, the symbol's accidental applied.
    void UpperAuxNote(bool west, TPNote& out, const TPNote& note, uint32_t attr) const;
    void LowerAuxNote(bool west, TPNote& out, const TPNote& note, uint32_t attr) const;
    int OrnamentKeyCode(bool west) const;
    int EmitPendingNotes(int column, int row, std::vector<TPlayItem>& list, int time, bool keepFirst);
    void FlushRepeatedNotes(int index);
    void FlushStaccatoRecord(int index, int column);
    bool StartArpeggio(int column, int row, std::vector<TPlayItem>& list, int staff);
    void ExpandArpeggio(int index, TTrillRec& rec, std::vector<TPlayItem>& out);
    void FlushArpeggios(int index);

    // --- sustain pedal ---
    std::vector<int> PedalFlags;  // per column: 1 pedal down, 2 pedal up
    std::vector<TPNote> PedalNotes;
    void ScanPedalMarks();
    void ApplyPedalAtColumn(int column);
    void RecordPedalNotes(const TPlayItem& item, int channel);
    void AddPedalNote(const TPNote& note);
    void FlushPedalNotes(int column);

    // --- three against two, syncopation ---
    TTripletUneven Triplet;
    uint8_t PairFirst = 0;
    void FindTripletAgainstPair(int startCol, int row, int endCol, int level, int staff);
    // Times the column's step inside the passage: the triplet's notes fall on
    // thirds of the span, the pair's on halves; a column whose notes start at two
    // of those times becomes two steps. Each step lasts to the passage's next onset.
    void TimePairColumn(int column, int colStart);
    void SpreadPairAfterStart();
    bool IsPairStaff(int staff) const;
    void TryActivateTuplet(int column, int row, int staff);
    void TryJianpuTriplet(int column, int row, int staff);
    void ScanTupletAcrossGroup(int column);
    void AdjustSyncopatedSteps(int column);
    void ScaleItemFromEnd(int k, float factor);
};

// Next scale step of a pitch class in a key, before wrapping (may be 12, 13, -1, -2).
int NextScaleStepUp(int pitchClass, int keyCode);
int NextScaleStepDown(int pitchClass, int keyCode);
// The symbol's accidental narrows or widens the step; the pitch wraps into 0..11 with octaveChange.
void AdjustAuxInterval(int& aux, int mainPitch, int& octaveChange, bool upward, int accidental);

// Time factor of a tuplet of count notes: 2 1.25, 3 0.66, 4 1.125, 5..7 4/count,
// 9..15 8/count, 17 and more 16/count, else 1.0.
float TupletFactor(int count);
// 14, 15, 41: the sharp, flat and natural symbols that change the key table for the rest of a row.
bool IsKeyAccidentalCode(int code);

// Velocity of a dynamic-mark code (ppp 40 .. fff 124) or ramp kind (-1 .. -4); 0 for none.
int DynamicVelocity(int code);

// trunc(volume x factor + 0.5) within 5..127.
int ScaleVelocity(int volume, double factor);

// Key code of a tonic pitch class (C 0, C sharp 14, D 2, E flat 8, E 4, F 6,
// F sharp 13, G 1, A flat 9, A 3, B flat 7, B 5); 0 for anything else.
int PitchClassToKeyCode(int pitchClass);

// Note value of a Western rest code: 20..27 -> 1..8, 19 -> 81 (no units: the bar
// accounting times a whole-bar rest), anything else unchanged.
int WestRestValue(int code);

// Accidental code (low four bits) to semitones: 1 +1, 2 and 7 -1, 3 0,
// 4, 6 and 8 +2, 5 -2, anything else kNoAccidental.
int AccidentalSemitones(int code);
// An attribute word's accidental: +2 for a double sharp (nibble 6), -2 for a
// double flat (5), else AccidentalSemitones of the nibble.
int AttrAccidental(uint32_t attr);

// The current play state.
extern TPlayState* frmPlay;
