#include "platform/core/TQIniFile.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <ctime>
#include <unordered_map>

#include "platform/core/TQFiles.h"

namespace {

// An ini file bigger than this is not a settings file; it reads as missing.
constexpr std::size_t kMaxIniBytes = std::size_t(16) << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class TLineKind { Other, Section, Key };

struct TIniLine {
    std::string text; // the line as stored, without its line end
    TLineKind kind = TLineKind::Other;
    std::string name;  // section name or key
    std::string value; // key value, trimmed
};

void ParseLine(TIniLine& line, bool first) {
    std::string_view s = line.text;
    if (first && s.substr(0, 3) == "\xEF\xBB\xBF") // UTF-8 byte order mark
        s.remove_prefix(3);
    s = Trim(s);
    line.kind = TLineKind::Other;
    if (s.empty() || s.front() == ';')
        return;
    if (s.front() == '[') {
        s.remove_prefix(1);
        std::size_t close = s.find(']');
        line.kind = TLineKind::Section;
        line.name = std::string(Trim(s.substr(0, close)));
        return;
    }
    std::size_t eq = s.find('=');
    if (eq == std::string_view::npos)
        return;
    std::string_view key = Trim(s.substr(0, eq));
    if (key.empty())
        return;
    line.kind = TLineKind::Key;
    line.name = std::string(key);
    line.value = std::string(Trim(s.substr(eq + 1)));
}

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct TIniDoc {
    std::vector<TIniLine> lines;
    std::string eol = "\n";
    bool loaded = false; // the file existed and was read
    // Where the reads look: the first header of each section and the first
    // key of each name in that section, by their letter-case-folded names.
    std::unordered_map<std::string, int> sectionAt;
    std::unordered_map<std::string, int> keyAt; // section + '\n' + key

    void Index() {
        sectionAt.clear();
        keyAt.clear();
        std::string section;
        bool first = false; // inside the first section of its name
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const TIniLine& line = lines[i];
            if (line.kind == TLineKind::Section) {
                section = Folded(line.name);
                first = sectionAt.emplace(section, static_cast<int>(i)).second;
            } else if (line.kind == TLineKind::Key && first) {
                keyAt.emplace(section + '\n' + Folded(line.name), static_cast<int>(i));
            }
        }
    }

    const TIniLine* FindIndexed(const std::string& section, const std::string& key) const {
        const auto it = keyAt.find(Folded(section) + '\n' + Folded(key));
        return it == keyAt.end() ? nullptr : &lines[static_cast<std::size_t>(it->second)];
    }

    // A file that exists but cannot be read is never replaced: its content
    // would be lost.
    bool Writable(const std::string& fileName) const { return loaded || !FileExists(fileName); }

    std::string raw; // the file's bytes as read or written

    // Parses data, the bytes of a file read when loaded is set.
    void Parse(std::string data) {
        lines.clear();
        raw.clear();
        if (!loaded)
            return;
        std::size_t firstLf = data.find('\n');
        if (firstLf != std::string::npos && firstLf > 0 && data[firstLf - 1] == '\r')
            eol = "\r\n";
        std::size_t pos = 0;
        while (pos < data.size()) {
            std::size_t lf = data.find('\n', pos);
            std::size_t end = lf == std::string::npos ? data.size() : lf;
            std::size_t textEnd = end;
            // Every CR before the line feed goes: a line ending in CR CR LF
            // would otherwise keep one that the next save turns into a line end.
            while (textEnd > pos && data[textEnd - 1] == '\r')
                --textEnd;
            TIniLine line;
            line.text = data.substr(pos, textEnd - pos);
            ParseLine(line, lines.empty());
            lines.push_back(std::move(line));
            pos = lf == std::string::npos ? data.size() : lf + 1;
        }
        raw = std::move(data);
    }

    // Never writes a file that the reader would refuse.
    bool Save(const std::string& fileName) {
        std::string data;
        for (const TIniLine& line : lines) {
            data += line.text;
            data += eol;
        }
        if (data.size() > kMaxIniBytes || !WriteFileAtomic(fileName, data))
            return false;
        raw = std::move(data);
        return true;
    }

