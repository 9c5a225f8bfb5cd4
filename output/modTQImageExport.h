#pragma once
// Writing pages of the open score as image files.
#include <string>
#include <vector>

class TMainView;

inline constexpr int kJpegExportErrorId = 1026;
inline constexpr int kBmpExportErrorId = 1066;

// True when the extension is ".jpg" or ".jpeg", case ignored.
bool IsJpegFileName(const std::string& name);
// The name without a trailing page suffix: in the last five characters of the
// base, the last "_" is cut off with what follows when that is only digits
// 1..9 (or nothing); a 0 among them keeps the name.
std::string StripPageSuffix(const std::string& name);
// True when the extension is ".pdf", case ignored.
bool IsPdfFileName(const std::string& name);

enum TExportFormat { efJpeg = 0, efBmp = 1, efPdf = 2 };
// The chosen name when its extension names one of the formats (".jpg",
// ".jpeg", ".bmp", ".pdf"), else the name with the chosen format's extension
// added: the data written are always of the format the name says.
std::string ExportNameWithExtension(const std::string& chosen, TExportFormat format);
// Every file an export writes: one name for one page, else base + "_" + n +
// extension for n = 1..pageCount (base without its page suffix).
std::vector<std::string> ExportFileNames(const std::string& name, int pageCount);
// Pages of layer 0 of the current score less its trailing empty pages (may be 0).
int CountExportPages();

enum TExportRange { erSelectedArea = 0, erCurrentPage = 1, erAllPages = 2 };

struct TExportOptions {
    int Width = 3000;       // pixels; the height follows the page's proportions
    bool InColor = false;
    int Range = erAllPages; // TExportRange
    TExportFormat Format = efJpeg; // only supplies a missing extension (never PDF here)
    int PageNumberBase = 1; // first page number in the footer; 0 prints none
};

// The export run: computes every file name first; when any exists, asks 2701
// once with the list and writes nothing unless the answer is Yes. Pages are
// numbered from 1; the score's page-number start is left alone. Each file is
// written through the safe replacement of files (WriteFileAtomic): a failed
// write keeps the old file and gives 1043; an image that cannot be made 1026
// (JPEG) or 1066.
// Returns the files written (empty when stopped or failed). The view's zoom,
// page, output kind and canvas are put back.
// *declined (when given) tells a refused overwrite from a failure.
// A ".pdf" name: the pages drawn straight into one PDF file on the score's
// paper (vectors, text as text); the width does not apply. Asks 2701 when the
// file exists; a failure gives the write error 1043 and keeps the old file.
std::vector<std::string> ExportPdf(TMainView& view, const std::string& name, const TExportOptions& options,
                                   bool* declined = nullptr);
// A ".pdf" name goes to ExportPdf.
std::vector<std::string> ExportImages(TMainView& view, const std::string& chosenName,
                                      const TExportOptions& options, bool* declined = nullptr);
