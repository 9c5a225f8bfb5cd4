#include "lang/modTQHistory.h"

#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"

namespace {
const std::string kSection = "Histrol File";
// More entries than any menu holds; a larger capacity is cut to this.
constexpr int kMaxCapacity = 100;
} // namespace

std::string HistoryCaption(int index, const std::string& path) {
    return "&" + std::to_string(index + 1) + " - " + path;
}

std::string HistoryCaptionPath(const std::string& caption) {
    const std::size_t at = caption.find(" - ");
    return at == std::string::npos ? std::string() : caption.substr(at + 3);
}

THistory::THistory(int capacity, const std::string& historyFileName, const std::string& folder) {
    capacity_ = capacity < 0 ? 0 : (capacity > kMaxCapacity ? kMaxCapacity : capacity);
    count_ = 0;
    separatorVisible_ = false;
    for (int i = 0; i < capacity_; ++i) {
        captions_.push_back(std::to_string(i));
        visible_.push_back(false);
    }
    filePath_ = (folder.empty() ? TQUserFolder() : IncludeTrailingSeparator(folder)) + historyFileName;

    // oldest first, so that File0 ends on top; File<capacity> (left by a larger
    // earlier capacity) is read first and falls off a full list
    TIniFile ini(filePath_);
    for (int i = capacity_; i >= 0; --i) {
        const std::string path = ini.ReadString(kSection, "File" + std::to_string(i), "");
        if (!path.empty() && FileExists(path))
            AddFile(path);
    }
}

THistory::~THistory() {
    Save();
}

void THistory::AddFile(const std::string& path) {
    if (capacity_ == 0)
        return;
    for (int k = 0; k < count_; ++k) {
        if (SameText(GetFile(k), path)) {
            MoveToTop(k);
            return;
        }
    }
    const int n = count_ == capacity_ ? count_ - 1 : count_;
    for (int k = n - 1; k >= 0; --k) {
        captions_[static_cast<std::size_t>(k + 1)] = HistoryCaption(k + 1, GetFile(k));
        visible_[static_cast<std::size_t>(k + 1)] = true;
    }
    captions_[0] = HistoryCaption(0, path);
    visible_[0] = true;
    separatorVisible_ = true;
    if (count_ < capacity_)
        ++count_;
    Changed();
}

std::string THistory::GetFile(int index) const {
    if (index < 0 || index >= count_)
        return {};
    return HistoryCaptionPath(captions_[static_cast<std::size_t>(index)]);
}

void THistory::MoveToTop(int k) {
    if (k <= 0 || k >= count_)
        return;
    const std::string path = GetFile(k);
    for (int j = k; j >= 1; --j)
        captions_[static_cast<std::size_t>(j)] = HistoryCaption(j, GetFile(j - 1));
    captions_[0] = HistoryCaption(0, path);
    Changed();
}

bool THistory::Save() const {
    TIniFile ini(filePath_);
    if (!ini.EraseSection(kSection))
        return false;
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < count_; ++i)
        values.emplace_back("File" + std::to_string(i), GetFile(i));
    return values.empty() || ini.WriteValues(kSection, values);
}

void THistory::Changed() {
    if (OnChanged)
        OnChanged();
}
