// Fuzz target of the text score reader: any bytes must be read or refused
// without a crash or a wild allocation, and a refused file must leave the open
// score as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "model/modTQFile.h"
#include "tests/fuzz/TQFuzzScore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    TFuzzScore fuzz;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f)
        return 0;
    const bool ok = LoadTextScoreStream(f, "/fuzz/score.txt", &fuzz.score, false);
    std::fclose(f);
    fuzz.Check(ok);
    return 0;
}
