#include "output/modTQBookPrint.h"

bool IsPrintSideOk(int printSide, int sheetCount) {
    switch (printSide) {
    case bsFront:
        return sheetCount % 2 == 1;
    case bsBack:
        return sheetCount % 2 == 0;
    default:
        return true;
    }
}

std::vector<TBookPageJob> PlanBookRun(const std::vector<TMusic>& musics,
                                      const TBookPrintOptions& o) {
    std::vector<TBookPageJob> jobs;
    if (!o.IncludeMusic)
        return jobs;
    int sheet = 0, bookPage = 0;
    for (std::size_t i = 0; i < musics.size(); ++i) {
        const TMusic& m = musics[i];
        if (!m.Exists)
            continue;
        bool print = true;
        if (o.Music == bmCurrent)
            print = static_cast<int>(i) + 1 == o.CurrentRow;
        else if (o.Music == bmSelected)
            print = m.Selected;
        const bool backSwap = o.PrintSide == bsBack;
        for (int p = 0; p < m.PageCount; ++p) {
            ++sheet;
            ++bookPage;
            bool swap = backSwap;
            if (o.PrinterType == bpTwoSides)
                swap = backSwap ? sheet % 2 == 1 : sheet % 2 == 0;
            if (o.Music == bmSpecifiedPages && (bookPage < o.FromPage || bookPage > o.ToPage))
                continue;
            if (print && IsPrintSideOk(o.PrintSide, sheet))
                jobs.push_back({static_cast<int>(i), p, bookPage, sheet, swap});
        }
    }
    return jobs;
}
