// Standard MIDI File bytes: the shared base and the writer.
#include "play/Modmidifile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/modTQUtil.h"
#include "platform/core/TQMessage.h"
#include "play/modTQPlayList.h"

TMIDIComm::~TMIDIComm() {
    if (Handle) {
        FlushPending();
        std::fclose(Handle);
    }
}

int TMIDIComm::WriteVarLen(uint32_t value) {
    value = std::min<uint32_t>(value, 0x0FFFFFFFu);
    uint8_t bytes[4];
    int n = 0;
    bytes[n++] = static_cast<uint8_t>(value & 0x7F);
    while ((value >>= 7) != 0)
        bytes[n++] = static_cast<uint8_t>((value & 0x7F) | 0x80);
    uint8_t out[4];
    for (int i = 0; i < n; ++i)
        out[i] = bytes[n - 1 - i];
    WriteBytes(out, static_cast<std::size_t>(n));
    return n;
}

void TMIDIComm::WriteBigEndian(uint32_t value, int n) {
    uint8_t out[4];
    n = std::clamp(n, 1, 4);
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * (n - 1 - i)));
    WriteBytes(out, static_cast<std::size_t>(n));
}

void TMIDIComm::WriteBytes(const void* data, std::size_t n) {
    if (!Handle || n == 0)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    Pending.insert(Pending.end(), bytes, bytes + n);
    if (Pending.size() >= kPendingLimit)
        FlushPending();
}

void TMIDIComm::FlushPending() {
    if (Handle && !Pending.empty() && std::fwrite(Pending.data(), 1, Pending.size(), Handle) != Pending.size())
        WriteFailed = true;
    Pending.clear();
}

uint8_t TMIDIComm::ReadByte() {
    if (Pos >= Limit || Pos >= Data.size()) {
        ShortRead = true;
        return 0;
    }
    return Data[Pos++];
}

uint32_t TMIDIComm::ReadVarLen() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const uint8_t b = ReadByte();
        if (ShortRead)
            return value;
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0)
            return value;
    }
    LongVarLen = true;
    return value;
}

uint32_t TMIDIComm::ReadBigEndian(int n) {
    uint32_t value = 0;
    for (int i = 0; i < std::clamp(n, 1, 4); ++i)
        value = (value << 8) | ReadByte();
    return value;
}

void TMIDIComm::Skip(uint32_t n) {
    const std::size_t end = std::min(Limit, Data.size());
    if (Pos > end || n > end - Pos) {
        Pos = std::max(Pos, end);
        ShortRead = true;
        return;
    }
    Pos += n;
}

// ---- the writer ----

bool TWriteMIDIFile::Open(const std::string& name, const std::string& shownName) {
    if (Handle)
        Close();
    Handle = std::fopen(name.c_str(), "w+b");
    WriteFailed = false;
    Pending.clear();
    TrackCount = 0;
    if (!Handle) {
        TMessageRequest r;
        r.kind = mkError;
        r.text = "Cannot open file for write: " + (shownName.empty() ? name : shownName);
        MessageBoxes().Show(r);
        return false;
    }
    std::setvbuf(Handle, nullptr, _IOFBF, 1 << 16);
    return true;
}

bool TWriteMIDIFile::Close() {
    if (!Handle)
        return !WriteFailed;
    FlushPending();
    if (std::fflush(Handle) != 0)
        WriteFailed = true;
    if (std::fclose(Handle) != 0)
        WriteFailed = true;
    Handle = nullptr;
    return !WriteFailed;
}

void TWriteMIDIFile::WriteHeader(uint8_t divisionHigh, uint8_t divisionLow) {
    const uint8_t header[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, divisionHigh, divisionLow};
    WriteBytes(header, sizeof header);
}

