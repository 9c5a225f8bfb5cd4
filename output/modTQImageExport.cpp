#include "output/modTQImageExport.h"

#include "model/modTQMainScore.h"
#include "model/modTQRowQuery.h"
#include "platform/core/TQFiles.h"

bool IsJpegFileName(const std::string& name) {
    const std::string ext = ExtractFileExt(name);
    return SameText(ext, ".jpg") || SameText(ext, ".jpeg");
}

std::string StripPageSuffix(const std::string& name) {
    const std::string ext = ExtractFileExt(name);
    std::string base = name.substr(0, name.size() - ext.size());
    const std::size_t stop = base.size() >= 5 ? base.size() - 5 : 0;
    for (std::size_t i = base.size(); i > stop; --i) {
        if (base[i - 1] != '_')
            continue;
        bool digits = true;
        for (std::size_t k = i; k < base.size(); ++k)
            if (base[k] < '1' || base[k] > '9')
                digits = false;
        if (digits)
            base.resize(i - 1);
        break;
    }
    return base + ext;
}

std::string ExportNameWithExtension(const std::string& chosen, bool jpegChosen) {
    if (!ExtractFileExt(chosen).empty())
        return chosen;
    return chosen + (jpegChosen ? ".jpg" : ".bmp");
}

std::vector<std::string> ExportFileNames(const std::string& name, int pageCount) {
    if (pageCount <= 1)
        return {name};
    const std::string stripped = StripPageSuffix(name);
    const std::string ext = ExtractFileExt(stripped);
    const std::string base = stripped.substr(0, stripped.size() - ext.size());
    std::vector<std::string> names;
    for (int p = 1; p <= pageCount; ++p)
        names.push_back(base + "_" + std::to_string(p) + ext);
    return names;
}

int CountExportPages() {
    int count = static_cast<int>(frmMainTQ->PageSets[0].size());
    while (count > 0 && IsPageEmpty(count - 1, 0))
        --count;
    return count;
}
