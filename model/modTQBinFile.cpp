#include "model/modTQBinFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "model/modTQUpgrade.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"

std::vector<TCustomImgFile> EmbeddedImages;
TBinScoreFile BinScoreFile;

namespace {

// Largest grid a score file may ask for, and the most memory the pages of one
// opened score may take; beyond these the file is refused as damaged.
constexpr int kMaxGridCols = 1000;
constexpr int kMaxGridRows = 1000;
constexpr std::size_t kMaxCellsPerPage = 200000;
constexpr std::size_t kMaxScoreBytes = std::size_t(1) << 30;
// What the pages of one opened score may take grows with the file: a few hundred
// bytes may not make the reader hold a gigabyte of empty cells.
constexpr std::size_t kMinPageBudgetBytes = std::size_t(64) << 20;
constexpr std::size_t kPageBudgetPerFileByte = 1000;

constexpr std::size_t kHeaderBytesAfterCount = 146; // header bytes after the page count
constexpr std::size_t kMinPageRecordBytes = 8;
constexpr std::size_t kImageNameBytes = 260;

std::string NameLine(const std::string& fileName) { return "\n" + fileName; }

// Text up to the first zero byte.
std::string TextToZero(std::string_view bytes) {
    std::size_t n = bytes.find('\0');
    return std::string(bytes.substr(0, n == std::string_view::npos ? bytes.size() : n));
}

// The bytes up to the first zero byte, where they lie.
std::string_view ViewToZero(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

// Into a std::string or a cell's TCellText (which stays unallocated when empty).
template <class TText>
bool ReadCountedText(TBinReader& in, TText& text) {
    int32_t len = 0;
    if (!in.I32(len) || len < 0 || std::size_t(len) > in.Remaining())
        return false;
    std::string_view bytes;
    if (!in.Bytes(std::size_t(len), bytes))
        return false;
    text = ViewToZero(bytes);
    return true;
}

template <class TText>
bool ReadFixedText(TBinReader& in, std::size_t width, TText& text) {
    std::string_view bytes;
    if (!in.Bytes(width, bytes))
        return false;
    text = ViewToZero(bytes);
    return true;
}

// Adjustment fields of old files may hold -1000 and below for "none".
int32_t ZeroBelowMinus999(int32_t v) { return v < -999 ? 0 : v; }

// Paper sizes are kept to hundredths of an inch. The float read from the file
// is first taken to the nearest hundredth when it lies within float precision
// of one, so 8.27 stays 8.27 and only real fractions round.
double PaperHundredths(float value) {
    double h = double(value) * 100.0;
    double nearest = std::floor(h + 0.5);
    if (std::fabs(h - nearest) < 1e-3)
        return nearest;
    return h;
}
float RoundPaperWidth(float w) { return float(std::ceil(PaperHundredths(w)) / 100.0); }
float RoundPaperHeight(float h) {
    double v = PaperHundredths(h);
    double frac = v - std::floor(v);
    double r = std::fabs(frac - 0.5) < 1e-3 ? std::floor(v) + 1.0 : std::floor(v + 0.5);
    return float(r / 100.0);
}

bool PageHasLayer(const TMainScore& main, int layer, int page) {
    if (layer < 0 || layer > 1 || page < 0 || page >= int(main.PageSets[layer].size()))
        return false;
    return int(main.PageSets[layer][page].size()) == main.Rows + 1;
}

// A page holds something that a file stores.
bool PageHasStoredCells(const TMainScore& main, int layer, int page) {
    if (page < 0 || page >= int(main.PageSets[layer].size()))
        return false;
    const TPage& p = main.PageSets[layer][page];
    for (int r = 0; r < main.Rows && r < int(p.size()); ++r)
        for (int c = 0; c < main.Cols && c < int(p[r].size()); ++c)
            if (IsCellStored(p[r][c]))
                return true;
    return false;
}

uint32_t Le32At(std::string_view b, std::size_t at) {
    return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) | (uint32_t(uint8_t(b[at + 2])) << 16) |
           (uint32_t(uint8_t(b[at + 3])) << 24);
}

// A BMP picture whose header parses and whose pixels are all there.
bool IsBmpPicture(std::string_view b) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M')
        return false;
    const uint32_t offBits = Le32At(b, 10), headerSize = Le32At(b, 14);
    if (headerSize == 12) // the old OS/2 header: 16-bit sizes
        return offBits <= b.size() && (uint8_t(b[18]) | uint8_t(b[19])) && (uint8_t(b[20]) | uint8_t(b[21]));
    if (headerSize < 40 || b.size() < 14 + 40 || offBits < 14 + headerSize || offBits > b.size())
        return false;
    const int64_t width = int32_t(Le32At(b, 18)), height = int32_t(Le32At(b, 22));
    const int planes = uint8_t(b[26]) | (uint8_t(b[27]) << 8);
    const int bits = uint8_t(b[28]) | (uint8_t(b[29]) << 8);
    const uint32_t compression = Le32At(b, 30);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return false;
    if (compression != 0 && compression != 3)
        return compression == 1 || compression == 2; // run-length coded: no fixed size
    const int64_t stride = ((width * bits + 31) / 32) * 4;
    return int64_t(b.size()) - int64_t(offBits) >= stride * (height < 0 ? -height : height);
}

