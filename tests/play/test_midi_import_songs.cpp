// Real General MIDI songs (Debian's openttd-openmsx, when installed) through
// the whole path: each song is imported onto a new score on the main window,
// exported again, and both files are read by python3-mido. Every pitch's
// note-ons of the file are matched with the export's: the notes kept, the
// onsets within 1/8 beat, the pages against MuseScore 3's engraving of the
// same song, and the import time are printed per song.
//
// The percussion of channel 10 is left out by the import and so by the count.
// Note-ons are compared by pitch and onset (a unison of two tracks or channels
// within 1/8 beat is one sounding note), so the count holds whatever the export does with the note-offs.
// A note is kept when its key sounds as often in the export; it is in time when
// an onset of its key lies within 1/8 beat.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "platform/core/TQMessage.h"
#include "play/Modmidifile.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"
#include "tests/render/TQMusicFonts.h"
#include "tests/render/TQPageImage.h"
#include "tests/support/TQTestSupport.h"

namespace {

const char* const kSongFolder = "/usr/share/games/openttd/baseset/openmsx";

// Pages of MuseScore 3 (Debian's mscore3 3.2.3, `mscore3 -o song.pdf song.mid`,
// counted by pdfinfo).
const std::map<std::string, int> kMuseScorePages = {
#include "tests/play/data/openmsx_musescore_pages.inc"
};

constexpr const char* kCompare = R"(import sys, mido
# Onsets by key, in beats. The same key struck by two players (tracks or
# channels) within 1/8 beat (a doubled part, played by hand: the export sounds
# both on one onset of the grid, on one track) is one sounding note.
def onsets(path, skip_drums):
    m = mido.MidiFile(path)
    heard = []
    for n, track in enumerate(m.tracks):
        now = 0
        for msg in track:
            now += msg.time
            if msg.type == 'note_on' and msg.velocity > 0:
                if skip_drums and msg.channel == 9:
                    continue
                heard.append((msg.note, now / m.ticks_per_beat, (n, msg.channel)))
    heard.sort()
    by = {}
    for key, t, n in heard:
        last = by.get(key)
        if last and (t == last[-1][0] or (n != last[-1][1] and t - last[-1][0] < 1 / 8)):
            continue
        by.setdefault(key, []).append((t, n))
    return {key: [t for t, n in v] for key, v in by.items()}
a = onsets(sys.argv[1], True)
b = onsets(sys.argv[2], False)
total = kept = near = 0
for key, want in a.items():
    got = b.get(key, [])
    total += len(want)
    kept += min(len(want), len(got))
    i = 0
    used = [False] * len(got)
    for t in want:
        while i < len(got) and got[i] < t - 0.125 - 1e-9:
            i += 1
        j = i
        while j < len(got) and got[j] <= t + 0.125 + 1e-9:
            if not used[j]:
                used[j] = True
                near += 1
                break
            j += 1
print(total, kept, near)
)";

struct TSongFigures {
    long total = 0, kept = 0, near = 0;
    bool ok = false;
};

TSongFigures Compare(const std::string& script, const std::string& in, const std::string& out) {
    TSongFigures f;
    const std::string cmd = "/usr/bin/python3 '" + script + "' '" + in + "' '" + out + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return f;
    char buf[4096];
    std::string text;
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        text.append(buf, n);
    const bool exited = pclose(p) == 0;
    std::istringstream s(text);
    f.ok = exited && static_cast<bool>(s >> f.total >> f.kept >> f.near);
    if (!f.ok)
        ADD_FAILURE() << text;
    return f;
}

