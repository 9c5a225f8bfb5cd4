#pragma once
// The printer: a Qt canvas on a QPrinter, for system printers and PDF files.
//
// Size() is the printable page in printer pixels and PixelsPerInch() the
// printer's resolution, so point sizes come out right on paper. Drawing happens
// only between BeginDoc and EndDoc (calls outside draw nothing); NewPage starts
// the next sheet. Pen modes other than copy have no effect on paper, and pixels
// cannot be read.
#include "platform/gui/TQQtCanvas.h"

#include <memory>
#include <string>
#include <vector>

class QPrinter;

enum TPrinterOrientation { poPortrait = 0, poLandscape = 1 };

// Holds the printer so that it exists before the canvas that paints on it.
struct TQPrinterHolder {
    explicit TQPrinterHolder(int resolution);
    ~TQPrinterHolder();
    std::unique_ptr<QPrinter> printer_;
};

class TQPrinterCanvas : private TQPrinterHolder, public TQtCanvas {
  public:
    // resolution: printer pixels per inch (0: the printer's high resolution).
    explicit TQPrinterCanvas(int resolution = 0);
    ~TQPrinterCanvas() override;

    // Installed printers, and the default one ("" when there is none).
    static std::vector<std::string> PrinterNames();
    static std::string DefaultPrinterName();
    // Prints to the named system printer; false when there is no such printer.
    bool SelectPrinter(const std::string& name);
    std::string PrinterName() const;
    // Prints into a PDF file instead of a printer.
    void SetPdfFile(const std::string& path);

    void SetOrientation(TPrinterOrientation orientation);
    TPrinterOrientation Orientation() const;
    // Paper size in inches, as the sheet stands in portrait.
    void SetPaperSize(double widthInches, double heightInches);
    void SetTitle(const std::string& title);

    // Starts the document; false when the printer or file cannot be opened.
    bool BeginDoc();
    // Starts a new sheet; false outside a document or when the printer fails.
    bool NewPage();
    // Ends the document (a PDF file is complete afterwards); false when it could
    // not be finished.
    bool EndDoc();
    bool Printing() const { return printing_; }
    // Sheets started in the current (or last) document, from 1.
    int PageNumber() const { return page_; }

    // The printable area in printer pixels.
    int PageWidth() const { return Size().cx; }
    int PageHeight() const { return Size().cy; }

    QPrinter& Printer() { return *printer_; }

  private:
    bool printing_ = false;
    int page_ = 0;
};
