#include "platform/core/TQFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of the last separator or drive colon, npos when none.
std::size_t LastDelimiter(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (IsPathSeparator(c) || c == ':')
            return i - 1;
    }
    return std::string_view::npos;
}

// Position of the dot that starts the extension, npos when none.
std::size_t ExtDot(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '.')
            return i - 1;
        if (IsPathSeparator(c) || c == ':')
            break;
    }
    return std::string_view::npos;
}

// A normalised form for comparing paths: '/' separators, no trailing separator.
std::string NormalisedPath(std::string_view path) {
    std::string s = ToSlashes(path);
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

struct TPrivateTemp {
    std::mutex lock;
    std::string folder; // with trailing '/', "" while not made
    bool exitHookInstalled = false;
};

TPrivateTemp& PrivateTemp() {
    static TPrivateTemp* state = new TPrivateTemp; // lives until the exit hook has run
    return *state;
}

void RemovePrivateTempAtExit() {
    TQRemovePrivateTempFolder();
}

} // namespace

// --- folders of the program ---

std::string TQProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    fs::path folder = ec ? fs::current_path(ec) : exe.parent_path();
    return IncludeTrailingSeparator(folder.string());
}

std::string TQUserFolder() {
    std::string folder;
    if (const char* home = std::getenv("TONQUILL_HOME"); home && *home) {
        folder = home;
    } else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        folder = std::string(xdg) + "/tonquill";
    } else {
        const char* h = std::getenv("HOME");
        folder = std::string(h && *h ? h : ".") + "/.local/share/tonquill";
    }
    folder = IncludeTrailingSeparator(folder);
    ForceDirectories(folder);
    return folder;
}

std::string TQPrivateTempFolder() {
    TPrivateTemp& state = PrivateTemp();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.folder.empty() && DirectoryExists(state.folder))
        return state.folder;
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    std::string pattern = (base / ("tonquill-" + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) // mkdtemp makes the folder with mode 0700
        return {};
    state.folder = IncludeTrailingSeparator(pattern);
    if (!state.exitHookInstalled) {
        state.exitHookInstalled = true;
        std::atexit(RemovePrivateTempAtExit);
    }
    return state.folder;
}

void TQRemovePrivateTempFolder() {
    TPrivateTemp& state = PrivateTemp();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.folder.empty())
        return;
    std::error_code ec;
    fs::remove_all(state.folder, ec);
    state.folder.clear();
}

