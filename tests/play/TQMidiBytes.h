#pragma once
// Standard MIDI File bytes for tests: a track is a list of raw events, the file
// a header and tracks with their lengths filled in.
//
//   TSmfTrack t;
//   t.Ev(0, {0x90, 60, 100}).Ev(480, {0x80, 60, 0}).End();
//   std::string file = SmfFile(0, 480, {t});
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace tqtest {

inline void PutVarLen(std::string& out, uint32_t v) {
    uint8_t b[5];
    int n = 0;
    b[n++] = uint8_t(v & 0x7F);
    while ((v >>= 7) != 0)
        b[n++] = uint8_t((v & 0x7F) | 0x80);
    while (n > 0)
        out.push_back(char(b[--n]));
}

inline void PutBig(std::string& out, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

struct TSmfTrack {
    std::string bytes;
    TSmfTrack& Ev(uint32_t delta, std::initializer_list<int> data) {
        PutVarLen(bytes, delta);
        for (int b : data)
            bytes.push_back(char(b));
        return *this;
    }
    TSmfTrack& Raw(std::initializer_list<int> data) {
        for (int b : data)
            bytes.push_back(char(b));
        return *this;
    }
    TSmfTrack& Text(uint32_t delta, int type, const std::string& text) {
        PutVarLen(bytes, delta);
        bytes.push_back(char(0xFF));
        bytes.push_back(char(type));
        PutVarLen(bytes, uint32_t(text.size()));
        bytes += text;
        return *this;
    }
    // A note of `length` ticks after `delta` ticks of silence, on channel 0.
    TSmfTrack& Note(uint32_t delta, int key, uint32_t length, int velocity = 100) {
        return Ev(delta, {0x90, key, velocity}).Ev(length, {0x80, key, 0});
    }
    TSmfTrack& End(uint32_t delta = 0) { return Ev(delta, {0xFF, 0x2F, 0x00}); }
};

// Header and tracks; declared < 0 declares as many tracks as are given.
inline std::string SmfFile(int format, int division, const std::vector<TSmfTrack>& tracks, int declared = -1) {
    std::string out = "MThd";
    PutBig(out, 6, 4);
    PutBig(out, uint32_t(format), 2);
    PutBig(out, uint32_t(declared < 0 ? int(tracks.size()) : declared), 2);
    PutBig(out, uint32_t(division), 2);
    for (const TSmfTrack& t : tracks) {
        out += "MTrk";
        PutBig(out, uint32_t(t.bytes.size()), 4);
        out += t.bytes;
    }
    return out;
}

inline void WriteBytesFile(const std::string& path, const std::string& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(data.data(), std::streamsize(data.size()));
}

inline std::string ReadBytesFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace tqtest
