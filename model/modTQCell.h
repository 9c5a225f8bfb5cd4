#pragma once
// The cell record of the page grid and its two satellite lists.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A text of a cell, kept out of line: an empty text is a null pointer, so the
// many cells without text stay small. The three preference-font tags that
// nearly every note cell carries as its font name ("NT", "EN", "CN") point at
// one shared copy each instead of a string of their own; a write to such a
// text first takes a copy. It reads as a const std::string and writes like one.
class TCellText {
public:
    TCellText() = default;
    explicit TCellText(std::string_view s) { assign(s); }
    TCellText(const TCellText& o) : p_(o.p_ && !IsShared(o.p_) ? new std::string(*o.p_) : o.p_) {}
    TCellText(TCellText&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~TCellText() { Release(); }
    TCellText& operator=(const TCellText& o) {
        if (this != &o) {
            if (!o.p_ || IsShared(o.p_)) {
                Release();
                p_ = o.p_;
            } else {
                assign(*o.p_);
            }
        }
        return *this;
    }
    TCellText& operator=(TCellText&& o) noexcept {
        if (this != &o) {
            Release();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    TCellText& operator=(std::string_view s) { return assign(s); }
    TCellText& operator=(const std::string& s) { return assign(std::string_view(s)); }
    TCellText& operator=(const char* s) { return assign(std::string_view(s)); }
    TCellText& operator=(std::string&& s) {
        if (s.empty() || SharedTag(s))
            return assign(std::string_view(s));
        if (Owned())
            *p_ = std::move(s);
        else
            p_ = new std::string(std::move(s));
        return *this;
    }
    TCellText& assign(std::string_view s) {
        if (s.empty()) {
            clear();
        } else if (const std::string* tag = SharedTag(s)) {
            Release();
            p_ = const_cast<std::string*>(tag);
        } else if (Owned()) {
            p_->assign(s);
        } else {
            p_ = new std::string(s);
        }
        return *this;
    }

    const std::string& str() const { return p_ ? *p_ : Empty(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }

    std::size_t size() const { return p_ ? p_->size() : 0; }
    std::size_t length() const { return size(); }
    bool empty() const { return !p_ || p_->empty(); }
    const char* c_str() const { return str().c_str(); }
    const char* data() const { return str().data(); }
    char operator[](std::size_t i) const { return str()[i]; } // [size()] is '\0', as for std::string
    char& operator[](std::size_t i) { return Mut()[i]; }
    char front() const { return p_->front(); }
    char back() const { return p_->back(); }
    std::string::const_iterator begin() const { return str().begin(); }
    std::string::const_iterator end() const { return str().end(); }
    template <class... A>
    std::size_t find(A&&... a) const { return str().find(std::forward<A>(a)...); }
    template <class... A>
    std::size_t rfind(A&&... a) const { return str().rfind(std::forward<A>(a)...); }
    template <class... A>
    std::size_t find_first_of(A&&... a) const { return str().find_first_of(std::forward<A>(a)...); }
    template <class... A>
    std::size_t find_first_not_of(A&&... a) const { return str().find_first_not_of(std::forward<A>(a)...); }
    template <class... A>
    int compare(A&&... a) const { return str().compare(std::forward<A>(a)...); }
    std::string substr(std::size_t pos = 0, std::size_t n = std::string::npos) const { return str().substr(pos, n); }

    void clear() {
        Release();
        p_ = nullptr;
    }
    void push_back(char c) { Mut().push_back(c); }
    void pop_back() {
        Mut().pop_back();
        if (p_->empty())
            clear();
    }
    void resize(std::size_t n, char c = '\0') {
        if (n == 0)
            clear();
        else
            Mut().resize(n, c);
    }
    template <class... A>
    TCellText& append(A&&... a) {
        Mut().append(std::forward<A>(a)...);
        return *this;
    }
    template <class... A>
    TCellText& insert(A&&... a) {
        Mut().insert(std::forward<A>(a)...);
        return *this;
    }
    template <class... A>
    TCellText& erase(A&&... a) {
        if (p_)
            Mut().erase(std::forward<A>(a)...);
        if (p_ && p_->empty())
            clear();
        return *this;
    }
    TCellText& operator+=(std::string_view s) { return append(s); }
    TCellText& operator+=(char c) {
        push_back(c);
        return *this;
    }

    friend bool operator==(const TCellText& a, const TCellText& b) { return a.str() == b.str(); }
    friend bool operator==(const TCellText& a, std::string_view b) { return std::string_view(a.str()) == b; }
    friend bool operator==(const TCellText& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const TCellText& a, const char* b) { return a.str() == b; }
    friend std::string operator+(const TCellText& a, std::string_view b) { return a.str() + std::string(b); }
    friend std::string operator+(std::string_view a, const TCellText& b) { return std::string(a) + b.str(); }
    friend std::string operator+(const TCellText& a, const std::string& b) { return a.str() + b; }
    friend std::string operator+(const std::string& a, const TCellText& b) { return a + b.str(); }
    friend std::string operator+(const TCellText& a, const char* b) { return a.str() + b; }
    friend std::string operator+(const char* a, const TCellText& b) { return a + b.str(); }
    friend std::ostream& operator<<(std::ostream& os, const TCellText& t) { return os << t.str(); }

    // True when the text is one of the shared tag copies (for tests).
    bool SharesStorage() const { return p_ && IsShared(p_); }

private:
    static const std::string& Empty() {
        static const std::string empty;
        return empty;
    }
    static const std::string* Tags() {
        // Never freed, so that cells of static objects may outlive it.
        static const std::string* const tags = new std::string[3]{"NT", "EN", "CN"};
        return tags;
    }
    static const std::string* SharedTag(std::string_view s) {
        if (s.size() != 2)
            return nullptr;
        const std::string* tags = Tags();
        for (int i = 0; i < 3; ++i)
            if (s == tags[i])
                return &tags[i];
        return nullptr;
    }
    static bool IsShared(const std::string* p) {
        const std::string* tags = Tags();
        return p >= tags && p < tags + 3;
    }
    bool Owned() const { return p_ && !IsShared(p_); }
    void Release() {
        if (Owned())
            delete p_;
    }
    std::string& Mut() {
        if (!p_)
            p_ = new std::string;
        else if (IsShared(p_))
            p_ = new std::string(*p_);
        return *p_;
    }
    std::string* p_ = nullptr;
};

// A list of a cell, kept out of line like TCellText: an empty list is a null
// pointer. It reads as a const std::vector and writes like one; its iterators
// are plain pointers.
template <class T>
class TCellList {
public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;
    using size_type = std::size_t;

    TCellList() = default;
    TCellList(std::initializer_list<T> items) { assign(items.begin(), items.end()); }
    explicit TCellList(const std::vector<T>& v) { *this = v; }
    TCellList(const TCellList& o) : p_(o.p_ ? new std::vector<T>(*o.p_) : nullptr) {}
    TCellList(TCellList&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~TCellList() { delete p_; }
    TCellList& operator=(const TCellList& o) {
        if (this != &o)
            *this = o.vec();
        return *this;
    }
    TCellList& operator=(TCellList&& o) noexcept {
        if (this != &o) {
            delete p_;
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    TCellList& operator=(const std::vector<T>& v) {
        if (v.empty())
            clear();
        else if (p_)
            *p_ = v;
        else
            p_ = new std::vector<T>(v);
        return *this;
    }
    TCellList& operator=(std::vector<T>&& v) {
        if (v.empty())
            clear();
        else if (p_)
            *p_ = std::move(v);
        else
            p_ = new std::vector<T>(std::move(v));
        return *this;
    }
    TCellList& operator=(std::initializer_list<T> items) {
        assign(items.begin(), items.end());
        return *this;
    }
    template <class It>
    void assign(It first, It last) {
        if (first == last)
            clear();
        else
            Mut().assign(first, last);
    }
    void assign(std::size_t n, const T& v) {
        if (n == 0)
            clear();
        else
            Mut().assign(n, v);
    }

    const std::vector<T>& vec() const { return p_ ? *p_ : Empty(); }
    operator const std::vector<T>&() const { return vec(); }

    std::size_t size() const { return p_ ? p_->size() : 0; }
    bool empty() const { return !p_ || p_->empty(); }
    const T& operator[](std::size_t i) const { return (*p_)[i]; }
    T& operator[](std::size_t i) { return (*p_)[i]; }
    const T& at(std::size_t i) const { return vec().at(i); }
    T& at(std::size_t i) { return Mut().at(i); }
    const T& front() const { return p_->front(); }
    T& front() { return p_->front(); }
    const T& back() const { return p_->back(); }
    T& back() { return p_->back(); }
    const T* data() const { return p_ ? p_->data() : nullptr; }
    T* data() { return p_ ? p_->data() : nullptr; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size(); }
    T* begin() { return data(); }
    T* end() { return data() + size(); }
    const T* cbegin() const { return begin(); }
    const T* cend() const { return end(); }

    void clear() {
        delete p_;
        p_ = nullptr;
    }
    void reserve(std::size_t n) {
        if (n > 0)
            Mut().reserve(n);
    }
    void push_back(const T& v) { Mut().push_back(v); }
    void push_back(T&& v) { Mut().push_back(std::move(v)); }
    template <class... A>
    T& emplace_back(A&&... a) {
        return Mut().emplace_back(std::forward<A>(a)...);
    }
    void pop_back() {
        p_->pop_back();
        if (p_->empty())
            clear();
    }
    void resize(std::size_t n) {
        if (n == 0)
            clear();
        else
            Mut().resize(n);
    }
    void resize(std::size_t n, const T& v) {
        if (n == 0)
            clear();
        else
            Mut().resize(n, v);
    }
    T* erase(const T* pos) { return erase(pos, pos + 1); }
    T* erase(const T* first, const T* last) {
        if (!p_)
            return nullptr;
        const std::size_t i = std::size_t(first - p_->data());
        p_->erase(p_->begin() + std::ptrdiff_t(i), p_->begin() + std::ptrdiff_t(last - p_->data()));
        if (p_->empty()) {
            clear();
            return nullptr;
        }
        return p_->data() + i;
    }
    T* insert(const T* pos, const T& v) {
        const std::size_t i = p_ ? std::size_t(pos - p_->data()) : 0;
        std::vector<T>& m = Mut();
        m.insert(m.begin() + std::ptrdiff_t(i), v);
        return m.data() + i;
    }
    template <class It>
    T* insert(const T* pos, It first, It last) {
        const std::size_t i = p_ ? std::size_t(pos - p_->data()) : 0;
        if (first == last)
            return data() + i;
        std::vector<T>& m = Mut();
        m.insert(m.begin() + std::ptrdiff_t(i), first, last);
        return m.data() + i;
    }
    T* insert(const T* pos, std::initializer_list<T> items) { return insert(pos, items.begin(), items.end()); }
    void swap(TCellList& o) noexcept { std::swap(p_, o.p_); }

    friend bool operator==(const TCellList& a, const TCellList& b) { return a.vec() == b.vec(); }
    friend bool operator==(const TCellList& a, const std::vector<T>& b) { return a.vec() == b; }

private:
    static const std::vector<T>& Empty() {
        static const std::vector<T> empty;
        return empty;
    }
    std::vector<T>& Mut() {
        if (!p_)
            p_ = new std::vector<T>;
        return *p_;
    }
    std::vector<T>* p_ = nullptr;
};

// One small note of a shrunk or vertical-chord Jianpu cell, or one note of a
// multi-note Western cell.
struct TCompressNote {
    int32_t code = 0;    // the note's Note value
    int32_t value = 0;   // Jianpu underline count, or Western staff position
    int32_t octave = 0;  // the note's dot value (octave dots)
    uint32_t attr = 0;   // the note's Attr
    uint32_t option = 0; // the note's option
    int32_t headX = 0;   // run-time x centre of the head (Western groups); not stored
    bool operator==(const TCompressNote&) const = default;
};

// One further note of a Western chord.
struct TWestChord {
    int32_t interval = 0; // staff steps to its neighbour in the chord
    uint32_t attr = 0;
    uint32_t option = 0;
    int32_t headY = 0;    // run-time y of the head; stored as 0
    bool operator==(const TWestChord&) const = default;
};

// Cell kinds (cellType).
enum : int32_t {
    ctJianpu = 0,
    ctSymbol = 1,
    ctText = 3,
    ctTempo = 4,
    ctImage = 7,
    ctWestern = 8,
    ctTimeSig = 9,
    ctGongche = 10,
    ctTextSymbol = 11,
    ctSoundEffect = 12,
};

// One grid cell. A plain record copied by value; strings and lists are deep copies.
// The rarely used text, font name and lists are kept out of line, so that a
// plain note cell takes few bytes and copies without allocating.
// Fields are in the order of the record; the reset values are those of ResetCell.
struct TCell {
    int32_t Note = 32;
    int32_t FontColor = 32;
    int32_t upNote = 32;
    int32_t cellType = 0;
    int32_t markType = 0;
    int32_t markHAdj = 0;
    int32_t markWAdj = 0;
    int32_t MarkY = 0;
    int32_t EndYAdj = 0;
    int32_t UL = 0;
    uint32_t option = 0;
    uint32_t Attr = 0;
    int32_t playDur = 0;
    int32_t dot = 0;
    int32_t shrinkRate = 0;
    int32_t color = -1;
    std::array<uint8_t, 4> AdvPlay{100, 100, 100, 0};
    float fontSizeR = 1.0f;
    int32_t iEnd = -1;
    int32_t jEnd = -1;
    TCellText Text;     // bytes in the code page of FontCharset
    TCellText FontName; // bytes, stored as a 50-byte field in files
    int32_t FontStyle = 0;
    int32_t FontCharset = 0;
    float xAdj = 0.0f;
    float yAdj = 0.0f;
    float stemAdj = 0.0f;
    uint8_t auxByte = 0;
    TCellList<TCompressNote> CompressNotes;
    TCellList<TWestChord> westChordArray;
    int32_t breakPoint = 0;
    int32_t scratch = 0;

    bool operator==(const TCell&) const = default;
};

using TCellRow = std::vector<TCell>;
using TPage = std::vector<TCellRow>;      // Rows + 1 rows of Cols + 1 cells
using TLayer = std::vector<TPage>;
using TPageSets = std::array<TLayer, 2>;  // [layer][page][row][column]
