#include "net/transport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace net {

bool RelayOf(const char* address, Relay* out)
{
    if (address == nullptr) return false;
    *out = Relay{};
    const char* rest = address;
    const char* scheme = std::strstr(address, "://");
    if (scheme != nullptr) {
        const std::size_t length = static_cast<std::size_t>(scheme - address);
        if (length == 3 && std::strncmp(address, "wss", 3) == 0) out->tls = true;
        else if (length == 5 && std::strncmp(address, "https", 5) == 0) out->tls = true;
        else if (!(length == 2 && std::strncmp(address, "ws", 2) == 0) &&
                 !(length == 4 && std::strncmp(address, "http", 4) == 0))
            return false;
        rest = scheme + 3;
    }
    std::size_t hostLength = std::strcspn(rest, ":/?#");
    if (hostLength == 0 || hostLength >= sizeof out->host) return false;
    std::memcpy(out->host, rest, hostLength);
    rest += hostLength;
    out->port = out->tls ? 443 : 80;
    if (*rest == ':') {
        char* end = nullptr;
        const long port = std::strtol(rest + 1, &end, 10);
        if (end == rest + 1 || port < 1 || port > 65535 || (*end != '\0' && std::strchr("/?#", *end) == nullptr))
            return false;
        out->port = static_cast<int>(port);
    } else if (*rest != '\0' && std::strchr("/?#", *rest) == nullptr) {
        return false;
    }
    return true;
}

void PathOf(const Relay& relay, char* out, std::size_t size)
{
    std::snprintf(out, size, "/relay%s%s", relay.game[0] != '\0' ? "?game=" : "", relay.game);
}

// 60 bits, five to a letter of the IDs' alphabet. getentropy is the kernel's source on Linux and
// the browser's crypto.getRandomValues under Emscripten.
bool DrawGameId(char id[kIdLength + 1])
{
    constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz234567";
    unsigned char bytes[kIdLength];
    if (getentropy(bytes, sizeof bytes) != 0) return false;
    for (std::size_t i = 0; i < kIdLength; ++i) id[i] = kAlphabet[bytes[i] & 31];
    id[kIdLength] = '\0';
    return true;
}

void LinkOf(const Relay& relay, const char* id, char* out, std::size_t size)
{
    std::snprintf(out, size, "%s://%s:%d/?join=%s", relay.tls ? "https" : "http", relay.host, relay.port, id);
}

bool MessageRing::Push(const char* text, std::size_t length)
{
    if (count_ == kSlots) return false;
    const std::size_t slot = (head_ + count_++) % kSlots;
    // A frame too long for any message keeps only its length past the limit, to be refused.
    length_[slot] = length > kMaxMessage ? kMaxMessage + 1 : length;
    if (length <= kMaxMessage) std::memcpy(text_[slot], text, length);
    text_[slot][length <= kMaxMessage ? length : 0] = '\0';
    return true;
}

const char* MessageRing::Front(std::size_t* length) const
{
    if (count_ == 0) return nullptr;
    *length = length_[head_];
    return text_[head_];
}

void MessageRing::Drop()
{
    if (count_ == 0) return;
    head_ = (head_ + 1) % kSlots;
    --count_;
}

bool MessageRing::Pop(char* out, std::size_t* length)
{
    const char* text = Front(length);
    if (text == nullptr) return false;
    std::memcpy(out, text, *length > kMaxMessage ? 0 : *length);
    out[*length > kMaxMessage ? 0 : *length] = '\0';
    Drop();
    return true;
}

}  // namespace net
