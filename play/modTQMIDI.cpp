#include "play/modTQMIDI.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

#include "model/modTQMainScore.h"
#include "model/modTQUtil.h"
#include "platform/core/TQMessage.h"
#include "play/modTQPlayState.h"

TfrmMIDI* frmMIDI = nullptr;

namespace {

constexpr int kMsgLibraryMissing = 3311;
constexpr double kEventSliceMs = 10.0;  // longest stretch without processing events while waiting
constexpr double kAllNotesOffDelayMs = 200.0;
constexpr double kPlayUnitFactor = 0.01302083;
constexpr int kScrollAheadPlaying = 10;
constexpr int kScrollAheadIdle = 2;
constexpr int kKeyReleased = 1;
constexpr int kKeyPlaying = 2;

double SteadyNowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void SleepPrecisely(double ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

void ProcessPendingEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

TPlayerHooks DefaultHooks() {
    TPlayerHooks h;
    h.ProcessEvents = ProcessPendingEvents;
    h.NowMs = SteadyNowMs;
    h.SleepMs = SleepPrecisely;
    return h;
}

void ShowPlainMessage(const std::string& text) {
    TMessageRequest req;
    req.kind = mkError;
    req.buttons = mbOK;
    req.caption = "Tonquill";
    req.text = text;
    MessageBoxes().Show(req);
}

bool Playable(int octave, int pitch) { return octave >= -4 && octave <= 4 && pitch >= 0 && pitch <= 11; }

int ChannelOf(const TPNote& note) { return (note.Channel >= 0 && note.Channel <= 15) ? note.Channel : 0; }

// Hook helpers: an unset hook does nothing and answers false / 0.
bool Ask(const std::function<bool()>& f) { return f ? f() : false; }
void Call(const std::function<void()>& f) {
    if (f)
        f();
}

} // namespace

TPlayerHooks& PlayerHooks() {
    static TPlayerHooks hooks = DefaultHooks();
    return hooks;
}

void ResetPlayerHooks() { PlayerHooks() = DefaultHooks(); }

// --- binding ---

TfrmMIDI& ProgramMidi(const std::string& folder) {
    static TfrmMIDI* program = new TfrmMIDI(folder); // lives until the process ends
    frmMIDI = program;
    return *program;
}

TfrmMIDI::TfrmMIDI(const std::string& folder) {
    std::string dir = folder.empty() ? ExecutableFolder() : folder;
    if (dir.back() != '/')
        dir += '/';
    LibPath = dir + LibraryFileName(kMidiLibraryName);
    LoadMidiLibrary();
    TempoBase = 60;
    SpeedScale = 1.0f;
}

TfrmMIDI::~TfrmMIDI() {
    // The device stays open and the library loaded until the process ends.
    LibHandle.Detach();
    if (frmMIDI == this)
        frmMIDI = nullptr;
}

void TfrmMIDI::LoadMidiLibrary() {
    if (LibHandle.Loaded())
        return;
    if (!LibHandle.LoadFile(LibPath)) {
        ShowPlainMessage(kCannotLoadDll + LibPath);
        return;
    }
    // Binds one entry point unless it is bound already; false (and reported) when missing.
    auto bind = [this](auto& slot, const char* name) {
        if (slot)
            return true;
        void* p = LibHandle.Symbol(name);
        if (!p) {
            ShowPlainMessage("The sound library " + LibPath + kLacksFunction + name);
            return false;
        }
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(p);
        return true;
    };
    if (!bind(Ext_NoteOn, "Ext_NoteOn") || !bind(Ext_NoteOff, "Ext_NoteOff") ||
        !bind(Ext_OpenMIDIOutputDevice, "Ext_OpenMIDIOutputDevice") || !bind(Ext_ChangeIns, "Ext_ChangeIns") ||
        !bind(Ext_CloseMIDIOutputDevice, "Ext_CloseMIDIOutputDevice"))
        return;
    if (!Ext_PlayTime)
        Ext_PlayTime = reinterpret_cast<TExtPlayTime>(LibHandle.Symbol("Ext_PlayTime"));
    Ext_OpenMIDIOutputDevice();
}

bool TfrmMIDI::Ready() const {
    return LibHandle.Loaded() && Ext_NoteOn && Ext_NoteOff && Ext_OpenMIDIOutputDevice && Ext_CloseMIDIOutputDevice &&
           Ext_ChangeIns;
}

// --- single notes ---

void TfrmMIDI::MidiNoteOn(int octave, int pitch, int velocity) {
    if (!Ready()) {
        MessageOkById(kMsgLibraryMissing, LibPath, mkError);
        return;
    }
    Ext_NoteOn(octave, pitch, std::min(velocity, 127), 0);
}

void TfrmMIDI::MidiNoteOff(int octave, int pitch) {
    if (!Ready()) {
        MessageOkById(kMsgLibraryMissing, LibPath, mkError);
        return;
    }
    Ext_NoteOff(octave, pitch, 0);
}

void TfrmMIDI::MidiAllNotesOff() {
    if (!Ready())
        return;
    PlayerHooks().SleepMs(kAllNotesOffDelayMs);
    // Asked for in the middle of a play (Stop): the note-offs belong to now.
    if (playStartMs_ >= 0)
        StampPlayTime(PlayerHooks().NowMs() - playStartMs_);
    const int lastChannel = std::clamp(MaxChannel, 0, 15);
    for (int octave = -4; octave <= 4; ++octave)
        for (int pitch = 0; pitch <= 11; ++pitch)
            for (int ch = 0; ch <= lastChannel; ++ch)
                Ext_NoteOff(octave, pitch, ch);
}

// --- the player ---

double TfrmMIDI::ItemWaitMs(int duration) const {
    return static_cast<double>(static_cast<int64_t>(TempoBase) * duration) * kPlayUnitFactor *
           static_cast<double>(SpeedScale);
}

void TfrmMIDI::WaitUntil(double deadlineMs) {
    // Events are processed at least every 10 ms; the last stretch is slept exactly.
    TPlayerHooks& h = PlayerHooks();
    while (deadlineMs - h.NowMs() > 0) {
        Call(h.ProcessEvents);
        const double left = deadlineMs - h.NowMs();
        if (left <= 0)
            return;
        h.SleepMs(std::min(left, kEventSliceMs));
    }
}

void TfrmMIDI::StampPlayTime(double ms) {
    if (Ext_PlayTime)
        Ext_PlayTime(ms < 0 ? -1 : static_cast<int>(std::min(std::lround(ms), 2147483647L)));
}

void TfrmMIDI::MidiPlayList(const std::vector<TPlayItem>& list, int startIndex, int highlightRows) {
    if (!Ready()) {
        MessageOkById(kMsgLibraryMissing, LibPath, mkError);
        return;
    }
    TPlayerHooks& h = PlayerHooks();
    static TPlayState defaults; // settings when no play window exists
    TPlayState& play = frmPlay ? *frmPlay : defaults;

    const int count = static_cast<int>(list.size());
    const int first = (startIndex >= 0 && startIndex < count) ? startIndex : 0;
    // program + 1 sent last on each channel; 0 = none yet (counts as program 0)
    int programs[16] = {};
    if (h.SetScrollAheadRows)
        h.SetScrollAheadRows(kScrollAheadPlaying);
    MaxChannel = 0;
    const bool showKeys = Ask(h.KeyboardVisible);
    double elapsedMs = 0; // exact sum of the waits so far
    StampPlayTime(0);
    struct TPlayEnds {
        double& start;
        ~TPlayEnds() { start = -1; }
    } playEnds{playStartMs_};
    auto finish = [&] {
        playStartMs_ = -1;
        StampPlayTime(elapsedMs + kAllNotesOffDelayMs);
        MidiAllNotesOff();
        StampPlayTime(-1);
        if (showKeys)
            Call(h.RepaintKeyboard);
        if (h.SetScrollAheadRows)
            h.SetScrollAheadRows(kScrollAheadIdle);
    };

    const int soundEffect = play.SoundEffect;
    const bool ignoreEffects = soundEffect >= kSoundIgnore;
    if (ignoreEffects) {
        for (int c = 0; c < 16; ++c) {
            Ext_ChangeIns(0, c);
            programs[c] = 1;
        }
    }

    const double startMs = h.NowMs();
    playStartMs_ = startMs;
    for (int i = 0; i < count; ++i) {
        const TPlayItem& item = list[i];
        switch (item.Kind) {
        case pkHighlight:
            highlightRows = item.Duration;
            continue;
        case pkTimeSig:
            continue;
        case pkKeyboard:
            Call(h.RepaintKeyboard);
            continue;
        case pkInstrument: {
            if (ignoreEffects)
                continue;
            const int p = item.Duration & 0xFF;
            const int c = item.Notes[0].Channel;
            if (c < 0 || c > 15) {
                for (int k = 0; k < 16; ++k) {
                    Ext_ChangeIns(p, k);
                    programs[k] = p + 1;
                }
            } else {
                Ext_ChangeIns(p, c);
                programs[c] = p + 1;
            }
            continue;
        }
        default:
            break;
        }
        if (i < first)
            continue;

        // Sound the notes first, on the item's deadline; following the music comes after.
        StampPlayTime(elapsedMs);
        if (item.Kind != pkRest) {
            Call(h.RepaintKeyboard);
            for (int s = 0; s < kPlayNoteSlots && item.Notes[s].Pitch != -1; ++s) {
                const TPNote& n = item.Notes[s];
                const int ch = ChannelOf(n);
                if (n.Pitch >= 12)
                    continue;
                if (Playable(n.Octave, n.Pitch) && item.Duration <= 0) {
                    Ext_NoteOff(n.Octave, n.Pitch, ch);
                    if (showKeys && h.HighlightKey)
                        h.HighlightKey(n.Pitch, n.Octave, kKeyReleased);
                    continue;
                }
                // A silenced note (volume 0) stays silent whatever velocity it was read with.
                int velocity = showKeys             ? RoundToInt(n.Volume * 0.01 * (h.MainVolume ? h.MainVolume() : 0))
                               : n.Velocity > 0 && n.Volume > 0 ? n.Velocity
                                                                : RoundToInt(n.Volume * 1.27);
                if (velocity > 0 && play.IgnoreDyn)
                    velocity = 127;
                velocity = std::min(velocity, 127);
                if (Playable(n.Octave, n.Pitch) && velocity > 0 && n.Length > 0) {
                    Ext_NoteOn(n.Octave, n.Pitch, velocity, ch);
                    if (showKeys && h.HighlightKey)
                        h.HighlightKey(n.Pitch, n.Octave, kKeyPlaying);
                    MaxChannel = std::max(MaxChannel, ch);
                }
            }
        }

        // Follow the music.
        if (play.ShowPlay && item.Duration > 0) {
            const int curPage = frmMainTQ ? frmMainTQ->CurPage : -1;
            if (item.Page != curPage && h.ShowPage)
                h.ShowPage(item.Page, true);
            if (h.SelectAndShowCell)
                h.SelectAndShowCell(item.Col, item.Row, highlightRows, false, 0);
        }

        if (item.Duration > 0) {
            elapsedMs += ItemWaitMs(item.Duration);
            WaitUntil(startMs + elapsedMs);
            StampPlayTime(elapsedMs);

            const bool staffToKeys = Ask(h.KeyboardExists) && Ask(h.KeyboardVisible) && Ask(h.StaffToKeyboard);
            for (int s = 0; s < kPlayNoteSlots && item.Notes[s].Pitch != -1; ++s) {
                const TPNote& n = item.Notes[s];
                const int ch = ChannelOf(n);
                const int program = programs[ch] == 0 ? 0 : programs[ch] - 1;
                const bool rings = item.Hold != 0 && SoundPedalFlag(program) == 1;
                if (EndsWithStep(item, n) && !rings) {
                    if (Playable(n.Octave, n.Pitch)) {
                        Ext_NoteOff(n.Octave, n.Pitch, ch);
                        if (showKeys && h.HighlightKey)
                            h.HighlightKey(n.Pitch, n.Octave, kKeyReleased);
                    }
                } else if (staffToKeys && h.HighlightKey) {
                    h.HighlightKey(n.Pitch, n.Octave, kKeyReleased);
                }
            }
        }

        Call(h.ProcessEvents);
        if (play.StopRequest != 0) {
            finish();
            return;
        }
    }
    finish();
}