// A JPEG picture: its markers up to a frame header with a size parse, and the
// end-of-image marker lies near the end.
bool IsJpegPicture(std::string_view b) {
    if (b.size() < 4 || uint8_t(b[0]) != 0xFF || uint8_t(b[1]) != 0xD8)
        return false;
    std::size_t at = 2;
    for (;;) {
        while (at < b.size() && uint8_t(b[at]) == 0xFF && at + 1 < b.size() && uint8_t(b[at + 1]) == 0xFF)
            ++at; // fill bytes
        if (at + 4 > b.size() || uint8_t(b[at]) != 0xFF)
            return false;
        const uint8_t marker = uint8_t(b[at + 1]);
        const std::size_t len = (std::size_t(uint8_t(b[at + 2])) << 8) | uint8_t(b[at + 3]);
        if (len < 2 || at + 2 + len > b.size())
            return false;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (len < 8)
                return false;
            const int height = (uint8_t(b[at + 5]) << 8) | uint8_t(b[at + 6]);
            const int width = (uint8_t(b[at + 7]) << 8) | uint8_t(b[at + 8]);
            if (width == 0 || height == 0)
                return false;
            const std::size_t tail = std::min<std::size_t>(b.size(), 4096);
            return b.substr(b.size() - tail).find("\xFF\xD9") != std::string_view::npos;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return false; // image data or its end before any frame header
        at += 2 + len;
    }
}

// What the drawing can show: a BMP or JPEG picture.
bool IsPictureData(std::string_view bytes) {
    return IsBmpPicture(bytes) || IsJpegPicture(bytes);
}

// The bytes of a picture that a save may carry: a regular file inside folder
// (symbolic links resolved) that holds a picture, below the size limit.
bool ReadEmbeddablePicture(const std::string& file, const std::string& folder, std::string& bytes) {
    bytes.clear();
    if (file.empty() || file.size() >= sizeof(TCustomImgFile::path) || !IsInsideFolder(file, folder))
        return false;
    if (!ReadWholeFile(file, bytes, std::size_t(kMaxEmbeddedImageBytes) - 1) || !IsPictureData(bytes)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool IsValidImageBaseName(const std::string& name) {
    return !name.empty() && name != "." && name != "..";
}

// The header members an opened score takes from its file, copied between the
// score being read and the current one.
void CopyHeader(const TMainScore& from, TMainScore& to) {
    to.NoteFontName = from.NoteFontName;
    to.NoteFontCharset = from.NoteFontCharset;
    to.NoteFontStyle = from.NoteFontStyle;
    to.CellWidth = from.CellWidth;
    to.CellHeight = from.CellHeight;
    to.LeftMargin = from.LeftMargin;
    to.RightMargin = from.RightMargin;
    to.TopMargin = from.TopMargin;
    to.BottomMargin = from.BottomMargin;
    to.PageNumberStart = from.PageNumberStart;
    to.PaperType = from.PaperType;
    to.PaperWidth = from.PaperWidth;
    to.PaperHeight = from.PaperHeight;
    to.PaperOri = from.PaperOri;
    to.HintMode = from.HintMode;
    to.TextSymSize = from.TextSymSize;
    to.HintSize = from.HintSize;
}

struct TImageEntry {
    std::string name; // base name, "" when the entry is skipped
    std::string bytes;
};

// Reads the image block when one of the next five words is its tag. False
// when the block is there but damaged.
bool ReadImageBlock(TBinReader& in, std::vector<TImageEntry>& images) {
    bool found = false;
    for (int i = 0; i < 5 && !found; ++i) {
        uint32_t w = 0;
        if (!in.U32(w))
            return true; // no block
        found = w == kImageBlockTag;
    }
    if (!found)
        return true;
    int32_t count = 0;
    if (!in.I32(count) || count < 0 || std::size_t(count) > in.Remaining() / (kImageNameBytes + 4))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        std::string_view field;
        int32_t size = 0;
        if (!in.Bytes(kImageNameBytes, field) || !in.I32(size) || size < 0 ||
            std::size_t(size) > in.Remaining())
            return false;
        TImageEntry e;
        std::string_view bytes;
        if (!in.Bytes(std::size_t(size), bytes))
            return false;
        e.bytes.assign(bytes);
        if (field.find('\0') != std::string_view::npos) {
            std::string name = ExtractFileName(TextToZero(field));
            if (IsValidImageBaseName(name))
                e.name = name;
        }
        images.push_back(e);
    }
    return true;
}

// Writes embedded pictures into the saved-image folder; an existing file is
// never overwritten, and a picture that cannot be written is skipped.
void WriteEmbeddedImages(const std::vector<TImageEntry>& images, const std::string& folder) {
    if (images.empty() || folder.empty())
        return;
    ForceDirectories(folder);
    for (const TImageEntry& e : images) {
        if (e.name.empty())
            continue;
        std::string target = IncludeTrailingSeparator(folder) + e.name;
        FILE* f = std::fopen(target.c_str(), "wbx"); // fails when the file exists
        if (!f)
            continue;
        bool ok = e.bytes.empty() || std::fwrite(e.bytes.data(), 1, e.bytes.size(), f) == e.bytes.size();
        if (std::fclose(f) != 0)
            ok = false;
        if (!ok)
            std::remove(target.c_str());
    }
}

} // namespace

std::string SavedImageFolderOf(const TMainScore& main) {
    if (!main.SavedImageFolder.empty())
        return main.SavedImageFolder;
    return TQUserFolder() + "_SavedImage/";
}

TCurrentScore::TCurrentScore(TMainScore* score) : saved_(frmMainTQ), savedLayer_(CurLayer) {
    frmMainTQ = score;
}

TCurrentScore::~TCurrentScore() {
    frmMainTQ = saved_;
    CurLayer = savedLayer_;
}

void PrepareFreshScore(const TMainScore& main, TMainScore& fresh) {
    fresh.ProgramFolder = main.ProgramFolder;
    fresh.SavedImageFolder = main.SavedImageFolder;
    fresh.FileName = main.FileName;
    CopyHeader(main, fresh);
}

