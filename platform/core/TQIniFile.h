#pragma once
// Windows-style ini files.
//
//   [Section]
//   Key=value
//
// Sections and keys are found ignoring ASCII letter case; blanks around a key
// and around a value are trimmed; the value is the raw text to the end of the
// line (a value enclosed in one pair of matching double or single quotes is
// read without them, as Windows does). Lines that start with ';' and lines
// without '=' are not keys; they are kept as they are when the file is
// rewritten. CR LF and LF line ends are both read; a rewritten file keeps the
// line end it had (LF for a new file).
//
// A file is parsed once and kept while it stays the file that was read (the
// same file, size and change times, checked at every call), so whatever
// another writer stored before is always seen, and hundreds of reads of a
// large file cost one parse. A missing file, section or key gives the
// caller's default; so does a file longer than 16 MiB, which is not a
// settings file. Every write rewrites the whole file through the safe
// replacement of files, keeping every other section, key, their order and
// unrelated lines; a write that would make the file longer than the reader
// takes fails and leaves the file as it was.
#include <string>
#include <utility>
#include <vector>

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // Decimal, or hexadecimal written "0x..." or "$..."; text that is not a
    // whole 32-bit number gives def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // Decimal text with '.' whatever the locale; text that is not a number,
    // NaN and infinities give def.
    double ReadFloat(const std::string& section, const std::string& key, double def) const;
    // An integer: 0 is false, any other number true; no number gives def.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // The writes return false when the file could not be written (it is then
    // unchanged) or when the text cannot be stored in the format (a line break
    // in a value, a '=' or line break in a key, a ']' or line break in a
    // section name, an empty key or section).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    // Written with the shortest text that reads back as the same double.
    bool WriteFloat(const std::string& section, const std::string& key, double value);
    bool WriteBool(const std::string& section, const std::string& key, bool value); // "1" / "0"
    // Several keys of one section in one rewrite of the file, in the given
    // order (keys new to the section are added in that order). A pair that
    // cannot be stored is skipped and makes the result false; the others are
    // written all the same.
    bool WriteValues(const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values);

    // The file exists but cannot be read (too long, not readable): reads give
    // the defaults and writes fail.
    bool Unreadable() const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // The keys of a section, in file order (each once).
    std::vector<std::string> ReadSection(const std::string& section) const;
    // The names of all sections, in file order.
    std::vector<std::string> ReadSections() const;
    // Removes a section with all its lines; true also when there was none.
    bool EraseSection(const std::string& section);
    // Removes a key; true also when there was none.
    bool DeleteKey(const std::string& section, const std::string& key);

    // Text forms, shared with the readers of other ini-like data.
    static bool ParseInteger(const std::string& text, int& value);
    static bool ParseFloat(const std::string& text, double& value);
    static std::string FormatFloat(double value);

private:
    std::string fileName_;
};
