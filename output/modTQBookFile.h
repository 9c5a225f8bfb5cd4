#pragma once
// Book files (".mbk"): an ordered list of scores printed together with running
// page numbers. The text format is line based; titles are stored as the bytes
// of their code page, exactly as the score holds them.
#include <string>
#include <vector>

#include "render/modTQMainView.h"

struct TBook {
    std::string Title;       // book title, bytes in the code page of TitleCharset
    int TitleCharset = 0;
    std::string TitlePage;   // score used as title page; "" when none
    std::vector<TMusic> Musics;
};

inline constexpr int kBookWriteErrorId = 1043;
inline constexpr int kBookOpenErrorId = 1044;
inline constexpr int kBookFormatErrorId = 1045;
inline constexpr int kBookUnwritableId = 1236;
inline constexpr const char* kBookFileHeader = "Music Book File Version";

// The book as file text; entries whose folder is bookFolder are written as a
// bare file name, others with their full path (made absolute). A line whose
// text ends in CR gets one more, which the reader drops.
std::string FormatBook(const TBook& book, const std::string& bookFolder);
// The first text of the book that its file cannot hold so that ParseBook gives
// it back (a line over 499 characters, a line feed, an entry without a file
// name); "" when the whole book can be written.
std::string BookUnwritableText(const TBook& book, const std::string& bookFolder);
// Parses the whole text into out (out is only written on success). Accepts
// CR LF or LF line ends and '\' or '/' in paths; relative paths (entries and
// the title page) lie in bookFolder. False on any format error: wrong first
// line, a line over 499 characters, a missing number, or fewer entry blocks
// than the count says.
bool ParseBook(const std::string& text, const std::string& bookFolder, TBook& out);

// Writes the book through a temporary file beside path. A book that its file
// cannot hold is refused before anything is written: 1236 + the text at
// fault. A failed write reports 1043 + path. Either way any old file stays.
bool WriteBookFile(const std::string& path, const TBook& book);
// Reads path into book. Errors: 1044 (cannot open) or 1045 (format), each with
// "\n" + path; book is then unchanged. Returns the error id, 0 on success.
// Selected is 0 after reading; the title page is dropped when its file is gone;
// Exists and PageCount are left for the caller's refresh.
int ReadBookFile(const std::string& path, TBook& book);

// Appends ".mbk" to a chosen book name that has no extension.
std::string BookFileNameWithExtension(const std::string& chosen);

// Loads the entry's score into holder (quietly) and takes its page count and,
// unless KeepTitle, its title. A missing or unreadable file gives Exists 0,
// PageCount 0.
void RefreshMusic(TMusic& entry, TMainView& holder);

// First book page of each entry: 1 plus the pages of the entries before it.
std::vector<int> BookStartPages(const std::vector<TMusic>& musics);