std::size_t PageBudgetBytes(std::size_t fileBytes) {
    const std::size_t byFile = fileBytes > kMaxScoreBytes / kPageBudgetPerFileByte
                                   ? kMaxScoreBytes
                                   : fileBytes * kPageBudgetPerFileByte;
    return std::min(kMaxScoreBytes, std::max(kMinPageBudgetBytes, byFile));
}

bool MorePagesAllowed(const TMainScore& fresh, std::size_t pages, std::size_t fileBytes) {
    const std::size_t cellsPerPage = std::size_t(fresh.Cols + 1) * std::size_t(fresh.Rows + 1);
    const std::size_t have = fresh.PageSets[0].size() + fresh.PageSets[1].size();
    if (pages > kMaxScoreBytes) // keeps the product below from overflowing
        return false;
    return cellsPerPage * sizeof(TCell) * (have + pages) <= PageBudgetBytes(fileBytes);
}

bool MakeFreshPages(TMainScore& fresh, std::size_t pages, std::size_t fileBytes) {
    // Values that give no sensible page are refused before any page is made.
    if (!std::isfinite(fresh.PaperWidth) || !std::isfinite(fresh.PaperHeight) || fresh.PaperWidth <= 0.0f ||
        fresh.PaperHeight <= 0.0f || fresh.PaperWidth > 1000.0f || fresh.PaperHeight > 1000.0f ||
        fresh.CellWidth < 1 || fresh.CellWidth > 100000)
        return false;
    for (int m : {fresh.LeftMargin, fresh.RightMargin, fresh.TopMargin, fresh.BottomMargin})
        if (m < -1000000 || m > 1000000)
            return false;
    if (!fresh.CalcPageGrid())
        return false;
    if (fresh.Cols < 1 || fresh.Rows < 1 || fresh.Cols > kMaxGridCols || fresh.Rows > kMaxGridRows ||
        std::size_t(fresh.Cols + 1) * std::size_t(fresh.Rows + 1) > kMaxCellsPerPage)
        return false;
    fresh.PageSets[0].clear();
    fresh.PageSets[1].clear();
    if (!MorePagesAllowed(fresh, pages, fileBytes))
        return false;
    if (!fresh.AllocatePage(0, 0, true, 0, 0))
        return false;
    const TPage blank = fresh.PageSets[0][0];
    fresh.PageSets[0].resize(pages, blank);
    fresh.CurPage = 0;
    return true;
}

void TakeOverScore(TMainScore& fresh, TMainScore& main) {
    CopyHeader(fresh, main);
    main.PageCount = fresh.PageCount;
    main.PageSets = std::move(fresh.PageSets);
    main.CalcPageGrid();
    main.CurPage = 0;
}

// ---------------------------------------------------------------- low level

bool TBinWriter::Flush() {
    if (!sink)
        return true;
    const bool ok = sink->Write(data);
    data.clear();
    return ok;
}

void TBinWriter::U32(uint32_t v) {
    char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    data.append(b, 4);
}

void TBinWriter::F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
}

void TBinWriter::FixedText(std::string_view text, std::size_t width) {
    std::size_t n = std::min(text.size(), width - 1);
    data.append(text.data(), n);
    data.append(width - n, '\0');
}

void TBinWriter::CountedText(std::string_view text) {
    I32(int32_t(text.size() + 2));
    data.append(text.data(), text.size());
    data.append(2, '\0');
}

bool TBinReader::Refill(std::size_t n) {
    if (fd_ < 0 || Remaining() < n)
        return false;
    // Keep the bytes not read yet, then fill the window from the file.
    const std::size_t keep = data_.size() - pos_;
    const std::size_t want = std::max<std::size_t>(std::size_t(1) << 20, n);
    if (buffer_.size() < want)
        buffer_.resize(want);
    if (keep > 0)
        std::memmove(buffer_.data(), data_.data() + pos_, keep);
    start_ += pos_;
    pos_ = 0;
    std::size_t have = keep;
    const std::size_t limit = std::min(buffer_.size(), total_ - start_);
    while (have < limit) {
        const ssize_t got = ::read(fd_, buffer_.data() + have, limit - have);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        have += std::size_t(got);
    }
    data_ = std::string_view(buffer_.data(), have);
    if (have < limit)
        total_ = start_ + have; // the file was cut while it was read
    return have >= n;
}

bool TBinReader::U8(uint8_t& v) {
    if (!Have(1))
        return false;
    v = uint8_t(data_[pos_++]);
    return true;
}

bool TBinReader::S8(int8_t& v) {
    uint8_t u;
    if (!U8(u))
        return false;
    v = int8_t(u);
    return true;
}

bool TBinReader::F32(float& v) {
    uint32_t u;
    if (!U32(u))
        return false;
    std::memcpy(&v, &u, 4);
    return true;
}

bool TBinReader::Skip(std::size_t n) {
    if (Remaining() < n)
        return false;
    while (data_.size() - pos_ < n) {
        n -= data_.size() - pos_;
        pos_ = data_.size();
        if (!Have(std::min<std::size_t>(n, std::size_t(1) << 20)))
            return false;
    }
    pos_ += n;
    return true;
}

bool TBinReader::Bytes(std::size_t n, std::string_view& out) {
    if (!Have(n))
        return false;
    out = data_.substr(pos_, n);
    pos_ += n;
    return true;
}

// ---------------------------------------------------------------- cells

