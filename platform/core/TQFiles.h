#pragma once
// Files and folders.
//
// Folder strings returned here end with '/'. Paths stored by the Windows program
// (in scores, books, history lists) may use '\' and drive letters; the path
// helpers accept both separators and "C:" prefixes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// --- folders of the program ---

// Folder of the running executable, with a trailing '/'.
std::string TQProgramFolder();

// The user folder, where everything the program writes lives: $TONQUILL_HOME,
// else $XDG_DATA_HOME/tonquill, else ~/.local/share/tonquill. Created when
// missing. With a trailing '/'.
std::string TQUserFolder();

// A private temporary folder of this process (mode 0700), created on first use
// and removed when the program ends normally. With a trailing '/'; "" when it
// cannot be created.
std::string TQPrivateTempFolder();
// Removes the private temporary folder and everything in it now; the next
// TQPrivateTempFolder() makes a fresh one.
void TQRemovePrivateTempFolder();

// Creates a new, empty, uniquely named file in folder ("" means the private
// temporary folder), named by the first three characters of prefix, four hex
// digits and ".TMP", and returns its path; "" on failure.
std::string TQGetTempFileName(const std::string& folder, const std::string& prefix);

// --- Windows-style path texts ---

bool IsPathSeparator(char c); // '\' or '/'
// The parts of a path between separators (empty parts dropped).
std::vector<std::string> SplitWinPath(std::string_view path);
// The name after the last separator or drive colon.
std::string ExtractFileName(std::string_view path);
// Everything up to and including the last separator or drive colon.
std::string ExtractFilePath(std::string_view path);
// The extension with its dot ("" when the name has none).
std::string ExtractFileExt(std::string_view path);
// The path with its extension replaced by ext (which carries its dot, or is "").
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// path with '/' appended unless it already ends with a separator; "" stays "".
std::string IncludeTrailingSeparator(std::string_view path);
// '\' turned into '/'.
std::string ToSlashes(std::string_view path);

// ASCII case-insensitive comparison of texts.
bool SameText(std::string_view a, std::string_view b);
// Two folder paths name the same folder: separators of either kind, a trailing
// separator and letter case do not matter.
bool SameFolder(std::string_view a, std::string_view b);
// The same for file paths.
bool SameFileName(std::string_view a, std::string_view b);
// Windows wildcard match ('*' any run, '?' one character), ignoring case.
bool MatchesMask(std::string_view name, std::string_view mask);

// --- the file system ---

// A regular file (symbolic links followed): folders, FIFOs, devices and
// sockets are not files to this program.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path); // a folder
// Length of a regular file in bytes, -1 when there is none at path.
std::int64_t FileLength(const std::string& path);
// Opens a regular file for reading; -1 for anything else. A FIFO or device
// at path is refused without ever blocking on it, even when it takes the
// place of a file between a check and the open. The descriptor is blocking
// and close-on-exec.
int OpenRegularFile(const std::string& path);
// The same as a stdio stream opened "rb"; nullptr when refused.
FILE* OpenRegularFileStream(const std::string& path);
// Deletes every file (not folder) of folder whose name matches mask ("UDO*");
// returns how many were deleted. Failures of single deletions are skipped.
int DeleteMatchingFiles(const std::string& folder, const std::string& mask);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& folder);
// The file here that a stored (possibly Windows) path names, with '\' read as
// '/': an absolute path is taken as it is; a relative one with folders is
// taken in folder, never in the process's working folder; failing that, a file
// of the same base name in folder, the exact name first, then ignoring letter
// case. Only regular files count. "" when none.
std::string ResolveStoredPath(const std::string& stored, const std::string& folder);
// The absolute, lexically normal form of path ('\' read as '/', "." and ".."
// folded, no trailing separator); a relative path is taken in folder, or in
// the working folder when folder is "".
std::string AbsoluteNormalPath(const std::string& path, const std::string& folder = "");
// The real location of file (symbolic links resolved) lies inside folder or
// one of its sub-folders. False when either cannot be resolved.
bool IsInsideFolder(const std::string& file, const std::string& folder);

// --- safe replacement of a file ---

// Writes a file in place of target without ever leaving a half-written file:
// the data go to a temporary file beside the target, every write and the close
// (with fsync) are checked, and only then is the temporary renamed over the
// target. On any failure the temporary is removed and the old file stays.
//
//   TAtomicFileWriter w(path);
//   if (!w.Open()) ...;  w.Write(...) / fwrite(..., w.Stream());
//   if (!w.Commit()) ...report the write error...
class TAtomicFileWriter {
public:
    // durable: sync the data and the rename to the disk. Files that no one
    // needs after a crash (undo snapshots in the private temporary folder)
    // pass false and are still replaced whole.
    explicit TAtomicFileWriter(std::string target, bool durable = true);
    ~TAtomicFileWriter(); // aborts when not committed
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    bool Open();
    // The open stream, for writers that use stdio; nullptr when not open.
    FILE* Stream() const { return stream_; }
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, syncs, closes and renames over the target. False when anything
    // failed at any point (the target is then unchanged).
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abort();

    const std::string& Target() const { return target_; }
    const std::string& TempPath() const { return temp_; }

private:
    std::string target_;
    std::string temp_;
    FILE* stream_ = nullptr;
    bool failed_ = false;
    bool durable_ = true;
};

// Removes the temporary files that saves of target killed before their rename
// left beside it (".NAME.XXXXXX", six letters or digits); returns how many.
int RemoveLeftoverTemporaries(const std::string& target);

// Replaces target with data through TAtomicFileWriter.
bool WriteFileAtomic(const std::string& target, std::string_view data, bool durable = true);
// Reads a whole regular file; false when it cannot be opened or read, is not
// a regular file, or is longer than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& data,
                   std::size_t maxBytes = std::size_t(256) << 20);
