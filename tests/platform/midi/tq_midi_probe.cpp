// Drives the MIDI output library TQ_MIDI beside this program from the command
// line, on a timetable, so tests can hear it in a process of its own:
//
//   tq_midi_probe open at:0 ins:19:0 on:0:0:100:0 at:500 off:0:0:0 close
//
// open, close         Ext_OpenMIDIOutputDevice, Ext_CloseMIDIOutputDevice
// on:o:p:v:c          Ext_NoteOn
// off:o:p:c           Ext_NoteOff
// ins:p:c             Ext_ChangeIns
// at:ms               wait until ms after the device was opened (or the program started)
// stall:ms            sleep ms as a busy machine might, leaving the timetable alone
// Every call is stamped with its time on this timetable (Ext_PlayTime: "open"
// stamps 0, "at" its ms), so a WAV file holds each call where the timetable puts
// it however late a busy machine let it run.
// Without "close" the process simply ends.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    std::string self = argv[0];
    std::string dir = self.substr(0, self.find_last_of('/') + 1);
    void* lib = dlopen((dir + "TQ_MIDI.so").c_str(), RTLD_NOW);
    if (!lib) {
        std::fprintf(stderr, "probe: %s\n", dlerror());
        return 2;
    }
    auto open = reinterpret_cast<int (*)()>(dlsym(lib, "Ext_OpenMIDIOutputDevice"));
    auto close = reinterpret_cast<int (*)()>(dlsym(lib, "Ext_CloseMIDIOutputDevice"));
    auto on = reinterpret_cast<int (*)(int, int, int, int)>(dlsym(lib, "Ext_NoteOn"));
    auto off = reinterpret_cast<int (*)(int, int, int)>(dlsym(lib, "Ext_NoteOff"));
    auto ins = reinterpret_cast<int (*)(int, int)>(dlsym(lib, "Ext_ChangeIns"));
    auto stamp = reinterpret_cast<int (*)(int)>(dlsym(lib, "Ext_PlayTime"));
    if (!open || !close || !on || !off || !ins || !stamp) {
        std::fprintf(stderr, "probe: an entry point is missing\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    for (int i = 1; i < argc; ++i) {
        std::string cmd = argv[i];
        std::vector<int> a;
        std::string name = cmd.substr(0, cmd.find(':'));
        for (size_t p = cmd.find(':'); p != std::string::npos; p = cmd.find(':', p + 1))
            a.push_back(std::atoi(cmd.c_str() + p + 1));
        if (name == "open") {
            open();
            start = std::chrono::steady_clock::now();
            stamp(0);
        }
        else if (name == "close")
            close();
        else if (name == "on" && a.size() == 4)
            on(a[0], a[1], a[2], a[3]);
        else if (name == "off" && a.size() == 3)
            off(a[0], a[1], a[2]);
        else if (name == "ins" && a.size() == 2)
            ins(a[0], a[1]);
        else if (name == "at" && a.size() == 1) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(a[0]));
            stamp(a[0]);
        } else if (name == "stall" && a.size() == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(a[0]));
        else {
            std::fprintf(stderr, "probe: bad command %s\n", cmd.c_str());
            return 2;
        }
    }
    return 0;
}
