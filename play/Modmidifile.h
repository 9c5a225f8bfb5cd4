#pragma once
// Standard MIDI Files: the byte-level base shared by the writer and the reader,
// and the writer.
//
// The writer produces one format-0 track at 144 ticks per quarter note; the
// reader (play/modTQMIDIReader.h) reads the whole file into memory first and
// takes every byte from there through the bounded readers below, so a damaged
// file can never make it read outside what it holds.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class TMIDIComm {
public:
    TMIDIComm() = default;
    ~TMIDIComm();
    TMIDIComm(const TMIDIComm&) = delete;
    TMIDIComm& operator=(const TMIDIComm&) = delete;

    FILE* Handle = nullptr;         // the file being written; null when closed
    uint8_t Scratch[260] = {};      // [0] running status while reading; event bytes

    // --- writing ---
    // 7-bit groups, most significant first, bit 7 set on all but the last; the
    // bytes written. Values above 0x0FFFFFFF are written as 0x0FFFFFFF.
    int WriteVarLen(uint32_t value);
    // The n low bytes of value, most significant first.
    void WriteBigEndian(uint32_t value, int n);
    // Collected in Pending and handed to the file 64 KiB at a time: a track is
    // written a few bytes per call, tens of thousands of calls.
    void WriteBytes(const void* data, std::size_t n);
    // Hands Pending to the file (before a seek, a position query or the close).
    void FlushPending();
    std::vector<uint8_t> Pending;
    static constexpr std::size_t kPendingLimit = 1 << 16;
    // A write failed since the file was opened.
    bool WriteFailed = false;

    // --- reading from the bytes in Data between Pos and Limit ---
    std::vector<uint8_t> Data;
    std::size_t Pos = 0;
    std::size_t Limit = 0;          // end of the chunk being read
    bool ShortRead = false;         // a read wanted bytes beyond Limit
    bool LongVarLen = false;        // a variable-length quantity ran past 4 bytes

    // One byte; 0 and ShortRead when none is left.
    uint8_t ReadByte();
    // A variable-length quantity of at most 4 bytes; a fifth continuation byte
    // sets LongVarLen and ends the value there.
    uint32_t ReadVarLen();
    // n bytes (1..4), most significant first.
    uint32_t ReadBigEndian(int n);
    // Skips n bytes; past Limit it stops at Limit with ShortRead set.
    void Skip(uint32_t n);
    std::size_t Left() const { return Pos < Limit ? Limit - Pos : 0; }
};

class TWriteMIDIFile : public TMIDIComm {
public:
    uint8_t TrackCount = 0;
    static constexpr long kFormatPos = 9;      // low byte of the format word
    static constexpr long kTrackCountPos = 11; // low byte of the track count
    long TrackLengthPos = 0;                   // the current track's length field
    int LastChannel = 0;

    // Binary write mode; failure: "Cannot open file for write: " + shownName
    // (the name itself when none is given), false.
    bool Open(const std::string& name, const std::string& shownName = std::string());
    // Closes the file; false when a write or the close failed.
    bool Close();
    void WriteHeader(uint8_t divisionHigh, uint8_t divisionLow);
    void StartTrack();
    void EndTrack(uint32_t delta);
    void WriteTrackName(const std::string& text, uint32_t delta);
    void WriteNotice(const std::string& text, uint32_t delta);
    void WriteInstrumentName(const std::string& text, uint32_t delta);
    void WriteTempo(int bpm, uint32_t delta);
    // FF 51 03 with the microseconds of a quarter note (1 .. 0xFFFFFF).
    void WriteTempoMicros(uint32_t micros, uint32_t delta);
    // FF 59 02: sharps (negative: flats) and major or minor.
    void WriteKeySignature(int sharps, bool minor, uint32_t delta);
    // Numerator and denominator 1, 2, 4 .. 64 (the caller checks).
    void WriteTimeSignature(int numerator, int denominator, uint32_t delta);
    void NoteOn(uint32_t delta, int key, int velocity, int channel);
    void NoteOff(uint32_t delta, int key, int channel);

private:
    void WriteText(int type, const std::string& text, uint32_t delta);
    int Channel(int channel);
};

struct TPlayItem;
class TPlayState;

// Writes the track's metas and events of the play list (the caller starts and
// ends the track). Keys left sounding at the end are released before it returns;
// the pending delta for the end of the track is returned. Items that carry the
// play tempo of their length are written in exact ticks (144 a quarter) with a
// tempo event wherever that tempo changes; a key signature of keySharps
// (negative: flats) is written when it is not 0.
uint32_t WriteMIDITrack(TWriteMIDIFile& out, const std::vector<TPlayItem>& list, const std::string& title,
                        const std::string& instrument, int keySharps = 0);

// The export: builds the play list of the score and writes it to the file (a
// temporary beside it, renamed over the target when everything was written).
// No playable staff in either notation: string 1054 and no file. False when no
// file was written.
bool SaveMIDIFile(const std::string& fileName);

// The list builder the export uses (the play state's BuildPlayList by default).
struct TMIDIExportHooks {
    std::function<bool(bool showMessages)> BuildPlayList;
};
TMIDIExportHooks& MIDIExportHooks();

// Text written as the track name of an untitled score.
inline constexpr const char* kUntitledTrackName = "Create by Tonquill";