bool IsCellStored(const TCell& cell) {
    if (!IsEmptyCell(cell))
        return true;
    // IsEmptyCell looks at the second and third slot only on Jianpu cells;
    // symbol and sound-effect cells may hold their only content there.
    return cell.cellType != ctWestern && (cell.FontColor != 32 || cell.upNote != 32);
}

void WriteCellRecord(TBinWriter& out, const TCell& cell, int col, int row, const std::string& scoreFolder) {
    if (!IsCellStored(cell))
        return;
    out.U32(kCellTag);
    out.I32(col);
    out.I32(row);
    out.I32(cell.cellType);
    out.I32(cell.Note);
    out.I32(cell.FontColor);
    out.I32(cell.upNote);
    out.I32(cell.dot);
    out.I32(cell.UL);
    out.I32(cell.iEnd);
    out.I32(cell.jEnd);
    out.F32(cell.fontSizeR);
    out.F32(cell.xAdj);
    out.F32(cell.yAdj);
    out.I32(cell.markType);
    out.I32(cell.shrinkRate);
    out.U32(cell.Attr);
    out.U32(cell.option);
    out.I32(int32_t(cell.CompressNotes.size()));
    for (const TCompressNote& n : cell.CompressNotes) {
        out.I32(n.code);
        out.I32(n.value);
        out.I32(n.octave);
        out.U32(n.option);
        out.U32(n.attr);
    }
    out.I32(cell.markHAdj);
    out.I32(cell.markWAdj);
    out.I32(cell.MarkY);
    out.I32(cell.EndYAdj);
    out.U8(cell.auxByte);
    out.F32(cell.stemAdj);
    out.I32(cell.playDur);
    out.I32(cell.color);
    out.U32(uint32_t(cell.AdvPlay[0]) | (uint32_t(cell.AdvPlay[1]) << 8) | (uint32_t(cell.AdvPlay[2]) << 16));
    out.I32(cell.breakPoint);
    switch (cell.cellType) {
    case ctText:
    case ctJianpu:
    case ctTextSymbol:
        out.CountedText(CutToBytes(cell.Text, cell.FontCharset, kMaxCellTextBytes));
        out.FixedText(CutToBytes(cell.FontName, cell.FontCharset, 49), 50);
        out.I32(cell.FontCharset);
        out.I32(cell.FontStyle);
        break;
    case ctImage: {
        CollectEmbeddedImage(cell.Text, scoreFolder);
        std::string ref = cell.Text;
        if (!ExtractFilePath(ref).empty() && SameFolder(ExtractFilePath(ref), scoreFolder))
            ref = ExtractFileName(ref);
        out.CountedText(CutToBytes(ref, 0, kMaxCellTextBytes));
        break;
    }
    case ctWestern:
        out.I32(int32_t(cell.westChordArray.size()));
        for (const TWestChord& w : cell.westChordArray) {
            out.I32(w.interval);
            out.U32(w.attr);
            out.U32(w.option);
            out.I32(0);
        }
        break;
    default:
        break;
    }
}

namespace {

bool ReadCompressNotes(TBinReader& in, TCell& cell, int version) {
    cell.CompressNotes.clear();
    int32_t count = 0;
    if (!in.I32(count) || count < 0 || std::size_t(count) > in.Remaining() / 20)
        return false;
    cell.CompressNotes.reserve(std::size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        TCompressNote n;
        if (!in.I32(n.code) || !in.I32(n.value) || !in.I32(n.octave) || !in.U32(n.option) || !in.U32(n.attr))
            return false;
        UpgradeDotFlags(cell, n.attr, n.option, version);
        if (version < 405)
            n.attr = UpgradeAttrCode(cell, n.attr, n.option, version);
        if (IsSmallNoteCell(cell) || cell.cellType == 5 || cell.cellType == 6) {
            if (version < 398 && cell.cellType != ctWestern)
                n.option = 0;
            if (version < 390 || n.option == 0xFFFFFFFFu)
                n.option = 0;
            if (version <= 404 && cell.fontSizeR < 0.8f && AttrHasNibble(cell.Attr, 0xC0)) {
                SetAttrNibble(cell.Attr, 0xB0);
                cell.option |= 0x10000000u;
            }
        }
        cell.CompressNotes.push_back(n);
    }
    if (!cell.CompressNotes.empty() && (cell.option & 0x10000000u))
        cell.option |= 0x80006u | 1u;
    return true;
}

bool ReadWestChords(TBinReader& in, TCell& cell, int version) {
    int32_t count = 0;
    if (!in.I32(count) || count < 0 || std::size_t(count) > in.Remaining() / 16)
        return false;
    cell.westChordArray.clear();
    if (count > 0 && cell.fontSizeR < 0.8f)
        cell.option |= 0x10000000u;
    cell.westChordArray.reserve(std::size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        TWestChord w;
        if (!in.I32(w.interval) || !in.U32(w.attr) || !in.U32(w.option) || !in.Skip(4))
            return false;
        if (version < 392)
            w.option = 0;
        if (version < 401)
            w.option &= ~0x2000u;
        if (version < 360)
            w.attr = UpgradeChordAttr(version, w.attr);
        else if (version < 405)
            w.attr = UpgradeAttrCode(cell, w.attr, w.option, version);
        if (w.attr == 11) {
            w.attr = 0;
            w.option |= 8;
        } else if (w.attr == 16) {
            w.attr = 0;
            w.option |= 64;
        }
        w.headY = 0;
        cell.westChordArray.push_back(w);
    }
    return true;
}

} // namespace

