#include "platform/core/TQCodec.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <utility>

namespace {

enum class TCodePage { Cp1252, Symbol, Iconv };

struct TCharsetInfo {
    TCodePage kind;
    const char* name; // iconv name
    bool doubleByte;
};

TCharsetInfo CharsetInfo(int charset) {
    switch (charset) {
    case 0: return {TCodePage::Cp1252, "CP1252", false};
    case 2: return {TCodePage::Symbol, nullptr, false};
    case 77: return {TCodePage::Iconv, "MACINTOSH", false};
    case 128: return {TCodePage::Iconv, "CP932", true};
    case 129: return {TCodePage::Iconv, "CP949", true};
    case 130: return {TCodePage::Iconv, "JOHAB", true};
    case 136: return {TCodePage::Iconv, "CP950", true};
    case 161: return {TCodePage::Iconv, "CP1253", false};
    case 162: return {TCodePage::Iconv, "CP1254", false};
    case 163: return {TCodePage::Iconv, "CP1258", false};
    case 177: return {TCodePage::Iconv, "CP1255", false};
    case 178: return {TCodePage::Iconv, "CP1256", false};
    case 186: return {TCodePage::Iconv, "CP1257", false};
    case 204: return {TCodePage::Iconv, "CP1251", false};
    case 222: return {TCodePage::Iconv, "CP874", false};
    case 238: return {TCodePage::Iconv, "CP1250", false};
    default: // 1 DEFAULT, 134 GB2312, 255 OEM and unknown numbers: the Chinese system code page
        return {TCodePage::Iconv, "CP936", true};
    }
}

// Lead bytes of the double-byte code pages.
bool IsLeadByte(const char* codePage, unsigned char b) {
    if (std::strcmp(codePage, "CP932") == 0)
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (std::strcmp(codePage, "JOHAB") == 0)
        return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    return b >= 0x81 && b <= 0xFE; // CP936, CP949, CP950
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Strict UTF-8 decoding of one character at pos: no overlong forms, no
// surrogates, nothing above U+10FFFF. Returns the length used, 0 when invalid.
std::size_t NextUtf8(std::string_view s, std::size_t pos, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + len > s.size())
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return len;
}

// Windows-1252 as Windows converts it: the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the
// same number, so every byte string of this charset decodes and round-trips.
struct TCp1252Table {
    std::array<char32_t, 256> toUnicode{};
    std::map<char32_t, unsigned char> fromUnicode;

    TCp1252Table() {
        iconv_t cd = iconv_open("UTF-32LE", "CP1252");
        for (int b = 0; b < 256; ++b) {
            char32_t c = static_cast<char32_t>(b); // the C1 fallback
            if (cd != reinterpret_cast<iconv_t>(-1)) {
                char in = static_cast<char>(b);
                unsigned char out[4] = {};
                char* inp = &in;
                char* outp = reinterpret_cast<char*>(out);
                std::size_t inLeft = 1, outLeft = 4;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
                    outLeft == 0)
                    c = out[0] | (out[1] << 8) | (out[2] << 16) | (char32_t(out[3]) << 24);
            }
            toUnicode[b] = c;
            fromUnicode.emplace(c, static_cast<unsigned char>(b));
        }
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

const TCp1252Table& Cp1252() {
    static const TCp1252Table table;
    return table;
}

// Conversion descriptors are opened once per thread and direction.
class TIconvCache {
public:
    ~TIconvCache() {
        for (auto& [key, cd] : open_)
            iconv_close(cd);
    }
    iconv_t Get(const char* to, const char* from) {
        auto key = std::make_pair(std::string(to), std::string(from));
        auto it = open_.find(key);
        if (it != open_.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr); // back to the initial state
            return it->second;
        }
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1))
            return cd;
        open_.emplace(std::move(key), cd);
        return cd;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> open_;
};

