// A stand-in for TQ_MIDI that records every call through a callback the test
// sets (Fake_SetRecorder). Built twice: complete, and without Ext_ChangeIns
// (TQ_FAKE_NO_CHANGEINS) to see a binding stop at a missing entry point.
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
using Recorder = void (*)(const char* name, int a, int b, int c, int d);
Recorder gRecorder = nullptr;
void Record(const char* name, int a = 0, int b = 0, int c = 0, int d = 0) {
    if (gRecorder)
        gRecorder(name, a, b, c, d);
}
} // namespace

FAKE_EXPORT void Fake_SetRecorder(Recorder r) { gRecorder = r; }
FAKE_EXPORT int Ext_OpenMIDIOutputDevice() {
    Record("Ext_OpenMIDIOutputDevice");
    return 0;
}
FAKE_EXPORT int Ext_CloseMIDIOutputDevice() {
    Record("Ext_CloseMIDIOutputDevice");
    return 0;
}
FAKE_EXPORT int Ext_NoteOn(int octave, int pitch, int velocity, int channel) {
    Record("Ext_NoteOn", octave, pitch, velocity, channel);
    return 0;
}
FAKE_EXPORT int Ext_NoteOff(int octave, int pitch, int channel) {
    Record("Ext_NoteOff", octave, pitch, channel);
    return 0;
}
#ifndef TQ_FAKE_NO_CHANGEINS
FAKE_EXPORT int Ext_ChangeIns(int program, int channel) {
    Record("Ext_ChangeIns", program, channel);
    return 0;
}
#endif
