#include "app/modTQMain.h"

#include <algorithm>
#include <cctype>

#include "platform/core/TQFiles.h"

std::string NextNumberedFileName(const std::string& fileName) {
    const std::string ext = ExtractFileExt(fileName);
    const std::string stemPath = fileName.substr(0, fileName.size() - ext.size());
    // the run of trailing digits: at most 3, and at least two characters of the
    // name (not of its folder) stay in front
    const std::size_t sep = stemPath.find_last_of("/\\");
    const std::size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
    std::size_t start = stemPath.size();
    while (start > nameStart + 2 && stemPath.size() - start < 3 &&
           std::isdigit(static_cast<unsigned char>(stemPath[start - 1])))
        --start;
    const std::size_t runLength = stemPath.size() - start;
    if (runLength == 0)
        return "";
    const std::string front = stemPath.substr(0, start);
    const int number = std::stoi(stemPath.substr(start));
    for (int n = number + 1; n <= 999; ++n) {
        const std::string digits = std::to_string(n);
        for (std::size_t zeros = 0; zeros < runLength; ++zeros) {
            const std::string candidate = front + std::string(zeros, '0') + digits + ext;
            if (FileExists(candidate))
                return candidate;
        }
    }
    return "";
}

TSliceLayout SliceViewLayout(double paperWidth, double paperHeight, int screenWidth, int screenHeight,
                             int screenPixelsPerInch, int cellWidthPx) {
    TSliceLayout out;
    if (paperHeight <= 0 || screenHeight <= 0)
        return out;
    const double a = paperWidth / paperHeight;
    const double s = static_cast<double>(screenWidth) / screenHeight;
    if (2 * a >= s) {
        out.Mode = 1;
        return out;
    }
    const int inches = screenPixelsPerInch > 0 ? screenWidth / screenPixelsPerInch : 0;
    out.Mode = (inches < 20 || paperWidth > paperHeight) ? 3 : 2;
    const int gap = static_cast<int>(static_cast<double>(screenWidth) * cellWidthPx / screenHeight);
    out.Gap = std::max(1, std::min(gap, std::max(1, cellWidthPx)));
    return out;
}

TToolPlace KeepToolWindowInside(int left, int top, int width, int height, int mainLeft, int mainWidth,
                                int mainHeight) {
    TToolPlace p{left, top};
    if (p.Left > mainLeft + mainWidth - width - 25)
        p.Left = mainLeft + mainWidth - width - 25;
    else if (p.Left < 20)
        p.Left = 20;
    if (p.Top < 25)
        p.Top = 25;
    else if (p.Top > mainHeight - height)
        p.Top = mainHeight - height;
    return p;
}
