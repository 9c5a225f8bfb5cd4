// Fuzz target of page drawing: any bytes the binary reader accepts are drawn,
// first page, both layers, on the recording canvas, without a crash, a read
// outside the page grid or a drawing loop that does not end.
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/modTQBinFile.h"
#include "platform/gui/TQRecordingCanvas.h"
#include "render/modTQMainView.h"
#include "tests/fuzz/TQFuzzScore.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static TSilentBoxes boxes;
    SetMessageBoxes(&boxes);
    TMainView view;
    view.CalcPageGrid();
    view.AllocatePage(0, 0, true, 0, 0);
    view.SavedImageFolder = "/proc/tonquill-fuzz-nowhere/";
    frmMainTQ = &view;
    CurLayer = 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (LoadBinaryScoreBytes(bytes, "/fuzz/score.mus", &view, true)) {
        TRecordingCanvas canvas(TSize{1000, 1400});
        view.OutCanvas = &canvas;
        view.PaintBoxCanvas = &canvas;
        view.CurPage = 0;
        for (int layer : {0, 1}) {
            if (view.PageSets[static_cast<size_t>(layer)].empty())
                continue;
            CurLayer = layer;
            view.DrawEngine.DrawPage(0, 0, view.Cols, view.Rows, false, true);
            canvas.Clear();
        }
        view.OutCanvas = nullptr;
        view.PaintBoxCanvas = nullptr;
    }
    frmMainTQ = nullptr;
    CurLayer = 0;
    return 0;
}
