#pragma once
// A recent-file list: the newest path first, shown as numbered menu entries
// ("&1 - path") after a separator, and kept in an ini-format file of its own
// (section "Histrol File", keys File0 (newest) .. File<count - 1>).
//
// The list holds the entries' captions and visibility; the window that owns
// the menu shows them (OnChanged tells it to refresh) and opens the path of a
// clicked entry (HistoryCaptionPath of its caption). The file is read when the
// list is built and written when it is destroyed.
#include <functional>
#include <string>
#include <vector>

// "&" + (index + 1) + " - " + path.
std::string HistoryCaption(int index, const std::string& path);
// The text after the first " - " of a caption; "" when it has none.
std::string HistoryCaptionPath(const std::string& caption);

class THistory {
public:
    // Builds capacity hidden entries and a hidden separator, then loads the
    // file: folder + historyFileName ("" folder: the user folder). Stored paths
    // whose files no longer exist, and empty values, are skipped.
    THistory(int capacity, const std::string& historyFileName, const std::string& folder = "");
    // Saves the list.
    ~THistory();
    THistory(const THistory&) = delete;
    THistory& operator=(const THistory&) = delete;

    // Puts a path at the top: an entry with the same path in any letter case
    // moves up instead (keeping its stored spelling); a full list drops its
    // oldest entry.
    void AddFile(const std::string& path);
    // The path of an entry; "" when index is below 0 or not below the count.
    std::string GetFile(int index) const;
    // Moves entry k to the top, shifting the ones above it down.
    void MoveToTop(int k);
    // Erases the section and writes the entries; false when the file could
    // not be written.
    bool Save() const;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    const std::string& FilePath() const { return filePath_; }

    // --- the menu entries ---
    const std::string& Caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    bool EntryVisible(int index) const { return visible_.at(static_cast<std::size_t>(index)); }
    bool SeparatorVisible() const { return separatorVisible_; }
    // Called after every change of the captions or their visibility.
    std::function<void()> OnChanged;

private:
    void Changed();

    std::vector<std::string> captions_;
    std::vector<bool> visible_;
    bool separatorVisible_ = false;
    int capacity_ = 0;
    int count_ = 0;
    std::string filePath_;
};
