#pragma once
// The round trip of book files: whatever the writer agrees to write reads back
// as it was. Shared by the book fuzz target and the book tests, which run the
// fuzz target's corpus through it.
#include <cstddef>
#include <string>

#include "output/modTQBookFile.h"
#include "platform/core/TQFiles.h"

namespace tqfuzzbook {

// The folder that the fuzzed books lie in.
inline const std::string kBookFolder = "/books/shelf/";

// The book a fuzz input stands for: bytes that begin with 0x01 are the fields
// of a book made in the program (separated by zero bytes: title, title page,
// then file and title of each entry; the second byte gives the charsets and
// keep-title flags), anything else is a book file's text. False when the text
// is no book.
inline bool BookOfInput(const std::string& input, TBook& book) {
    if (input.empty() || input[0] != '\x01')
        return ParseBook(input, kBookFolder, book);
    const unsigned flags = input.size() > 1 ? static_cast<unsigned char>(input[1]) : 0u;
    std::string fields[64];
    std::size_t n = 0;
    for (std::size_t i = 2; i < input.size() && n < 64; ++i) {
        if (input[i] == '\0')
            ++n;
        else
            fields[n] += input[i];
    }
    book = TBook{};
    book.Title = fields[0];
    book.TitleCharset = static_cast<int>(flags * 37u);
    book.TitlePage = fields[1];
    for (std::size_t k = 2; k + 1 < 64 && k <= n; k += 2) {
        TMusic m;
        m.FileName = fields[k];
        m.Title = fields[k + 1];
        m.TitleCharset = static_cast<int>(flags) - 128 + static_cast<int>(k);
        m.KeepTitle = ((flags >> (k % 8)) & 1u) != 0;
        book.Musics.push_back(m);
    }
    return true;
}

// "" when book, written as the writer writes it, reads back as it was (or the
// writer refuses it); else what differs.
inline std::string RoundTripFault(const TBook& book) {
    if (!BookUnwritableText(book, kBookFolder).empty())
        return {};
    TBook back;
    if (!ParseBook(FormatBook(book, kBookFolder), kBookFolder, back))
        return "the written book is refused";
    const auto path = [](const std::string& p) { return p.empty() ? p : AbsoluteNormalPath(p); };
    if (back.Title != book.Title)
        return "book title";
    if (back.TitleCharset != (book.TitleCharset & 0xFF))
        return "book title charset";
    if (back.TitlePage != path(book.TitlePage))
        return "title page";
    if (back.Musics.size() != book.Musics.size())
        return "entry count";
    for (std::size_t i = 0; i < book.Musics.size(); ++i) {
        const TMusic& a = book.Musics[i];
        const TMusic& b = back.Musics[i];
        if (b.FileName != path(a.FileName))
            return "file of entry " + std::to_string(i + 1);
        if (b.Title != a.Title || b.TitleCharset != a.TitleCharset || b.KeepTitle != a.KeepTitle)
            return "title of entry " + std::to_string(i + 1);
    }
    return {};
}

} // namespace tqfuzzbook
