#pragma once
// The language object: string tables by id, localisation of forms by Tag, the
// texts of the common file dialogs, the installed-font flags and the message
// boxes by string id.
//
// Every visible text comes from the string table chosen by UseChinese: TQ_CH
// (Chinese) or TQ_EN (English), data-only libraries beside the program exporting
// one table, TQ_StringTable. Ids 200 and above are string ids; a component whose
// Tag is below 200 is never localised.
//
// Widgets and actions carry their Tag as the Qt dynamic property "Tag" (int).
// SetLanguage applies the rule of each control kind:
//   QToolButton (free: speed button; in a QToolBar: tool button), QPushButton,
//   QAction (menu item), QMenu (sub-menu title), QLabel, QGroupBox, QCheckBox,
//   QRadioButton, tab pages (a QWidget page of a QTabWidget), QFileDialog (title,
//   and the filter from Tag + 1 only when that text holds '|'), QComboBox,
//   QTabBar, a QGroupBox with the property "RadioGroup" = true (radio group: its
//   QRadioButton children are the items), QTabWidget (page control), QTreeWidget
//   (list view: each header column's Tag is the header item's Qt::UserRole data)
//   and QListWidget. The property "ShowHint" (bool, default false) says whether a
//   captioned button also takes its hint from Tag + 1. A widget or action with the
//   property "HintTag" (int, 200 or more) keeps its face and caption and takes
//   only its hint (tool tip) from that id; its Tag is then not a string id.
//   A QComboBox with the property "ItemTags" (a list of ids) takes its items from
//   those ids instead of from Tag, Tag + 1 ...
#include <string>

#include "platform/core/TQLibrary.h"
#include "platform/core/TQMessage.h"

class QObject;
class QWidget;
class QFileDialog;

// The one symbol a string-table library exports (C linkage): entries sorted by id.
extern "C" {
struct TQStringEntry {
    int id;
    const char* text; // UTF-8
};
struct TQStringTableData {
    int count;
    const TQStringEntry* entries;
};
}
inline constexpr const char* kStringTableSymbol = "TQ_StringTable";

// Longest text a lookup returns, in characters.
inline constexpr int kMaxStringLength = 2047;

// The part of a text before the first " . . ."; the whole text when it holds none.
std::string StripEllipsis(const std::string& text);

// The Tag of a widget or action (the "Tag" property; 0 when unset).
int TagOf(const QObject* object);
void SetTag(QObject* object, int tag);

class TLanguage {
public:
    TLanguage();
    ~TLanguage();
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    // --- installed fonts, probed once (ProbeFonts) ---
    bool HasMusicalSymbols = false;
    bool HasArial = false;
    bool HasWingdings3 = false;
    int HasSimHei = 0; // the Chinese font "黑体"; also the bold-Chinese switch
    bool HasTimesNewRoman = false;
    bool HasBookAntiqua = false;
    bool HasToccata = false;

    // Which table LoadLanguageDll loads: true Chinese, false English.
    bool UseChinese = true;
    // Default Chinese text font, the face of every Gongche character.
    std::string ChineseFontName = "SimSun";
    // Folder the tables are loaded from; empty: the executable's folder.
    std::string LibraryFolder;

    // When set, single Chinese characters are drawn in bold "黑体".
    bool BoldChinese() const { return HasSimHei != 0; }

    // True when the font (a Windows face name) is available here: the legacy
    // music fonts through the glyph map, text fonts through their substitutes in
    // Qt's font database (case-insensitive). Needs a QGuiApplication.
    static bool IsFontInstalled(const std::string& name);
    // Sets the seven font flags, in the order "Wingdings 3", "黑体",
    // "Times New Roman", "MusicalSymbols", "Toccata", "Book Antiqua", "Arial".
    // The constructor probes when a QGuiApplication exists; the program-wide
    // object is built before it, so start-up calls this once after loading the
    // program fonts.
    void ProbeFonts();

