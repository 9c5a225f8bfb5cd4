#include "tests/support/TQScoreFixture.h"

#include <charconv>
#include <stdexcept>
#include <vector>

#include "model/modTQCellAccess.h"

namespace {

[[noreturn]] void Fail(std::string_view token, const char* why) {
    throw std::invalid_argument("score picture: " + std::string(why) + " in token '" + std::string(token) + "'");
}

long ParseLong(std::string_view text, std::string_view token) {
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        Fail(token, "bad number");
    return negative ? -static_cast<long>(value) : static_cast<long>(value);
}

float ParseFloat(std::string_view text, std::string_view token) {
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    float value = 0.0f;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        Fail(token, "bad number");
    return value;
}

// Splits a picture into tokens: blanks separate, "..." and {...} keep theirs.
std::vector<std::string_view> Tokens(std::string_view picture) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < picture.size()) {
        while (i < picture.size() && (picture[i] == ' ' || picture[i] == '\t'))
            ++i;
        if (i >= picture.size())
            break;
        const std::size_t start = i;
        bool quoted = false, braced = false;
        while (i < picture.size()) {
            const char c = picture[i];
            if (c == '"' && !braced)
                quoted = !quoted;
            else if (c == '{' && !quoted)
                braced = true;
            else if (c == '}' && !quoted)
                braced = false;
            else if ((c == ' ' || c == '\t') && !quoted && !braced)
                break;
            ++i;
        }
        if (quoted || braced)
            throw std::invalid_argument("score picture: unclosed quote or brace in '" + std::string(picture) + "'");
        out.push_back(picture.substr(start, i - start));
    }
    return out;
}

void ApplyOverrides(TCell& cell, std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            Fail(token, "override without '='");
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = item.substr(eq + 1);
        auto asInt = [&] { return static_cast<int32_t>(ParseLong(value, token)); };
        auto asWord = [&] { return static_cast<uint32_t>(ParseLong(value, token)); };
        if (key == "type") cell.cellType = asInt();
        else if (key == "note") cell.Note = asInt();
        else if (key == "mark") cell.markType = asInt();
        else if (key == "iEnd") cell.iEnd = asInt();
        else if (key == "jEnd") cell.jEnd = asInt();
        else if (key == "ul") cell.UL = asInt();
        else if (key == "dot") cell.dot = asInt();
        else if (key == "opt") cell.option = asWord();
        else if (key == "attr") cell.Attr = asWord();
        else if (key == "dur") cell.playDur = asInt();
        else if (key == "color") cell.color = asInt();
        else if (key == "shrink") cell.shrinkRate = asInt();
        else if (key == "fc") cell.FontColor = asInt();
        else if (key == "up") cell.upNote = asInt();
        else if (key == "hadj") cell.markHAdj = asInt();
        else if (key == "x") cell.xAdj = ParseFloat(value, token);
        else if (key == "y") cell.yAdj = ParseFloat(value, token);
        else if (key == "size") cell.fontSizeR = ParseFloat(value, token);
        else Fail(token, "unknown override key");
    }
}

// Dotted flags at the end of a body: "." 0x8, ".." 0x40.
void TakeDots(std::string_view& body, TCell& cell) {
    if (body.size() >= 2 && body.substr(body.size() - 2) == "..") {
        cell.option |= 0x40u;
        body.remove_suffix(2);
    } else if (!body.empty() && body.back() == '.') {
        cell.option |= 0x8u;
        body.remove_suffix(1);
    }
}

void ParseWestern(std::string_view body, TCell& cell, std::string_view token) {
    cell.cellType = ctWestern;
    // chord items: +i+i...
    std::vector<int> intervals;
    std::size_t plus = body.find('+');
    std::string_view head = body.substr(0, plus);
    while (plus != std::string_view::npos) {
        const std::size_t next = body.find('+', plus + 1);
        intervals.push_back(static_cast<int>(ParseLong(body.substr(plus + 1, next - plus - 1), token)));
        plus = next;
    }
    TakeDots(head, cell);
    const std::size_t at = head.find('@');
    cell.Note = static_cast<int32_t>(ParseLong(head.substr(0, at), token));
    if (at != std::string_view::npos)
        cell.yAdj = ParseFloat(head.substr(at + 1), token);
    for (int interval : intervals) {
        TWestChord item;
        item.interval = interval;
        cell.westChordArray.push_back(item);
    }
}

void ParseClef(std::string_view body, TCell& cell, std::string_view token) {
    cell.cellType = ctWestern;
    const std::size_t slash = body.find('/');
    const std::string_view kind = body.substr(0, slash);
    if (kind == "G") cell.Note = -1;
    else if (kind == "F") cell.Note = -2;
    else if (kind == "C") cell.Note = -3;
    else if (kind == "D") cell.Note = -4;
    else if (kind == "T") cell.Note = -5;
    else if (kind == "X") cell.Note = -6;
    else if (kind == "7") cell.Note = -7;
    else if (kind == "N") cell.Note = -15;
    else Fail(token, "unknown clef");
    if (slash != std::string_view::npos)
        cell.Attr = static_cast<uint32_t>(ParseLong(body.substr(slash + 1), token));
}