bool ReadCellRecord(TBinReader& in, TCell& cell, int version, const std::string& scoreFolder) {
    // 1. the fixed fields
    if (!in.I32(cell.cellType) || !in.I32(cell.Note))
        return false;
    if (version >= 405) {
        if (!in.I32(cell.FontColor))
            return false;
    } else {
        cell.FontColor = 32;
    }
    if (!in.I32(cell.upNote) || !in.I32(cell.dot) || !in.I32(cell.UL) || !in.I32(cell.iEnd) ||
        !in.I32(cell.jEnd) || !in.F32(cell.fontSizeR) || !in.F32(cell.xAdj) || !in.F32(cell.yAdj) ||
        !in.I32(cell.markType) || !in.I32(cell.shrinkRate) || !in.U32(cell.Attr) || !in.U32(cell.option))
        return false;
    ClampCellFileValues(cell); // the upgrades below look at the size factor
    // 2. flags and codes of old versions
    UpgradeDotFlags(cell, cell.Attr, cell.option, version);
    if (version < 405)
        cell.Attr = UpgradeAttrCode(cell, cell.Attr, cell.option, version);
    // 3. small notes
    if (!ReadCompressNotes(in, cell, version))
        return false;
    // 4. mark adjustments
    if (!in.I32(cell.markHAdj) || !in.I32(cell.markWAdj) || !in.I32(cell.MarkY) || !in.I32(cell.EndYAdj))
        return false;
    cell.markHAdj = ZeroBelowMinus999(cell.markHAdj);
    cell.markWAdj = ZeroBelowMinus999(cell.markWAdj);
    cell.MarkY = ZeroBelowMinus999(cell.MarkY);
    cell.EndYAdj = ZeroBelowMinus999(cell.EndYAdj);
    // 5. the fields added over the versions
    if (version >= 393) {
        if (!in.U8(cell.auxByte))
            return false;
        if (version >= 413) {
            if (!in.F32(cell.stemAdj))
                return false;
        } else {
            int8_t s = 0;
            if (!in.S8(s))
                return false;
            cell.stemAdj = float(s);
        }
    } else {
        cell.stemAdj = 0.0f;
    }
    if (version >= 409) {
        if (!in.I32(cell.playDur))
            return false;
    } else if (version >= 395) {
        int8_t d = 0;
        if (!in.S8(d))
            return false;
        cell.playDur = d;
    } else {
        cell.playDur = 0;
    }
    if (version >= 400) {
        uint32_t adv = 0;
        if (!in.I32(cell.color) || !in.U32(adv))
            return false;
        cell.AdvPlay = {uint8_t(adv & 0xFF), uint8_t((adv >> 8) & 0xFF), uint8_t((adv >> 16) & 0xFF), 0};
    }
    if (version < 412)
        cell.color = -1;
    if (version < 411) {
        cell.AdvPlay = {100, 100, 100, 0};
        cell.auxByte = 0;
    }
    if (version >= 407) {
        if (!in.I32(cell.breakPoint))
            return false;
    } else {
        cell.breakPoint = 0;
    }
    // 6. charset by code range; a text tail overrides it
    cell.FontCharset = (cell.Note >= 50 && cell.Note <= 79) ? 134 : 1;
    // 7. the tail
    const bool textTail = cell.cellType == ctText ||
                          ((cell.cellType == ctJianpu || cell.cellType == ctTextSymbol) && version >= 408);
    if (textTail) {
        if (!ReadCountedText(in, cell.Text) || !ReadFixedText(in, 50, cell.FontName) ||
            !in.I32(cell.FontCharset) || !in.I32(cell.FontStyle))
            return false;
    } else if (cell.cellType == ctImage) {
        std::string ref;
        if (!ReadCountedText(in, ref))
            return false;
        if (ExtractFilePath(ref).empty() && !ref.empty())
            ref = scoreFolder + ref;
        cell.Text = ref;
    }
    // 8. text cells without a font name
    if (cell.cellType == ctText && cell.FontName.empty())
        cell.FontName = cell.FontCharset == 0 ? "EN" : "CN";
    // 9. Jianpu note font of old versions
    if (version < 408 && cell.cellType == ctJianpu &&
        (IsShrinkCell(cell) || IsVerticalCell(cell) || IsGraceCell(cell) || IsJianpuNoteChar(cell.Note)))
        cell.FontName = "NT";
    // 10. tempo cells kept their speed in Attr
    if (version < 405 && cell.cellType == ctTempo) {
        cell.FontColor = int32_t(cell.Attr);
        cell.Attr = 0;
    }
    // 11. Western cells
    if (cell.cellType == ctWestern) {
        RenumberClefKeyCode(cell);
        if (!ReadWestChords(in, cell, version))
            return false;
        if (version < 409 && (cell.option & 1u))
            ReverseWestChordOrder(cell);
        if (IsWholeNoteValue(cell))
            cell.option &= ~1u;
    }
    ClampCellFileValues(cell);
    return true;
}

// ---------------------------------------------------------------- pages

void WritePageRecord(TBinWriter& out, const TMainScore& main, int layer, int page, const std::string& scoreFolder) {
    out.U32(kPageStartTag);
    if (layer >= 0 && layer <= 1 && page >= 0 && page < int(main.PageSets[layer].size())) {
        const TPage& p = main.PageSets[layer][page];
        for (int r = 0; r < main.Rows && r < int(p.size()); ++r)
            for (int c = 0; c < main.Cols && c < int(p[r].size()); ++c) {
                WriteCellRecord(out, p[r][c], c, r, scoreFolder);
                out.MaybeFlush();
            }
    }
    out.U32(kPageEndTag);
}