    // Frees the loaded table and loads TQ_CH or TQ_EN by UseChinese. On failure
    // shows "Cannot load language DLL. Please contact author." and returns false;
    // no table is loaded then and every lookup is empty. Also makes the message
    // boxes by string id of the lower layers speak through this object.
    bool LoadLanguageDll();
    bool Loaded() const { return table_ != nullptr; }
    // True while Qt's own dialogs speak Chinese (LoadLanguageDll switches Qt's
    // translations and the default locale with the table).
    static bool QtTranslationsLoaded();
    // Makes the drawing layers read strings, the UI language and the
    // bold-Chinese switch from this object (LoadLanguageDll does it).
    void PublishToLowerLayers();
    // File of the loaded table ("" when none).
    const std::string& LoadedPath() const { return library_.Path(); }

    // The text of a string id (at most kMaxStringLength characters); empty for an
    // id the table lacks or with no table loaded.
    std::string GetString(int id) const;

    // --- forms (lang/frmTQLanguage.cpp, Qt Widgets) ---
    // Localises a form and every object it holds by Tag.
    void SetLanguage(QWidget* form);
    // Texts of an open or save file dialog's buttons and labels; its entries'
    // sizes, dates and folder type are written in the interface language.
    void LocaliseFileDialog(QFileDialog* dialog, bool isSave);
    // A file dialog made by code: its title from titleId (without " . . ."), its
    // filters from the "description|pattern" pairs of filterId, and its buttons
    // and labels as LocaliseFileDialog.
    void PrepareFileDialog(QFileDialog* dialog, int titleId, int filterId, bool isSave);
    // Texts of the printer-setup dialog's controls, found by object name.
    void LocalisePrinterSetupDialog(QWidget* dialog);
    // The overwrite check of a save dialog (its chosen file and default suffix).
    bool ConfirmOverwrite(QFileDialog* dialog);

    // --- message boxes by string id (lang/modTQMessage.cpp) ---
    // Caption: the kind's caption string, " - " and the id; text: the string of
    // the id followed directly by extra. With dontShow, the box carries a check
    // box (text: string dontShowId, or 2700 when 0) whose tick sets *dontShow to
    // true (an unticked box leaves it as it was). Each returns the modal result:
    // 6 Yes or OK, 7 No, 2 Cancel or closed.
    int MessageYesNoCancel(int id, const std::string& extra, TMsgKind kind, bool* dontShow = nullptr,
                           int dontShowId = 0);
    int MessageYesNo(int id, const std::string& extra, TMsgKind kind, bool* dontShow = nullptr,
                     int dontShowId = 0);
    int MessageOk(int id, const std::string& extra, TMsgKind kind, bool* dontShow = nullptr,
                  int dontShowId = 0);
    // Overwrite check by name: a name without extension is tested with
    // "." + defaultExt added. True (may close) when no such file exists or the
    // user answers Yes to string 2701.
    bool ConfirmOverwrite(const std::string& fileName, const std::string& defaultExt);

    // What the message form of a box shows: caption, text, buttons and the check
    // box text (see the entry points above).
    TMessageRequest BuildMessageForm(int id, const std::string& extra, TMsgKind kind, TMsgButtons buttons,
                                     bool withCheckBox, int dontShowId) const;

private:
    // Shows the form through the installed message boxes; sets *dontShow when
    // the box was ticked.
    int RunMessageForm(const TMessageRequest& request, bool* dontShow);

    TQLibrary library_;
    const TQStringTableData* table_ = nullptr;
};

// The program-wide language object; lives for the whole run. Start-up, once the
// QApplication exists: LoadProgramFonts, Language->ProbeFonts(), install the
// message dialog (SetMessageBoxes with a TMessageDialogBoxes, lang/frmTQMessage.h),
// set UseChinese from the preferences, Language->LoadLanguageDll(). A language
// switch toggles UseChinese, loads again and runs SetLanguage on the open forms.
extern TLanguage* Language;
