#include "platform/core/TQLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <utility>

#include "platform/core/TQMessage.h"

std::string ExecutableFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    std::string s = dir.string();
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

std::string LibraryFileName(const std::string& baseName) { return baseName + ".so"; }
std::string LibraryAltFileName(const std::string& baseName) { return "lib" + baseName + ".so"; }

TQLibrary::~TQLibrary() { Free(); }

TQLibrary::TQLibrary(TQLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

TQLibrary& TQLibrary::operator=(TQLibrary&& other) noexcept {
    if (this != &other) {
        Free();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool TQLibrary::Load(const std::string& baseName, const std::string& folder) {
    Free();
    std::string dir = folder.empty() ? ExecutableFolder() : folder;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    if (baseName.empty()) {
        error_ = "empty library name";
        return false;
    }
    if (LoadFile(dir + LibraryFileName(baseName)))
        return true;
    std::string firstError = error_;
    if (LoadFile(dir + LibraryAltFileName(baseName)))
        return true;
    error_ = firstError + "; " + error_;
    return false;
}

bool TQLibrary::LoadFile(const std::string& path) {
    Free();
    dlerror();
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = dlerror();
        error_ = e ? e : ("cannot load " + path);
        return false;
    }
    handle_ = h;
    path_ = path;
    error_.clear();
    return true;
}

void TQLibrary::Free() {
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
}

void TQLibrary::Detach() {
    handle_ = nullptr;
    path_.clear();
}

void* TQLibrary::Symbol(const char* name) const {
    if (!handle_ || !name)
        return nullptr;
    return dlsym(handle_, name);
}

void* TQLibrary::Function(const char* name) const {
    void* p = Symbol(name);
    if (!p) {
        TMessageRequest req;
        req.kind = mkError;
        req.buttons = mbOK;
        req.caption = "Tonquill";
        req.text = std::string(kCannotLoadDllFunction) + (name ? name : "");
        MessageBoxes().Show(req);
    }
    return p;
}
