// TQ_MIDI: the program's MIDI output library, loaded at run time from the
// program folder. Five entry points with C linkage and plain int arguments:
//
//   Ext_OpenMIDIOutputDevice()
//   Ext_NoteOn(octave, pitch class, velocity, channel)
//   Ext_NoteOff(octave, pitch class, channel)
//   Ext_ChangeIns(program, channel)
//   Ext_CloseMIDIOutputDevice()
//
// and, for WAV output, the optional Ext_PlayTime(ms) described below.
//
// A FluidSynth synthesizer with the General MIDI soundfont plays through the
// default audio driver. A note is key 60 + 12 x octave + pitch class (octave 0
// holds middle C). Every argument is clamped here; a program of 128 or more
// mutes its channel until a valid program arrives. All 16 channels are melodic
// (channel 9 included): the caller's channel is a staff index.
//
// With no audio device or no soundfont the library stays silent, says so once
// on standard error and accepts every call.
//
// TQ_MIDI_WAV=<file>: no audio device is opened; the synthesizer is rendered
// into a 16-bit 44.1 kHz stereo WAV file instead, in step with the steady clock:
// before each call the output is rendered up to the time elapsed since the
// device was opened. At close, or when the process ends without a close, a short
// tail is rendered and the header completed.
//
// A caller that keeps its own time line may also stamp its calls with the time
// they are meant for, so the file does not depend on how late a busy machine
// made them (optional; nothing else needs it):
//
//   Ext_PlayTime(ms)   ms >= 0: the calls that follow sound ms milliseconds into
//                      the caller's time line. The first stamp starts the time
//                      line where the file stands at that moment; later stamps
//                      are placed from there. ms < 0: the time line ends and the
//                      calls follow the steady clock again.
//
// Outside WAV mode the stamps change nothing: a device sounds calls as they come.
//
// TQ_MIDI_DRIVER=<name>: the FluidSynth audio driver to use instead of its default.
#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#if defined(TQ_MIDI_HAVE_ALSA)
#include <alsa/asoundlib.h>
#endif

#define TQ_MIDI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 16;
constexpr double kTailSeconds = 0.5;
// Output gain: FluidSynth's default (0.2) leaves a single note near -40 dBFS.
constexpr double kGain = 0.5;

// Soundfont paths, in order. The first is the Debian alternatives link; the
// others are the files it usually points at, for a machine where the link is
// missing.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

using Clock = std::chrono::steady_clock;

struct TMidiDevice {
    std::mutex lock;
    bool open = false;
    bool reported = false; // the one message on standard error was written
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    bool sounding = false; // notes reach a device or a file
    std::array<bool, kChannels> muted{};
    std::string lastFluidError;

    // WAV output
    std::FILE* wav = nullptr;
    std::string wavPath;
    Clock::time_point start;
    int64_t framesWritten = 0;
    // The caller's time line (Ext_PlayTime): while it runs, calls are rendered
    // up to lineStart + the last stamp instead of the clock.
    bool onLine = false;
    int64_t lineStart = 0;
    int64_t lineAt = 0;
};

TMidiDevice& Device() {
    static TMidiDevice* device = new TMidiDevice; // lives until the process ends
    return *device;
}

void Report(TMidiDevice& d, const std::string& text) {
    if (d.reported)
        return;
    d.reported = true;
    std::fprintf(stderr, "TQ_MIDI: %s\n", text.c_str());
    std::fflush(stderr);
}

void FluidLog(int level, const char* message, void* data) {
    auto* d = static_cast<TMidiDevice*>(data);
    if (level <= FLUID_ERR && message)
        d->lastFluidError = message;
}

#if defined(TQ_MIDI_HAVE_ALSA)
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif

int Clamp(long long v, int lo, int hi) { return static_cast<int>(std::clamp<long long>(v, lo, hi)); }

int KeyOf(int octave, int pitch) { return Clamp(60LL + 12LL * octave + pitch, 0, 127); }

// --- WAV file ---

