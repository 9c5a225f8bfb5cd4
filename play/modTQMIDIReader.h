#pragma once
// Standard MIDI File import: reading a file into tracks of paired events,
// placing them as Western cells on a new score, and tidying the placed staves.
//
// The whole file is read into memory and checked before the score is touched:
// a file that cannot be opened reports 1044, one whose header is not a MIDI
// header (no "MThd", header length below 6, division 0 or SMPTE time) reports
// 1045, and the score stays as it was. A file that is not read whole (a chunk cut
// short, a status byte that cannot be read, fewer track chunks than declared)
// places what was read and reports 1045 once; a file that places nothing reports
// 1045 too. The reader never reads outside the file's bytes or a track's chunk.
//
// Placement writes into layer 0 of the current score (frmMainTQ) with the
// staff layout of the track statistics; the clean-up passes then work from the
// placed cells and the track time kept in each placed cell's scratch field.
#include <cstdint>
#include <functional>
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
    TMIDINote Staging;
    uint8_t TwoStaves = 0;
    TMIDISounding Sounding[144];
    std::string FileName;
    bool Damaged = false;         // the file was not read whole

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
    // Every track chunk after the header.
    void ReadTracks();
    int TicksPerQuarter() const { return DivisionHigh * 256 + DivisionLow; }

    void ReadTrack(TMIDITruck& track);
    void ParseMetaEvent(TMIDITruck& track, uint32_t absTime);
    void MidiNoteOn(TMIDITruck& track, uint8_t status, uint8_t note);
    void MidiNoteOff(TMIDITruck& track, uint8_t status, uint8_t note);
    void MidiController(TMIDITruck& track, uint8_t status, uint8_t controller);
    void MidiProgramChange(TMIDITruck& track, uint8_t status, uint8_t program);
    void AppendMidiEvent(TMIDITruck& track, uint8_t status, int octave, int pitch, int velocity = 0, int extra1 = 0,
                         int extra2 = 0);
    void AddMetaToList(uint32_t absTime, uint8_t type, int a, int b = 0, int c = 0, int d = 0);
    bool PairNoteOff(TMIDITruck& track);
    void CloseOpenNotes(TMIDITruck& track);
    bool AllNotesReleased() const;

    // --- placement ---
    // Places the tracks read; the number of notes and rests placed.
    int PlaceMidi();
    void PlaceMidiTrack(int t, bool metasOnly);
    void PlaceMidiTracks();
    void StartMidiSystem(int t, int row, bool twoStaves);
    int PlaceMidiNote(int t, const TMIDINote& ev, int col, int row, int channelFilter, bool twoStaves);
    int QuantizeNoteValue(int ticks, int& dots) const;
    int NoteValueTicks(int value, uint32_t option) const;
    int RestValueTicks(int code, uint32_t option) const;
    void ApplyMidiKeySignature(int t, const TMIDINote& ev);
    void ApplyMidiTimeSignature(const TMIDINote& ev);
    void WriteMidiNoteCell(int value, int pos, int step, int dots, int col, int row, int accidental, int* memory,
                           int trackTime);
    static int MidiAccidentalToWrite(int accidental, int letter, int* memory, int sharps);
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
    std::vector<int32_t> absTimes_;      // absolute time of each event of the track being read
    uint8_t runningStatus_ = 0;
    template <class F>
    void Walk(int s, F visit) const;
};
