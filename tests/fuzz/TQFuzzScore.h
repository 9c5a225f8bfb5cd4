#pragma once
// The open score a fuzz target reads into: a small page with one note, the
// current score and layer set, and message boxes that answer Yes and keep
// nothing. Check() stops the run when a refused file changed the score or the
// reader left another score or layer current.
#include <cstdlib>

#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"

class TSilentBoxes : public TMessageBoxes {
public:
    TMessageResult Show(const TMessageRequest& r) override { return {r.buttons == mbOK ? mrOk : mrYes, false}; }
};

class TFuzzScore {
public:
    TFuzzScore() {
        static TSilentBoxes boxes;
        SetMessageBoxes(&boxes);
        score.CalcPageGrid();
        score.AllocatePage(0, 0, true, 0, 0);
        score.PageSets[0][0][1][1].Note = '3';
        frmMainTQ = &score;
        CurLayer = 0;
        before_ = score.PageSets;
    }
    ~TFuzzScore() { frmMainTQ = nullptr; }
    TFuzzScore(const TFuzzScore&) = delete;
    TFuzzScore& operator=(const TFuzzScore&) = delete;

    void Check(bool ok) const {
        if (!ok && !(score.PageSets == before_))
            std::abort(); // a refused file changed the score
        if (frmMainTQ != &score || CurLayer != 0)
            std::abort();
    }

    TMainScore score;

private:
    TPageSets before_;
};