void ParseJianpu(std::string_view body, TCell& cell, std::string_view token) {
    cell.cellType = ctJianpu;
    if (body == ".") { cell.Note = -73; return; }
    if (body == "-") { cell.Note = -106; return; }
    if (body == "|") { cell.Note = 63; return; }
    if (body == "||") { cell.Note = 62; return; }
    if (body == "|:") { cell.Note = 58; return; }
    if (body == ":|") { cell.Note = 59; return; }
    if (body == "|]") { cell.Note = 61; return; }
    if (body == "?") { cell.Note = 63; return; }
    if (body.substr(0, 2) == "N:") {
        cell.Note = static_cast<int32_t>(ParseLong(body.substr(2), token));
        return;
    }
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '#' || body[i] == 'b' || body[i] == 'n')) {
        cell.Attr = body[i] == '#' ? 1u : body[i] == 'b' ? 2u : 3u;
        ++i;
    }
    if (i >= body.size())
        Fail(token, "missing note");
    const char note = body[i++];
    if (!((note >= '0' && note <= '7') || note == 'x' || note == 'X' || note == '*'))
        Fail(token, "not a Jianpu note");
    cell.Note = note;
    std::string_view rest = body.substr(i);
    TakeDots(rest, cell);
    for (char c : rest) {
        if (c == '\'') ++cell.dot;
        else if (c == ',') --cell.dot;
        else if (c == '_') ++cell.UL;
        else Fail(token, "unknown Jianpu suffix");
    }
}

} // namespace

TScoreFixture::TScoreFixture(int cols, int rows, int pages, int layer1Pages)
    : previous_(frmMainTQ), previousLayer_(CurLayer) {
    score_.Cols = cols;
    score_.Rows = rows;
    score_.CurPage = 0;
    score_.PageCount = pages;
    frmMainTQ = &score_;
    CurLayer = 0;
    if (pages > 0)
        score_.AllocatePage(0, pages - 1, true, 0, 0);
    if (layer1Pages > 0)
        score_.AllocatePage(1, layer1Pages - 1, true, 0, 0);
}

TScoreFixture::~TScoreFixture() {
    frmMainTQ = previous_;
    CurLayer = previousLayer_;
}

TScoreFixture& TScoreFixture::Row(int row, std::string_view picture, int page, int layer) {
    const std::vector<std::string_view> tokens = Tokens(picture);
    if (static_cast<int>(tokens.size()) > score_.Cols)
        throw std::invalid_argument("score picture: more cells than columns in '" + std::string(picture) + "'");
    for (std::size_t c = 0; c < tokens.size(); ++c)
        At(static_cast<int>(c), row, page, layer) = Cell(tokens[c]);
    return *this;
}

TScoreFixture& TScoreFixture::Page(std::initializer_list<std::string_view> rows, int page, int layer) {
    int r = 0;
    for (std::string_view picture : rows)
        Row(r++, picture, page, layer);
    return *this;
}

TCell& TScoreFixture::At(int col, int row, int page, int layer) {
    if (layer < 0 || layer > 1 || page < 0 || row < 0 || col < 0)
        throw std::out_of_range("score fixture: negative address");
    return score_.PageSets.at(static_cast<std::size_t>(layer))
        .at(static_cast<std::size_t>(page))
        .at(static_cast<std::size_t>(row))
        .at(static_cast<std::size_t>(col));
}

TCell TScoreFixture::Cell(std::string_view token) {
    TCell cell;
    std::string_view body = token;
    std::string_view overrides;
    if (!body.empty() && body.back() == '}') {
        const std::size_t open = body.rfind('{');
        if (open == std::string_view::npos)
            Fail(token, "'}' without '{'");
        overrides = body.substr(open + 1, body.size() - open - 2);
        body = body.substr(0, open);
    }
    if (body.empty())
        Fail(token, "empty token");
    if (body == "~") {
        // the empty cell
    } else if (body.front() == '"') {
        if (body.size() < 2 || body.back() != '"')
            Fail(token, "unclosed text");
        cell.cellType = ctText;
        cell.Text = std::string(body.substr(1, body.size() - 2));
    } else if (body.substr(0, 2) == "W:") {
        ParseWestern(body.substr(2), cell, token);
    } else if (body.front() == '&') {
        ParseClef(body.substr(1), cell, token);
    } else if (body.substr(0, 2) == "S:") {
        cell.cellType = ctSymbol;
        std::string_view slots = body.substr(2);
        int32_t* targets[3] = {&cell.Note, &cell.FontColor, &cell.upNote};
        for (int i = 0; i < 3 && !slots.empty(); ++i) {
            const std::size_t slash = slots.find('/');
            *targets[i] = static_cast<int32_t>(ParseLong(slots.substr(0, slash), token));
            slots = slash == std::string_view::npos ? std::string_view() : slots.substr(slash + 1);
        }
        if (!slots.empty())
            Fail(token, "more than three symbol slots");
    } else if (body.substr(0, 2) == "T:") {
        const std::string_view sig = body.substr(2);
        const std::size_t slash = sig.find('/');
        if (slash == std::string_view::npos)
            Fail(token, "time signature without '/'");
        cell.cellType = ctTimeSig;
        cell.upNote = static_cast<int32_t>(ParseLong(sig.substr(0, slash), token));
        cell.Note = static_cast<int32_t>(ParseLong(sig.substr(slash + 1), token));
    } else {
        ParseJianpu(body, cell, token);
    }
    ApplyOverrides(cell, overrides, token);
    return cell;
}
