#!/usr/bin/env python3
"""Plays the browser build in headless Chromium and checks what a player sees.

    tools/web/check.py [build-web]        (run by .ci/web.sh after ./build.sh web)

Serves the folder on 127.0.0.1, opens it in Debian's Chromium over the DevTools protocol and
plays: the menu shows the menu picture, "one player" starts a round, a held key steers, Esc
leaves a round, a crash lowers the level, which the browser's storage keeps over a reload,
the picture fills the largest 4:3 part of windows of other shapes and follows their size,
the exit button ends the game and the page says so; and, with the browser's storage refused
or without WebGL, the game still plays and the page says what is missing. Screenshots go to
<folder>/shots/. Ends with a line "web: N passed, N failed".
"""
import functools
import gzip
import http.server
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SITE = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
SHOTS = os.path.join(SITE, "shots")
WORK = tempfile.mkdtemp(prefix="lorvex-web-check-")
SETTINGS_KEY = "/libsdl/Tamberlo/lorvex/settings.ini"
PICTURE_W, PICTURE_H = 640, 480
# Picture points of the menu's buttons.
ONE_PLAYER, TWO_PLAYERS, EXIT = (320, 160), (320, 200), (320, 320)

results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    key = "passed" if ok else "failed"
    results[key] += 1
    print(f"{'ok' if ok else 'FAILED'}: {name}{'' if ok or not detail else ' (' + str(detail) + ')'}", flush=True)
    return ok


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
        subprocess.run(["cp", os.path.join(WORK, name + ".png"), os.path.join(SHOTS, (as_name or name) + ".png")],
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


def play_crash(page, name, steer=None):
    """A one-player round that eats nothing and ends in a crash; Space then returns to the menu."""
    page.click(*ONE_PLAYER)
    started = within(5, lambda: worm_at_start(page))
    if steer:
        page.key(steer, up=False)
        time.sleep(0.35)
        page.key(steer, down=False)
    crashed = within(20, lambda: frame_still(page, name), pause=0.3)
    return started, crashed


def bars_black(page):
    """Outside the picture the page is black: sampled along both sides (or above and below)."""
    x, y, w, h = page.place()
    if w == page.width and h == page.height:
        return True
    points = [(x - 1, y + h // 2), (x - 1, y + 3), (x + w, y + h - 3)] if w < page.width else \
             [(x + w // 2, y - 1), (x + 3, y - 1), (x + w - 3, y + h)]
    points += [(0, 0), (page.width - 1, page.height - 1)]
    return all(max(page.b.pixel(px / page.scale, py / page.scale)) <= 8 for px, py in points)


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


def first_menu_frame(page):
    """Seconds from the start of a load to the first frame drawn and to the last one drawn before
    the menu showed; the menu is complete by then."""
    page.open(reload=True)
    if not within(30, lambda: menu_shown(page)):
        return None, None
    times = page.b.evaluate("window.drawTimes || []") or [None]
    return times[0] / 1000, times[-1] / 1000


def served_files():
    """What a web host is given: the page and the files it loads, their sizes gzipped."""
    names = sorted(n for n in os.listdir(SITE) if n != "shots")
    total = 0
    for name in names:
        with open(os.path.join(SITE, name), "rb") as f:
            data = f.read()
        packed = len(gzip.compress(data, 9))
        total += packed
        print(f"  {name:12} {len(data):9} bytes, {packed:9} gzipped")
    print(f"  {'in all':12} {'':15} {total:9} gzipped")
    check("build-web/ holds the page and what it loads, nothing else",
          names == ["index.html", "lorvex.js", "lorvex.png", "lorvex.wasm"], names)
    check("and gzipped it is at most 1.5 MB", total <= 1_500_000, total)


def main():
    began = time.monotonic()
    served_files()
    server = serve(SITE)
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    os.makedirs(SHOTS, exist_ok=True)

    profile = os.path.join(WORK, "profile")
    browser = Browser(1920, 1080, profile=profile)
    page = Page(browser, url)
    try:
        browser.attach_page()
        browser.send("Page.addScriptToEvaluateOnNewDocument", {"source": DRAW_TIMES})
        page.resize(1280, 960)  # the picture at twice its size: compared pixel for pixel
        page.open()
        check("the page loads and the menu shows the menu picture", within(30, lambda: menu_shown(page)))
        check("the page is titled and the canvas has the window's size",
              browser.evaluate("[document.title, canvas.width, canvas.height].join()") == "Lorvex,1280,960")

        # A stored level of 5: a round scoring nothing lowers it to 4.
        browser.evaluate(f"localStorage.setItem({SETTINGS_KEY!r}, '[Nastaveni]\\nlevel=5\\n')")
        page.open(reload=True)
        within(30, lambda: menu_shown(page))
        level5 = level_box(page, "menu-level5")
        page.keep("menu-level5", "menu")

        started, crashed = play_crash(page, "crash-steered", steer="ArrowLeft")
        check("a click on one player starts a round", started)
        page.keep("round")
        # Straight on, the worm would have run into the top wall above its start.
        steered = same_as(page.picture("steered"), "IDB_GROUND", 40, 60, 380, 3)
        check("a held key steers the worm away from its straight path into a crash", crashed and steered)
        page.keep("crash-steered")
        page.key(" ")
        check("Space returns to the menu", within(10, lambda: menu_shown(page)))
        check("the round that scored nothing stores the lowered level at once", page.stored_level() == 4,
              page.storage())
        level4 = level_box(page, "menu-level4")

        page.click(*ONE_PLAYER)
        within(5, lambda: worm_at_start(page))
        page.key("Escape")
        check("Esc leaves the round for the menu, the level as it was",
              within(10, lambda: menu_shown(page)) and page.stored_level() == 4)

        page.open(reload=True)
        reloaded = within(30, lambda: menu_shown(page))
        check("after a reload the menu shows the stored level",
              reloaded and same_images(level_box(page, "menu-reloaded"), level4) and not same_images(level4, level5))
        started, crashed = play_crash(page, "crash")
        page.keep("crash")
        page.key(" ")
        within(10, lambda: menu_shown(page))
        check("a round after the reload starts from the stored level and lowers it again",
              started and crashed and page.stored_level() == 3, page.storage())

        # The time to the first menu frame, the page in the browser's cache.
        first, complete = first_menu_frame(page)
        print(f"page load, cached, to its first frame: {first:.2f} s, to the whole menu: {complete:.2f} s"
              if first else "no frame drawn after a reload")

        # The second: a display of two pixels to each of the page's, the picture three times its size.
        for width, height, scale in [(1280, 800, 1), (960, 720, 2), (1920, 1080, 1)]:
            size = f"{width}x{height}" + ("" if scale == 1 else f"x{scale}")
            page.resize(width, height, scale)
            x, y, w, h = page.place()
            canvas = f"{width * scale},{height * scale}"
            shown = within(10, lambda: browser.evaluate("[canvas.width, canvas.height].join()") == canvas
                           and menu_shown(page, "menu-" + size, fuzz="12%", share=0.03))
            page.keep("menu-" + size)
            check(f"at {size} the menu fills the {w}x{h} picture at ({x},{y}), black beside it",
                  shown and bars_black(page))
            page.click(*TWO_PLAYERS)
            check(f"at {size} two players start a round", within(5, lambda: worm_at_start(page)))
            time.sleep(1)
            page.shot("round-" + size)
            page.keep("round-" + size)
            page.key("Escape")
            within(10, lambda: menu_shown(page, "menu-" + size, fuzz="12%", share=0.03))

        level = page.stored_level()
        page.click(*EXIT)
        ended = within(10, lambda: page.visible("ended") and not browser.evaluate("!canvas.hidden"))
        page.shot("ended-1920x1080")
        page.keep("ended-1920x1080")
        check("the exit button ends the game and the page says so, with a way to start again",
              ended and "The game has ended." in browser.evaluate("document.body.innerText")
              and browser.evaluate("document.getElementById('again').textContent") == "Play again")
        page.resize(1280, 800)
        time.sleep(0.3)
        page.shot("ended-1280x800")
        page.keep("ended-1280x800")
        check("the level is stored at the end as the last round left it", page.stored_level() == level, page.storage())
        errors = page.collect()
        check("no error in the browser's console", not errors, errors[:3])

        # The browser's storage refused: the game plays, and the page says so once.
        browser.send("Page.addScriptToEvaluateOnNewDocument", {"source":
                     "Object.defineProperty(window, 'localStorage', {get() {"
                     " throw new DOMException('refused', 'SecurityError'); }});"})
        page.resize(1280, 960)
        page.open(reload=True)
        menu = within(30, lambda: menu_shown(page, "menu-nostorage", regions=MIDDLE_REGIONS))
        page.click(*ONE_PLAYER)
        check("with the storage refused the game plays and the page says so",
              menu and within(5, lambda: worm_at_start(page)) and page.visible("notice") and
              "level lasts only until the page is closed" in browser.evaluate("document.getElementById('notice').textContent"),
              browser.evaluate("[innerWidth, innerHeight, canvas.width, canvas.height].join()"))
        page.shot("nostorage")
        page.keep("nostorage")
        page.key("Escape")
        within(10, lambda: menu_shown(page, "menu-nostorage", regions=MIDDLE_REGIONS))
        page.key("Escape")
        check("Esc on the menu ends the game, and the page says so",
              within(10, lambda: page.visible("ended") and not browser.evaluate("!canvas.hidden")))
    finally:
        browser.close()

    # The browser started again, without WebGL: SDL draws with its software renderer, and the
    # page says WebGL is off.
    browser = Browser(1280, 960, ["--disable-3d-apis"], profile=profile)
    page = Page(browser, url)
    try:
        browser.attach_page()
        page.resize(1280, 960)
        page.open()
        check("the level stored before the browser closed is there when it starts again",
              page.stored_level() == level, page.storage())
        check("without WebGL the menu is drawn all the same and the page says WebGL is off",
              within(30, lambda: menu_shown(page, "menu-nowebgl", regions=MIDDLE_REGIONS)) and page.visible("notice"))
        page.keep("menu-nowebgl")
        page.key("f")
        full = within(5, lambda: browser.evaluate("!!document.fullscreenElement && canvas.width == innerWidth"))
        page.key("f")
        check("F takes the page to full screen and back, the picture following",
              full and within(5, lambda: browser.evaluate("!document.fullscreenElement && canvas.width == innerWidth")))

        # A browser without WebAssembly: the page says what it lacks.
        browser.send("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})
        page.open(reload=True)
        check("without WebAssembly the page says the browser cannot run the game",
              within(10, lambda: "cannot run WebAssembly" in browser.evaluate("document.body.innerText")))
    finally:
        browser.close()

    server.shutdown()
    shutil.rmtree(WORK, ignore_errors=True)
    print(f"the check took {time.monotonic() - began:.0f} s")
    print(f"web: {results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
