#pragma once
// Text in Windows code pages.
//
// Score texts (cell texts, font names, titles) are kept as the bytes the file
// holds, in the code page of their font charset. They become UTF-8 only for
// display and come back from user input through the functions below. Every
// conversion is strict: a byte sequence the code page does not define, or a
// character the code page cannot hold, makes the conversion fail and reports
// where; nothing is ever replaced or dropped silently.
//
// Charsets (the Windows font charset numbers):
//   0 (ANSI)          Windows-1252
//   1 (DEFAULT)       the system code page, Chinese GBK (CP936)
//   2 (SYMBOL)        bytes as they are: byte b is the character U+00bb
//   134 (GB2312)      Chinese GBK (CP936)
//   the other Windows charsets map to their own code pages (Shift-JIS, Big5,
//   Cyrillic ...); an unknown number is treated as DEFAULT.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum TCharsetId {
    csAnsi = 0,
    csDefault = 1,
    csSymbol = 2,
    csShiftJis = 128,
    csHangul = 129,
    csGB2312 = 134,
    csChineseBig5 = 136,
    csOem = 255
};

// iconv name of the code page of a charset; nullptr for the symbol charset.
const char* CodePageOfCharset(int charset);

// True when the charset's code page uses lead and trail bytes (GBK, Big5, ...).
bool IsDoubleByteCharset(int charset);

// Bytes in the code page of charset -> UTF-8. On failure returns false, leaves
// out empty and sets *badOffset (when given) to the offset of the first byte
// that does not decode.
bool CharsetToUtf8(std::string_view bytes, int charset, std::string& out,
                   std::size_t* badOffset = nullptr);

// UTF-8 -> bytes in the code page of charset. On failure (a character the code
// page cannot hold, or input that is not UTF-8) returns false, leaves out empty
// and sets *badOffset to the offset of the offending character in utf8.
bool Utf8ToCharset(std::string_view utf8, int charset, std::string& out,
                   std::size_t* badOffset = nullptr);

// Score text -> UTF-8 for display; nullopt when the bytes do not decode.
std::optional<std::string> DecodeForDisplay(std::string_view bytes, int charset);

// Text typed by the user (UTF-8) -> bytes to store in the score; nullopt when a
// character cannot be held by the code page (the caller refuses the input with
// a message).
std::optional<std::string> EncodeFromUserInput(std::string_view utf8, int charset);

// Length of the longest prefix of bytes that is at most maxBytes long and ends
// at a character boundary of the charset's code page (never between a lead and
// a trail byte). Text that already fits keeps its whole length.
std::size_t CharBoundaryLength(std::string_view bytes, int charset, std::size_t maxBytes);

// bytes cut to at most maxBytes at a character boundary.
std::string CutToBytes(std::string_view bytes, int charset, std::size_t maxBytes);
