#!/usr/bin/python3
"""Lorvex's relay: pairs the two players of an online game and forwards their messages
(docs/online.md), and serves the browser build's files on the same port.

    relay.py [--host 127.0.0.1] [--port 8000] [--files build-web] [--delay-ms N --jitter-ms M]
"""

import argparse
import asyncio
import http
import logging
import os
import random
import re
import resource
import secrets
import signal
import sys
from urllib.parse import parse_qs, unquote, urlsplit

from websockets.exceptions import AbortHandshake, ConnectionClosed, InvalidHandshake
from websockets.legacy.server import WebSocketServerProtocol, serve

log = logging.getLogger("relay")

ID_ALPHABET = "abcdefghijklmnopqrstuvwxyz234567"
ID_LENGTH = 12
ID_PATTERN = re.compile(f"[{ID_ALPHABET}]{{{ID_LENGTH}}}")
MAX_MESSAGE = 64
# A receiver this many messages behind is not reading; holding more for it only costs memory.
OUTBOX_MAX = 256
# Time a connection gets to send its HTTP request; the library itself waits forever.
HANDSHAKE_S = 10

# ---------------------------------------------------------------------------------------------
# Messages

U32 = 4294967295
TICK_MAX = 2147483647
NUMBER = "(0|[1-9][0-9]{0,9})"  # decimal, no sign, no leading zero; the range is checked after


def _rule(pattern, *ranges):
    return re.compile(pattern.replace("N", NUMBER)), ranges


# What a player may send its peer: the pattern, and the range of each number in it in order.
PEER_RULES = {
    "hello": _rule("hello N", (1, 65535)),
    "ping": _rule("ping N", (0, U32)),
    "pong": _rule("pong N", (0, U32)),
    "ask": _rule("ask [23]"),
    "start": _rule("start [23] N N N", (0, U32), (1, 20), (1, 25)),
    "keys": _rule("keys N N", (0, TICK_MAX), (0, 15)),
    "hash": _rule("hash N [0-9a-f]{16}", (0, TICK_MAX)),
    "menu": _rule("menu"),
    "bye": _rule("bye (?:exit|desync|timeout)"),
}
# Who of the two may send a word; a word not listed here either may.
SENDER_ROLE = {"start": "host", "ask": "guest"}
JOIN = re.compile(f"join ({ID_PATTERN.pattern})")


def peer_word(text):
    """The word of a well-formed message between players, or None."""
    word = text.partition(" ")[0]
    rule = PEER_RULES.get(word)
    if rule is None:
        return None
    pattern, ranges = rule
    match = pattern.fullmatch(text)
    if not match or not all(lo <= int(n) <= hi for n, (lo, hi) in zip(match.groups(), ranges)):
        return None
    return word


def opening(text):
    """("host", None) or ("join", ID) for a connection's first message, or None."""
    if text == "host":
        return "host", None
    match = JOIN.fullmatch(text)
    return ("join", match.group(1)) if match else None


class Drop(Exception):
    """The client broke the rules; the text is the reason logged."""


class TokenBucket:
    def __init__(self, rate, burst, clock):
        self.rate, self.burst, self.clock = rate, burst, clock
        self.tokens, self.stamp = float(burst), clock()

    def take(self):
        now = self.clock()
        self.tokens = min(self.burst, self.tokens + (now - self.stamp) * self.rate)
        self.stamp = now
        if self.tokens < 1:
            return False
        self.tokens -= 1
        return True


# ---------------------------------------------------------------------------------------------
# Online games


class Player:
    """One connection. Everything sent to it goes through its outbox, in order, so a delayed
    forward is never overtaken by the relay's own messages."""

    def __init__(self, ws, bucket):
        self.ws, self.bucket = ws, bucket
        self.game, self.role = None, None
        self.outbox = asyncio.Queue()
        self.name = "%s:%s" % (ws.remote_address or ("?", "?"))[:2]

    def send(self, text, due):
        if self.outbox.qsize() >= OUTBOX_MAX:
            if not self.ws.transport.is_closing():
                log.warning("%s dropped: not reading", self.name)
                self.ws.transport.abort()
            return
        self.outbox.put_nowait((due, text))

    def close_after_sent(self):
        self.outbox.put_nowait((0, None))

    async def pump(self):
        # One queue, sent in order: a message due earlier than the one before it waits for it.
        loop = asyncio.get_running_loop()
        try:
            while True:
                due, text = await self.outbox.get()
                if due > loop.time():
                    await asyncio.sleep(due - loop.time())
                if text is None:
                    await self.ws.close()
                    return
                await self.ws.send(text)
        except ConnectionClosed:
            pass


class OnlineGame:
    def __init__(self, game_id, host, now):
        self.id = game_id
        self.players = [host]
        self.last_active = now
        self.paired = asyncio.Event()
        self.over = False
        self.watchdog = None
        host.game, host.role = self, "host"

    def peer(self, player):
        return next((p for p in self.players if p is not player), None)


