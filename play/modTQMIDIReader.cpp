// Standard MIDI File import: reading the file into tracks of paired events.
#include "play/modTQMIDIReader.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "model/modTQMainScore.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

namespace {

constexpr int kMsgCannotOpen = 1044;
constexpr int kMsgBadFormat = 1045;

} // namespace

TMIDIImportHooks& MIDIImportHooks() {
    static TMIDIImportHooks hooks;
    return hooks;
}

bool TMIDIReader::LoadFile(const std::string& fileName, bool quiet) {
    FileName = fileName;
    Data.clear();
    FILE* f = OpenRegularFileStream(fileName);
    bool ok = f != nullptr;
    if (ok) {
        uint8_t buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            if (Data.size() + n > kMidiMaxFileBytes) {
                ok = false;
                break;
            }
            Data.insert(Data.end(), buf, buf + n);
        }
        if (std::ferror(f))
            ok = false;
        std::fclose(f);
    }
    if (!ok) {
        Data.clear();
        if (!quiet)
            MessageOkById(kMsgCannotOpen, "\n" + fileName, mkError);
        return false;
    }
    return true;
}

bool TMIDIReader::ReadHeader(bool quiet) {
    Pos = 0;
    Limit = Data.size();
    bool ok = Data.size() >= 14 && std::memcmp(Data.data(), "MThd", 4) == 0;
    uint32_t length = 0;
    if (ok) {
        Pos = 4;
        length = ReadBigEndian(4);
        Format = static_cast<uint16_t>(ReadBigEndian(2));
        DeclaredTracks = static_cast<uint16_t>(ReadBigEndian(2));
        DivisionHigh = ReadByte();
        DivisionLow = ReadByte();
        ok = length >= 6 && TicksPerQuarter() != 0 && (DivisionHigh & 0x80) == 0;
    }
    if (!ok) {
        if (!quiet)
            MessageOkById(kMsgBadFormat, "\n" + FileName, mkError);
        return false;
    }
    // A longer header chunk: its further bytes are passed over.
    Pos = 8;
    Skip(length);
    if (ShortRead)
        Damaged = true;
    ShortRead = false;
    return true;
}

bool TMIDIReader::ReadMIDIFile(bool quiet) {
    if (!ReadHeader(quiet))
        return false;
    if (MIDIImportHooks().ConfirmHeader &&
        !MIDIImportHooks().ConfirmHeader(FileName, Format, DeclaredTracks, DivisionHigh, DivisionLow))
        return false;
    ReadBody();
    return true;
}

void TMIDIReader::ReadBody() {
    for (TMIDISounding& s : Sounding)
        s = {};
    ScoreTempo = 0;
    TimeNumerator = -1;
    TimeDenominator = 4;
    TooLong = false;
    StrayStatus = 0;
    SystemSkipped = 0;
    StartSharps = 0;
    StartKeyRead = false;
    Tempos.clear();
    Meters.clear();
    ReadTracks();
    // Tempi and time signatures of every track in order of time; a tempo that
    // stands at the start of the file holds from there, else the standard 120.
    auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
    std::stable_sort(Tempos.begin(), Tempos.end(), byTick);
    std::stable_sort(Meters.begin(), Meters.end(), byTick);
    if (ScoreTempo == 0)
        ScoreTempo = 120;
}

void TMIDIReader::ReadTracks() {
    Tracks.clear();
    MetaList.clear();
    Channels.clear();
    TrackCount = 0;
    while (TrackCount < DeclaredTracks) {
        Limit = Data.size();
        if (Left() < 8) {
            // Fewer chunks than declared (or a few stray bytes after the last).
            Damaged = true;
            break;
        }
        const std::size_t tagPos = Pos;
        Pos += 4;
        const uint32_t length = ReadBigEndian(4);
        const bool isTrack = std::memcmp(Data.data() + tagPos, "MTrk", 4) == 0;
        std::size_t end = Pos + length;
        if (length > Data.size() - Pos) {
            Damaged = true;
            end = Data.size();
        }
        if (!isTrack) {
            Pos = end; // a chunk of another kind
            continue;
        }
        Limit = end;
        Tracks.emplace_back();
        ++TrackCount;
        ReadTrack(Tracks.back());
        Pos = end;
    }
    Limit = Data.size();
}

