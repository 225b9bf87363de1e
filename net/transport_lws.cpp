// The desktop's WebSocket on libwebsockets: Debian's C client that is serviced from the caller's
// own loop with a poll that does not wait, so the game's one thread drives it and nothing is
// hand-written of the WebSocket protocol or its TLS.
#include <libwebsockets.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "net/transport.h"
#include "platform/afx.h"

namespace net {

namespace {

class LwsTransport final : public Transport {
public:
    ~LwsTransport() override { Close(); }

    bool Open(const Relay& relay) override
    {
        lws_set_log_level(LLL_ERR, nullptr);
        lws_context_creation_info info{};
        info.port = CONTEXT_PORT_NO_LISTEN;
        info.protocols = kProtocols;
        info.gid = -1;
        info.uid = -1;
        info.user = this;
        if (relay.tls) info.options |= LWS_SERVER_OPTION_DO_SSL_GLOBAL_INIT;
        context_ = lws_create_context(&info);
        if (context_ == nullptr) return false;
        std::snprintf(hostHeader_, sizeof hostHeader_, "%s:%d", relay.host, relay.port);
        lws_client_connect_info connect{};
        connect.context = context_;
        connect.address = relay.host;
        connect.port = relay.port;
        PathOf(relay, path_, sizeof path_);
        connect.path = path_;
        connect.host = hostHeader_;
        connect.origin = hostHeader_;
        connect.ssl_connection = relay.tls ? LCCSCF_USE_SSL : 0;
        connect.protocol = nullptr;
        connect.pwsi = &socket_;
        connect.userdata = this;
        state_ = State::Connecting;
        if (lws_client_connect_via_info(&connect) == nullptr) state_ = State::Closed;
        return state_ != State::Closed;
    }

    bool Send(const char* text, std::size_t length) override
    {
        if (state_ == State::Closed || length > kMaxMessage || !out_.Push(text, length)) return false;
        if (state_ == State::Open && socket_ != nullptr) lws_callback_on_writable(socket_);
        return true;
    }

    void Service() override
    {
        // Twice: what the first pass received may have been answered by the time of the second.
        if (context_ == nullptr) return;
        lws_service(context_, -1);
        lws_service(context_, -1);
    }

    bool Receive(char* out, std::size_t* length) override { return in_.Pop(out, length); }
    State GetState() const override { return state_; }

    void Close() override
    {
        if (context_ == nullptr) return;
        // What was queued (a bye) gets its chance to go before the socket does.
        for (int i = 0; i < 20 && state_ == State::Open && !out_.Empty(); ++i) lws_service(context_, 10);
        closing_ = true;
        if (socket_ != nullptr && state_ == State::Open) {
            lws_callback_on_writable(socket_);
            for (int i = 0; i < 10 && state_ == State::Open; ++i) lws_service(context_, 10);
        }
        lws_context_destroy(context_);
        context_ = nullptr;
        socket_ = nullptr;
        state_ = State::Closed;
    }

private:
    static int Callback(lws* wsi, lws_callback_reasons reason, void* /*user*/, void* in, size_t len)
    {
        auto* self = static_cast<LwsTransport*>(lws_context_user(lws_get_context(wsi)));
        if (self == nullptr) return 0;
        switch (reason) {
        case LWS_CALLBACK_CLIENT_ESTABLISHED:
            self->state_ = State::Open;
            if (!self->out_.Empty()) lws_callback_on_writable(wsi);
            break;
        case LWS_CALLBACK_CLIENT_RECEIVE: return self->Received(wsi, static_cast<const char*>(in), len);
        case LWS_CALLBACK_CLIENT_WRITEABLE: return self->Writable(wsi);
        case LWS_CALLBACK_CLIENT_CONNECTION_ERROR:
        case LWS_CALLBACK_CLIENT_CLOSED:
        case LWS_CALLBACK_WSI_DESTROY:
            if (wsi == self->socket_) {
                self->state_ = State::Closed;
                self->socket_ = nullptr;
            }
            break;
        default: break;
        }
        return 0;
    }

    int Received(lws* wsi, const char* data, std::size_t length)
    {
        if (lws_is_first_fragment(wsi)) {
            frameLength_ = 0;
            frameBinary_ = lws_frame_is_binary(wsi) != 0;
        }
        // Kept up to one byte past the limit: enough to know the frame is no message.
        for (std::size_t i = 0; i < length && frameLength_ <= kMaxMessage; ++i) frame_[frameLength_++] = data[i];
        if (lws_is_final_fragment(wsi) && lws_remaining_packet_payload(wsi) == 0) {
            const std::size_t whole = frameBinary_ ? kMaxMessage + 1 : frameLength_;
            in_.Push(frame_, whole);
        }
        return 0;
    }

    int Writable(lws* wsi)
    {
        if (closing_) {
            lws_close_reason(wsi, LWS_CLOSE_STATUS_NORMAL, nullptr, 0);
            return -1;
        }
        std::size_t length = 0;
        const char* text = out_.Front(&length);
        if (text == nullptr) return 0;
        unsigned char buffer[LWS_PRE + kMaxMessage];
        std::memcpy(buffer + LWS_PRE, text, length);
        if (lws_write(wsi, buffer + LWS_PRE, length, LWS_WRITE_TEXT) < static_cast<int>(length)) return -1;
        out_.Drop();
        if (!out_.Empty()) lws_callback_on_writable(wsi);
        return 0;
    }

    static const lws_protocols kProtocols[];

    lws_context* context_ = nullptr;
    lws* socket_ = nullptr;
    State state_ = State::Closed;
    bool closing_ = false;
    char hostHeader_[160] = {};
    char path_[64] = {};
    char frame_[kMaxMessage + 1] = {};
    std::size_t frameLength_ = 0;
    bool frameBinary_ = false;
    MessageRing in_;
    MessageRing out_;
};

const lws_protocols LwsTransport::kProtocols[] = {
    {"lorvex", &LwsTransport::Callback, 0, kMaxMessage + 1, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

}  // namespace

std::unique_ptr<Transport> MakeTransport()
{
    return std::make_unique<LwsTransport>();
}

// On the desktop the link goes to standard output, where whoever started the game reads it; what
// the player is told goes to the window's title and standard error.
void ShowLink(const char* link)
{
    std::printf("Send this link to your friend: %s\n", link);
    std::fflush(stdout);
}

}  // namespace net

namespace net {

void OfferAnotherGame() {}

void TellPlayer(const char* line)
{
    char title[160];
    std::snprintf(title, sizeof title, line != nullptr && line[0] != '\0' ? "Lorvex - %s" : "Lorvex", line);
    if (CWnd* frame = AfxGetMainWnd()) SetWindowTextA(frame->m_hWnd, title);
    if (line != nullptr && line[0] != '\0') std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line);
}

}  // namespace net
