#include "net/protocol.h"

#include <cstdio>
#include <cstring>

namespace net {

namespace {

constexpr char kIdAlphabet[] = "abcdefghijklmnopqrstuvwxyz234567";

enum class Arg : std::uint8_t { None, Number, Id, Why, Hash };

struct Field {
    Arg arg;
    std::uint32_t min;
    std::uint32_t max;
};

struct Shape {
    Kind kind;
    const char* word;
    Field fields[4];
};

constexpr Field kNone{Arg::None, 0, 0};
constexpr Field Num(std::uint32_t min, std::uint32_t max)
{
    return Field{Arg::Number, min, max};
}
constexpr Field kAny32 = Num(0, 4294967295u);

const Shape kShapes[] = {
    {Kind::Host, "host", {kNone}},
    {Kind::Join, "join", {{Arg::Id, 0, 0}, kNone}},
    {Kind::Game, "game", {{Arg::Id, 0, 0}, kNone}},
    {Kind::Paired, "paired", {kNone}},
    {Kind::Gone, "gone", {kNone}},
    {Kind::Error, "error", {{Arg::Why, 0, 0}, kNone}},
    {Kind::Hello, "hello", {kAny32, kNone}},
    {Kind::Ping, "ping", {kAny32, kNone}},
    {Kind::Pong, "pong", {kAny32, kNone}},
    {Kind::Ask, "ask", {Num(2, 3), kNone}},
    {Kind::Start, "start", {Num(2, 3), kAny32, Num(1, 20), Num(1, kMaxDelay)}},
    {Kind::Keys, "keys", {Num(0, kMaxTick), Num(0, 15), kNone}},
    {Kind::Hash, "hash", {Num(0, kMaxTick), {Arg::Hash, 0, 0}, kNone}},
    {Kind::Menu, "menu", {kNone}},
    {Kind::Bye, "bye", {{Arg::Why, 0, 0}, kNone}},
};

struct WhyWord {
    Why why;
    Kind kind;
    const char* word;
};
const WhyWord kWhys[] = {
    {Why::Exit, Kind::Bye, "exit"},         {Why::Desync, Kind::Bye, "desync"}, {Why::Timeout, Kind::Bye, "timeout"},
    {Why::Unknown, Kind::Error, "unknown"}, {Why::Full, Kind::Error, "full"},   {Why::Expired, Kind::Error, "expired"},
    {Why::Idle, Kind::Error, "idle"},       {Why::Taken, Kind::Error, "taken"},
};

const Shape* ShapeOf(Kind kind)
{
    for (const Shape& s : kShapes)
        if (s.kind == kind) return &s;
    return nullptr;
}

bool Same(const char* word, std::size_t length, const char* name)
{
    return std::strlen(name) == length && std::memcmp(word, name, length) == 0;
}

bool ReadNumber(const char* word, std::size_t length, const Field& field, std::uint32_t* out)
{
    if (length == 0 || length > 10 || (length > 1 && word[0] == '0')) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(word[i] - '0');
    }
    if (value < field.min || value > field.max) return false;
    *out = static_cast<std::uint32_t>(value);
    return true;
}

bool ReadId(const char* word, std::size_t length, char* out)
{
    if (length != kIdLength) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (word[i] == '\0' || std::strchr(kIdAlphabet, word[i]) == nullptr) return false;
    std::memcpy(out, word, length);
    out[length] = '\0';
    return true;
}

bool ReadHash(const char* word, std::size_t length, std::uint64_t* out)
{
    if (length != 16) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = word[i];
        int digit = 0;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return false;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    *out = value;
    return true;
}

bool ReadWhy(const char* word, std::size_t length, Kind kind, Why* out)
{
    for (const WhyWord& w : kWhys) {
        if (w.kind == kind && Same(word, length, w.word)) {
            *out = w.why;
            return true;
        }
    }
    return false;
}

std::uint32_t* Slot(Message* m, int index)
{
    std::uint32_t* slots[] = {&m->a, &m->b, &m->c, &m->d};
    return slots[index];
}

std::uint32_t Value(const Message& m, int index)
{
    const std::uint32_t values[] = {m.a, m.b, m.c, m.d};
    return values[index];
}

}  // namespace

