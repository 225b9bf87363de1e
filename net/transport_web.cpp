// The browser's WebSocket, through Emscripten's API: the browser runs its callbacks while the game
// waits for its next event, and they only queue what came, for the game's loop to read.
#include <emscripten/emscripten.h>
#include <emscripten/websocket.h>

#include <cstdio>

#include "net/transport.h"
#include "platform/online.h"

namespace net {

namespace {

class WebTransport final : public Transport {
public:
    ~WebTransport() override { Close(); }

    bool Open(const Relay& relay) override
    {
        char url[192];
        char path[64];
        PathOf(relay, path, sizeof path);
        std::snprintf(url, sizeof url, "%s://%s:%d%s", relay.tls ? "wss" : "ws", relay.host, relay.port, path);
        EmscriptenWebSocketCreateAttributes attributes;
        emscripten_websocket_init_create_attributes(&attributes);
        attributes.url = url;
        attributes.protocols = nullptr;
        socket_ = emscripten_websocket_new(&attributes);
        if (socket_ <= 0) return false;
        state_ = State::Connecting;
        emscripten_websocket_set_onopen_callback(socket_, this, OnOpen);
        emscripten_websocket_set_onmessage_callback(socket_, this, OnMessage);
        emscripten_websocket_set_onclose_callback(socket_, this, OnClose);
        // A failed socket is closed as well: its close says all an error would.
        return true;
    }

    bool Send(const char* text, std::size_t length) override
    {
        if (state_ == State::Closed || length > kMaxMessage) return false;
        if (state_ == State::Connecting) return out_.Push(text, length);
        char message[kMaxMessage + 1];
        std::snprintf(message, sizeof message, "%.*s", static_cast<int>(length), text);
        return emscripten_websocket_send_utf8_text(socket_, message) == EMSCRIPTEN_RESULT_SUCCESS;
    }

    // The browser does the work; nothing waits here.
    void Service() override {}
    bool Receive(char* out, std::size_t* length) override { return in_.Pop(out, length); }
    State GetState() const override { return state_; }

    void Close() override
    {
        if (socket_ <= 0) return;
        // The browser sends what it was given before it closes.
        emscripten_websocket_close(socket_, 1000, "");
        emscripten_websocket_delete(socket_);
        socket_ = 0;
        state_ = State::Closed;
    }

private:
    static EM_BOOL OnOpen(int, const EmscriptenWebSocketOpenEvent*, void* self)
    {
        auto* t = static_cast<WebTransport*>(self);
        t->state_ = State::Open;
        char text[kMaxMessage + 1];
        std::size_t length = 0;
        while (t->out_.Pop(text, &length)) t->Send(text, length);
        return EM_TRUE;
    }
    static EM_BOOL OnMessage(int, const EmscriptenWebSocketMessageEvent* e, void* self)
    {
        auto* t = static_cast<WebTransport*>(self);
        // A text message comes with its terminating zero; a binary one is no message at all.
        const std::size_t length = e->isText && e->numBytes > 0 ? e->numBytes - 1 : kMaxMessage + 1;
        t->in_.Push(reinterpret_cast<const char*>(e->data), length);
        return EM_TRUE;
    }
    static EM_BOOL OnClose(int, const EmscriptenWebSocketCloseEvent*, void* self)
    {
        static_cast<WebTransport*>(self)->state_ = State::Closed;
        return EM_TRUE;
    }

    EMSCRIPTEN_WEBSOCKET_T socket_ = 0;
    State state_ = State::Closed;
    MessageRing in_;
    MessageRing out_;
};

// The page's own address: the relay serves the page, so it is there too.
char gPage[512];

}  // namespace

std::unique_ptr<Transport> MakeTransport()
{
    return std::make_unique<WebTransport>();
}

// The page shows both in its line about the online game (tools/web/index.html).
void ShowLink(const char* link)
{
    EM_ASM(
        {
            if (window.lorvexOnline) lorvexOnline("link", UTF8ToString($0));
        },
        link);
}

void OfferAnotherGame()
{
    EM_ASM({
        if (window.lorvexOnline) lorvexOnline("ended", "");
    });
}

void TellPlayer(const char* line)
{
    EM_ASM(
        {
            if (window.lorvexOnline) lorvexOnline("line", UTF8ToString($0));
        },
        line != nullptr ? line : "");
}

}  // namespace net

// The page's "play with a friend online": an online game made at the relay that served the page.
extern "C" EMSCRIPTEN_KEEPALIVE void lorvex_play_online()
{
    EM_ASM({ stringToUTF8(location.href, $0, $1); }, net::gPage, static_cast<int>(sizeof net::gPage));
    platform::RequestOnline(net::gPage, true);
}