bool ReadPageRecord(TBinReader& in, TPage& page, int cols, int rows, int version, const std::string& scoreFolder) {
    uint32_t w = 0;
    if (!in.U32(w) || w != kPageStartTag)
        return false;
    for (;;) {
        if (!in.U32(w))
            return false;
        if (w == kPageEndTag)
            return true;
        if (w != kCellTag)
            return false;
        int32_t col = 0, row = 0;
        if (!in.I32(col) || !in.I32(row))
            return false;
        if (col < 0 || col > cols || row < 0 || row > rows || row >= int(page.size()) ||
            col >= int(page[row].size()))
            return false;
        TCell& cell = page[row][col];
        if (!ReadCellRecord(in, cell, version, scoreFolder))
            return false;
        if (version <= 405)
            UpgradeCellCodes(cell);
    }
}

// ---------------------------------------------------------------- images

void CollectEmbeddedImage(const std::string& path, const std::string& scoreFolder) {
    // A save carries only pictures from the score's own folder (the one it is
    // written to, and the one it came from) and from the saved-image folder,
    // where opened scores put theirs. A path that leads elsewhere (absolute,
    // through "..", into /proc) may come from a score someone else made: it
    // stays referenced but is not embedded, and neither is a file that holds
    // no picture.
    std::vector<std::string> folders{scoreFolder.empty() ? std::string(".") : scoreFolder};
    if (frmMainTQ && !ExtractFilePath(frmMainTQ->FileName).empty())
        folders.push_back(ExtractFilePath(frmMainTQ->FileName));
    std::string actual, bytes;
    // A picture is read to see that it is one only when it is not listed yet.
    const auto take = [&](const std::string& found, const std::string& folder) {
        if (!found.empty() && IsImageListed(found))
            return true;
        if (!ReadEmbeddablePicture(found, folder, bytes))
            return false;
        actual = found;
        return true;
    };
    bool done = false;
    for (const std::string& folder : folders)
        if ((done = take(ResolveStoredPath(path, folder), folder)))
            break;
    if (!done && frmMainTQ) {
        const std::string saved = SavedImageFolderOf(*frmMainTQ);
        take(ResolveStoredPath(ExtractFileName(path), saved), saved);
    }
    if (actual.empty())
        return;
    TCustomImgFile f;
    std::memcpy(f.path, actual.data(), actual.size());
    f.size = int32_t(bytes.size());
    EmbeddedImages.push_back(f);
}

bool IsImageListed(const std::string& path) {
    for (const TCustomImgFile& f : EmbeddedImages)
        if (SameText(f.path, path))
            return true;
    return false;
}

void WriteImageBlock(TBinWriter& out) {
    out.U32(kImageBlockTag);
    out.I32(int32_t(EmbeddedImages.size()));
    for (const TCustomImgFile& f : EmbeddedImages) {
        out.FixedText(ExtractFileName(f.path), kImageNameBytes);
        std::string bytes;
        // The size written is the size read now: the file may have changed
        // since it was collected.
        if (ReadWholeFile(f.path, bytes, std::size_t(kMaxEmbeddedImageBytes) - 1) && IsPictureData(bytes)) {
            out.I32(int32_t(bytes.size()));
            out.data.append(bytes);
        } else {
            out.I32(0);
        }
        out.MaybeFlush();
    }
    EmbeddedImages.clear();
}

// ---------------------------------------------------------------- whole scores

bool IsBinaryScoreFile(const std::string& fileName) {
    FILE* f = OpenRegularFileStream(fileName);
    if (!f)
        return false;
    unsigned char b[4];
    bool ok = std::fread(b, 1, 4, f) == 4;
    std::fclose(f);
    return ok && (uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24)) ==
                     kScoreFileTag;
}

bool SaveBinaryScore(const std::string& fileName, TMainScore* main, bool dropTrailingEmptyPages) {
    EmbeddedImages.clear();
    if (!main)
        return false;
    const bool userSaveOfCurrentScore = dropTrailingEmptyPages && frmMainTQ == main;
    TCurrentScore current(main);
    CurLayer = 0;

    int n0 = std::max<int>(1, int(main->PageSets[0].size()));
    if (dropTrailingEmptyPages) {
        // A page goes only when it is empty in both layers, so that no layer-1
        // page is beyond what a reader accepts.
        while (n0 > 1 && !PageHasStoredCells(*main, 0, n0 - 1) && !PageHasStoredCells(*main, 1, n0 - 1))
            --n0;
    }
    const std::string folder = ExtractFilePath(fileName);

    int n1 = 0;
    const bool hasLayer1 = PageHasLayer(*main, 1, 0);
    if (hasLayer1) {
        n1 = int(main->PageSets[1].size());
        if (dropTrailingEmptyPages)
            while (n1 >= 1 && !PageHasStoredCells(*main, 1, n1 - 1))
                --n1;
    }
    // Readers take layer 1 only when it has at most one page more than layer
    // 0: layer 0 gets empty pages to keep every layer-1 page readable.
    n0 = std::max(n0, n1 - 1);

    // The records go to the temporary file in chunks as they are made.
    // Whole-score undo snapshots (no pages dropped) go to the private
    // temporary folder, which does not outlive the process: no sync.
    auto writeError = [&]() {
        EmbeddedImages.clear();
        MessageOkById(1043, NameLine(fileName), mkError);
        return false;
    };
    // A read-only file is not replaced, although the folder would allow it.
    if (IsFileReadOnly(fileName))
        return writeError();
    TAtomicFileWriter writer(fileName, dropTrailingEmptyPages);
    if (!writer.Open())
        return writeError();
    TBinWriter out;
    out.sink = &writer;
    out.data.reserve(TBinWriter::kChunkBytes + (std::size_t(64) << 10));
    out.U32(kScoreFileTag);
    out.I32(kScoreFileVersion);
    out.I32(n0);
    out.FixedText(CutToBytes(main->NoteFontName, main->NoteFontCharset, 49), 50);
    out.I32(main->NoteFontCharset);
    out.I32(main->NoteFontStyle);
    out.I32(main->CellWidth);
    out.I32(main->LeftMargin);
    out.I32(main->RightMargin);
    out.I32(main->TopMargin);
    out.I32(main->BottomMargin);
    out.I32(main->PageNumberStart);
    out.I32(main->PaperType);
    out.F32(main->PaperWidth);
    out.F32(main->PaperHeight);
    out.I32(main->PaperOri);
    out.I32(5200);
    out.I32(main->HintMode);
    out.I32(main->TextSymSize);
    out.I32(main->CurPage);
    out.I32(kFillerWord);
    out.I32(kFillerWord);
    out.F32(main->HintSize);
    for (int i = 0; i < 5; ++i)
        out.U32(kHeaderFillerWord);

    for (int p = 0; p < n0; ++p)
        WritePageRecord(out, *main, 0, p, folder);

    out.I32(n1);
    if (hasLayer1 && n1 != 0) {
        CurLayer = 1;
        for (int i = 0; i < 5; ++i)
            out.I32(kFillerWord);
        for (int p = 0; p < n1; ++p)
            WritePageRecord(out, *main, 1, p, folder);
    }
    CurLayer = 0;
    if (!EmbeddedImages.empty())
        WriteImageBlock(out);

    // A read-only file is not replaced, although the folder would allow it.
    if (!out.Flush() || !writer.Commit())
        return writeError();
    // Temporaries of earlier saves of this score that were killed before
    // their rename are of no use to anyone.
    if (dropTrailingEmptyPages)
        RemoveLeftoverTemporaries(writer.Target());
    BinScoreFile.Main = main;
    BinScoreFile.StoredPage = main->CurPage;
    if (userSaveOfCurrentScore)
        Undo.MarkSaved(); // the undo position of the file just written
    return true;
}