class Relay:
    def __init__(self, files, delay_ms=0, jitter_ms=0, expire_s=600, idle_s=60, first_s=10, close_s=2,
                 rate=60, burst=120):
        self.files = StaticFiles(files)
        self.delay_s, self.jitter_s = delay_ms / 1000, jitter_ms / 1000
        self.expire_s, self.idle_s, self.first_s = expire_s, idle_s, first_s
        # A client dropped in the middle of a large frame never answers the close: its peer
        # hears `gone` only when this ends.
        self.close_s = close_s
        self.rate, self.burst = rate, burst
        self.games = {}

    async def start(self, host, port):
        return await serve(self.handler, host, port, create_protocol=RelayProtocol,
                           process_request=self.process_request, compression=None,
                           max_size=MAX_MESSAGE, max_queue=4, read_limit=4096, close_timeout=self.close_s)

    def now(self):
        return asyncio.get_running_loop().time()

    def forward_due(self):
        jitter = random.uniform(-self.jitter_s, self.jitter_s) if self.jitter_s else 0
        return self.now() + max(0.0, self.delay_s + jitter)

    async def process_request(self, path, headers):
        url = urlsplit(path)
        if url.path != "/relay":
            return await self.files.response(url.path, headers.get("Accept-Encoding", ""))
        if "game" in parse_qs(url.query) and requested_game(path) is None:
            return http.HTTPStatus.BAD_REQUEST, [], b"bad game\n"
        return None

    async def handler(self, ws, path):
        player = Player(ws, TokenBucket(self.rate, self.burst, self.now))
        pump = asyncio.create_task(player.pump())
        try:
            first = await asyncio.wait_for(ws.recv(), self.first_s)
            if self.open(player, self.check(player, first), requested_game(path)):
                async for text in ws:
                    self.receive(player, self.check(player, text))
        except Drop as drop:
            log.warning("%s dropped: %s", player.name, drop)
            self.leave(player)
            await ws.close(1008, str(drop))
        except asyncio.TimeoutError:
            log.warning("%s dropped: no first message in %g s", player.name, self.first_s)
        except ConnectionClosed as closed:
            reason = LIBRARY_DROPS.get(closed.sent.code if closed.sent else None)
            if reason:
                log.warning("%s dropped: %s", player.name, reason)
        finally:
            self.leave(player)
            if ws.open:  # the relay's last words, then the close
                player.close_after_sent()
                await asyncio.wait([pump], timeout=ws.close_timeout)
            pump.cancel()

    def check(self, player, message):
        if not isinstance(message, str):
            raise Drop("binary frame")
        if not player.bucket.take():
            raise Drop("flooding")
        return message

    def open(self, player, text, url_game):
        """Handles the first message; whether the connection goes on."""
        first = opening(text)
        if first is None:
            raise Drop("bad first message")
        if first[0] == "host":
            return self.host(player, url_game)
        return self.join(player, first[1], url_game)

    def host(self, player, url_game):
        if url_game in self.games:
            self.refuse(player, "error taken")
            return False
        game_id = url_game or self.new_id()
        game = OnlineGame(game_id, player, self.now())
        self.games[game_id] = game
        game.watchdog = asyncio.create_task(self.watch(game))
        player.send(f"game {game_id}", self.now())
        return True

    def join(self, player, game_id, url_game):
        game = self.games.get(game_id) if url_game in (None, game_id) else None
        if game is None or game.paired.is_set():
            self.refuse(player, "error unknown" if game is None else "error full")
            return False
        game.players.append(player)
        player.game, player.role = game, "guest"
        game.last_active = self.now()
        game.paired.set()
        for p in game.players:
            p.send("paired", self.now())
        return True

    def refuse(self, player, text):
        player.send(text, self.now())
        player.close_after_sent()

    def new_id(self):
        while True:
            game_id = "".join(secrets.choice(ID_ALPHABET) for _ in range(ID_LENGTH))
            if game_id not in self.games:
                return game_id

    def receive(self, player, text):
        game = player.game
        if game is None or game.over:
            return  # the game ended; its last messages are of no use to anyone
        if not game.paired.is_set():
            raise Drop("message before pairing")
        word = peer_word(text)
        if word is None:
            raise Drop("malformed message")
        if SENDER_ROLE.get(word, player.role) != player.role:
            raise Drop(f"{word} from the {player.role}")
        game.last_active = self.now()
        game.peer(player).send(text, self.forward_due())

    def leave(self, player):
        game, player.game = player.game, None
        if game is not None and not game.over:
            self.end(game, {p: "gone" for p in game.players if p is not player})

    def end(self, game, last_words):
        game.over = True
        self.games.pop(game.id, None)
        if game.watchdog is not asyncio.current_task():
            game.watchdog.cancel()
        for p, text in last_words.items():
            p.game = None
            p.send(text, self.now())
            p.close_after_sent()

    async def watch(self, game):
        try:
            await asyncio.wait_for(game.paired.wait(), self.expire_s)
        except asyncio.TimeoutError:
            self.end(game, {game.players[0]: "error expired"})
            return
        while True:
            left = game.last_active + self.idle_s - self.now()
            if left <= 0:
                self.end(game, {p: "error idle" for p in game.players})
                return
            await asyncio.sleep(left)


