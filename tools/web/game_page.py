"""The game's page in headless Chromium: served from a folder, sized, clicked and typed on, and
what it shows compared with the game's own pictures (with ImageMagick's compare). Used by the
browser check (check.py) and the CPU measurement (cpu_footprint.py).
"""
import functools
import http.server
import os
import queue
import re
import subprocess
import tempfile
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WORK = tempfile.mkdtemp(prefix="lorvex-web-")
SETTINGS_KEY = "/libsdl/Tamberlo/lorvex/settings.ini"
PICTURE_W, PICTURE_H = 640, 480
# Picture points of the menu's buttons.
ONE_PLAYER, TWO_PLAYERS, EXIT = (320, 160), (320, 200), (320, 320)

def within(seconds, probe, pause=0.2):
    end = time.monotonic() + seconds
    while True:
        try:
            if probe():
                return True
        except RuntimeError:  # a page in the middle of loading
            pass
        if time.monotonic() > end:
            return False
        time.sleep(pause)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Page:
    """The game's page in one browser, at a window size."""

    def __init__(self, browser, url):
        self.b = browser
        self.url = url
        self.errors = []
        self.width = self.height = 0
        self.scale = 1
        self.shots = WORK

    def resize(self, width, height, scale=1):
        """A window of width x height of the page's pixels, each `scale` pixels of the display."""
        self.width, self.height, self.scale = width * scale, height * scale, scale
        self.b.send("Emulation.setDeviceMetricsOverride",
                    {"width": width, "height": height, "deviceScaleFactor": scale, "mobile": False})

    def place(self):
        """Where the picture is drawn, in display pixels: the largest 4:3 rectangle, centred."""
        w, h = self.width, self.height
        if w * PICTURE_H > h * PICTURE_W:
            pw, ph = (h * PICTURE_W + PICTURE_H // 2) // PICTURE_H, h
        else:
            pw, ph = w, (w * PICTURE_H + PICTURE_W // 2) // PICTURE_W
        return (w - pw) // 2, (h - ph) // 2, pw, ph

    def point(self, x, y):
        px, py, pw, ph = self.place()
        return px + (2 * x + 1) * pw // (2 * PICTURE_W), py + (2 * y + 1) * ph // (2 * PICTURE_H)

    def open(self, reload=False):
        """Loads the page and waits for its load event: a screenshot asked for before may never come."""
        self.collect()
        if reload:
            self.b.send("Page.reload", {})
        else:
            self.b.send("Page.navigate", {"url": self.url})
        end = time.monotonic() + 30
        while time.monotonic() < end:
            try:
                event = self.b.events.get(timeout=1)
            except queue.Empty:
                continue
            self.note(event)
            if event.get("method") == "Page.loadEventFired":
                return

    def collect(self):
        """Errors the page reported since the last call, kept in self.errors."""
        for event in self.b.drain_events():
            self.note(event)
        return self.errors

    def note(self, event):
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.exceptionThrown":
            self.errors.append(params["exceptionDetails"].get("text", "exception"))
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.errors.append(" ".join(str(a.get("value", a.get("description"))) for a in params["args"]))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append(params["entry"]["text"])

    def click(self, x, y):
        wx, wy = (v / self.scale for v in self.point(x, y))
        self.b.send("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": wx, "y": wy})
        for kind in ("mousePressed", "mouseReleased"):
            self.b.send("Input.dispatchMouseEvent", {"type": kind, "x": wx, "y": wy, "button": "left", "clickCount": 1})

    KEYS = {"Escape": ("Escape", 27, ""), " ": ("Space", 32, " "), "ArrowLeft": ("ArrowLeft", 37, ""),
            "ArrowRight": ("ArrowRight", 39, ""), "a": ("KeyA", 65, "a"), "f": ("KeyF", 70, "f")}

    def key(self, key, down=True, up=True):
        code, vk, text = self.KEYS[key]
        params = {"key": key, "code": code, "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk}
        if down:
            self.b.send("Input.dispatchKeyEvent", {"type": "keyDown" if text else "rawKeyDown", "text": text, **params})
        if up:
            self.b.send("Input.dispatchKeyEvent", {"type": "keyUp", **params})

    def shot(self, name):
        path = os.path.join(WORK, name + ".png")
        self.b.screenshot(path)
        return path

    def picture(self, name):
        """A screenshot's picture part, brought to 640 x 480 (whole factors exactly)."""
        shot = self.shot(name)
        x, y, w, h = self.place()
        out = os.path.join(WORK, name + "-picture.png")
        subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        "-sample" if w % PICTURE_W == 0 else "-resize", f"{PICTURE_W}x{PICTURE_H}!", out], check=True)
        return out

    def keep(self, name, as_name=None):
        """Keeps a screenshot in the folder self.shots."""
        subprocess.run(["cp", os.path.join(WORK, name + ".png"), os.path.join(self.shots, (as_name or name) + ".png")],
                       check=True)

    def storage(self):
        return self.b.evaluate(f"localStorage.getItem({SETTINGS_KEY!r})")

    def stored_level(self):
        found = re.search(r"level=(\d+)", self.storage() or "")
        return int(found.group(1)) if found else None

    def visible(self, element):
        return self.b.evaluate(f"!document.getElementById({element!r}).hidden")