void TWriteMIDIFile::StartTrack() {
    if (!Handle)
        return;
    FlushPending();
    std::fseek(Handle, 0, SEEK_END);
    WriteBytes("MTrk", 4);
    FlushPending();
    TrackLengthPos = std::ftell(Handle);
    WriteBigEndian(0, 4);
    ++TrackCount;
    if (TrackCount == 2) {
        FlushPending();
        std::fseek(Handle, kFormatPos, SEEK_SET);
        WriteBigEndian(1, 1);
    }
    FlushPending();
    std::fseek(Handle, kTrackCountPos, SEEK_SET);
    WriteBigEndian(TrackCount, 1);
    FlushPending();
    std::fseek(Handle, 0, SEEK_END);
}

void TWriteMIDIFile::EndTrack(uint32_t delta) {
    if (!Handle)
        return;
    WriteVarLen(delta);
    const uint8_t end[3] = {0xFF, 0x2F, 0x00};
    WriteBytes(end, 3);
    FlushPending();
    const long endPos = std::ftell(Handle);
    std::fseek(Handle, TrackLengthPos, SEEK_SET);
    WriteBigEndian(static_cast<uint32_t>(endPos - TrackLengthPos - 4), 4);
    FlushPending();
    std::fseek(Handle, 0, SEEK_END);
}

void TWriteMIDIFile::WriteText(int type, const std::string& text, uint32_t delta) {
    WriteVarLen(delta);
    const uint8_t head[2] = {0xFF, static_cast<uint8_t>(type)};
    WriteBytes(head, 2);
    WriteVarLen(static_cast<uint32_t>(text.size()));
    WriteBytes(text.data(), text.size());
}

void TWriteMIDIFile::WriteTrackName(const std::string& text, uint32_t delta) { WriteText(0x03, text, delta); }
void TWriteMIDIFile::WriteNotice(const std::string& text, uint32_t delta) { WriteText(0x02, text, delta); }
void TWriteMIDIFile::WriteInstrumentName(const std::string& text, uint32_t delta) { WriteText(0x04, text, delta); }

void TWriteMIDIFile::WriteTempo(int bpm, uint32_t delta) {
    WriteVarLen(delta);
    const uint8_t head[3] = {0xFF, 0x51, 0x03};
    WriteBytes(head, 3);
    WriteBigEndian(static_cast<uint32_t>(60000000 / std::max(bpm, 1)), 3);
}

void TWriteMIDIFile::WriteTempoMicros(uint32_t micros, uint32_t delta) {
    WriteVarLen(delta);
    const uint8_t head[3] = {0xFF, 0x51, 0x03};
    WriteBytes(head, 3);
    WriteBigEndian(std::clamp<uint32_t>(micros, 1, 0xFFFFFF), 3);
}

void TWriteMIDIFile::WriteKeySignature(int sharps, bool minor, uint32_t delta) {
    WriteVarLen(delta);
    const uint8_t ev[5] = {0xFF, 0x59, 0x02, static_cast<uint8_t>(static_cast<int8_t>(std::clamp(sharps, -7, 7))),
                           static_cast<uint8_t>(minor ? 1 : 0)};
    WriteBytes(ev, sizeof ev);
}

void TWriteMIDIFile::WriteTimeSignature(int numerator, int denominator, uint32_t delta) {
    int power = 0;
    while ((1 << power) < denominator && power < 6)
        ++power;
    WriteVarLen(delta);
    const uint8_t ev[7] = {0xFF, 0x58, 0x04, static_cast<uint8_t>(numerator & 0x7F), static_cast<uint8_t>(power),
                           24, 8};
    WriteBytes(ev, sizeof ev);
}

int TWriteMIDIFile::Channel(int channel) {
    if (channel != -1)
        LastChannel = channel & 0x0F;
    return LastChannel;
}

void TWriteMIDIFile::NoteOn(uint32_t delta, int key, int velocity, int channel) {
    WriteVarLen(delta);
    const uint8_t ev[3] = {static_cast<uint8_t>(0x90 + Channel(channel)), static_cast<uint8_t>(key & 0x7F),
                           static_cast<uint8_t>(std::clamp(velocity, 0, 127))};
    WriteBytes(ev, 3);
}

