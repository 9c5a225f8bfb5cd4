#pragma once
// The four scores of the book tests: s1.mus .. s4.mus of 3, 2, 4 and 1 pages,
// each page with a note, written into a folder.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/render/TQViewFixture.h"

// The paths written; empty when a save failed.
inline std::vector<std::string> WriteBookScores(const std::filesystem::path& dir) {
    std::vector<std::string> files;
    int n = 0;
    for (int pages : {3, 2, 4, 1}) {
        TViewFixture score{12, 4};
        for (int p = 1; p < pages; ++p)
            score.view.AllocatePage(0, p, true, 0, 0);
        for (int p = 0; p < pages; ++p)
            score.view.PageSets[0].at(static_cast<size_t>(p)).at(1).at(0) = TScoreFixture::Cell("5");
        score.view.PageCount = pages;
        files.push_back((dir / ("s" + std::to_string(++n) + ".mus")).string());
        if (!score.view.SaveScore(files.back(), false))
            return {};
    }
    return files;
}
