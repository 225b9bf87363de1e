"""Headless Chromium driven over the DevTools protocol on a pipe, with the standard library only.

Chromium reads commands from descriptor 3 and writes replies and events to descriptor 4, each
a JSON object ended by a NUL byte (--remote-debugging-pipe).
"""
import base64
import fcntl
import json
import os
import queue
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import zlib

FLAGS = [
    "--headless=new", "--no-sandbox", "--remote-debugging-pipe", "--no-first-run", "--no-default-browser-check",
    "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-quic",
    "--disable-extensions", "--disable-default-apps", "--mute-audio", "--hide-scrollbars",
    "--enable-unsafe-swiftshader",
]


class Browser:
    def __init__(self, width, height, extra_flags=(), profile=None):
        """A browser with a new profile, or the given profile folder, which is then kept."""
        self.keep_profile = profile is not None
        self.profile = profile or tempfile.mkdtemp(prefix="lorvex-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def child_fds():
            # The pipe ends Chromium expects as descriptors 3 and 4, moved out of the way first.
            reading = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
            writing = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            ["chromium", *FLAGS, f"--user-data-dir={self.profile}", f"--window-size={width},{height}",
             *extra_flags, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=child_fds, pass_fds=(3, 4))
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._next_id = 0
        self._replies = {}
        self._lock = threading.Condition()
        self.events = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self.session = None

    def _read(self):
        buffer = b""
        while True:
            chunk = os.read(self._from_browser, 1 << 16)
            if not chunk:
                break
            buffer += chunk
            while b"\0" in buffer:
                raw, buffer = buffer.split(b"\0", 1)
                message = json.loads(raw)
                if "id" in message:
                    with self._lock:
                        self._replies[message["id"]] = message
                        self._lock.notify_all()
                else:
                    self.events.put(message)
        with self._lock:
            self._replies[None] = {"error": "the browser closed its pipe"}
            self._lock.notify_all()

    def send(self, method, params=None, session=True, timeout=30):
        with self._lock:
            self._next_id += 1
            number = self._next_id
        message = {"id": number, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + timeout
        with self._lock:
            while number not in self._replies and None not in self._replies:
                left = end - time.monotonic()
                if left <= 0:
                    raise TimeoutError(method)
                self._lock.wait(left)
            reply = self._replies.pop(number, None) or self._replies[None]
        if "error" in reply:
            raise RuntimeError(f"{method}: {reply['error']}")
        return reply["result"]

    def attach_page(self):
        targets = self.send("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(f"{domain}.enable")

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def screenshot(self, path=None, clip=None):
        params = {"format": "png"}
        if clip:
            params["clip"] = {**clip, "scale": 1}
        data = base64.b64decode(self.send("Page.captureScreenshot", params)["data"])
        if path:
            with open(path, "wb") as f:
                f.write(data)
        return data

    def pixel(self, x, y):
        """The colour shown at window point (x, y)."""
        return first_pixel(self.screenshot(clip={"x": x, "y": y, "width": 1, "height": 1}))

    def drain_events(self):
        found = []
        while True:
            try:
                found.append(self.events.get_nowait())
            except queue.Empty:
                return found

    def close(self):
        try:
            self.send("Browser.close", session=False, timeout=5)
        except (RuntimeError, TimeoutError, OSError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        if not self.keep_profile:
            shutil.rmtree(self.profile, ignore_errors=True)


def first_pixel(png):
    """The first pixel of a PNG: its first row's filter leaves the first pixel as it is."""
    pos = 8
    idat = b""
    color_type = None
    while pos < len(png):
        length, kind = struct.unpack(">I4s", png[pos:pos + 8])
        body = png[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            color_type = body[9]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompressobj().decompress(idat, 8)
    assert color_type in (2, 6), f"PNG colour type {color_type}"
    return tuple(raw[1:4])
