"""The relay in-process on a free port, driven by real WebSocket clients and raw HTTP requests."""

import asyncio
import os
import tempfile
import unittest

from websockets.legacy.client import connect

from relay import Relay

GOOD = ["hello 1", "ping 4294967295", "keys 2147483647 15", "hash 0 0123456789abcdef", "menu", "bye desync"]
MALFORMED = ["keys 01 1", "keys 1 16", "keys 2147483648 0", "hash 1 0123456789ABCDEF", "hello", "hello 0",
             "start 2 1 21 1", "ask 4", "bye now", "menu ", "keys  1 1", "keys 1 1\n", "k\u00e9ys 1 1", "host",
             "join abcdefghijkl", "ping 99999999999"]


class RelayTest(unittest.IsolatedAsyncioTestCase):
    async def start(self, **timing):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.server = await Relay(self.folder.name, **timing).start("127.0.0.1", 0)
        self.addAsyncCleanup(self.server.wait_closed)
        self.addCleanup(self.server.close)
        self.url = "ws://127.0.0.1:%d/relay" % self.server.sockets[0].getsockname()[1]

    async def asyncSetUp(self):
        if "expire" not in self._testMethodName and "delayed" not in self._testMethodName:
            await self.start()

    async def client(self, first, query=""):
        ws = await connect(self.url + query, max_size=None)
        await ws.send(first)
        return ws

    async def pair(self, query=""):
        host = await self.client("host", query)
        game_id = (await host.recv()).split()[1]
        guest = await self.client("join " + game_id, query)
        self.assertEqual([await host.recv(), await guest.recv()], ["paired", "paired"])
        return host, guest, game_id

    async def assertClosedAfter(self, ws, *texts, code=1000):
        self.assertEqual([await ws.recv() for _ in texts], list(texts))
        await ws.wait_closed()
        self.assertEqual(ws.close_code, code)

    async def test_pairing_forwards_each_way_and_ends_with_gone(self):
        host, guest, game_id = await self.pair()
        self.assertRegex(game_id, "^[a-z2-7]{12}$")
        for text in GOOD:
            await host.send(text)
            await guest.send(text)
        await guest.send("ask 3")
        self.assertEqual([await guest.recv() for _ in GOOD], GOOD)
        self.assertEqual([await host.recv() for _ in GOOD + ["ask 3"]], GOOD + ["ask 3"])
        await host.send("start 3 4294967295 20 25")
        self.assertEqual(await guest.recv(), "start 3 4294967295 20 25")
        await host.close()
        await self.assertClosedAfter(guest, "gone")
        await self.assertClosedAfter(await self.client("join " + game_id), "error unknown")

    async def test_refusals(self):
        _, _, game_id = await self.pair()
        await self.assertClosedAfter(await self.client("join " + game_id), "error full")
        await self.assertClosedAfter(await self.client("join aaaaaaaaaaaa"), "error unknown")
        _, _, chosen = await self.pair("?game=bbbbbbbbbbbb")
        self.assertEqual(chosen, "bbbbbbbbbbbb")
        await self.assertClosedAfter(await self.client("host", "?game=" + chosen), "error taken")
        host = await self.client("host", "?game=cccccccccccc")
        await host.recv()
        await self.assertClosedAfter(await self.client("join cccccccccccc", "?game=dddddddddddd"), "error unknown")
        with self.assertRaises(Exception):  # an ID off the alphabet is refused at the handshake
            await connect(self.url + "?game=bad")

    async def test_bad_clients_are_dropped_while_a_good_game_forwards(self):
        good_host, good_guest, _ = await self.pair()
        bad = [(text, 1008) for text in MALFORMED + [b"keys 1 1", "start 2 1 1 1"]] + [("x" * 65, 1009), ("x" * 2**20, 1009)]
        with self.assertLogs("relay", "WARNING") as logs:
            for tick, (message, code) in enumerate(bad):
                host, guest, _ = await self.pair()
                await guest.send(message)
                await self.assertClosedAfter(guest, code=code)
                await self.assertClosedAfter(host, "gone")
                await good_host.send(f"keys {tick} 1")
                self.assertEqual(await good_guest.recv(), f"keys {tick} 1")
            early = await self.client("host")
            await early.recv()
            await early.send("hello 1")
            await self.assertClosedAfter(early, code=1008)
            host, flooder, _ = await self.pair()
            for _ in range(200):
                await flooder.send("ping 1")
            forwarded = [text async for text in host]
            self.assertLess(len(forwarded), 130)  # the burst, and what 60/s refilled meanwhile
            self.assertEqual(forwarded[-1], "gone")
        self.assertEqual(len(logs.output), len(bad) + 2)
        self.assertIn("flooding", logs.output[-1])
        await good_guest.send("menu")
        self.assertEqual(await good_host.recv(), "menu")

    async def test_unjoined_and_idle_games_expire(self):
        await self.start(expire_s=0.2, idle_s=0.3)
        lonely = await self.client("host")
        await lonely.recv()
        host, guest, _ = await self.pair()
        await self.assertClosedAfter(lonely, "error expired")
        await host.send("menu")  # keeps the game 0.3 s more
        sent = asyncio.get_running_loop().time()
        await self.assertClosedAfter(guest, "menu", "error idle")
        self.assertGreater(asyncio.get_running_loop().time() - sent, 0.25)
        await self.assertClosedAfter(host, "error idle")

    async def test_delayed_forwards_keep_their_order(self):
        await self.start(delay_ms=20, jitter_ms=15)
        host, guest, _ = await self.pair()
        sent = [f"keys {tick} 0" for tick in range(100)]
        for text in sent:
            await host.send(text)
        self.assertEqual([await guest.recv() for _ in sent], sent)

    async def get(self, path, encodings=""):
        reader, writer = await asyncio.open_connection(*self.server.sockets[0].getsockname()[:2])
        writer.write(f"GET {path} HTTP/1.1\r\nHost: x\r\nAccept-Encoding: {encodings}\r\n\r\n".encode())
        head, _, body = (await reader.read()).partition(b"\r\n\r\n")
        writer.close()
        lines = head.decode().split("\r\n")
        return int(lines[0].split()[1]), dict(line.split(": ", 1) for line in lines[1:]), body

    async def test_files(self):
        root = self.folder.name
        for name, data in [("index.html", b"page"), ("lorvex.wasm", b"\0asm"), ("lorvex.wasm.br", b"B"),
                           ("lorvex.wasm.gz", b"G"), ("lorvex.js", b"js")]:
            with open(os.path.join(root, name), "wb") as f:
                f.write(data)
        os.symlink("/etc/passwd", os.path.join(root, "out"))
        self.assertEqual((await self.get("/?join=abc"))[::2], (200, b"page"))
        status, headers, body = await self.get("/lorvex.wasm")
        self.assertEqual((status, headers["Content-Type"], headers["Vary"], body), (200, "application/wasm",
                                                                                   "Accept-Encoding", b"\0asm"))
        self.assertNotIn("Content-Encoding", headers)
        for encodings, expected in [("gzip, br", b"B"), ("gzip, br;q=0", b"G"), ("deflate", b"\0asm")]:
            self.assertEqual((await self.get("/lorvex.wasm", encodings))[2], expected, encodings)
        self.assertEqual((await self.get("/lorvex.wasm", "br"))[1]["Content-Encoding"], "br")
        self.assertNotIn("Vary", (await self.get("/lorvex.js", "br"))[1])
        for path in ["/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "//etc/passwd", "/out", "/missing", "/a/../index.html"]:
            self.assertEqual((await self.get(path))[0], 404, path)


if __name__ == "__main__":
    unittest.main()
