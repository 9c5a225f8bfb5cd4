// The score as a Standard MIDI File: the play list written as one track.

#include "model/modTQMainScore.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "platform/core/TQStrings.h"
#include "play/Modmidifile.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kMsgNoStartCell = 1054;
constexpr int kMsgWriteError = 1043;
constexpr int kSoundEffectNames = 3501;

bool BuildList(bool showMessages) {
    if (MIDIExportHooks().BuildPlayList)
        return MIDIExportHooks().BuildPlayList(showMessages);
    return frmPlay && frmPlay->BuildPlayList(showMessages);
}

// Sharps (negative: flats) of the key of the score's first clef: key codes 1..5
// and 13, 14 are 1..7 sharps, 6..12 are 1..7 flats.
int FirstKeySharps(const TMainScore& s) {
    if (s.PageSets[0].empty())
        return 0;
    for (const TCellRow& row : s.PageSets[0][0])
        for (const TCell& c : row)
            if (c.cellType == ctWestern && c.Note < 0 && c.Note > -8) {
                const int code = static_cast<int>(c.Attr & 0xFF);
                if (code >= 1 && code <= 5)
                    return code;
                if (code == 13 || code == 14)
                    return code - 7;
                if (code >= 6 && code <= 12)
                    return -(code - 5);
                return 0;
            }
    return 0;
}

} // namespace

TMIDIExportHooks& MIDIExportHooks() {
    static TMIDIExportHooks hooks;
    return hooks;
}

bool SaveMIDIFile(const std::string& fileName) {
    TMainScore* s = frmMainTQ;
    if (!s || !frmPlay)
        return false;
    auto* view = dynamic_cast<TMainView*>(s);
    if (view)
        view->GoToPage(0);
    else
        s->CurPage = 0;
    s->SelCol0 = s->SelRow0 = s->SelCol1 = s->SelRow1 = 0;
    if (!BuildList(false)) {
        frmPlay->PlayWest = !frmPlay->PlayWest;
        if (!BuildList(false)) {
            MessageOkById(kMsgNoStartCell, "", mkWarning);
            return false;
        }
    }
    TMusic entry;
    GetMusicTitle(*s, entry);
    std::string instrument;
    if (!Utf8ToCharset(GetStringById(kSoundEffectNames + frmPlay->SoundEffect), csGB2312, instrument))
        instrument.clear();

    // Through the safe replacement of files: a failed write never leaves a
    // half-written file in place of a good one.
    TAtomicFileWriter file(fileName);
    bool ok = file.Open();
    if (ok) {
        TWriteMIDIFile out;
        out.Handle = file.Stream();
        out.WriteHeader(0x00, 0x90);
        out.StartTrack();
        out.EndTrack(WriteMIDITrack(out, frmPlay->PlayList, entry.Title, instrument,
                                    frmPlay->PlayWest ? FirstKeySharps(*s) : 0));
        out.FlushPending();
        ok = !out.WriteFailed;
        out.Handle = nullptr; // closed by the commit, not by the MIDI writer
        ok = file.Commit() && ok;
    }
    if (!ok) {
        file.Abort();
        MessageById(mbOK, kMsgWriteError, "\n" + fileName, mkError);
    }
    if (view) {
        view->GoToPage(0);
        view->RedrawPage();
    } else {
        s->CurPage = 0;
    }
    return ok;
}