    // Index of the first header of the section, -1 when none.
    int FindSection(const std::string& section) const {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].kind == TLineKind::Section && SameText(lines[i].name, section))
                return static_cast<int>(i);
        return -1;
    }

    // One past the last line of the section that starts at header index s.
    std::size_t SectionEnd(int s) const {
        std::size_t i = static_cast<std::size_t>(s) + 1;
        while (i < lines.size() && lines[i].kind != TLineKind::Section)
            ++i;
        return i;
    }

    int FindKey(int s, const std::string& key) const {
        if (s < 0)
            return -1;
        std::size_t end = SectionEnd(s);
        for (std::size_t i = static_cast<std::size_t>(s) + 1; i < end; ++i)
            if (lines[i].kind == TLineKind::Key && SameText(lines[i].name, key))
                return static_cast<int>(i);
        return -1;
    }
};

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The parsed files, kept while the file on disk stays the one that was read
// (same file, size and change times): a program reads hundreds of settings
// at its start, and each read of a large file must not parse it again. A file
// written by this program is kept as written; one changed by anyone else is
// read afresh.
struct TFileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtime = 0, ctime = 0;
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::string& fileName) {
    TFileStamp stamp;
    struct stat st;
    if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.dev = st.st_dev;
    stamp.ino = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.ctime = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    return stamp;
}

struct TCachedDoc {
    TFileStamp stamp;
    std::shared_ptr<const TIniDoc> doc;
};

std::mutex gCacheMutex;
std::unordered_map<std::string, TCachedDoc>& Cache() {
    static std::unordered_map<std::string, TCachedDoc> cache;
    return cache;
}
constexpr std::size_t kMaxCachedFiles = 16;

void Remember(const std::string& fileName, const TFileStamp& stamp, std::shared_ptr<const TIniDoc> doc) {
    std::lock_guard<std::mutex> lock(gCacheMutex);
    auto& cache = Cache();
    if (!stamp.exists) {
        cache.erase(fileName);
        return;
    }
    if (cache.size() >= kMaxCachedFiles && cache.find(fileName) == cache.end())
        cache.clear();
    cache[fileName] = {stamp, std::move(doc)};
}

// The file as it is now, parsed once while it does not change.
std::shared_ptr<const TIniDoc> LoadDoc(const std::string& fileName) {
    const TFileStamp before = StampOf(fileName);
    std::shared_ptr<const TIniDoc> cached;
    {
        std::lock_guard<std::mutex> lock(gCacheMutex);
        const auto it = Cache().find(fileName);
        if (it != Cache().end() && before.exists && it->second.stamp == before)
            cached = it->second.doc;
    }
    // A file changed within the last two seconds may have been changed again
    // within the same tick of the file system's clock, to the same size: its
    // bytes are compared with those parsed (a read, no parse).
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long nowNs = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    const bool settled = nowNs - before.mtime > 2000000000LL;
    if (cached && settled)
        return cached;
    std::string data;
    const bool read = ReadWholeFile(fileName, data, kMaxIniBytes);
    if (cached && read && data == cached->raw)
        return cached;
    auto doc = std::make_shared<TIniDoc>();
    doc->loaded = read;
    doc->Parse(std::move(data));
    doc->Index();
    // Kept only when the file did not change while it was read.
    if (doc->loaded && StampOf(fileName) == before)
        Remember(fileName, before, doc);
    return doc;
}

// Writes doc as the file and keeps it as the file's parsed form.
bool SaveDoc(const std::string& fileName, TIniDoc& doc) {
    if (!doc.Save(fileName)) {
        Remember(fileName, TFileStamp{}, nullptr);
        return false;
    }
    doc.loaded = true;
    doc.Index();
    Remember(fileName, StampOf(fileName), std::make_shared<TIniDoc>(std::move(doc)));
    return true;
}

} // namespace

bool TIniFile::ParseInteger(const std::string& textIn, int& value) {
    std::string_view s = Trim(textIn);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return false;
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size())
        return false;
    std::int64_t v;
    if (base == 16) {
        // up to 32 bits of hex, wrapping into the sign as Windows does
        if (magnitude > 0xFFFFFFFFull)
            return false;
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        if (negative)
            v = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(magnitude));
    } else {
        if (magnitude > (negative ? 2147483648ull : 2147483647ull))
            return false;
        v = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    }
    value = static_cast<int>(v);
    return true;
}

