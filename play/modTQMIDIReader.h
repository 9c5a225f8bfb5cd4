#pragma once
// Standard MIDI File import: reading a file into tracks of paired events and
// laying their notes out as Western cells on a new score.
//
// The whole file is read into memory, checked and laid out before the score is
// touched: a file that cannot be opened reports 1044; one whose header is not a
// MIDI header (no "MThd", header length below 6, division 0 or SMPTE time), of
// format 2, or whose time is beyond any score reports 1045; one without notes
// 3722; one whose score would take more memory than the file may ask for
// 3721; and the score stays as it was. When the page cannot hold a staff for
// every track, 3720 says so before the score changes, and tracks share staves. A file that is not read whole (a chunk cut short, a data byte that
// cannot be read, fewer track chunks than declared) places what was read and
// reports 1045 once. A system common message (F1, F2, F3) is skipped with its
// data bytes and told once (4310); another status byte that starts no event is
// told once with its diagnostic and read past. Events kept as none (pitch
// bend, pressure) pass their time on to the next event. The percussion of
// channel 10 is not placed, and the user is told (4311). The reader never reads outside the file's bytes or
// a track's chunk.
//
// The layout (modTQMIDILayout) writes into layer 0 of the current score
// (frmMainTQ) only. The clean-up passes below tidy staves placed note by note
// with the track time in each cell's scratch field; the layout is exact in time
// and the import does not run them.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "play/Modmidifile.h"

// One event of a track.
struct TMIDINote {
    uint8_t status = 0;   // 0x80.. note-off, 0x90.. note-on, 0xB0 controller, 0xC0 program, 0xF0/F7 sysex, 0xFF meta
    int32_t delta = 0;    // ticks since the previous event of the track
    int8_t octave = 0;    // note / 12; controller, program or meta type otherwise
    int8_t pitch = 0;     // note % 12; controller value; a meta's first data item
    uint8_t velocity = 0; // note velocity; a meta's second data item
    uint8_t extra1 = 0;
    uint8_t extra2 = 0;
    int32_t length = 0;   // note-on: ticks to its note-off (0 unpaired); meta list: absolute time
};

// One track.
struct TMIDITruck {
    int16_t clef = -1;    // -1 treble, -2 bass
    uint32_t noteSum = 0; // note numbers counted
    uint32_t noteCount = 0;
    uint32_t lowCount = 0; // counted notes below 58
    std::vector<TMIDINote> events;
    // placement
    int pos = 0;          // next event
    int time = 0;         // running time, ticks
    int lastOnset = 0;
    int firstNote = 0;
    int accid[7] = {};    // by letter A..G: 0 none, 1 sharp, 2 flat, 3 natural written
};

struct TMIDISounding {
    uint8_t on = 0;
    int col = 0, row = 0, page = 0, layer = 0;
};

// A cell location: the cursor of NextPlacedMidiCell and an entry of a rest list.
struct TCellLoc {
    int page = 0;
    int col = 0;
    int row = 0;
};

// A note of the file: its key and velocity, its track and channel, and its
// onset and end in ticks from the start of the file.
struct TMIDIFileNote {
    int64_t on = 0;
    int64_t off = 0;
    uint8_t key = 0;
    uint8_t velocity = 0;
    uint8_t channel = 0;
    uint16_t track = 0;
};

// A tempo or a time signature of the file at its tick.
struct TMIDITempoAt {
    int64_t tick = 0;
    uint32_t micros = 500000; // per quarter note
};
struct TMIDIMeterAt {
    int64_t tick = 0;
    int num = 4;
    int den = 4;
};

// One item of a staff as placed: a note (chord) or a rest of one written value.
struct TMIDIStaffItem {
    int64_t start = 0;      // in layout units (96 a whole note)
    int units = 0;          // its length
    int value = 0;          // note value 1 (whole) .. 6 (32nd)
    int dots = 0;
    int seg = -1;           // the note segment it belongs to; -1 a rest
    bool tieOn = false;     // tied to the next item of its staff
    bool triplet = false;   // a note of a triplet group (eighths in a beat, 16ths in a beat or half a beat)
    bool tupletStart = false; // the first item of its triplet group
    bool tupletEnd = false;   // the last item of its triplet group
};

// The cell of the current score at a page, row and column of a layer;
// nullptr outside the score's grid or its allocated pages.
TCell* GridCell(int layer, int page, int row, int col);

// Links to the windows; unset links take the defaults noted.
struct TMIDIImportHooks {
    // The header dialog: true to go on. Unset: go on.
    std::function<bool(const std::string& file, int format, int tracks, uint8_t divHigh, uint8_t divLow)> ConfirmHeader;
    // The main window's New Score command: false when refused. Unset: the main
    // view's NewScore, or, without one, the current score is emptied here.
    std::function<bool()> NewScore;
    // After the import: the play window plays Western, all staffs; the status bar
    // shows the file name.
    std::function<void(const std::string& file)> Finished;
};
TMIDIImportHooks& MIDIImportHooks();

