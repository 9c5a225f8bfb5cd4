#include "lang/modTQLanguage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTranslator>
#include <QVariant>

#include <algorithm>
#include <memory>

#include "lang/modTQMessage.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQGlyphMap.h"

namespace {
TLanguage gLanguage;
} // namespace

TLanguage* Language = &gLanguage;

std::string StripEllipsis(const std::string& text) {
    size_t p = text.find(" . . .");
    return p == std::string::npos ? text : text.substr(0, p);
}

int TagOf(const QObject* object) {
    if (!object)
        return 0;
    bool ok = false;
    int tag = object->property("Tag").toInt(&ok);
    return ok ? tag : 0;
}

void SetTag(QObject* object, int tag) {
    if (object)
        object->setProperty("Tag", tag);
}

TLanguage::TLanguage() {
    if (QGuiApplication::instance())
        ProbeFonts();
}

namespace {
// The language object whose table the lower layers read through TQStrings.
const TLanguage* gStringSource = nullptr;
} // namespace

TLanguage::~TLanguage() {
    if (gStringSource == this) {
        SetStringLookup(nullptr);
        gStringSource = nullptr;
    }
    table_ = nullptr;
    library_.Free();
}

void TLanguage::PublishToLowerLayers() {
    gStringSource = this;
    SetStringLookup([this](int id) { return GetString(id); });
    SetUseChineseStrings(UseChinese);
    SetBoldChineseChars(BoldChinese());
}

bool TLanguage::IsFontInstalled(const std::string& name) { return FontInstalled(name); }

void TLanguage::ProbeFonts() {
    HasWingdings3 = IsFontInstalled("Wingdings 3");
    HasSimHei = IsFontInstalled("\xE9\xBB\x91\xE4\xBD\x93") ? 1 : 0; // 黑体
    HasTimesNewRoman = IsFontInstalled("Times New Roman");
    HasMusicalSymbols = IsFontInstalled("MusicalSymbols");
    HasToccata = IsFontInstalled("Toccata");
    HasBookAntiqua = IsFontInstalled("Book Antiqua");
    HasArial = IsFontInstalled("Arial");
    if (gStringSource == this)
        SetBoldChineseChars(BoldChinese());
}

namespace {
// Qt's own texts (file dialog, colour and print dialogs, standard buttons and
// context menus) in the interface language: Qt's Chinese catalogue while the
// Chinese table is in use, Qt's built-in English otherwise.
std::unique_ptr<QTranslator> gQtTranslator;

void SwitchQtTranslations(bool chinese) {
    if (!QCoreApplication::instance())
        return;
    // Numbers, dates and the file types that Qt's dialogs show follow the
    // default locale: the interface language's, the system's when it speaks it.
    const QLocale::Language language = chinese ? QLocale::Chinese : QLocale::English;
    QLocale::setDefault(QLocale::system().language() == language
                            ? QLocale::system()
                            : QLocale(language, chinese ? QLocale::China : QLocale::UnitedStates));
    if (gQtTranslator) {
        QCoreApplication::removeTranslator(gQtTranslator.get());
        gQtTranslator.reset();
    }
    if (!chinese)
        return;
    auto translator = std::make_unique<QTranslator>();
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            gQtTranslator = std::move(translator);
            return;
        }
    }
}
} // namespace

bool TLanguage::QtTranslationsLoaded() { return gQtTranslator != nullptr; }

bool TLanguage::LoadLanguageDll() {
    InstallMessageByIdHandler();
    SwitchQtTranslations(UseChinese);
    table_ = nullptr;
    library_.Free();
    const char* base = UseChinese ? "TQ_CH" : "TQ_EN";
    if (library_.Load(base, LibraryFolder)) {
        auto* table = static_cast<const TQStringTableData*>(library_.Symbol(kStringTableSymbol));
        if (table && table->count >= 0 && (table->count == 0 || table->entries)) {
            table_ = table;
            PublishToLowerLayers();
            return true;
        }
        library_.Free();
    }
    PublishToLowerLayers(); // no table: the lower layers see empty strings too
    TMessageRequest req;
    req.kind = mkError;
    req.buttons = mbOK;
    req.caption = "Tonquill";
    req.text = kCannotLoadLanguageDll;
    MessageBoxes().Show(req);
    return false;
}

std::string TLanguage::GetString(int id) const {
    if (!table_ || table_->count <= 0)
        return {};
    const TQStringEntry* first = table_->entries;
    const TQStringEntry* last = first + table_->count;
    const TQStringEntry* it =
        std::lower_bound(first, last, id, [](const TQStringEntry& e, int v) { return e.id < v; });
    if (it == last || it->id != id || !it->text)
        return {};
    // Cap at kMaxStringLength characters, never cutting a UTF-8 sequence.
    std::string s = it->text;
    int chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && ++chars > kMaxStringLength) {
            s.resize(i);
            break;
        }
    }
    return s;
}
