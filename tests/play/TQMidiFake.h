#pragma once
// The recording TQ_MIDI stand-in (bin/fake_midi/<variant>/TQ_MIDI.so) and a
// fake clock: every call the library receives is kept with the clock's time.
#include <dlfcn.h>

#include <string>
#include <vector>

#include "platform/core/TQLibrary.h"

namespace tqtest {

struct TMidiCall {
    std::string name; // "Ext_NoteOn" ...
    int a = 0, b = 0, c = 0, d = 0;
    double ms = 0;    // fake clock at the call
};

inline std::vector<TMidiCall> gMidiCalls;
inline double gFakeNowMs = 0;

inline void RecordMidiCall(const char* name, int a, int b, int c, int d) {
    gMidiCalls.push_back({name, a, b, c, d, gFakeNowMs});
}

// Folder holding the fake library of this variant ("rec", "noins").
inline std::string FakeMidiFolder(const std::string& variant) {
    return ExecutableFolder() + "fake_midi/" + variant + "/";
}

// Loads the fake (the player's own dlopen then shares it) and points its recorder here.
inline bool HookFakeMidi(const std::string& variant) {
    void* h = dlopen((FakeMidiFolder(variant) + "TQ_MIDI.so").c_str(), RTLD_NOW);
    if (!h)
        return false;
    using SetRecorder = void (*)(void (*)(const char*, int, int, int, int));
    auto set = reinterpret_cast<SetRecorder>(dlsym(h, "Fake_SetRecorder"));
    if (!set)
        return false;
    set(RecordMidiCall);
    gMidiCalls.clear();
    return true;
}

} // namespace tqtest