inline constexpr int kMidiMaxEventsPerTrack = 5000000;
inline constexpr std::size_t kMidiMaxFileBytes = 64u << 20;
inline constexpr int kMidiMaxTextBytes = 255;
// Ticks of a file beyond this are refused: its time does not fit a score.
inline constexpr int64_t kMidiMaxTicks = int64_t(1) << 40;

class TMIDIReader : public TMIDIComm {
public:
    int8_t MetaType = 0;
    uint16_t TrackCount = 0;      // track chunks read (at most the count declared)
    uint16_t DeclaredTracks = 0;  // the header's count
    uint8_t EndOfTrack = 0;
    std::vector<TMIDITruck> Tracks;
    std::vector<TMIDINote> MetaList;
    std::vector<uint8_t> Channels;
    std::string Title;            // bytes of the last FF 06 text, cut at 255
    int TitleCharset = 0;         // 134 when the bytes are valid GBK, else 0 (CP1252)
    int ScoreTempo = 0;
    uint16_t Format = 0;
    int32_t CurrentDelta = 0;
    int16_t SignatureSharps = 0;
    uint8_t DivisionHigh = 0, DivisionLow = 0;
    int8_t Key = 0;
    uint8_t KeyMode = 0;
    int8_t TimeNumerator = -1;
    uint8_t TimeDenominator = 4;
    std::string Message;
    int MessageId = 0;            // the string of a refusal of the layout (0 none)
    int StavesWanted = 0;         // staves the tracks would take, one a track (two for a wide one)
    TMIDINote Staging;
    uint8_t TwoStaves = 0;
    TMIDISounding Sounding[144];
    std::string FileName;
    bool Damaged = false;         // the file was not read whole
    bool TooLong = false;         // the file's time is beyond what a score can hold
    int StrayStatus = 0;          // status bytes met that no event starts with
    std::string StrayText;        // the diagnostic of the first of them
    int SystemSkipped = 0;        // system common messages (F1, F2, F3) skipped with their data
    int PercussionLeftOut = 0;    // notes of channel 10 not placed
    int StartSharps = 0;          // key signature at the start of the file: sharps, negative for flats
    bool StartKeyRead = false;
    std::vector<TMIDITempoAt> Tempos;  // every tempo of every track, in order of time
    std::vector<TMIDIMeterAt> Meters;  // every time signature of every track, in order of time

    // --- reading ---
    // The whole import; false when nothing was placed.
    bool ImportMIDIFile(const std::string& fileName);
    // Reads the file's bytes (1044 when it cannot be read).
    bool LoadFile(const std::string& fileName, bool quiet = false);
    // Header checks (1045 with the file name unless quiet) and the header's values.
    bool ReadHeader(bool quiet = false);
    // Header, dialog and tracks of the bytes in Data; false when the header is
    // refused or the dialog is cancelled.
    bool ReadMIDIFile(bool quiet = false);
    // Tracks after a header read: every track chunk, then tempi and time
    // signatures in order of time.
    void ReadBody();
    // Every track chunk after the header.
    void ReadTracks();
    int TicksPerQuarter() const { return DivisionHigh * 256 + DivisionLow; }

    void ReadTrack(TMIDITruck& track);
    void ParseMetaEvent(TMIDITruck& track, int64_t absTime);
    void MidiNoteOn(TMIDITruck& track, uint8_t status, uint8_t note);
    void MidiNoteOff(TMIDITruck& track, uint8_t status, uint8_t note);
    void MidiController(TMIDITruck& track, uint8_t status, uint8_t controller);
    void MidiProgramChange(TMIDITruck& track, uint8_t status, uint8_t program);
    void AppendMidiEvent(TMIDITruck& track, uint8_t status, int octave, int pitch, int velocity = 0, int extra1 = 0,
                         int extra2 = 0);
    void AddMetaToList(int64_t absTime, uint8_t type, int a, int b = 0, int c = 0, int d = 0);
    bool PairNoteOff(TMIDITruck& track);
    void CloseOpenNotes(TMIDITruck& track);
    bool AllNotesReleased() const;

    // --- placement ---
    // Places the tracks read; the number of notes and rests placed.
    int PlaceMidi();
    // Plans the layout of the notes read (staves, bars, systems) without
    // touching the score; false with MessageId set when the page has no room for
    // a staff or the score would take more memory than the file may ask for.
    // Tracks share staves when the page cannot hold one for each.
    bool PlanMidiLayout(int cols, int rows);
    // Every note of every track but the percussion of channel 10, in order of onset.
    std::vector<TMIDIFileNote> CollectFileNotes() const;
    int QuantizeNoteValue(int ticks, int& dots) const;
    int NoteValueTicks(int value, uint32_t option) const;
    int RestValueTicks(int code, uint32_t option) const;
    int Gap = 2;       // rows between systems
    int ExtraRows = 0; // rows a system needs below its first staff
    int Placed = 0;    // notes and rests written