namespace {
bool LoadBinaryScoreFrom(TBinReader& in, const std::string& fileName, TMainScore* main, bool quiet);
}

bool LoadBinaryScore(const std::string& fileName, TMainScore* main, bool quiet) {
    const int fd = main ? OpenRegularFile(fileName) : -1;
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        if (!quiet)
            MessageOkById(1044, NameLine(fileName), mkError);
        return false;
    }
    // Read in chunks: the whole file is never held beside the score made of it.
    TBinReader in(fd, std::size_t(st.st_size));
    const bool ok = LoadBinaryScoreFrom(in, fileName, main, quiet);
    ::close(fd);
    return ok;
}

bool LoadBinaryScoreBytes(std::string_view bytes, const std::string& fileName, TMainScore* main, bool quiet) {
    if (!main)
        return false;
    TBinReader in(bytes);
    return LoadBinaryScoreFrom(in, fileName, main, quiet);
}

namespace {

bool LoadBinaryScoreFrom(TBinReader& in, const std::string& fileName, TMainScore* main, bool quiet) {
    const std::size_t fileBytes = in.Remaining();
    auto formatError = [&]() {
        if (!quiet)
            MessageOkById(1045, fileName, mkError);
        return false;
    };
    uint32_t tag = 0;
    if (!in.U32(tag) || tag != kScoreFileTag)
        return false;
    int32_t version = 0;
    if (!in.I32(version))
        return formatError();
    if (version > kScoreFileVersion && !quiet &&
        MessageYesNoById(2909, fileName, mkWarning) != mrYes)
        return false;
    int32_t pageCount = 0;
    if (!in.I32(pageCount))
        return formatError();
    if (pageCount == 0) {
        if (!quiet)
            MessageOkById(1052, NameLine(fileName), mkError);
        return false;
    }
    if (pageCount < 0 || in.Remaining() < kHeaderBytesAfterCount ||
        std::size_t(pageCount) > (in.Remaining() - kHeaderBytesAfterCount) / kMinPageRecordBytes)
        return formatError();

    // The file is read into a score of its own, current only while reading.
    TMainScore fresh;
    PrepareFreshScore(*main, fresh);
    TCurrentScore current(&fresh);
    CurLayer = 0;

    fresh.PageCount = pageCount;
    std::string fontName;
    int32_t storedPage = 0, reserved = 0, fontStyle = 0; // the style is written but not read back
    float hintSize = 0;
    if (!ReadFixedText(in, 50, fontName) || !in.I32(fresh.NoteFontCharset) || !in.I32(fontStyle) ||
        !in.I32(fresh.CellWidth) || !in.I32(fresh.LeftMargin) || !in.I32(fresh.RightMargin) ||
        !in.I32(fresh.TopMargin) || !in.I32(fresh.BottomMargin) || !in.I32(fresh.PageNumberStart) ||
        !in.I32(fresh.PaperType) || !in.F32(fresh.PaperWidth) || !in.F32(fresh.PaperHeight) ||
        !in.I32(fresh.PaperOri) || !in.I32(reserved) || !in.I32(fresh.HintMode) || !in.I32(fresh.TextSymSize) ||
        !in.I32(storedPage) || !in.Skip(8) || !in.F32(hintSize) || !in.Skip(20))
        return formatError();
    fresh.NoteFontName = fontName;
    if (fresh.CellWidth > 0 && fresh.CellWidth <= 100000)
        fresh.CellHeight = fresh.CellWidth * 2;
    if (std::isfinite(fresh.PaperWidth) && std::isfinite(fresh.PaperHeight)) {
        fresh.PaperWidth = RoundPaperWidth(fresh.PaperWidth);
        fresh.PaperHeight = RoundPaperHeight(fresh.PaperHeight);
    }
    if (version <= 401)
        fresh.HintMode = 0;
    if (version <= 401 || fresh.TextSymSize < 0 || fresh.TextSymSize > 15)
        fresh.TextSymSize = 8;
    fresh.HintSize = (std::isnan(hintSize) || hintSize <= 0.0f || hintSize > 100.0f) ? 0.6f : hintSize;

    const int pagesToRead = quiet ? 1 : pageCount;
    if (!MakeFreshPages(fresh, std::size_t(pagesToRead), fileBytes))
        return formatError();
    const TPage blank = fresh.PageSets[0][0];
    const std::string folder = ExtractFilePath(fileName);
    for (int p = 0; p < pagesToRead; ++p)
        if (!ReadPageRecord(in, fresh.PageSets[0][p], fresh.Cols, fresh.Rows, version, folder))
            return formatError();

    std::vector<TImageEntry> images;
    if (!quiet) {
        int32_t n1 = 0;
        if (in.I32(n1) && n1 >= 1 && n1 <= pageCount + 1) {
            if (!in.Skip(20))
                return formatError();
            if (std::size_t(n1) > in.Remaining() / kMinPageRecordBytes || !MorePagesAllowed(fresh, std::size_t(n1), fileBytes))
                return formatError();
            CurLayer = 1;
            fresh.PageSets[1].assign(std::size_t(n1), blank);
            for (int p = 0; p < n1; ++p)
                if (!ReadPageRecord(in, fresh.PageSets[1][p], fresh.Cols, fresh.Rows, version, folder))
                    return formatError();
            CurLayer = 0;
        }
        // A damaged image block costs only its pictures: the entries read
        // whole before the damage are kept, the score is loaded.
        ReadImageBlock(in, images);
    }

    // The whole file was read: write the pictures out and take the score over.
    WriteEmbeddedImages(images, SavedImageFolderOf(*main));
    TakeOverScore(fresh, *main);
    current.KeepLayer(0);
    BinScoreFile.Main = main;
    BinScoreFile.StoredPage = std::clamp(storedPage, 0, pagesToRead - 1);
    return true;
}

} // namespace