void PutLE(unsigned char* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void WavHeader(unsigned char (&h)[44], uint32_t dataBytes) {
    std::memcpy(h, "RIFF", 4);
    PutLE(h + 4, 36 + dataBytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLE(h + 16, 16, 4);
    PutLE(h + 20, 1, 2); // PCM
    PutLE(h + 22, 2, 2); // stereo
    PutLE(h + 24, kSampleRate, 4);
    PutLE(h + 28, kSampleRate * 4, 4);
    PutLE(h + 32, 4, 2);
    PutLE(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    PutLE(h + 40, dataBytes, 4);
}

void WavFailed(TMidiDevice& d) {
    Report(d, "cannot write the WAV file " + d.wavPath + "; notes are not heard");
    std::fclose(d.wav);
    d.wav = nullptr;
    d.sounding = false;
}

// Renders the synthesizer into the file up to `frames` frames from the start.
void RenderTo(TMidiDevice& d, int64_t frames) {
    if (!d.wav)
        return;
    constexpr int kBlock = 512;
    int16_t buf[kBlock * 2];
    // Never more than a day at once, whatever the clock says.
    frames = std::min<int64_t>(frames, d.framesWritten + int64_t(kSampleRate) * 86400);
    while (d.framesWritten < frames) {
        const int n = static_cast<int>(std::min<int64_t>(kBlock, frames - d.framesWritten));
        fluid_synth_write_s16(d.synth, n, buf, 0, 2, buf, 1, 2);
        unsigned char bytes[kBlock * 4];
        for (int i = 0; i < n * 2; ++i)
            PutLE(bytes + 2 * i, static_cast<uint16_t>(buf[i]), 2);
        if (std::fwrite(bytes, 4, n, d.wav) != static_cast<size_t>(n)) {
            WavFailed(d);
            return;
        }
        d.framesWritten += n;
    }
}

int64_t ClockFrames(const TMidiDevice& d) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - d.start).count();
    return static_cast<int64_t>(elapsed * kSampleRate);
}

int64_t MsFrames(long long ms) { return static_cast<int64_t>(ms) * kSampleRate / 1000; }

// The synthesizer starts a note at the first of its 64-frame blocks it has not
// rendered yet: rendering up to the block boundary nearest a call's time puts
// the call within 32 frames (0.7 ms) of it.
constexpr int64_t kSynthBlock = 64;

void CatchUp(TMidiDevice& d) {
    if (!d.wav)
        return;
    const int64_t at = d.onLine ? d.lineAt : ClockFrames(d);
    RenderTo(d, (at + kSynthBlock / 2) / kSynthBlock * kSynthBlock);
}

void StampTime(TMidiDevice& d, int ms) {
    if (!d.wav)
        return;
    if (ms < 0) {
        if (d.onLine)
            RenderTo(d, d.lineAt);
        d.onLine = false;
        return;
    }
    if (!d.onLine) {
        d.onLine = true;
        d.lineStart = std::max(ClockFrames(d), d.framesWritten) - MsFrames(ms);
    }
    d.lineAt = d.lineStart + MsFrames(ms);
}

// Renders the tail and completes the header; the file is closed.
void FinishWav(TMidiDevice& d) {
    if (!d.wav)
        return;
    CatchUp(d);
    if (!d.wav)
        return;
    RenderTo(d, d.framesWritten + static_cast<int64_t>(kTailSeconds * kSampleRate));
    if (!d.wav)
        return;
    const uint64_t dataBytes = static_cast<uint64_t>(d.framesWritten) * 4;
    unsigned char h[44];
    WavHeader(h, static_cast<uint32_t>(std::min<uint64_t>(dataBytes, 0xFFFFFFFFu - 36)));
    bool ok = std::fflush(d.wav) == 0 && std::fseek(d.wav, 0, SEEK_SET) == 0 && std::fwrite(h, 1, 44, d.wav) == 44;
    ok = (std::fclose(d.wav) == 0) && ok;
    d.wav = nullptr;
    if (!ok)
        Report(d, "cannot complete the WAV file " + d.wavPath);
}

bool StartWav(TMidiDevice& d, const char* path) {
    d.wavPath = path;
    d.wav = std::fopen(path, "wb");
    unsigned char h[44];
    WavHeader(h, 0);
    if (!d.wav || std::fwrite(h, 1, 44, d.wav) != 44) {
        if (d.wav)
            std::fclose(d.wav);
        d.wav = nullptr;
        Report(d, "cannot write the WAV file " + d.wavPath + "; notes are not heard");
        return false;
    }
    d.start = Clock::now();
    d.framesWritten = 0;
    d.onLine = false;
    return true;
}

void CloseDevice(TMidiDevice& d) {
    if (!d.open)
        return;
    FinishWav(d);
    if (d.driver)
        delete_fluid_audio_driver(d.driver);
    if (d.synth)
        delete_fluid_synth(d.synth);
    if (d.settings)
        delete_fluid_settings(d.settings);
    d.driver = nullptr;
    d.synth = nullptr;
    d.settings = nullptr;
    d.sounding = false;
    d.open = false;
}

// The process ends without a close: the WAV file is completed all the same. The
// audio driver is left to the end of the process.
struct TAtExit {
    ~TAtExit() {
        TMidiDevice& d = Device();
        std::lock_guard<std::mutex> g(d.lock);
        FinishWav(d);
    }
} gAtExit;

int OpenDevice(TMidiDevice& d) {
    if (d.open)
        return 0;
    d.open = true;
    d.muted.fill(false);
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid_set_log_function(level, FluidLog, &d);

    d.settings = new_fluid_settings();
    if (!d.settings) {
        Report(d, "cannot start the synthesizer; notes are not heard");
        return 0;
    }
    fluid_settings_setnum(d.settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(d.settings, "synth.gain", kGain);
    d.synth = new_fluid_synth(d.settings);
    if (!d.synth) {
        Report(d, "cannot start the synthesizer; notes are not heard");
        return 0;
    }
    int font = FLUID_FAILED;
    for (const char* path : kSoundFonts) {
        font = fluid_synth_sfload(d.synth, path, 1);
        if (font != FLUID_FAILED)
            break;
    }
    if (font == FLUID_FAILED) {
        Report(d, std::string("no General MIDI soundfont at ") + kSoundFonts[0] + "; notes are not heard");
        return 0;
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        fluid_synth_set_channel_type(d.synth, ch, CHANNEL_TYPE_MELODIC);
        fluid_synth_program_select(d.synth, ch, font, 0, 0);
    }

    const char* wav = std::getenv("TQ_MIDI_WAV");
    if (wav && *wav) {
        d.sounding = StartWav(d, wav);
        return 0;
    }
    const char* driverName = std::getenv("TQ_MIDI_DRIVER");
    if (driverName && *driverName)
        fluid_settings_setstr(d.settings, "audio.driver", driverName);
#if defined(TQ_MIDI_HAVE_ALSA)
    snd_lib_error_set_handler(QuietAlsa);
#endif
    d.lastFluidError.clear();
    d.driver = new_fluid_audio_driver(d.settings, d.synth);
#if defined(TQ_MIDI_HAVE_ALSA)
    snd_lib_error_set_handler(nullptr);
#endif
    if (!d.driver) {
        std::string why = d.lastFluidError.empty() ? std::string() : " (" + d.lastFluidError + ")";
        Report(d, "no audio device" + why + "; notes are not heard");
        return 0;
    }
    d.sounding = true;
    return 0;
}

} // namespace

TQ_MIDI_EXPORT int Ext_OpenMIDIOutputDevice() {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    return OpenDevice(d);
}

TQ_MIDI_EXPORT int Ext_CloseMIDIOutputDevice() {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    CloseDevice(d);
    return 0;
}

TQ_MIDI_EXPORT int Ext_NoteOn(int octave, int pitch, int velocity, int channel) {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    if (!d.sounding)
        return 0;
    CatchUp(d);
    const int ch = Clamp(channel, 0, kChannels - 1);
    const int vel = Clamp(velocity, 0, 127);
    if (d.muted[ch] || vel == 0)
        return 0;
    fluid_synth_noteon(d.synth, ch, KeyOf(octave, pitch), vel);
    return 0;
}

TQ_MIDI_EXPORT int Ext_NoteOff(int octave, int pitch, int channel) {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    if (!d.sounding)
        return 0;
    CatchUp(d);
    fluid_synth_noteoff(d.synth, Clamp(channel, 0, kChannels - 1), KeyOf(octave, pitch));
    return 0;
}

TQ_MIDI_EXPORT int Ext_ChangeIns(int program, int channel) {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    if (!d.sounding)
        return 0;
    CatchUp(d);
    const int ch = Clamp(channel, 0, kChannels - 1);
    if (program >= 128) {
        d.muted[ch] = true;
        fluid_synth_all_notes_off(d.synth, ch);
        return 0;
    }
    d.muted[ch] = false;
    fluid_synth_bank_select(d.synth, ch, 0);
    fluid_synth_program_change(d.synth, ch, Clamp(program, 0, 127));
    return 0;
}

TQ_MIDI_EXPORT int Ext_PlayTime(int ms) {
    TMidiDevice& d = Device();
    std::lock_guard<std::mutex> g(d.lock);
    if (d.sounding)
        StampTime(d, ms);
    return 0;
}
