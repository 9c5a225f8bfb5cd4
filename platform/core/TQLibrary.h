#pragma once
// Libraries loaded at run time from the program folder.
//
// The string tables (TQ_CH, TQ_EN) and the MIDI output library (TQ_MIDI) are
// shared libraries beside the executable, loaded by base name with dlopen. A base
// name "TQ_CH" is looked up as <program folder>/TQ_CH.so, then as
// <program folder>/libTQ_CH.so.
#include <string>

// Fixed texts shown when a library or one of its functions cannot be loaded
// (no string table may be available at that point, so they are not localised).
inline constexpr const char* kCannotLoadLanguageDll = "Cannot load language DLL. Please contact author.";
inline constexpr const char* kCannotLoadDllFunction = "Cannot load dll function ";

// Folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

// The file names tried for a base name, in order of preference.
std::string LibraryFileName(const std::string& baseName);    // "TQ_CH.so"
std::string LibraryAltFileName(const std::string& baseName); // "libTQ_CH.so"

class TQLibrary {
public:
    TQLibrary() = default;
    ~TQLibrary();
    TQLibrary(const TQLibrary&) = delete;
    TQLibrary& operator=(const TQLibrary&) = delete;
    TQLibrary(TQLibrary&& other) noexcept;
    TQLibrary& operator=(TQLibrary&& other) noexcept;

    // Loads <folder>/<base>.so or <folder>/lib<base>.so; the folder defaults to the
    // executable's. Frees the library loaded before. Returns false (and stays
    // unloaded) when neither file can be loaded.
    bool Load(const std::string& baseName, const std::string& folder = std::string());
    // Loads the library at this exact path.
    bool LoadFile(const std::string& path);
    void Free();
    // Forgets the library without unloading it: it stays in the process until exit.
    void Detach();

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& Path() const { return path_; }        // file loaded
    const std::string& LastError() const { return error_; } // dlerror() of the last failure

    // Address of an exported symbol; nullptr when not loaded or not exported.
    void* Symbol(const char* name) const;
    // Like Symbol, but a missing function is reported to the user with the
    // fixed text "Cannot load dll function " and its name.
    void* Function(const char* name) const;

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};