void TMIDIReader::ReadTrack(TMIDITruck& track) {
    track = TMIDITruck{};
    // A note left sounding by an earlier track does not hold back the rests of this one.
    for (TMIDISounding& s : Sounding)
        s = {};
    open_.assign(16 * 128, {});
    absTimes_.clear();
    runningStatus_ = 0;
    Scratch[0] = 0;
    EndOfTrack = 0;
    ShortRead = false;
    LongVarLen = false;
    int64_t absTime = 0;
    int64_t pendingDelta = 0; // time of stray status bytes, carried to the next event
    for (int i = 0; i < kMidiMaxEventsPerTrack && !EndOfTrack; ++i) {
        if (Left() == 0)
            break; // the chunk ends without an end-of-track event: the track ends here
        const uint32_t delta = ReadVarLen();
        if (ShortRead || LongVarLen) {
            Damaged = true;
            break;
        }
        absTime += delta;
        pendingDelta += delta;
        if (absTime > kMidiMaxTicks || pendingDelta > INT32_MAX) {
            TooLong = true;
            break;
        }
        CurrentDelta = static_cast<int32_t>(pendingDelta);
        pendingDelta = 0;
        const uint8_t b = ReadByte();
        if (ShortRead) {
            Damaged = true;
            break;
        }
        uint8_t status = b;
        uint8_t first = 0;
        if (b < 0x80) {
            // A data byte under running status.
            status = runningStatus_;
            first = b;
            if (status < 0x80 || status >= 0xF0) {
                Damaged = true;
                break;
            }
        } else if (b < 0xF0) {
            runningStatus_ = b;
            Scratch[0] = b;
            first = ReadByte();
        }
        if (ShortRead) {
            Damaged = true;
            break;
        }
        if (status < 0xF0 && first > 0x7F) {
            // A status byte where a data byte must stand: the rest cannot be read.
            Damaged = true;
            break;
        }
        switch (status & 0xF0) {
        case 0x80:
            MidiNoteOff(track, status, first);
            break;
        case 0x90:
            MidiNoteOn(track, status, first);
            break;
        case 0xB0:
            MidiController(track, status, first);
            break;
        case 0xC0:
            MidiProgramChange(track, status, first);
            break;
        case 0xA0: // key pressure and pitch bend: one more data byte, not used
        case 0xE0:
            ReadByte();
            break;
        case 0xD0: // channel pressure: no further byte
            break;
        default:
            if (status == 0xFF) {
                ParseMetaEvent(track, absTime);
            } else if (status == 0xF0 || status == 0xF7) {
                const uint32_t n = ReadVarLen();
                if (!ShortRead && !LongVarLen)
                    Skip(n);
                if (!ShortRead && !LongVarLen)
                    AppendMidiEvent(track, status, 0, 0, 0);
            } else if (b >= 0xF1 && b <= 0xF3) {
                // A system common message that has no place in a file (MTC
                // quarter frame, song position, song select): skipped with its
                // data bytes, its time passed on to the next event.
                for (int k = b == 0xF2 ? 2 : 1; k > 0 && Left() > 0 && Data[Pos] < 0x80; --k)
                    ++Pos;
                ++SystemSkipped;
                pendingDelta = CurrentDelta;
                CurrentDelta = 0;
            } else {
                // A status byte that starts no event of a file (a system common
                // or real-time message): told once, and reading goes on with the
                // next byte.
                char text[120];
                std::snprintf(text, sizeof text, "i=%d tick=%d type=0x%X pretype=0x%X(Unsupported pretype)", i,
                              CurrentDelta, b, runningStatus_);
                if (StrayStatus++ == 0)
                    StrayText = Message = text;
                // The time of the byte passes on to the next event.
                pendingDelta = CurrentDelta;
                CurrentDelta = 0;
            }
            break;
        }
        if (ShortRead || LongVarLen) {
            Damaged = true;
            break;
        }
        // An event that is kept as none (pitch bend, pressure, a meta without
        // a usable value) passes its time on to the next event, so the notes
        // after it keep their time.
        if (CurrentDelta != 0) {
            pendingDelta = CurrentDelta;
            CurrentDelta = 0;
        }
    }
    CloseOpenNotes(track);
    if (track.noteCount > 0 && static_cast<double>(track.noteSum) / track.noteCount <= 58.0)
        track.clef = -2;
    open_.clear();
    absTimes_.clear();
}