std::string TQGetTempFileName(const std::string& folder, const std::string& prefix) {
    std::string dir = folder.empty() ? TQPrivateTempFolder() : IncludeTrailingSeparator(folder);
    if (dir.empty())
        return {};
    const std::string pre = prefix.substr(0, 3);
    static std::mt19937 rng(std::random_device{}());
    unsigned start = rng() & 0xFFFF;
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned n = 0; n < 0x10000; ++n) {
        unsigned u = (start + n) & 0xFFFF;
        if (u == 0)
            continue; // Windows never uses 0
        std::string name = pre;
        for (int shift = 12; shift >= 0; shift -= 4)
            name += hex[(u >> shift) & 0xF];
        std::string path = dir + name + ".TMP";
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

// --- Windows-style path texts ---

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::vector<std::string> SplitWinPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (IsPathSeparator(c)) {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

std::string ExtractFileName(std::string_view path) {
    std::size_t d = LastDelimiter(path);
    return std::string(d == std::string_view::npos ? path : path.substr(d + 1));
}

std::string ExtractFilePath(std::string_view path) {
    std::size_t d = LastDelimiter(path);
    return d == std::string_view::npos ? std::string() : std::string(path.substr(0, d + 1));
}

std::string ExtractFileExt(std::string_view path) {
    std::size_t dot = ExtDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    std::size_t dot = ExtDot(path);
    std::string s(dot == std::string_view::npos ? path : path.substr(0, dot));
    s += ext;
    return s;
}

std::string IncludeTrailingSeparator(std::string_view path) {
    std::string s(path);
    if (!s.empty() && !IsPathSeparator(s.back()))
        s += '/';
    return s;
}

std::string ToSlashes(std::string_view path) {
    std::string s(path);
    for (char& c : s)
        if (c == '\\')
            c = '/';
    return s;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool SameFolder(std::string_view a, std::string_view b) {
    return SameText(NormalisedPath(a), NormalisedPath(b));
}

bool SameFileName(std::string_view a, std::string_view b) {
    return SameText(NormalisedPath(a), NormalisedPath(b));
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    // iterative wildcard match with back-tracking to the last '*'
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || LowerAscii(mask[m]) == LowerAscii(name[n]))) {
            ++n, ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// --- the file system ---

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t FileLength(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

int OpenRegularFile(const std::string& path) {
    // Checked before the open, so that no device is ever opened; and again on
    // the descriptor, opened without blocking, for a FIFO put there meanwhile.
    if (!FileExists(path))
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

FILE* OpenRegularFileStream(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return nullptr;
    FILE* f = ::fdopen(fd, "rb");
    if (!f)
        ::close(fd);
    return f;
}

int DeleteMatchingFiles(const std::string& folder, const std::string& mask) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    if (ec)
        return 0;
    int count = 0;
    for (; it != end; it.increment(ec)) {
        if (ec)
            break;
        const fs::directory_entry& entry = *it;
        std::error_code e2;
        if (entry.is_directory(e2) && !entry.is_symlink(e2))
            continue;
        if (!MatchesMask(entry.path().filename().string(), mask))
            continue;
        if (fs::remove(entry.path(), e2))
            ++count;
    }
    return count;
}

bool ForceDirectories(const std::string& folder) {
    if (folder.empty())
        return false;
    std::error_code ec;
    fs::create_directories(fs::path(folder), ec);
    return DirectoryExists(folder);
}

std::string ResolveStoredPath(const std::string& stored, const std::string& folder) {
    if (stored.empty())
        return {};
    const std::string slashed = ToSlashes(stored);
    const std::string dir = folder.empty() ? std::string() : IncludeTrailingSeparator(ToSlashes(folder));
    if (slashed.front() == '/') {
        if (FileExists(stored))
            return stored;
        if (FileExists(slashed))
            return slashed;
    } else if (!dir.empty() && slashed.find('/') != std::string::npos) {
        if (FileExists(dir + slashed))
            return dir + slashed;
    }
    const std::string base = ExtractFileName(stored);
    if (base.empty() || base == "." || base == ".." || dir.empty())
        return {};
    if (FileExists(dir + base))
        return dir + base;
    std::error_code ec;
    fs::directory_iterator it(dir, ec), end;
    if (ec)
        return {};
    for (; it != end; it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().string();
        if (SameText(name, base) && FileExists(dir + name))
            return dir + name;
    }
    return {};
}

std::string AbsoluteNormalPath(const std::string& path, const std::string& folder) {
    fs::path p(ToSlashes(path));
    if (!p.is_absolute()) {
        std::error_code ec;
        fs::path base = folder.empty() ? fs::current_path(ec) : fs::path(ToSlashes(folder));
        if (!base.is_absolute())
            base = fs::current_path(ec) / base;
        p = base / p;
    }
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool IsInsideFolder(const std::string& file, const std::string& folder) {
    if (file.empty() || folder.empty())
        return false;
    std::error_code ec;
    const fs::path real = fs::canonical(fs::path(file), ec);
    if (ec)
        return false;
    const fs::path root = fs::canonical(fs::path(folder), ec);
    if (ec)
        return false;
    auto r = root.begin();
    auto f = real.begin();
    for (; r != root.end(); ++r, ++f)
        if (f == real.end() || *f != *r)
            return false;
    return f != real.end();
}

// --- safe replacement of a file ---

TAtomicFileWriter::TAtomicFileWriter(std::string target, bool durable)
    : target_(std::move(target)), durable_(durable) {}

TAtomicFileWriter::~TAtomicFileWriter() {
    Abort();
}

bool TAtomicFileWriter::Open() {
    Abort();
    failed_ = false;
    if (target_.empty())
        return false;
    // Through a symbolic link the file it points at is replaced, not the link.
    std::error_code ec;
    if (fs::is_symlink(target_, ec)) {
        fs::path real = fs::weakly_canonical(target_, ec);
        if (!ec)
            target_ = real.string();
    }
    const std::string dir = ExtractFilePath(target_);
    std::string pattern = dir + "." + ExtractFileName(target_) + ".XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;
    struct stat st;
    mode_t mode = (::stat(target_.c_str(), &st) == 0) ? (st.st_mode & 07777)
                                                      : (0666 & ~CurrentUmask());
    ::fchmod(fd, mode);
    stream_ = ::fdopen(fd, "wb");
    if (!stream_) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    temp_ = pattern;
    return true;
}

bool TAtomicFileWriter::Write(const void* data, std::size_t size) {
    if (!stream_) {
        failed_ = true;
        return false;
    }
    if (size && std::fwrite(data, 1, size, stream_) != size)
        failed_ = true;
#ifdef __linux__
    // A durable file is synced whole at the commit; starting the disk writes
    // of every finished 8 MB here lets them run while the rest is still being
    // made, so that the final sync finds little left to do.
    constexpr long kWriteBehind = 8L << 20;
    if (durable_ && !failed_ && size) {
        const long end = std::ftell(stream_);
        const long from = (end - long(size)) / kWriteBehind * kWriteBehind;
        const long to = end / kWriteBehind * kWriteBehind;
        if (end > 0 && to > from && std::fflush(stream_) == 0)
            ::sync_file_range(fileno(stream_), from, to - from, SYNC_FILE_RANGE_WRITE);
    }
#endif
    return !failed_;
}

bool TAtomicFileWriter::Commit() {
    if (!stream_)
        return false;
    bool ok = !failed_;
    if (std::fflush(stream_) != 0 || std::ferror(stream_))
        ok = false;
    if (ok && durable_ && ::fsync(fileno(stream_)) != 0)
        ok = false;
    if (std::fclose(stream_) != 0)
        ok = false;
    stream_ = nullptr;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) != 0)
        ok = false;
    if (!ok) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    if (!durable_)
        return true;
    // make the rename itself durable
    std::string dir = ExtractFilePath(target_);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

void TAtomicFileWriter::Abort() {
    if (stream_) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

int RemoveLeftoverTemporaries(const std::string& target) {
    std::error_code ec;
    std::string real = target;
    if (fs::is_symlink(target, ec)) {
        fs::path p = fs::weakly_canonical(target, ec);
        if (!ec)
            real = p.string();
    }
    const std::string prefix = "." + ExtractFileName(real) + ".";
    const std::string dir = ExtractFilePath(real);
    fs::directory_iterator it(dir.empty() ? "." : dir, ec), end;
    if (ec)
        return 0;
    int count = 0;
    for (; it != end; it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(),
                         [](unsigned char c) { return std::isalnum(c) != 0; }))
            continue;
        std::error_code e2;
        if (it->is_regular_file(e2) && !it->is_symlink(e2) && fs::remove(it->path(), e2))
            ++count;
    }
    return count;
}

bool WriteFileAtomic(const std::string& target, std::string_view data, bool durable) {
    TAtomicFileWriter writer(target, durable);
    return writer.Open() && writer.Write(data) && writer.Commit();
}

bool ReadWholeFile(const std::string& path, std::string& data, std::size_t maxBytes) {
    data.clear();
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return false;
    }
    // One read of the size the file has now; a file that grows meanwhile is
    // read on to its end, one that shrinks gives what it holds.
    const std::size_t want = static_cast<std::size_t>(st.st_size);
    data.resize(want);
    std::size_t got = 0;
    bool ok = true;
    while (ok && got < want) {
        const ssize_t n = ::read(fd, data.data() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        else if (n == 0)
            break;
        else
            got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    while (ok && got == want) {
        char buf[65536];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ok = false;
            break;
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok)
        data.clear();
    return ok;
}