    // --- clean-up ---
    void CleanUpMidiStaves();
    void MergeMidiNoteAndRest(int s);
    void TrimLongMidiNotes(int s);
    void FillMidiStaffRests(int s, int o);
    void ShortenMidiRests(int s, int o);
    void MergeMidiRests(int s, int o);
    bool NextPlacedMidiCell(TCellLoc& loc, int s) const;
    void SetMidiCellValue(int layer, int page, int row, int col, int code, int dots, bool reset);
    int FirstNoteColumn() const;

private:
    std::vector<std::vector<int>> open_; // per channel x 128 keys: indexes of unpaired note-ons (one track)
    std::vector<int64_t> absTimes_;      // absolute time of each event of the track being read
    uint8_t runningStatus_ = 0;
    template <class F>
    void Walk(int s, F visit) const;

    // The planned layout.
    // A stretch of a staff written as a triplet group: a beat of triplet eighths
    // or 16ths, or half a beat of triplet 16ths.
    struct TTripletSpan {
        int64_t start = 0, end = 0; // units
        int step = 8;               // units of each note of the group
    };
    // The span of a staff's triplets that holds a time; nullptr when none does.
    static const TTripletSpan* SpanAt(const std::vector<TTripletSpan>& spans, int64_t t);
    struct TStaffPlan {
        int part = 0;
        int clef = -1;           // -1 treble, -2 bass
        int splitBelow = -1;     // grand staff: notes below this key (upper staff: at or above)
        bool lower = false;      // the lower staff of a grand staff
        std::vector<std::pair<int64_t, int64_t>> segs; // note segments [start, end) in units
        std::vector<std::vector<uint8_t>> keys;         // their keys
        std::vector<TTripletSpan> triplets;             // in order of time
    };
    struct TChunkPlan {
        int64_t from = 0, to = 0; // units
        bool barEnd = false;      // a bar line follows
        int meterNum = 0, meterDen = 0; // a time signature stands before it (0 none)
        int64_t barFrom = 0;      // the start of its bar (a bar may run over two systems)
        int beat = 24;            // the beat of its bar's time signature, units
        std::vector<int64_t> columns; // onsets of the chunk
        std::vector<std::vector<TMIDIStaffItem>> items; // per staff
    };
    struct TSystemPlan {
        int page = 0, row = 0;
        std::vector<TChunkPlan> chunks;
    };
    struct TBarPlan {
        int64_t from, to;   // units
        int num, den;       // its time signature
        bool meterShown;    // the signature changes here
    };
    std::vector<TStaffPlan> staves_;
    std::vector<TSystemPlan> systems_;
    int64_t pieceEnd_ = 0;
    int planPages_ = 0;
    bool grandBrace_ = false;
    // The steps of PlanMidiLayout: the parts' staves (false when the page holds
    // none; each note's staff), each staff's segments on the grid of written
    // values, the bars (false when too many), the bars into systems.
    bool AssignStaves(const std::vector<TMIDIFileNote>& notes, int rows, std::vector<int>& staffOfNote);
    // With findSpans the staves' triplet spans are found first; without, the
    // spans they have are kept.
    void QuantiseStaves(const std::vector<TMIDIFileNote>& notes, const std::vector<int>& staffOfNote, bool findSpans);
    // Drops the triplet spans that another staff's items cross off their grid
    // (every span with `all`); true when any was dropped.
    bool DropClashingTriplets(const std::vector<TBarPlan>& bars, bool all);
    bool PlanBars(std::vector<TBarPlan>& bars);
    void PlaceSystems(const std::vector<TBarPlan>& bars, int cols, int rows);
    std::vector<TMIDIStaffItem> StaffItems(const TStaffPlan& st, int64_t from, int64_t to) const;
    void BuildChunk(TChunkPlan& chunk) const;
    std::vector<int> ColumnWidths(const TChunkPlan& chunk) const;
    int ChunkWidth(const TChunkPlan& chunk) const;
    int64_t CutBefore(const TChunkPlan& chunk, int64_t at) const;
    void WritePlannedLayout();
    void BeamByBeat(const TChunkPlan& chunk, const std::map<int64_t, int>& colOf, int page, int row, int staff);
    void WriteStaffHeader(int page, int row, int staff, bool first);
    void WriteChordCell(TCell& cell, const TMIDIStaffItem& item, const TStaffPlan& st, std::vector<int8_t>& memory);
    int64_t UnitsOfTick(int64_t tick) const;
};
