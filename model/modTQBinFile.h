#pragma once
// The binary score file (".mus"): writing and reading whole scores, the
// one-page undo snapshot files, and the image files carried inside a score.
//
// Layout (all numbers little-endian, fields packed):
//   header (158 bytes), page records of layer 0, i32 count of layer-1 pages,
//   [five filler words and the layer-1 page records], [image block].
// A page record is a start tag, one cell record per non-empty cell (rows, then
// columns; the spare row and column are never written) and an end tag.
//
// Reading is done into a fresh score that is made current only while the file
// is read; the score that was current is replaced only when the whole file was
// read. Every count, length and size is checked against what remains of the
// file. Saving writes a temporary file beside the target and renames it over
// the target only when everything was written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/modTQCell.h"

class TMainScore;
class TAtomicFileWriter;

// Tag words.
constexpr uint32_t kScoreFileTag = 0x059FBB93u;
constexpr uint32_t kPageStartTag = 0x059FBB94u;
constexpr uint32_t kPageEndTag = 0x059FBB95u;
constexpr uint32_t kCellTag = 0x059FBB96u;
constexpr uint32_t kImageBlockTag = 0x059FBB97u;
// Filler words, meaningless to readers.
constexpr int32_t kFillerWord = -64001;
constexpr uint32_t kHeaderFillerWord = 0xD023E9ACu;

// The format version written.
constexpr int kScoreFileVersion = 413;
// Size of the readers' text buffer; counted texts hold the text, a zero byte
// and a pad byte, so a text may be at most 1198 bytes long. Text entry refuses
// longer texts; the writer cuts longer ones at a character boundary.
constexpr std::size_t kTextBufferBytes = 1200;
constexpr std::size_t kMaxCellTextBytes = kTextBufferBytes - 2;
// Pictures of this size or more are referenced but not embedded.
constexpr std::int64_t kMaxEmbeddedImageBytes = 10000000;

// One picture to embed, collected while a score is written.
struct TCustomImgFile {
    char path[300] = {}; // zero-terminated, at most 299 characters
    int32_t size = 0;    // bytes, measured when collected
};

// The pictures collected by the save in progress; empty between saves.
extern std::vector<TCustomImgFile> EmbeddedImages;

// Helper object of the binary format.
class TBinScoreFile {
public:
    TMainScore* Main = nullptr; // the score it last worked for
    int StoredPage = 0;         // page that was current when the last opened file was saved
};
extern TBinScoreFile BinScoreFile;

// True when the file starts with the score tag.
bool IsBinaryScoreFile(const std::string& fileName);

// Writes the score of main. dropTrailingEmptyPages: user saves pass true,
// whole-score undo snapshots false. On failure reports 1043 and keeps the old file.
bool SaveBinaryScore(const std::string& fileName, TMainScore* main, bool dropTrailingEmptyPages);

// Reads a score into main. quiet: no messages, only page 1 of layer 0, no layer
// 1 and no images. On any failure main is left exactly as it was.
bool LoadBinaryScore(const std::string& fileName, TMainScore* main, bool quiet);

// The same reader on bytes already in memory; fileName names them in messages
// and gives the score's folder.
bool LoadBinaryScoreBytes(std::string_view bytes, const std::string& fileName, TMainScore* main,
                          bool quiet);

// One-page undo snapshots: the page of both layers and the selection.
bool SaveUndoPage(const std::string& fileName, TMainScore* main, int page);
// Replaces the snapshot's page (and selection, current page) only when the whole
// snapshot was read; reports 1044 when the file cannot be opened.
bool LoadUndoPage(const std::string& fileName, TMainScore* main);

// A one-page snapshot read but not yet applied.
struct TUndoPageData {
    int page = 0;
    int selection[4] = {};
    TPage layer0;
    TPage layer1;
    bool hasLayer1 = false;
};
// LoadUndoPage in two steps: read (checks everything, changes nothing) ...
bool ReadUndoPage(const std::string& fileName, TMainScore* main, TUndoPageData& data);
// ... and put into the score.
void ApplyUndoPage(TMainScore* main, TUndoPageData& data);

// --- records, for the undo store and the tests ---

// Little-endian output into memory; with a sink, the bytes go on to a file in
// chunks, so that a large score is never held whole in memory.
class TBinWriter {
public:
    static constexpr std::size_t kChunkBytes = std::size_t(1) << 20;
    TAtomicFileWriter* sink = nullptr;
    // Passes a full chunk to the sink; the writers call it between records.
    void MaybeFlush() {
        if (sink && data.size() >= kChunkBytes)
            Flush();
    }
    // Passes what is held to the sink and empties it; false when a write to the
    // sink failed now or before. Without a sink: true, the data stay.
    bool Flush();

    void U8(uint8_t v) { data.push_back(char(v)); }
    void U32(uint32_t v);
    void I32(int32_t v) { U32(uint32_t(v)); }
    void F32(float v);
    void Bytes(const void* p, std::size_t n) { data.append(static_cast<const char*>(p), n); }
    // Text in a fixed field of width bytes, zero-filled.
    void FixedText(std::string_view text, std::size_t width);
    // i32 L = length + 2, the text, a zero byte and a pad byte.
    void CountedText(std::string_view text);
    std::string data;
};

