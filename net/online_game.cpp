#include "net/online_game.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/globals.h"
#include "app/main_frame.h"
#include "app/screen.h"
#include "net/state_hash.h"
#include "platform/afx.h"
#include "platform/crt.h"
#include "platform/dinput.h"
#include "platform/online.h"

namespace net {

namespace {

constexpr std::uint32_t kPings = 5;
constexpr DWORD kPingEveryMs = 200;
// The relay ends a game in which neither side says anything for 60 s; players on the menu
// are still there.
constexpr DWORD kKeepAliveMs = 20000;

CMainFrame* Frame()
{
    return static_cast<CMainFrame*>(AfxGetMainWnd());
}

HWND Window()
{
    CWnd* frame = AfxGetMainWnd();
    return frame != nullptr ? frame->m_hWnd : nullptr;
}

const char* ByeLine(Why why)
{
    switch (why) {
    case Why::Exit: return "Your friend has left the online game.";
    case Why::Desync: return "The two games no longer agree: the online game has ended.";
    case Why::Timeout: return "Your friend's game waited too long for this one: the online game has ended.";
    default: return "The online game has ended.";
    }
}

const char* ErrorLine(Why why)
{
    switch (why) {
    case Why::Unknown: return "There is no online game at that link (it may have expired).";
    case Why::Full: return "That online game already has two players.";
    case Why::Expired: return "Nobody joined within 10 minutes: the online game has expired.";
    case Why::Idle: return "Nothing was played for a minute: the relay ended the online game.";
    case Why::Taken: return "The relay has an online game of that name already: make another.";
    default: return "The relay refused the online game.";
    }
}

}  // namespace

OnlineGame::OnlineGame() = default;

OnlineGame::~OnlineGame()
{
    if (transport_ != nullptr) transport_->Close();
}

void OnlineGame::Begin(const char* address, bool host, DWORD now)
{
    // Each online game starts afresh: another may follow one that ended.
    modesStarted_ = theirMenus_ = round_ = pings_ = roundTrip_ = pendingAsk_ = 0;
    startPending_ = false;
    delay_ = 4;
    host_ = host;
    if ((!host && !IdOfLink(address, id_)) || !RelayOf(address, &relay_)) {
        TellPlayer(host ? "That is no relay's address (HOST:PORT)." : "That is no link to an online game.");
        return;
    }
    // The ID goes in the socket's path, so that a load balancer sends both players to one relay.
    if (host && !DrawGameId(id_)) {
        TellPlayer("This system gives no random numbers to name an online game with.");
        return;
    }
    std::memcpy(relay_.game, id_, sizeof relay_.game);
    transport_ = MakeTransport();
    if (!transport_->Open(relay_)) {
        End("The relay could not be reached.");
        return;
    }
    phase_ = Phase::Connecting;
    lastSent_ = now;
    TellPlayer(host ? "Making an online game..." : "Joining your friend's online game...");
}

bool OnlineGame::Gate(DWORD now, bool due, bool shown)
{
    now_ = now;
    if (phase_ == Phase::Idle) {
        bool host = false;
        const char* address = platform::OnlineRequest(&host);
        if (address == nullptr) return true;
        platform::RequestOnline(nullptr, false);
        Begin(address, host, now);
    }
    Service(now);
    if (!inMode_ || !due) return true;
    switch (lockstep_.Decide(now, !shown)) {
    case Lockstep::Go::Run:
        if (noticed_) TellPlayer("");
        noticed_ = false;
        RunTick();
        return true;
    case Lockstep::Go::Wait: return false;
    case Lockstep::Go::WaitNoticed:
        if (!noticed_)
            TellPlayer(shown ? "Waiting for your friend..." : "The round waits while the window is minimised.");
        noticed_ = true;
        return false;
    case Lockstep::Go::GiveUp:
        End("Your friend's game stopped answering: the online game has ended.", Why::Timeout);
        return true;
    }
    return true;
}

bool OnlineGame::Filter(UINT message, WPARAM wParam)
{
    if (delivering_ || phase_ == Phase::Idle) return false;
    if (message == WM_CLOSE || message == WM_QUIT) {
        // The player ends the program: the online game ends with it, and the friend is told.
        End("", phase_ == Phase::Paired ? Why::Exit : Why::None);
        return false;
    }
    if (phase_ != Phase::Paired) return false;
    switch (message) {
    case UM_START_GAME:
        if (wParam != 2 && wParam != 3) return false;
        if (host_) {
            StartAsHost(static_cast<std::uint32_t>(wParam));
            return false;
        } else {
            Message ask;
            ask.kind = Kind::Ask;
            ask.a = static_cast<std::uint32_t>(wParam);
            Send(ask);
            return true;  // the host answers with the start for both
        }
    case UM_SHOW_MENU:
        if (inMode_) EndMode();
        return false;
    case WM_KEYDOWN:
        // Space and Esc act for both, on the tick the keys stream carries them to.
        if (!inMode_ || (wParam != VK_SPACE && wParam != VK_ESCAPE)) return false;
        pressed_ |= wParam == VK_SPACE ? kSpaceBit : kEscBit;
        return true;
    default: return false;
    }
}

void OnlineGame::Service(DWORD now)
{
    if (transport_ == nullptr) return;
    if (tickRan_) AfterTick();
    ServeWaitingStart();
    transport_->Service();
    if (phase_ == Phase::Connecting && transport_->GetState() == Transport::State::Open) {
        Message hello;
        hello.kind = host_ ? Kind::Host : Kind::Join;
        std::memcpy(hello.id, id_, sizeof id_);
        phase_ = Phase::Pairing;
        Send(hello);
    }
    char text[kMaxMessage + 1];
    std::size_t length = 0;
    // A start that waits for this side's menu holds back what came after it: the next mode's keys.
    while (transport_ != nullptr && !startPending_ && transport_->Receive(text, &length)) {
        Message m;
        if (!Parse(text, length, &m)) {
            End("Unreadable message: the online game has ended.", phase_ == Phase::Paired ? Why::Desync : Why::None);
            return;
        }
        Handle(m, now);
    }
    if (transport_ == nullptr) return;
    if (transport_->GetState() == Transport::State::Closed) {
        End(phase_ == Phase::Connecting ? "The relay could not be reached." : "The connection to the relay was lost.");
        return;
    }
    if (phase_ == Phase::Paired) Ping(now);
    transport_->Service();
}

void OnlineGame::Ping(DWORD now)
{
    const bool measuring = host_ && pings_ < kPings && now - lastPing_ >= kPingEveryMs;
    if (!measuring && now - lastSent_ < kKeepAliveMs) return;
    Message ping;
    ping.kind = Kind::Ping;
    ping.a = now;
    lastPing_ = now;
    if (measuring) ++pings_;
    Send(ping);
}

void OnlineGame::Handle(const Message& m, DWORD now)
{
    if (m.kind == Kind::Error) return End(ErrorLine(m.why));
    if (m.kind == Kind::Gone) return End("Your friend has gone: the online game has ended.");
    if (phase_ == Phase::Pairing && m.kind == Kind::Game && host_) {
        std::memcpy(id_, m.id, sizeof id_);
        char link[256];
        LinkOf(relay_, id_, link, sizeof link);
        ShowLink(link);
        TellPlayer("Waiting for your friend to open the link...");
        return;
    }
    if (phase_ == Phase::Pairing && m.kind == Kind::Paired) {
        phase_ = Phase::Paired;
        Message hello;
        hello.kind = Kind::Hello;
        hello.a = kProtocolVersion;
        Send(hello);
        TellPlayer(host_ ? "Your friend is here: two players or the match starts for both."
                         : "You are in your friend's online game: two players or the match starts for both.");
        return;
    }
    if (phase_ == Phase::Paired) return HandlePaired(m, now);
    End("The relay's answer makes no sense: the online game has ended.");
}

void OnlineGame::HandlePaired(const Message& m, DWORD now)
{
    // Keys and hashes of a mode the other side has not yet ended belong to the last one.
    const bool sameMode = inMode_ && theirMenus_ + 1 == modesStarted_;
    switch (m.kind) {
    case Kind::Hello:
        if (m.a != kProtocolVersion)
            End("Your friend's game is another version: the online game has ended.", Why::Exit);
        return;
    case Kind::Ping: {
        Message pong;
        pong.kind = Kind::Pong;
        pong.a = m.a;
        Send(pong);
        return;
    }
    case Kind::Pong:
        if (host_ && pings_ <= kPings && now - m.a < 60000) {
            const std::uint32_t trip = now - m.a;
            if (trip > roundTrip_) roundTrip_ = trip;
            delay_ = DelayFor(roundTrip_);
            std::fprintf(stderr, "lorvex: round trip %u ms, input delay %u ticks\n", static_cast<unsigned>(trip),
                         static_cast<unsigned>(delay_));
        }
        return;
    case Kind::Ask:
        if (!host_) break;
        if (inMode_) {
            pendingAsk_ = m.a;
        } else {
            StartAsHost(m.a);
            Deliver(UM_START_GAME, m.a);
        }
        return;
    case Kind::Start:
        if (host_) break;
        if (!inMode_) return ApplyStart(m);
        pendingStart_ = m;
        startPending_ = true;
        return;
    case Kind::Keys:
        if (sameMode && !lockstep_.TakeTheirs(m.a, static_cast<std::uint8_t>(m.b)))
            End("Keys out of order: the online game has ended.", Why::Desync);
        return;
    case Kind::Hash:
        if (sameMode && lockstep_.TheirHash(m.a, m.hash) == Lockstep::Check::Mismatch) {
            std::fprintf(stderr, "lorvex: the state hashes after tick %u differ\n", static_cast<unsigned>(m.a));
            End(ByeLine(Why::Desync), Why::Desync);
        }
        return;
    case Kind::Menu: ++theirMenus_; return;
    case Kind::Bye: return End(ByeLine(m.why));
    default: break;
    }
    End("Unexpected message: the online game has ended.", Why::Desync);
}

void OnlineGame::Send(const Message& m)
{
    if (transport_ == nullptr) return;
    char text[kMaxMessage + 1];
    const std::size_t length = Format(m, text, sizeof text);
    if (length > 0) transport_->Send(text, length);
    lastSent_ = now_;
}

void OnlineGame::StartAsHost(std::uint32_t mode)
{
    Message start;
    start.kind = Kind::Start;
    start.a = mode;
    // Any seed the friend cannot foresee will do: the generator, seeded at the program's start by
    // the time, and the clock now.
    start.b = RoundSeed(static_cast<std::uint32_t>(crt::rand()) << 15 ^ static_cast<std::uint32_t>(crt::rand()), now_);
    start.c = static_cast<std::uint32_t>(gLevel);
    start.d = delay_;
    Send(start);
    BeginMode(start.a, start.b, start.d);
}

void OnlineGame::ApplyStart(const Message& start)
{
    // The friend plays at the host's level and never keeps it.
    if (!levelHeld_) {
        ownLevel_ = gLevel;
        levelHeld_ = true;
        platform::HoldProfile(true);
    }
    gLevel = static_cast<int>(start.c);
    BeginMode(start.a, start.b, start.d);
    Deliver(UM_START_GAME, start.a);
}

void OnlineGame::BeginMode(std::uint32_t mode, std::uint32_t seed, std::uint32_t delay)
{
    seed_ = seed;
    round_ = 0;
    crt::srand(RoundSeed(seed_, round_));
    lockstep_.Start(delay);
    inMode_ = true;
    ++modesStarted_;
    tickRan_ = false;
    pressed_ = 0;
    for (unsigned dik : {DIK_LEFT, DIK_RIGHT, DIK_A, DIK_S}) platform::HoldKey(dik, platform::kOnlineHolder, false);
    platform::ReadKeysOf(platform::kOnlineHolder);
    std::fprintf(stderr, "lorvex: online mode %u, input delay %u ticks\n", static_cast<unsigned>(mode),
                 static_cast<unsigned>(lockstep_.Delay()));
}

void OnlineGame::EndMode()
{
    inMode_ = false;
    tickRan_ = false;
    platform::ReadKeysOf(0xFF);
    for (unsigned dik : {DIK_LEFT, DIK_RIGHT, DIK_A, DIK_S}) platform::HoldKey(dik, platform::kOnlineHolder, false);
    if (levelHeld_) {
        gLevel = ownLevel_;
        levelHeld_ = false;
        platform::HoldProfile(false);
    }
    if (noticed_) TellPlayer("");
    noticed_ = false;
    if (phase_ != Phase::Paired) return;
    Message menu;
    menu.kind = Kind::Menu;
    Send(menu);
}

// A start or an ask that came while this side's mode was ending, served once the menu it asked
// for is shown: started before that, the mode would have the menu for its screen.
void OnlineGame::ServeWaitingStart()
{
    if (inMode_ || phase_ != Phase::Paired) return;
    if (startPending_) {
        startPending_ = false;
        ApplyStart(pendingStart_);
    } else if (pendingAsk_ != 0) {
        const std::uint32_t mode = pendingAsk_;
        pendingAsk_ = 0;
        StartAsHost(mode);
        Deliver(UM_START_GAME, mode);
    }
}

void OnlineGame::RunTick()
{
    const std::uint8_t host = host_ ? lockstep_.Own() : lockstep_.Theirs();
    const std::uint8_t friendKeys = host_ ? lockstep_.Theirs() : lockstep_.Own();
    platform::HoldKey(DIK_LEFT, platform::kOnlineHolder, (host & kLeftBit) != 0);
    platform::HoldKey(DIK_RIGHT, platform::kOnlineHolder, (host & kRightBit) != 0);
    platform::HoldKey(DIK_A, platform::kOnlineHolder, (friendKeys & kLeftBit) != 0);
    platform::HoldKey(DIK_S, platform::kOnlineHolder, (friendKeys & kRightBit) != 0);

    // This player's keys, whichever of theirs they hold (arrows, A and S, a pad, a finger),
    // go out for the tick one delay on.
    const BYTE local = platform::kLocalHolders;
    std::uint8_t bits = pressed_;
    if (platform::IsHeldBy(DIK_LEFT, local) || platform::IsHeldBy(DIK_A, local)) bits |= kLeftBit;
    if (platform::IsHeldBy(DIK_RIGHT, local) || platform::IsHeldBy(DIK_S, local)) bits |= kRightBit;
    pressed_ = 0;
    Message keys;
    keys.kind = Kind::Keys;
    keys.a = lockstep_.KeepOwn(bits);
    keys.b = bits;
    Send(keys);

    // Space and Esc of either player, in one order on both sides; each may begin a round, whose
    // items are drawn from the round's own seed.
    const std::uint8_t both = host | friendKeys;
    for (const auto& [bit, key] : {std::pair<std::uint8_t, UINT>{kSpaceBit, VK_SPACE}, {kEscBit, VK_ESCAPE}}) {
        if ((both & bit) == 0) continue;
        crt::srand(RoundSeed(seed_, ++round_));
        Deliver(WM_KEYDOWN, key);
    }
    lockstep_.Advance();
    tickRan_ = true;
}

void OnlineGame::AfterTick()
{
    tickRan_ = false;
    const std::uint32_t tick = lockstep_.Tick() - 1;
    CMainFrame* frame = Frame();
    if (!inMode_ || !Lockstep::IsHashTick(tick) || frame == nullptr || frame->gameScreen == nullptr) return;
    Message hash;
    hash.kind = Kind::Hash;
    hash.a = tick;
    hash.hash = StateHash(*frame->gameScreen, crt::state());
    Send(hash);
    if (lockstep_.OwnHash(tick, hash.hash) == Lockstep::Check::Mismatch) End(ByeLine(Why::Desync), Why::Desync);
}

void OnlineGame::Deliver(UINT message, WPARAM wParam)
{
    HWND window = Window();
    if (window == nullptr) return;
    delivering_ = true;
    SendMessageA(window, message, wParam, 0);
    delivering_ = false;
}

void OnlineGame::End(const char* line, Why why)
{
    if (why != Why::None) {
        Message bye;
        bye.kind = Kind::Bye;
        bye.why = why;
        Send(bye);
    }
    const bool wasInMode = inMode_;
    phase_ = Phase::Idle;  // first, so that ending the mode says nothing more to the other side
    startPending_ = false;
    pendingAsk_ = 0;
    if (inMode_) EndMode();
    if (transport_ != nullptr) transport_->Close();
    transport_.reset();
    if (line != nullptr && line[0] != '\0') TellPlayer(line);
    OfferAnotherGame();
    // A round of two places cannot go on in one: both players are back on the menu.
    if (wasInMode && Window() != nullptr && line != nullptr && line[0] != '\0')
        PostMessageA(Window(), UM_SHOW_MENU, 0, 0);
}

}  // namespace net