// ---------------------------------------------------------------- undo pages

bool SaveUndoPage(const std::string& fileName, TMainScore* main, int page) {
    // A snapshot holds the page of layer 0 and, when layer 1 has it, that one
    // too, whichever layer is current.
    if (!main || page < 0 || page >= int(main->PageSets[0].size()))
        return false;
    TCurrentScore current(main);
    TBinWriter out;
    out.U32(kScoreFileTag);
    out.I32(kScoreFileVersion);
    out.I32(page);
    out.I32(main->SelCol0);
    out.I32(main->SelRow0);
    out.I32(main->SelCol1);
    out.I32(main->SelRow1);
    const std::string folder = ExtractFilePath(main->FileName);
    WritePageRecord(out, *main, 0, page, folder);
    if (PageHasLayer(*main, 1, page))
        WritePageRecord(out, *main, 1, page, folder);
    EmbeddedImages.clear(); // snapshots carry no pictures
    return WriteFileAtomic(fileName, out.data, false); // lives in the private temporary folder
}

bool ReadUndoPage(const std::string& fileName, TMainScore* main, TUndoPageData& data) {
    std::string bytes;
    if (!main || !FileExists(fileName) || !ReadWholeFile(fileName, bytes)) {
        MessageOkById(1044, NameLine(fileName), mkError);
        return false;
    }
    TBinReader in(bytes);
    uint32_t tag = 0;
    int32_t version = 0, page = 0;
    if (!in.U32(tag) || tag != kScoreFileTag || !in.I32(version) || !in.I32(page))
        return false;
    if (page < 0 || page >= int(main->PageSets[0].size()) || int(main->PageSets[0][page].size()) != main->Rows + 1)
        return false;
    for (int& s : data.selection)
        if (!in.I32(s))
            return false;
    const std::string folder = ExtractFilePath(main->FileName);
    TCurrentScore current(main);

    // The page is read into blank copies of the score's page.
    auto blankOf = [&](const TPage& p) {
        TPage b = p;
        for (TCellRow& row : b)
            for (int c = 0; c < main->Cols && c < int(row.size()); ++c)
                ResetCell(row[c], false);
        return b;
    };
    data.page = page;
    data.layer0 = blankOf(main->PageSets[0][page]);
    if (!ReadPageRecord(in, data.layer0, main->Cols, main->Rows, version, folder))
        return false;
    data.hasLayer1 = PageHasLayer(*main, 1, page);
    if (data.hasLayer1) {
        data.layer1 = blankOf(main->PageSets[1][page]);
        if (!ReadPageRecord(in, data.layer1, main->Cols, main->Rows, version, folder))
            return false;
    }
    return true;
}

void ApplyUndoPage(TMainScore* main, TUndoPageData& data) {
    if (!main || data.page < 0 || data.page >= int(main->PageSets[0].size()))
        return;
    main->PageSets[0][data.page] = std::move(data.layer0);
    if (data.hasLayer1 && data.page < int(main->PageSets[1].size()))
        main->PageSets[1][data.page] = std::move(data.layer1);
    main->CurPage = data.page;
    main->SelCol0 = data.selection[0];
    main->SelRow0 = data.selection[1];
    main->SelCol1 = data.selection[2];
    main->SelRow1 = data.selection[3];
}

bool LoadUndoPage(const std::string& fileName, TMainScore* main) {
    TUndoPageData data;
    if (!ReadUndoPage(fileName, main, data))
        return false;
    ApplyUndoPage(main, data);
    return true;
}