void TWriteMIDIFile::NoteOff(uint32_t delta, int key, int channel) {
    WriteVarLen(delta);
    const uint8_t ev[3] = {static_cast<uint8_t>(0x80 + Channel(channel)), static_cast<uint8_t>(key & 0x7F), 0};
    WriteBytes(ev, 3);
}

// ---- the track ----

namespace {

// Play units per tick: a quarter is 1280 units and 144 ticks.
constexpr double kUnitsPerTick = 1280.0 / 144.0;

// MIDI key of a note; -1 when it is not a playable key.
int NoteKey(const TPNote& n) {
    if (n.Pitch < 0 || n.Pitch > 11 || n.Octave < -4 || n.Octave > 4)
        return -1; // the player neither starts nor releases such a note
    const int key = n.Octave * 12 + n.Pitch + 60;
    return key >= 0 && key <= 127 ? key : -1;
}

// Velocity of a note slot as the player sends it.
int SlotVelocity(const TPlayItem& item, const TPNote& n) {
    if (n.Velocity > 0 && n.Volume > 0)
        return std::min(RoundToInt(item.Volume * n.Velocity / 127.0), 127);
    return std::min(RoundToInt(item.Volume * n.Volume * 0.01), 127);
}

bool IsPowerOfTwoUpTo64(int d) { return d >= 1 && d <= 64 && (d & (d - 1)) == 0; }

// Items that take time in the file.
bool IsTimedItem(const TPlayItem& item) {
    return item.Kind != pkHighlight && item.Kind != pkInstrument && item.Kind != pkSilent && item.Kind != pkTimeSig &&
           item.Duration >= 1 && item.Duration < 1000000;
}

// The beats per minute of a play tempo: a tempo mark of b beats a minute plays
// at trunc(b x 5 / 3); the b that gives the tempo back, else the tempo's own.
double BpmOfPlayTempo(int tempo) {
    const double exact = tempo * 0.6;
    const double whole = std::ceil(exact - 1e-9);
    if (static_cast<int>(whole * static_cast<double>(1.6666666f)) == tempo)
        return whole;
    return exact;
}

// Microseconds a quarter of a play tempo.
uint32_t MicrosOfPlayTempo(int tempo) {
    return static_cast<uint32_t>(std::lround(60000000.0 / BpmOfPlayTempo(std::max(tempo, 1))));
}

} // namespace

