// Fuzz target of the binary score reader: any bytes must be read or refused
// without a crash, a read past the data or a wild allocation, and a refused
// file must leave the open score as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/modTQBinFile.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"

namespace {

// Answers Yes to every question and keeps nothing.
class TSilentBoxes : public TMessageBoxes {
public:
    TMessageResult Show(const TMessageRequest& r) override { return {r.buttons == mbOK ? mrOk : mrYes, false}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static TSilentBoxes boxes;
    SetMessageBoxes(&boxes);
    TMainScore score;
    score.CalcPageGrid();
    score.AllocatePage(0, 0, true, 0, 0);
    score.PageSets[0][0][1][1].Note = '3';
    // Pictures would go nowhere: the folder cannot be made.
    score.SavedImageFolder = "/proc/tonquill-fuzz-nowhere/";
    frmMainTQ = &score;
    CurLayer = 0;
    const TPageSets before = score.PageSets;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool quiet : {false, true}) {
        const bool ok = LoadBinaryScoreBytes(bytes, "/fuzz/score.mus", &score, quiet);
        if (!ok && !(score.PageSets == before))
            std::abort(); // a refused file changed the score
        if (frmMainTQ != &score || CurLayer != 0)
            std::abort();
        if (ok)
            break;
    }
    frmMainTQ = nullptr;
    return 0;
}
