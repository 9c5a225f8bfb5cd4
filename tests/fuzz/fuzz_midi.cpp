// Fuzz target of the MIDI file reader: any bytes must be read or refused
// without a crash or a read outside the input, and whatever is read must place
// on a small score and go through the clean-up passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"
#include "play/modTQMIDIReader.h"

namespace {

TMainScore& Score() {
    static TMainScore* score = [] {
        auto* s = new TMainScore;
        s->Cols = 40;
        s->Rows = 30;
        return s;
    }();
    return *score;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static TMessageRecorder boxes;
    SetMessageBoxes(&boxes);
    boxes.Clear();

    TMIDIReader reader;
    reader.Data.assign(data, data + size);
    if (!reader.ReadMIDIFile(true))
        return 0;
    for (const TMIDITruck& t : reader.Tracks)
        if (t.events.size() > static_cast<std::size_t>(kMidiMaxEventsPerTrack) || size < 14)
            std::abort();
    if (reader.TrackCount > reader.DeclaredTracks)
        std::abort();

    // Placement and clean-up on a fresh page.
    TMainScore& s = Score();
    frmMainTQ = &s;
    CurLayer = 0;
    s.PageSets[1].clear();
    s.PageSets[0].clear();
    s.AllocatePage(0, 0, true, 0, 0);
    s.CurPage = 0;
    s.PageCount = 1;
    reader.PlaceMidi();
    reader.CleanUpMidiStaves();
    if (s.PageSets[0].size() > 100000)
        std::abort();
    frmMainTQ = nullptr;
    return 0;
}
