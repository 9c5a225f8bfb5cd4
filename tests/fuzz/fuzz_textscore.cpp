// Fuzz target of the text score reader: any bytes must be read or refused
// without a crash or a wild allocation, and a refused file must leave the open
// score as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "model/modTQFile.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"

namespace {

class TSilentBoxes : public TMessageBoxes {
public:
    TMessageResult Show(const TMessageRequest& r) override { return {r.buttons == mbOK ? mrOk : mrYes, false}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static TSilentBoxes boxes;
    SetMessageBoxes(&boxes);
    if (size == 0)
        return 0;
    TMainScore score;
    score.CalcPageGrid();
    score.AllocatePage(0, 0, true, 0, 0);
    score.PageSets[0][0][1][1].Note = '3';
    frmMainTQ = &score;
    CurLayer = 0;
    const TPageSets before = score.PageSets;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f)
        return 0;
    const bool ok = LoadTextScoreStream(f, "/fuzz/score.txt", &score, false);
    std::fclose(f);
    if (!ok && !(score.PageSets == before))
        std::abort();
    if (frmMainTQ != &score || CurLayer != 0)
        std::abort();
    frmMainTQ = nullptr;
    return 0;
}