bool TIniFile::ParseFloat(const std::string& textIn, double& value) {
    std::string_view s = Trim(textIn);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-')
            return false;
    }
    if (s.empty())
        return false;
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::string TIniFile::FormatFloat(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    const auto doc = LoadDoc(fileName_);
    const TIniLine* line = doc->FindIndexed(section, key);
    return line ? Unquoted(line->value) : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const auto doc = LoadDoc(fileName_);
    const TIniLine* line = doc->FindIndexed(section, key);
    int v;
    return line && ParseInteger(Unquoted(line->value), v) ? v : def;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
    const auto doc = LoadDoc(fileName_);
    const TIniLine* line = doc->FindIndexed(section, key);
    double v;
    return line && ParseFloat(Unquoted(line->value), v) ? v : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

namespace {

bool StorableEntry(const std::string& section, const std::string& key, const std::string& value) {
    return !Trim(section).empty() && !Trim(key).empty() && !HasLineBreak(section) &&
           !HasLineBreak(key) && !HasLineBreak(value) && section.find(']') == std::string::npos &&
           key.find('=') == std::string::npos && Trim(key).front() != ';' &&
           Trim(key).front() != '[';
}

// Sets key = value in the document: in place when the key exists (keeping the
// key as it was spelt), else after the last key of the section, else in a new
// section at the end.
void SetValue(TIniDoc& doc, const std::string& section, const std::string& key,
              const std::string& value) {
    int s = doc.FindSection(section);
    if (s < 0) {
        TIniLine header;
        header.text = "[" + section + "]";
        ParseLine(header, doc.lines.empty());
        doc.lines.push_back(std::move(header));
        s = static_cast<int>(doc.lines.size()) - 1;
    }
    int k = doc.FindKey(s, key);
    if (k >= 0) {
        TIniLine& line = doc.lines[static_cast<std::size_t>(k)];
        line.text = line.name + "=" + value;
        ParseLine(line, k == 0);
        return;
    }
    std::size_t end = doc.SectionEnd(s);
    std::size_t at = static_cast<std::size_t>(s) + 1;
    for (std::size_t i = at; i < end; ++i)
        if (doc.lines[i].kind == TLineKind::Key)
            at = i + 1;
    TIniLine line;
    line.text = key + "=" + value;
    ParseLine(line, false);
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

} // namespace

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    return WriteValues(section, {{key, value}});
}

bool TIniFile::WriteValues(const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& values) {
    bool allStorable = true;
    for (const auto& [key, value] : values)
        allStorable = allStorable && StorableEntry(section, key, value);
    TIniDoc doc = *LoadDoc(fileName_);
    if (!doc.Writable(fileName_))
        return false;
    bool any = false;
    for (const auto& [key, value] : values) {
        if (!StorableEntry(section, key, value))
            continue;
        SetValue(doc, section, key, value);
        any = true;
    }
    if (!any)
        return false;
    return SaveDoc(fileName_, doc) && allStorable;
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
    return WriteString(section, key, FormatFloat(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
    const auto doc = LoadDoc(fileName_);
    return doc->sectionAt.count(Folded(section)) != 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return LoadDoc(fileName_)->FindIndexed(section, key) != nullptr;
}

bool TIniFile::Unreadable() const {
    return FileExists(fileName_) && !LoadDoc(fileName_)->loaded;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    const std::shared_ptr<const TIniDoc> held = LoadDoc(fileName_);
    const TIniDoc& doc = *held;
    std::vector<std::string> keys;
    int s = doc.FindSection(section);
    if (s < 0)
        return keys;
    std::size_t end = doc.SectionEnd(s);
    for (std::size_t i = static_cast<std::size_t>(s) + 1; i < end; ++i) {
        const TIniLine& line = doc.lines[i];
        if (line.kind != TLineKind::Key)
            continue;
        bool seen = false;
        for (const std::string& k : keys)
            seen = seen || SameText(k, line.name);
        if (!seen)
            keys.push_back(line.name);
    }
    return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
    const std::shared_ptr<const TIniDoc> held = LoadDoc(fileName_);
    const TIniDoc& doc = *held;
    std::vector<std::string> names;
    for (const TIniLine& line : doc.lines) {
        if (line.kind != TLineKind::Section)
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || SameText(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

bool TIniFile::EraseSection(const std::string& section) {
    TIniDoc doc = *LoadDoc(fileName_);
    if (!doc.Writable(fileName_))
        return false;
    bool changed = false;
    for (int s = doc.FindSection(section); s >= 0; s = doc.FindSection(section)) {
        std::size_t end = doc.SectionEnd(s);
        doc.lines.erase(doc.lines.begin() + s, doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
        changed = true;
    }
    return !changed || SaveDoc(fileName_, doc);
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    TIniDoc doc = *LoadDoc(fileName_);
    if (!doc.Writable(fileName_))
        return false;
    int s = doc.FindSection(section);
    int k = doc.FindKey(s, key);
    if (k < 0)
        return true;
    doc.lines.erase(doc.lines.begin() + k);
    return SaveDoc(fileName_, doc);
}