def differing(picture, reference, w, h, x, y, fuzz="4%"):
    """How many pixels of the region at picture point (x, y) differ from the reference picture's."""
    run = subprocess.run(["compare", "-metric", "AE", "-fuzz", fuzz, f"{picture}[{w}x{h}+{x}+{y}]",
                          os.path.join(ROOT, "res", reference + ".bmp") + f"[{w}x{h}+{x}+{y}]", "null:"],
                         capture_output=True, text=True)
    try:
        return int(float(run.stderr.split()[0]))
    except (ValueError, IndexError):
        return -1


def same_as(picture, reference, w, h, x, y, fuzz="4%", allowed=0):
    return 0 <= differing(picture, reference, w, h, x, y, fuzz) <= allowed


# The menu picture everywhere but the buttons and the level.
MENU_REGIONS = [(240, 474, 3, 3), (240, 474, 397, 3), (150, 104, 245, 3), (150, 140, 245, 337)]


# Its sides without the top and bottom rows, which the page's notice and line of keys may cover.
MIDDLE_REGIONS = [(240, 400, 3, 40), (240, 400, 397, 40)]


def menu_shown(page, name="menu", fuzz="4%", share=0.0, regions=MENU_REGIONS):
    picture = page.picture(name)
    return all(same_as(picture, "IDB_MENU", w, h, x, y, fuzz, int(w * h * share)) for w, h, x, y in regions)


def level_box(page, name):
    """The menu's level box, as the player sees it."""
    picture = page.picture(name)
    box = os.path.join(WORK, name + "-level.png")
    subprocess.run(["convert", picture, "-crop", "40x20+300+110", "+repage", box], check=True)
    return box


def same_images(a, b):
    run = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    return run.stderr.strip() == "0"


def frame_still(page, name):
    """The picture stopped changing: the round has ended in a crash."""
    first = page.picture(name)
    time.sleep(0.5)
    second = page.picture(name + "-later")
    return same_images(first, second)


def worm_at_start(page):
    return differing(page.picture("round"), "IDB_GROUND", 40, 220, 380, 200) > 100


# Notes when the page draws on its canvas, for the time to the first frame.
DRAW_TIMES = """
for (const kind of [WebGLRenderingContext, CanvasRenderingContext2D]) {
  for (const name of ["drawArrays", "drawElements", "putImageData"]) {
    const draw = kind.prototype[name];
    if (!draw) continue;
    kind.prototype[name] = function (...args) {
      window.drawTimes = window.drawTimes || [];
      if (window.drawTimes.length < 100) window.drawTimes.push(performance.now());
      window.drawCount = (window.drawCount || 0) + 1;
      return draw.apply(this, args);
    };
  }
}
"""