// Bounds-checked little-endian input; every read fails once the data run out.
// It reads bytes in memory, or an open file in chunks of about a megabyte, so
// that opening a score never holds the whole file beside the score.
class TBinReader {
public:
    explicit TBinReader(std::string_view bytes) : data_(bytes), total_(bytes.size()) {}
    // The file fd (left open) of size bytes, from its current position.
    TBinReader(int fd, std::size_t size) : total_(size), fd_(fd) {}
    bool U8(uint8_t& v);
    bool S8(int8_t& v);
    bool U32(uint32_t& v) {
        if (!Have(4))
            return false;
        const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
        v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
        pos_ += 4;
        return true;
    }
    bool I32(int32_t& v) {
        uint32_t u;
        if (!U32(u))
            return false;
        v = int32_t(u);
        return true;
    }
    bool F32(float& v);
    bool Skip(std::size_t n);
    // The next n bytes; the view lasts until the next read of a file reader.
    bool Bytes(std::size_t n, std::string_view& out);
    // Bytes of the input not read yet (for a file, by its size when opened).
    std::size_t Remaining() const { return total_ - Position(); }
    std::size_t Position() const { return start_ + pos_; }

private:
    // Makes n bytes available at pos_; false when the input has fewer.
    bool Have(std::size_t n) { return data_.size() - pos_ >= n || Refill(n); }
    bool Refill(std::size_t n);
    std::string_view data_; // the bytes in memory, or the window of the file
    std::size_t pos_ = 0;   // in data_
    std::size_t start_ = 0; // input offset of data_[0]
    std::size_t total_ = 0;
    int fd_ = -1;
    std::string buffer_;
};

// Writes the page record of layer/page of main (cells outside either the grid
// or the page's own size are not written).
void WritePageRecord(TBinWriter& out, const TMainScore& main, int layer, int page,
                     const std::string& scoreFolder);
// Writes one cell record; an empty cell is skipped (symbol and sound-effect cells
// whose only content is in the second or third slot are written).
void WriteCellRecord(TBinWriter& out, const TCell& cell, int col, int row,
                     const std::string& scoreFolder);
// Reads one page record into page (Rows + 1 rows of Cols + 1 cells).
bool ReadPageRecord(TBinReader& in, TPage& page, int cols, int rows, int version,
                    const std::string& scoreFolder);
// Reads the fields after the column and row of a cell record.
bool ReadCellRecord(TBinReader& in, TCell& cell, int version, const std::string& scoreFolder);

// True when a cell with these contents must be written to files.
bool IsCellStored(const TCell& cell);

// --- shared by the score readers ---

// Makes a score current (frmMainTQ) while a file is read or written and puts the
// previous score and CurLayer back when it goes out of scope.
class TCurrentScore {
public:
    explicit TCurrentScore(TMainScore* score);
    ~TCurrentScore();
    TCurrentScore(const TCurrentScore&) = delete;
    TCurrentScore& operator=(const TCurrentScore&) = delete;
    // The layer to leave current instead of the previous one.
    void KeepLayer(int layer) { savedLayer_ = layer; }

private:
    TMainScore* saved_;
    int savedLayer_;
};

// A fresh score to read a file into: folders and the header members of main.
void PrepareFreshScore(const TMainScore& main, TMainScore& fresh);
// Checks the header geometry just read (paper, margins, cell width), computes the
// grid and makes `pages` blank pages of layer 0 and none of layer 1; false when
// the values give no grid or the pages would take more memory than a file of
// fileBytes bytes may ask for.
bool MakeFreshPages(TMainScore& fresh, std::size_t pages, std::size_t fileBytes);
// True when `pages` more pages of the score's grid stay within the memory a file
// of fileBytes bytes may make a reader hold (pages already made counted): the
// larger of 64 MB and 1000 bytes per byte of the file, at most 1 GB.
bool MorePagesAllowed(const TMainScore& fresh, std::size_t pages, std::size_t fileBytes);
// Hands header, grid and pages of a completely read score to main.
void TakeOverScore(TMainScore& fresh, TMainScore& main);

// Adds a picture to EmbeddedImages (once, when it is a regular file below the
// size limit that holds a BMP or JPEG picture). The stored path is looked up in
// the score's folder (scoreFolder, "" for the working folder, then the folder
// of the current score's file) and by its base name in the saved-image folder
// of the current score, where opened scores put theirs; only a file that lies
// inside the folder it was found for is taken.
void CollectEmbeddedImage(const std::string& path, const std::string& scoreFolder = "");
// Where the pictures embedded in opened scores are written.
std::string SavedImageFolderOf(const TMainScore& main);
bool IsImageListed(const std::string& path);
// Writes the image block of EmbeddedImages (the size actually copied) and empties the list.
void WriteImageBlock(TBinWriter& out);