TEST(MidiImportSongs, RealSongsKeepTheirNotesTimeAndPages) {
    // TQ_SONG_DIR measures another folder of songs; TQ_SONG_OUT keeps the exports.
    const std::string folder = std::getenv("TQ_SONG_DIR") ? std::getenv("TQ_SONG_DIR") : kSongFolder;
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "openttd-openmsx is not installed";
    std::vector<std::filesystem::path> songs;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".mid")
            songs.push_back(e.path());
    std::sort(songs.begin(), songs.end());
    ASSERT_FALSE(songs.empty());

    tqtest::TempDir dir;
    const std::string script = (dir / "compare.py").string();
    std::ofstream(script) << kCompare;
    // The music fonts draw the pages written to TQ_TEST_PNG_DIR.
    std::unique_ptr<TMusicFonts> fonts;
    if (std::getenv("TQ_TEST_PNG_DIR")) {
        fonts = std::make_unique<TMusicFonts>(true, true);
        ASSERT_TRUE(fonts->loaded());
    }
    TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    TPlayState play;
    frmPlay = &play;
    long allTotal = 0, allKept = 0, allNear = 0;
    int allPages = 0, allPeerPages = 0;
    std::printf("%-28s %6s %6s %7s %7s %5s %5s %7s %8s\n", "song", "notes", "kept", "kept%", "near%", "pages", "mscore",
                "triplet", "import");
    for (const auto& song : songs) {
        SCOPED_TRACE(song.filename().string());
        const std::string name = song.stem().string();
        TMainView view;
        TMainScore* previous = frmMainTQ;
        frmMainTQ = &view;
        view.NewScore();
        MIDIImportHooks() = {};
        MIDIExportHooks() = {};
        boxes.Clear();
        const auto start = std::chrono::steady_clock::now();
        TMIDIReader reader;
        const bool imported = reader.ImportMIDIFile(song.string());
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const std::string out = (std::getenv("TQ_SONG_OUT") ? std::filesystem::path(std::getenv("TQ_SONG_OUT")) : dir.path()) / (name + ".mid");
        const bool saved = imported && SaveMIDIFile(out);
        const int pages = static_cast<int>(view.PageSets[0].size());
        int tuplets = 0; // triplet groups written
        for (const TPage& page : view.PageSets[0])
            for (const TCellRow& row : page)
                for (const TCell& c : row)
                    tuplets += IsTupletMarkCell(c) ? 1 : 0;
        // The first page at zoom 1, to be looked at.
        if (imported && fonts) {
            SetDefaultPageGeometry(view);
            view.ShowGrid = false;
            view.CurPage = 0;
            FitPaintBox(view, view.Cols, view.Rows, 1);
            TPageImage image(view);
            tqtest::SavePngIfWanted(image.image, "imported_song_" + name);
        }
        frmMainTQ = previous;
        EXPECT_TRUE(imported) << (boxes.shown.empty() ? std::string() : boxes.shown[0].text);
        EXPECT_TRUE(saved);
        if (!saved)
            continue;
        const TSongFigures f = Compare(script, song.string(), out);
        if (!f.ok)
            continue;
        allTotal += f.total;
        allKept += f.kept;
        allNear += f.near;
        const auto peer = kMuseScorePages.find(name);
        const int peerPages = peer == kMuseScorePages.end() ? 0 : peer->second;
        std::printf("%-28s %6ld %6ld %6.1f%% %6.1f%% %5d %5d %7d %6.0fms\n", name.c_str(), f.total, f.kept,
                    100.0 * f.kept / f.total, 100.0 * f.near / f.total, pages, peerPages, tuplets, ms);
        // moo's ostinato of triplet 16ths and its swung eighths are written as triplets.
        if (name == "moo_redfarn") {
            EXPECT_GT(tuplets, 100);
            EXPECT_EQ(f.kept, f.total);
        }
        EXPECT_GE(f.kept, f.total * 0.99);
        EXPECT_GE(f.near, f.total * 0.95);
        // A song's pages stay near MuseScore's; all the songs together within 1.2 times.
        if (peerPages > 0) {
            EXPECT_LE(pages, peerPages * 1.25) << "pages against MuseScore's " << peerPages;
            allPages += pages;
            allPeerPages += peerPages;
        }
    }
    std::printf("%-28s %6ld %6ld %6.1f%% %6.1f%% %5d %5d\n", "all", allTotal, allKept, 100.0 * allKept / allTotal,
                100.0 * allNear / allTotal, allPages, allPeerPages);
    EXPECT_LE(allPages, allPeerPages * 1.2);
    frmPlay = nullptr;
    SetMessageBoxes(nullptr);
}

} // namespace