bool IconvConvert(const char* to, const char* from, std::string_view in, std::string& out,
                  std::size_t* badOffset) {
    thread_local TIconvCache cache;
    out.clear();
    iconv_t cd = cache.Get(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (badOffset)
            *badOffset = 0;
        return false;
    }
    std::string buf(in.size() * 2 + 16, '\0');
    char* inp = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t used = 0;
    for (;;) {
        char* outp = buf.data() + used;
        std::size_t outLeft = buf.size() - used;
        std::size_t rc = iconv(cd, inLeft ? &inp : nullptr, &inLeft, &outp, &outLeft);
        used = buf.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                // flush any shift state
                outp = buf.data() + used;
                outLeft = buf.size() - used;
                if (outLeft < 16) {
                    buf.resize(buf.size() + 16);
                    continue;
                }
                if (iconv(cd, nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1)) {
                    if (badOffset)
                        *badOffset = in.size();
                    return false;
                }
                used = buf.size() - outLeft;
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            buf.resize(buf.size() * 2);
            continue;
        }
        // EILSEQ: undefined or unrepresentable; EINVAL: incomplete at the end
        if (badOffset)
            *badOffset = static_cast<std::size_t>(inp - in.data());
        return false;
    }
    buf.resize(used);
    out = std::move(buf);
    return true;
}

} // namespace

const char* CodePageOfCharset(int charset) {
    return CharsetInfo(charset).name;
}

bool IsDoubleByteCharset(int charset) {
    return CharsetInfo(charset).doubleByte;
}

bool CharsetToUtf8(std::string_view bytes, int charset, std::string& out, std::size_t* badOffset) {
    const TCharsetInfo info = CharsetInfo(charset);
    out.clear();
    switch (info.kind) {
    case TCodePage::Symbol:
        for (unsigned char b : bytes)
            AppendUtf8(out, b);
        return true;
    case TCodePage::Cp1252: {
        const auto& table = Cp1252();
        for (unsigned char b : bytes)
            AppendUtf8(out, table.toUnicode[b]);
        return true;
    }
    case TCodePage::Iconv:
        break;
    }
    return IconvConvert("UTF-8", info.name, bytes, out, badOffset);
}

bool Utf8ToCharset(std::string_view utf8, int charset, std::string& out, std::size_t* badOffset) {
    const TCharsetInfo info = CharsetInfo(charset);
    out.clear();
    if (info.kind == TCodePage::Iconv) {
        // iconv drops the Unicode tag characters (U+E0000..U+E007F) without a
        // word; they and broken UTF-8 are refused here instead.
        for (std::size_t pos = 0; pos < utf8.size();) {
            char32_t c;
            const std::size_t len = NextUtf8(utf8, pos, c);
            if (len == 0 || (c >= 0xE0000 && c <= 0xE007F)) {
                if (badOffset)
                    *badOffset = pos;
                return false;
            }
            pos += len;
        }
        return IconvConvert(info.name, "UTF-8", utf8, out, badOffset);
    }
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c;
        const std::size_t len = NextUtf8(utf8, pos, c);
        bool ok = len != 0;
        if (ok) {
            if (info.kind == TCodePage::Symbol) {
                ok = c <= 0xFF;
                if (ok)
                    result += static_cast<char>(c);
            } else {
                const auto& table = Cp1252().fromUnicode;
                auto it = table.find(c);
                ok = it != table.end();
                if (ok)
                    result += static_cast<char>(it->second);
            }
        }
        if (!ok) {
            if (badOffset)
                *badOffset = pos;
            return false;
        }
        pos += len;
    }
    out = std::move(result);
    return true;
}

std::optional<std::string> DecodeForDisplay(std::string_view bytes, int charset) {
    std::string out;
    if (!CharsetToUtf8(bytes, charset, out))
        return std::nullopt;
    return out;
}

std::optional<std::string> EncodeFromUserInput(std::string_view utf8, int charset) {
    std::string out;
    if (!Utf8ToCharset(utf8, charset, out))
        return std::nullopt;
    return out;
}

std::size_t CharBoundaryLength(std::string_view bytes, int charset, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes)
        return bytes.size();
    const TCharsetInfo info = CharsetInfo(charset);
    if (!info.doubleByte)
        return maxBytes;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // a lead byte always takes the byte after it, as the Windows text
        // routines step through double-byte text
        const std::size_t len =
            IsLeadByte(info.name, static_cast<unsigned char>(bytes[pos])) && pos + 1 < bytes.size()
                ? 2
                : 1;
        if (pos + len > maxBytes)
            break;
        pos += len;
    }
    return pos;
}

std::string CutToBytes(std::string_view bytes, int charset, std::size_t maxBytes) {
    return std::string(bytes.substr(0, CharBoundaryLength(bytes, charset, maxBytes)));
}