# Close codes the library sends when it drops a client itself.
LIBRARY_DROPS = {1002: "WebSocket protocol error", 1007: "text frame not UTF-8",
                 1009: f"frame over {MAX_MESSAGE} bytes"}


def requested_game(path):
    """The ID of `/relay?game=ID`, the key a load balancer routes by; None when absent or bad."""
    values = parse_qs(urlsplit(path).query).get("game", [])
    return values[0] if len(values) == 1 and ID_PATTERN.fullmatch(values[0]) else None


class RelayProtocol(WebSocketServerProtocol):
    """Bounds the opening handshake in time and logs a request the library refuses."""

    async def handshake(self, *args, **kwargs):
        name = "%s:%s" % (self.remote_address or ("?", "?"))[:2]
        try:
            return await asyncio.wait_for(super().handshake(*args, **kwargs), HANDSHAKE_S)
        except asyncio.TimeoutError:
            log.warning("%s dropped: no HTTP request in %d s", name, HANDSHAKE_S)
            raise AbortHandshake(http.HTTPStatus.REQUEST_TIMEOUT, [], b"timeout\n")
        except InvalidHandshake as exc:
            if not isinstance(exc, AbortHandshake):
                log.warning("%s dropped: bad HTTP request (%s)", name, exc)
            raise


# ---------------------------------------------------------------------------------------------
# Files

CONTENT_TYPES = {
    ".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8",
    ".wasm": "application/wasm", ".data": "application/octet-stream", ".json": "application/json",
    ".webmanifest": "application/manifest+json", ".png": "image/png", ".svg": "image/svg+xml",
    ".css": "text/css; charset=utf-8", ".txt": "text/plain; charset=utf-8", ".ico": "image/x-icon",
}
# Precompressed siblings by preference.
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


def accepted_encodings(header):
    """The codings an Accept-Encoding header allows (q above 0)."""
    allowed = set()
    for item in header.lower().split(","):
        coding, *params = [part.strip() for part in item.split(";")]
        q = 1.0
        for param in params:
            name, _, value = param.partition("=")
            if name.strip() == "q":
                try:
                    q = float(value)
                except ValueError:
                    q = 0.0
        if coding and q > 0:
            allowed.add(coding)
    return allowed


class StaticFiles:
    def __init__(self, root):
        self.root = os.path.realpath(root)

    def resolve(self, url_path):
        """The real path of a regular file inside the folder for a URL path, or None."""
        rel = unquote(url_path, errors="strict") if "%" in url_path else url_path
        if rel == "/":
            rel = "/index.html"
        parts = rel[1:].split("/")
        if not rel.startswith("/") or "\0" in rel or any(p in ("", ".", "..") for p in parts):
            return None
        full = os.path.realpath(os.path.join(self.root, *parts))
        if os.path.commonpath([full, self.root]) != self.root or not os.path.isfile(full):
            return None
        return full

    async def response(self, url_path, accept_encoding):
        try:
            full = self.resolve(url_path)
        except UnicodeDecodeError:
            full = None
        if full is None:
            return http.HTTPStatus.NOT_FOUND, [("Content-Type", "text/plain")], b"not found\n"
        headers = [("Content-Type", CONTENT_TYPES.get(os.path.splitext(full)[1], "application/octet-stream")),
                   ("Cache-Control", "no-cache"), ("X-Content-Type-Options", "nosniff")]
        base = "/index.html" if url_path == "/" else url_path
        siblings = [(coding, self.resolve(base + suffix)) for coding, suffix in ENCODINGS]
        siblings = [(coding, path) for coding, path in siblings if path]
        if siblings:
            headers.append(("Vary", "Accept-Encoding"))
        allowed = accepted_encodings(accept_encoding)
        for coding, path in siblings:
            if coding in allowed:
                headers.append(("Content-Encoding", coding))
                full = path
                break
        body = await asyncio.to_thread(read_file, full)
        return http.HTTPStatus.OK, headers, body


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


# ---------------------------------------------------------------------------------------------


def parse_args(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Lorvex's relay for online games and the browser build's files")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("--files", default=os.path.join(here, "..", "build-web"))
    parser.add_argument("--delay-ms", type=float, default=0, help="delay of each forwarded message (tests)")
    parser.add_argument("--jitter-ms", type=float, default=0, help="plus or minus this much (tests)")
    return parser.parse_args(argv)


async def run(args):
    relay = Relay(args.files, args.delay_ms, args.jitter_ms)
    server = await relay.start(args.host, args.port)
    port = server.sockets[0].getsockname()[1]
    log.info("listening on http://%s:%d/ (WebSocket /relay, files from %s)", args.host, port, relay.files.root)
    stop = asyncio.get_running_loop().create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(sig, stop.set_result, None)
    await stop
    server.close()
    await server.wait_closed()


def main(argv=None):
    logging.basicConfig(level=logging.INFO, format="relay: %(message)s", stream=sys.stderr)
    logging.getLogger("websockets").setLevel(logging.WARNING)
    # Two sockets a game: the default of 1024 descriptors would cap a process near 500 games.
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    asyncio.run(run(parse_args(argv)))


if __name__ == "__main__":
    main()