void TMIDIReader::ParseMetaEvent(TMIDITruck& track, int64_t absTime) {
    MetaType = static_cast<int8_t>(ReadByte());
    const uint8_t type = static_cast<uint8_t>(MetaType);
    const uint32_t length = ReadVarLen();
    if (ShortRead || LongVarLen)
        return;
    if (length > Left()) {
        ShortRead = true;
        return;
    }
    const std::size_t start = Pos;
    auto at = [&](uint32_t i) -> uint8_t { return i < length ? Data[start + i] : 0; };
    const bool track0 = Format == 1 && &track == &Tracks.front();
    switch (type) {
    case 0x00:
        AppendMidiEvent(track, 0xFF, 0x00, at(0), at(1));
        break;
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x07: {
        const uint32_t n = std::min<uint32_t>(length, kMidiMaxTextBytes);
        std::memcpy(Scratch + 1, Data.data() + start, n);
        Scratch[1 + n] = 0;
        if (type == 0x06) {
            Title.assign(reinterpret_cast<const char*>(Data.data() + start), n);
            std::string utf8;
            TitleCharset = 0;
            const bool ascii = std::all_of(Title.begin(), Title.end(), [](char c) { return (c & 0x80) == 0; });
            if (!ascii && CharsetToUtf8(Title, csGB2312, utf8))
                TitleCharset = csGB2312;
            else
                Title = CutToBytes(Title, csAnsi, n);
        }
        AppendMidiEvent(track, 0xFF, type, static_cast<int>(length % 256));
        break;
    }
    case 0x20:
        AppendMidiEvent(track, 0xFF, 0x20, at(0));
        break;
    case 0x21:
        AppendMidiEvent(track, 0xFF, 0x21, length ? at(length - 1) : 0);
        break;
    case 0x2F:
        Message = "type=0xFF(\?\?) subType=0x2F(\?\?\?\?)";
        AppendMidiEvent(track, 0xFF, 0x2F, 0);
        CloseOpenNotes(track);
        EndOfTrack = 1;
        break;
    case 0x51: {
        const uint32_t value = length >= 3 ? (uint32_t(at(0)) << 16) | (uint32_t(at(1)) << 8) | at(2) : 0;
        if (value == 0)
            break; // no tempo can be made of it
        const int bpm = static_cast<int>((60000000u + value / 2) / value); // to the nearest
        AppendMidiEvent(track, 0xFF, 0x51, std::min(bpm, 127), 0, 0, 0);
        track.events.back().length = bpm;
        if (absTime == 0 && ScoreTempo == 0 && bpm >= 1 && bpm <= 999)
            ScoreTempo = bpm;
        Tempos.push_back({absTime, value});
        if (track0)
            AddMetaToList(absTime, 0x51, bpm);
        break;
    }
    case 0x54:
        AppendMidiEvent(track, 0xFF, 0x54, at(0), at(1), at(2), at(3));
        break;
    case 0x58: {
        const int nn = at(0), dd = at(1);
        if (length < 2 || dd > 6 || nn == 0 || nn > 127)
            break;
        AppendMidiEvent(track, 0xFF, 0x58, nn, dd, at(2), at(3));
        Meters.push_back({absTime, nn, 1 << dd});
        if (TimeNumerator == -1) {
            TimeNumerator = static_cast<int8_t>(nn);
            TimeDenominator = static_cast<uint8_t>(1 << dd);
        }
        if (track0)
            AddMetaToList(absTime, 0x58, nn, dd, at(2), at(3));
        break;
    }
    case 0x59: {
        if (length < 1)
            break;
        const int sf = std::clamp<int>(static_cast<int8_t>(at(0)), -7, 7);
        Key = static_cast<int8_t>(sf);
        KeyMode = at(1);
        if (absTime == 0 && !StartKeyRead) {
            StartSharps = sf;
            StartKeyRead = true;
        }
        AppendMidiEvent(track, 0xFF, 0x59, sf, at(1));
        if (track0)
            AddMetaToList(absTime, 0x59, sf, at(1));
        break;
    }
    default:
        AppendMidiEvent(track, 0xFF, type, length ? at(length - 1) : 0);
        break;
    }
    Pos = start + length;
}

void TMIDIReader::MidiController(TMIDITruck& track, uint8_t status, uint8_t controller) {
    const uint8_t value = ReadByte();
    if (ShortRead)
        return;
    AppendMidiEvent(track, status, controller, value & 0x7F);
}

void TMIDIReader::MidiProgramChange(TMIDITruck& track, uint8_t status, uint8_t program) {
    AppendMidiEvent(track, status, program, 0);
}

bool TMIDIReader::AllNotesReleased() const {
    for (const TMIDISounding& s : Sounding)
        if (s.on)
            return false;
    return true;
}

