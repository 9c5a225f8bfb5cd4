#include "tests/support/TQMidoFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/TQTestSupport.h"

namespace tqtest {

namespace {

constexpr const char* kReader = R"(import sys, mido
m = mido.MidiFile(sys.argv[1])
print("tpq", m.ticks_per_beat)
sharps = {'C':0,'G':1,'D':2,'A':3,'E':4,'B':5,'F#':6,'C#':7,'F':-1,'Bb':-2,'Eb':-3,'Ab':-4,'Db':-5,'Gb':-6,'Cb':-7}
for track in m.tracks:
    now = 0
    notes = []
    held = {}
    for msg in track:
        now += msg.time
        if msg.type == 'set_tempo':
            print("tempo", now, msg.tempo)
        elif msg.type == 'key_signature':
            print("key", sharps.get(msg.key.rstrip('m'), 99))
        elif msg.type == 'note_on' and msg.velocity > 0:
            notes.append([now, -1, msg.note, msg.channel, msg.velocity])
            held.setdefault((msg.channel, msg.note), []).append(notes[-1])
        elif msg.type in ('note_on', 'note_off'):
            starts = held.get((msg.channel, msg.note))
            if starts:
                n = starts.pop(0)
                n[1] = now - n[0]
    for n in notes:
        print("note", *n)
)";

} // namespace

TMidoFile ReadWithMido(const std::string& path) {
    TMidoFile out;
    const std::string script = path + ".read.py";
    std::ofstream(script) << kReader;
    const std::string cmd = "/usr/bin/python3 '" + script + "' '" + path + "' 2>&1";
    int status = -1;
    out.text = CommandOutput(cmd, &status);
    out.ok = status == 0;
    std::remove(script.c_str());
    std::istringstream in(out.text);
    std::string word;
    while (out.ok && in >> word) {
        if (word == "tpq") {
            in >> out.ticksPerBeat;
        } else if (word == "tempo") {
            long t = 0, us = 0;
            in >> t >> us;
            out.tempi.push_back({t, us});
        } else if (word == "key") {
            int k = 0;
            in >> k;
            out.keys.push_back(k);
        } else if (word == "note") {
            TMidoNote note;
            in >> note.on >> note.length >> note.key >> note.channel >> note.velocity;
            out.notes.push_back(note);
        } else {
            out.ok = false;
        }
    }
    return out;
}

} // namespace tqtest
