#include "output/modTQBookFile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "model/modTQMainScore.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

namespace {

constexpr std::size_t kMaxLine = 499;
constexpr int kEntryRest = 5; // skipped words after each entry's flag
constexpr int kHeaderRest = 9; // skipped words after the title page

// Reads lines and words of a book file held in memory.
class TBookReader {
public:
    explicit TBookReader(const std::string& text) : text_(text) {}
    bool failed() const { return failed_; }

    // Everything up to the line feed; a trailing CR is dropped.
    std::string Line() {
        if (pos_ >= text_.size()) {
            failed_ = true;
            return {};
        }
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string::npos) end = text_.size();
        std::string line = text_.substr(pos_, end - pos_);
        pos_ = end < text_.size() ? end + 1 : end;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLine) failed_ = true;
        return line;
    }

    // Skips characters outside 33..124, then takes up to the next white space
    // (a word opening with '"' runs to the next '"'); the ending character is
    // consumed.
    std::string Word() {
        while (pos_ < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[pos_]);
            if (c >= 33 && c <= 124) break;
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            failed_ = true;
            return {};
        }
        std::string word;
        if (text_[pos_] == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') word += text_[pos_++];
        } else {
            while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])))
                word += text_[pos_++];
        }
        if (pos_ < text_.size()) {
            // A word ending at CR consumes the LF after it too, so the next
            // whole-line read starts on the following line.
            if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
            ++pos_;
        }
        if (word.size() > 99) failed_ = true;
        return word;
    }

    bool Number(int& value) {
        const std::string w = Word();
        if (failed_) return false;
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(w.c_str(), &end, 10);
        if (w.empty() || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX) {
            failed_ = true;
            return false;
        }
        value = static_cast<int>(v);
        return true;
    }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// The folder of a book file, absolute, with a trailing '/'.
std::string BookFolderOf(const std::string& bookPath) {
    return IncludeTrailingSeparator(ExtractFilePath(AbsoluteNormalPath(bookPath)));
}

// A path read from a book: relative ones (a bare name, "../x/s.mus") lie in
// the book's folder, wherever the program was started.
std::string PathFromBook(const std::string& stored, const std::string& bookFolder) {
    return AbsoluteNormalPath(stored, bookFolder.empty() ? "/" : bookFolder);
}

// Folder part of an absolute path: up to its last '/' (a ':' is part of a
// name here, unlike in stored Windows paths).
std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The line that stores an entry's file: its bare name when it lies in the
// book's folder, else its whole path.
std::string EntryLine(const TMusic& m, const std::string& bookFolder) {
    if (m.FileName.empty()) return {};
    const std::string full = AbsoluteNormalPath(m.FileName);
    const std::string folder = FolderPart(full);
    return folder == IncludeTrailingSeparator(AbsoluteNormalPath(bookFolder)) ? full.substr(folder.size()) : full;
}

// One line of the file. The reader drops one CR before the line feed, so a
// text that ends in CR gets one more.
void PutLine(std::string& out, const std::string& text) {
    out += text;
    if (!text.empty() && text.back() == '\r') out += '\r';
    out += '\n';
}

// A text the reader gives back as it is when it is stored as one line.
bool KeepsAsLine(const std::string& text) {
    return text.size() <= kMaxLine && text.find('\n') == std::string::npos;
}

} // namespace

std::string FormatBook(const TBook& book, const std::string& bookFolder) {
    std::string out;
    auto line = [&out](const std::string& text) { PutLine(out, text); };
    char version[16];
    std::snprintf(version, sizeof version, "%.1f", 1.0);
    line(kBookFileHeader);
    line(version);
    line(book.Title);
    line(std::to_string(book.TitleCharset & 0xFF));
    line(book.TitlePage.empty() ? std::string() : AbsoluteNormalPath(book.TitlePage));
    for (int i = 0; i < kHeaderRest; ++i) line("0");
    line(std::to_string(book.Musics.size()));
    for (const TMusic& m : book.Musics) {
        line(EntryLine(m, bookFolder));
        line(m.Title);
        line(std::to_string(m.TitleCharset));
        line(m.KeepTitle ? "1" : "0");
        for (int i = 0; i < kEntryRest; ++i) line("0");
    }
    return out;
}

