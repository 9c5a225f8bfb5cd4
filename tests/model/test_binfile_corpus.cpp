// The inputs kept beside the fuzz targets (seeds, and every input that once
// broke a reader) run through both readers in the normal test run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "model/modTQBinFile.h"
#include "model/modTQFile.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;
namespace fs = std::filesystem;

namespace {

fs::path FuzzFolder() { return tqtest::SourceFolder() / "tests" / "fuzz"; }

} // namespace

TEST(ReaderCorpus, KeptInputsAreReadOrRefusedCleanly) {
    int files = 0;
    for (const char* sub : {"corpus_bin", "corpus_text"}) {
        const fs::path dir = FuzzFolder() / sub;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            SCOPED_TRACE(entry.path().string());
            const std::string bytes = ReadFile(entry.path().string());
            for (bool quiet : {true, false}) {
                NewScore s;
                s.At(1, 1).Note = '3';
                const ScoreState before(s.score);
                Messages m;
                m.recorder.Answer(mrNo); // a newer version is not opened
                const bool ok = IsBinaryScoreFile(entry.path().string())
                                    ? LoadBinaryScoreBytes(bytes, entry.path().string(), &s.score, quiet)
                                    : LoadTextScore(entry.path().string(), &s.score, quiet);
                if (!ok) {
                    EXPECT_TRUE(ScoreState(s.score) == before);
                }
                EXPECT_EQ(frmMainTQ, &s.score);
                EXPECT_EQ(CurLayer, 0);
            }
            ++files;
        }
    }
    if (files == 0)
        GTEST_SKIP() << "no corpus beside the sources";
}