uint32_t WriteMIDITrack(TWriteMIDIFile& out, const std::vector<TPlayItem>& list, const std::string& title,
                        const std::string& instrument, int keySharps) {
    // Items that know the tempo their length was reckoned at are written in
    // exact ticks under tempo events of the score's tempi; a list without
    // (made by hand) keeps the fixed tempo of 60 and its length in the spacing.
    int firstTempo = 0;
    for (const TPlayItem& item : list)
        if (IsTimedItem(item) && item.Tempo > 0) {
            firstTempo = item.Tempo;
            break;
        }
    out.WriteTrackName(title.empty() ? std::string(kUntitledTrackName) : title, 0);
    if (firstTempo > 0)
        out.WriteTempoMicros(MicrosOfPlayTempo(firstTempo), 0);
    else
        out.WriteTempo(60, 0);
    if (keySharps != 0)
        out.WriteKeySignature(keySharps, false, 0);
    out.WriteInstrumentName(instrument, 0);
    int tempo = firstTempo;

    // The file has one channel, so a key has one sound however many staves
    // play it: notes of one step on the same key are struck once, a key struck
    // again while it sounds is released first, and it is released for good when
    // the last of the notes that hold it ends.
    struct TKeySound {
        int notes = 0;    // notes holding the key
        long struck = -1; // play units at its note-on; -1 silent
        long until = 0;   // end of the longest of those notes
    };
    TKeySound keys[128] = {};
    long now = 0; // play units from the start
    uint32_t delta = 0;
    int prev = 1000;
    int carry = 0;
    auto release = [&](int key) {
        out.NoteOff(delta, key, 0);
        keys[key] = {};
        delta = 0;
    };
    auto noteOff = [&](int key) {
        if (key < 0 || keys[key].struck < 0)
            return;
        if (--keys[key].notes <= 0 || now >= keys[key].until)
            release(key);
    };
    auto noteOn = [&](int key, int velocity, int length) {
        TKeySound& k = keys[key];
        if (k.struck == now) { // the same key twice in one step: one sound
            ++k.notes;
            k.until = std::max(k.until, now + length);
            return;
        }
        const bool held = k.struck >= 0 && now < k.until;
        const int notes = held ? k.notes + 1 : 1;
        const long until = held ? std::max(k.until, now + length) : now + length;
        if (k.struck >= 0)
            release(key);
        out.NoteOn(delta, key, velocity, 0);
        keys[key] = {notes, now, until};
        delta = 0;
    };
    for (const TPlayItem& item : list) {
        if (item.Kind == pkHighlight || item.Kind == pkInstrument || item.Kind == pkSilent)
            continue;
        if (item.Kind == pkTimeSig) {
            if (item.Volume > 0 && IsPowerOfTwoUpTo64(item.Duration))
                out.WriteTimeSignature(item.Volume, item.Duration, 0);
            continue;
        }
        int d = item.Duration;
        const int count = NoteCount(item);
        const bool exact = firstTempo > 0 && IsTimedItem(item);
        if (exact && item.Tempo > 0 && item.Tempo != tempo) {
            tempo = item.Tempo;
            out.WriteTempoMicros(MicrosOfPlayTempo(tempo), delta);
            delta = 0;
        }
        if (item.Kind != pkRest) {
            for (int i = 0; i < count; ++i) {
                const TPNote& n = item.Notes[i];
                const int key = NoteKey(n);
                if (key < 0)
                    continue;
                if (d <= 0) {
                    noteOff(key);
                    continue;
                }
                if (n.Length <= 0 || SlotVelocity(item, n) <= 0)
                    continue;
                // The loudest of the step's notes on this key strikes it.
                int velocity = 0;
                for (int j = 0; j < count; ++j)
                    if (NoteKey(item.Notes[j]) == key && item.Notes[j].Length > 0)
                        velocity = std::max(velocity, SlotVelocity(item, item.Notes[j]));
                noteOn(key, velocity, n.Length);
            }
        }
        if (d >= 1 && d < 1000000)
            now += d;
        if (exact) {
            // A quarter at play tempo t lasts 128000 / t units and 144 ticks.
            const int64_t ticks = std::llround(static_cast<double>(d) * std::max(tempo, 1) * 144.0 / 128000.0);
            delta += static_cast<uint32_t>(std::max<int64_t>(ticks, 0));
        } else if (d >= 1 && d < 1000000) {
            if (d - 13 < prev && prev < d + 13 && prev < 260)
                d += carry;
            const int ticks = std::max(0, RoundToInt(d / kUnitsPerTick));
            delta += static_cast<uint32_t>(ticks);
            prev = d;
            carry = RoundToInt(d - ticks * kUnitsPerTick);
        }
        if (item.Kind != pkRest && item.Hold == 0 && item.Duration > 0) {
            // A note that ends with its step is released there; the carry that
            // evens out the ticks of short steps does not make it longer.
            for (int i = 0; i < count; ++i) {
                const TPNote& n = item.Notes[i];
                if (EndsWithStep(item, n))
                    noteOff(NoteKey(n));
            }
        }
    }
    for (int key = 0; key < 128; ++key)
        if (keys[key].struck >= 0)
            release(key);
    out.NoteOff(delta, 0, -1);
    return 0;
}