std::string BookUnwritableText(const TBook& book, const std::string& bookFolder) {
    if (!KeepsAsLine(book.Title)) return book.Title;
    if (!book.TitlePage.empty() && !KeepsAsLine(AbsoluteNormalPath(book.TitlePage))) return book.TitlePage;
    for (const TMusic& m : book.Musics) {
        const std::string file = EntryLine(m, bookFolder);
        if (file.empty() || !KeepsAsLine(file)) return m.FileName.empty() ? std::string("\"\"") : m.FileName;
        if (!KeepsAsLine(m.Title)) return m.Title;
    }
    return {};
}

bool ParseBook(const std::string& text, const std::string& bookFolder, TBook& out) {
    TBookReader rd(text);
    if (rd.Line() != kBookFileHeader || rd.failed()) return false;
    TBook book;
    rd.Word(); // version, not checked
    book.Title = rd.Line();
    int charset = 0;
    if (!rd.Number(charset)) return false;
    book.TitleCharset = charset & 0xFF;
    const std::string titlePage = rd.Line();
    book.TitlePage = titlePage.empty() ? std::string() : PathFromBook(titlePage, bookFolder);
    for (int i = 0; i < kHeaderRest; ++i) rd.Word();
    int count = 0;
    if (!rd.Number(count) || count < 0) return false;
    for (int i = 0; i < count && !rd.failed(); ++i) {
        TMusic m;
        std::string file = rd.Line();
        if (file.empty()) return false;
        m.FileName = PathFromBook(file, bookFolder);
        m.Title = rd.Line();
        int titleCharset = 0, keep = 0;
        if (!rd.Number(titleCharset) || !rd.Number(keep)) return false;
        m.TitleCharset = titleCharset;
        m.KeepTitle = keep != 0;
        for (int k = 0; k < kEntryRest; ++k) rd.Word();
        if (rd.failed()) return false;
        book.Musics.push_back(std::move(m));
    }
    if (rd.failed()) return false;
    out = std::move(book);
    return true;
}

bool WriteBookFile(const std::string& path, const TBook& book) {
    const std::string folder = BookFolderOf(path);
    if (const std::string bad = BookUnwritableText(book, folder); !bad.empty()) {
        MessageById(mbOK, kBookUnwritableId, "\n" + bad, mkError);
        return false;
    }
    if (!WriteFileAtomic(path, FormatBook(book, folder))) {
        MessageById(mbOK, kBookWriteErrorId, "\n" + path, mkError);
        return false;
    }
    // Temporaries of earlier saves that were killed before their rename.
    RemoveLeftoverTemporaries(path);
    return true;
}

int ReadBookFile(const std::string& path, TBook& book) {
    std::string text;
    if (!FileExists(path) || !ReadWholeFile(path, text, std::size_t(16) << 20)) {
        MessageById(mbOK, kBookOpenErrorId, "\n" + path, mkError);
        return kBookOpenErrorId;
    }
    TBook parsed;
    if (!ParseBook(text, BookFolderOf(path), parsed)) {
        MessageById(mbOK, kBookFormatErrorId, "\n" + path, mkError);
        return kBookFormatErrorId;
    }
    if (!parsed.TitlePage.empty() && !FileExists(parsed.TitlePage)) parsed.TitlePage.clear();
    book = std::move(parsed);
    return 0;
}

std::string BookFileNameWithExtension(const std::string& chosen) {
    return ExtractFileExt(chosen).empty() ? chosen + ".mbk" : chosen;
}

void RefreshMusic(TMusic& entry, TMainView& holder) {
    entry.Exists = FileExists(entry.FileName);
    entry.PageCount = 0;
    if (!entry.Exists) return;
    if (!holder.OpenScore(entry.FileName, &holder, true)) {
        entry.Exists = false;
        return;
    }
    const int layer = CurLayer == 1 ? 1 : 0;
    // A quiet load reads the first page only; the stored count gives the pages.
    if (!holder.PageSets[static_cast<std::size_t>(layer)].empty()) {
        entry.PageCount = holder.PageCount;
        if (!entry.KeepTitle) GetMusicTitle(holder, entry);
    }
}

std::vector<int> BookStartPages(const std::vector<TMusic>& musics) {
    std::vector<int> starts;
    int start = 1;
    for (const TMusic& m : musics) {
        starts.push_back(start);
        start += m.PageCount;
    }
    return starts;
}
