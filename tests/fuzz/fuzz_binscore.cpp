// Fuzz target of the binary score reader: any bytes must be read or refused
// without a crash, a read past the data or a wild allocation, and a refused
// file must leave the open score as it was.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/modTQBinFile.h"
#include "tests/fuzz/TQFuzzScore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TFuzzScore fuzz;
    // Pictures would go nowhere: the folder cannot be made.
    fuzz.score.SavedImageFolder = "/proc/tonquill-fuzz-nowhere/";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool quiet : {false, true}) {
        const bool ok = LoadBinaryScoreBytes(bytes, "/fuzz/score.mus", &fuzz.score, quiet);
        fuzz.Check(ok);
        if (ok)
            break;
    }
    return 0;
}