void TMIDIReader::MidiNoteOn(TMIDITruck& track, uint8_t status, uint8_t note) {
    const uint8_t velocity = ReadByte();
    if (ShortRead || velocity > 0x7F) {
        ShortRead = true;
        return;
    }
    if (velocity != 0 && CurrentDelta != 0 && AllNotesReleased() &&
        static_cast<double>(TicksPerQuarter()) / CurrentDelta < 18.0) {
        const int32_t d = CurrentDelta;
        CurrentDelta = 0;
        AppendMidiEvent(track, status, 0, 0, 1);
        CurrentDelta = d;
        AppendMidiEvent(track, status, 0, 0, 0);
        CurrentDelta = 0;
    }
    AppendMidiEvent(track, status, note / 12, note % 12, velocity);
    Sounding[note].on = velocity != 0;
    const uint8_t channel = status & 0x0F;
    if (std::find(Channels.begin(), Channels.end(), channel) == Channels.end())
        Channels.push_back(channel);
}

void TMIDIReader::MidiNoteOff(TMIDITruck& track, uint8_t status, uint8_t note) {
    const uint8_t velocity = ReadByte();
    if (ShortRead || velocity > 0x7F) {
        ShortRead = true;
        return;
    }
    AppendMidiEvent(track, status, note / 12, note % 12, velocity);
    Sounding[note].on = 0;
}

void TMIDIReader::AppendMidiEvent(TMIDITruck& track, uint8_t status, int octave, int pitch, int velocity, int extra1,
                                  int extra2) {
    Staging = TMIDINote{};
    Staging.status = status;
    Staging.delta = CurrentDelta;
    Staging.octave = static_cast<int8_t>(octave);
    Staging.pitch = static_cast<int8_t>(pitch);
    Staging.velocity = static_cast<uint8_t>(velocity);
    Staging.extra1 = static_cast<uint8_t>(extra1);
    Staging.extra2 = static_cast<uint8_t>(extra2);
    track.events.push_back(Staging);
    const int64_t prevTime = absTimes_.empty() ? 0 : absTimes_.back();
    absTimes_.push_back(prevTime + CurrentDelta);
    CurrentDelta = 0; // later events of the same read step follow at once
    const int kind = status & 0xF0;
    if (kind == 0x90 && velocity != 0) {
        const int index = static_cast<int>(track.events.size()) - 1;
        if (!(octave == 0 && pitch == 0)) {
            const int number = octave * 12 + pitch;
            track.noteSum += static_cast<uint32_t>(number);
            ++track.noteCount;
            if (number < 58)
                ++track.lowCount;
        }
        if (!open_.empty())
            open_[static_cast<std::size_t>((status & 0x0F) * 128 + octave * 12 + pitch)].push_back(index);
    } else if (kind == 0x80 || kind == 0x90) {
        PairNoteOff(track);
    }
}

void TMIDIReader::AddMetaToList(int64_t absTime, uint8_t type, int a, int b, int c, int d) {
    TMIDINote n;
    n.status = 0xFF;
    n.octave = static_cast<int8_t>(type);
    n.pitch = static_cast<int8_t>(a);
    n.velocity = static_cast<uint8_t>(b);
    n.extra1 = static_cast<uint8_t>(c);
    n.extra2 = static_cast<uint8_t>(d);
    n.length = static_cast<int32_t>(absTime);
    MetaList.push_back(n);
}

bool TMIDIReader::PairNoteOff(TMIDITruck& track) {
    if (track.events.size() < 2 || open_.empty())
        return true;
    const TMIDINote& last = track.events.back();
    const int key = last.octave * 12 + last.pitch;
    if (key < 0 || key > 127)
        return false;
    std::vector<int>& stack = open_[static_cast<std::size_t>((last.status & 0x0F) * 128 + key)];
    // The most recent unpaired note-on of the channel and key takes the time since it.
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        if (track.events[static_cast<std::size_t>(i)].length != 0)
            continue;
        const int64_t length = absTimes_.back() - absTimes_[static_cast<std::size_t>(i)];
        track.events[static_cast<std::size_t>(i)].length = static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
        return true;
    }
    return false;
}

void TMIDIReader::CloseOpenNotes(TMIDITruck& track) {
    // Notes still sounding when the track ends last to its end.
    if (open_.empty() || absTimes_.empty())
        return;
    const int64_t end = absTimes_.back();
    for (std::vector<int>& stack : open_) {
        for (int i : stack) {
            TMIDINote& n = track.events[static_cast<std::size_t>(i)];
            if (n.length == 0)
                n.length = static_cast<int32_t>(std::min<int64_t>(end - absTimes_[static_cast<std::size_t>(i)], INT32_MAX));
        }
        stack.clear();
    }
}