bool Parse(const char* text, std::size_t length, Message* out)
{
    if (text == nullptr || length == 0 || length > kMaxMessage) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] < 0x20 || text[i] > 0x7E) return false;
    // The words, split at single spaces: an empty word is a doubled, leading or trailing space.
    const char* words[6];
    std::size_t lengths[6];
    int count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        if (i < length && text[i] != ' ') continue;
        if (i == start || count == 6) return false;
        words[count] = text + start;
        lengths[count++] = i - start;
        start = i + 1;
    }
    *out = Message{};
    for (const Shape& shape : kShapes) {
        if (!Same(words[0], lengths[0], shape.word)) continue;
        out->kind = shape.kind;
        int w = 1;
        for (int f = 0; f < 4 && shape.fields[f].arg != Arg::None; ++f, ++w) {
            if (w >= count) return false;
            const Field& field = shape.fields[f];
            bool ok = false;
            switch (field.arg) {
            case Arg::Number: ok = ReadNumber(words[w], lengths[w], field, Slot(out, f)); break;
            case Arg::Id: ok = ReadId(words[w], lengths[w], out->id); break;
            case Arg::Why: ok = ReadWhy(words[w], lengths[w], shape.kind, &out->why); break;
            case Arg::Hash: ok = ReadHash(words[w], lengths[w], &out->hash); break;
            case Arg::None: break;
            }
            if (!ok) return false;
        }
        return w == count;
    }
    return false;
}

std::size_t Format(const Message& m, char* out, std::size_t size)
{
    const Shape* shape = ShapeOf(m.kind);
    if (shape == nullptr || out == nullptr || size == 0) return 0;
    char text[kMaxMessage + 1];
    std::size_t length = static_cast<std::size_t>(std::snprintf(text, sizeof text, "%s", shape->word));
    for (int f = 0; f < 4 && shape->fields[f].arg != Arg::None; ++f) {
        const Field& field = shape->fields[f];
        char word[24] = {};
        switch (field.arg) {
        case Arg::Number: {
            const std::uint32_t v = Value(m, f);
            if (v < field.min || v > field.max) return 0;
            std::snprintf(word, sizeof word, "%lu", static_cast<unsigned long>(v));
            break;
        }
        case Arg::Id:
            if (std::strlen(m.id) != kIdLength) return 0;
            std::snprintf(word, sizeof word, "%s", m.id);
            break;
        case Arg::Why: {
            const char* name = nullptr;
            for (const WhyWord& w : kWhys)
                if (w.kind == m.kind && w.why == m.why) name = w.word;
            if (name == nullptr) return 0;
            std::snprintf(word, sizeof word, "%s", name);
            break;
        }
        case Arg::Hash: std::snprintf(word, sizeof word, "%016llx", static_cast<unsigned long long>(m.hash)); break;
        case Arg::None: break;
        }
        length += static_cast<std::size_t>(std::snprintf(text + length, sizeof text - length, " %s", word));
    }
    if (length >= size) return 0;
    // Written text is read back strictly, so nothing goes out that the other side would refuse.
    Message check;
    if (!Parse(text, length, &check)) return 0;
    std::memcpy(out, text, length + 1);
    return length;
}

bool IdOfLink(const char* link, char id[kIdLength + 1])
{
    if (link == nullptr) return false;
    const char* from = std::strstr(link, "join=");
    from = from != nullptr ? from + 5 : link;
    std::size_t length = 0;
    while (from[length] != '\0' && from[length] != '&' && from[length] != '#') ++length;
    return ReadId(from, length, id);
}

}  // namespace net
