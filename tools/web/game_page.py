"""The game's page in Debian's headless Chromium, driven by Selenium through chromedriver: served
from a folder, sized, clicked, typed and touched on (the DevTools protocol's input commands, through
Selenium), and what it shows compared with the game's own pictures (with PIL). Used by the browser
check (check.py) and the CPU measurement (cpu_footprint.py).
"""
import base64
import functools
import http.server
import io
import os
import re
import shutil
import tempfile
import threading
import time

from PIL import Image, ImageChops
from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WORK = tempfile.mkdtemp(prefix="lorvex-web-")
SETTINGS_KEY = "/libsdl/Tamberlo/lorvex/settings.ini"
PICTURE_W, PICTURE_H = 640, 480
# Picture points of the menu's buttons.
ONE_PLAYER, TWO_PLAYERS, EXIT = (320, 160), (320, 200), (320, 320)

FLAGS = [
    "--headless=new", "--no-sandbox", "--no-first-run", "--no-default-browser-check",
    "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-quic",
    "--disable-extensions", "--disable-default-apps", "--mute-audio", "--hide-scrollbars",
    "--enable-unsafe-swiftshader",
]


def within(seconds, probe, pause=0.2):
    end = time.monotonic() + seconds
    while True:
        try:
            if probe():
                return True
        except WebDriverException:  # a page in the middle of loading
            pass
        if time.monotonic() > end:
            return False
        time.sleep(pause)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder, port=0):
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser(width, height, extra_flags=(), profile=None):
    """Chromium with a new profile, or the given profile folder; its console kept for Page.collect."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in [*FLAGS, f"--window-size={width},{height}", *extra_flags]:
        options.add_argument(flag)
    if profile:
        options.add_argument(f"--user-data-dir={profile}")
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class Page:
    """The game's page in one browser, at a window size."""

    def __init__(self, driver, url):
        self.d = driver
        self.url = url
        self.errors = []
        self.width = self.height = 0
        self.scale = 1
        self.shots = WORK

    def cdp(self, method, params=None):
        return self.d.execute_cdp_cmd(method, params or {})

    def evaluate(self, expression):
        return self.d.execute_script(f"return ({expression});")

    def resize(self, width, height, scale=1, mobile=False):
        """A window of width x height of the page's pixels, each `scale` pixels of the display; a
        mobile one is a phone's: touch, and the orientation of its shape."""
        self.width, self.height, self.scale = width * scale, height * scale, scale
        upright = height > width
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": scale, "mobile": mobile,
            **({"screenOrientation": {"type": "portraitPrimary" if upright else "landscapePrimary",
                                      "angle": 0 if upright else 90}} if mobile else {})})
        self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": mobile, "maxTouchPoints": 5})

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
        """Loads the page and waits for its load event."""
        self.collect()
        if reload:
            self.d.refresh()
        else:
            self.d.get(self.url)

    def collect(self):
        """Errors the page reported since the last call, kept in self.errors."""
        self.errors += [e["message"] for e in self.d.get_log("browser") if e["level"] == "SEVERE"]
        return self.errors

    def click(self, x, y):
        wx, wy = (v / self.scale for v in self.point(x, y))
        self.cdp("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": wx, "y": wy})
        for kind in ("mousePressed", "mouseReleased"):
            self.cdp("Input.dispatchMouseEvent", {"type": kind, "x": wx, "y": wy, "button": "left", "clickCount": 1})

    def touch(self, kind, *points):
        """touchStart, touchMove or touchEnd, with the picture points that touch the screen after it."""
        touching = [{"x": v[0] / self.scale, "y": v[1] / self.scale, "id": i}
                    for i, v in ((i, self.point(*p)) for i, p in enumerate(points) if p)]
        self.cdp("Input.dispatchTouchEvent", {"type": kind, "touchPoints": touching})

    def tap(self, x, y, seconds=0.1):
        self.touch("touchStart", (x, y))
        time.sleep(seconds)
        self.touch("touchEnd")

    KEYS = {"Escape": ("Escape", 27, ""), " ": ("Space", 32, " "), "ArrowLeft": ("ArrowLeft", 37, ""),
            "ArrowRight": ("ArrowRight", 39, ""), "a": ("KeyA", 65, "a"), "f": ("KeyF", 70, "f")}

    def key(self, key, down=True, up=True):
        code, vk, text = self.KEYS[key]
        params = {"key": key, "code": code, "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk}
        if down:
            self.cdp("Input.dispatchKeyEvent", {"type": "keyDown" if text else "rawKeyDown", "text": text, **params})
        if up:
            self.cdp("Input.dispatchKeyEvent", {"type": "keyUp", **params})

    def capture(self, clip=None):
        params = {"format": "png", **({"clip": {**clip, "scale": 1}} if clip else {})}
        return Image.open(io.BytesIO(base64.b64decode(self.cdp("Page.captureScreenshot", params)["data"])))

    def shot(self, name):
        image = self.capture().convert("RGB")
        image.save(os.path.join(WORK, name + ".png"))
        return image

    def pixel(self, x, y):
        """The colour shown at window point (x, y)."""
        return self.capture({"x": x, "y": y, "width": 1, "height": 1}).convert("RGB").getpixel((0, 0))

    def picture(self, name):
        """A screenshot's picture part, brought to 640 x 480 by taking the screen pixel at the middle
        of each picture pixel's block. Beside it, in `shifted`, the same taken one screen pixel
        around: where the browser places a block a pixel from where it falls exactly, one of
        them finds it (differing takes the closest)."""
        x, y, w, h = self.place()
        shot = self.shot(name)
        picture = shot.crop((x, y, x + w, y + h)).resize((PICTURE_W, PICTURE_H), Image.NEAREST)
        if w % PICTURE_W:
            picture.shifted = [shot.crop((x + dx, y + dy, x + dx + w, y + dy + h)).resize((PICTURE_W, PICTURE_H),
                                                                                          Image.NEAREST)
                               for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy]
        return picture

    def keep(self, name, as_name=None):
        """Keeps a screenshot in the folder self.shots."""
        shutil.copy(os.path.join(WORK, name + ".png"), os.path.join(self.shots, (as_name or name) + ".png"))

    def storage(self):
        return self.evaluate(f"localStorage.getItem({SETTINGS_KEY!r})")

    def stored_level(self):
        found = re.search(r"level=(\d+)", self.storage() or "")
        return int(found.group(1)) if found else None

    def visible(self, element):
        return self.evaluate(f"!document.getElementById({element!r}).hidden")


@functools.lru_cache()
def reference(name):
    return Image.open(os.path.join(ROOT, "res", name + ".bmp")).convert("RGB")


def differing(picture, other, w, h, x, y, fuzz=0.04):
    """How many pixels of the region at picture point (x, y) differ from the other picture's (one of
    res/ by its name) by more than `fuzz` of the range in any colour, as ImageMagick's -fuzz counts."""
    other = reference(other) if isinstance(other, str) else other
    box = (x, y, x + w, y + h)

    def distance(candidate):
        return functools.reduce(ImageChops.lighter, ImageChops.difference(candidate.crop(box), other.crop(box)).split())
    closest = functools.reduce(ImageChops.darker, map(distance, [picture, *getattr(picture, "shifted", [])]))
    return sum(closest.histogram()[int(fuzz * 255) + 1:])


def same_as(picture, other, w, h, x, y, fuzz=0.04, allowed=0):
    return differing(picture, other, w, h, x, y, fuzz) <= allowed


# The menu picture everywhere but the buttons and the level.
MENU_REGIONS = [(240, 474, 3, 3), (240, 474, 397, 3), (150, 104, 245, 3), (150, 140, 245, 337)]


# Its sides without the top and bottom rows, which the page's notice and line of keys may cover.
MIDDLE_REGIONS = [(240, 400, 3, 40), (240, 400, 397, 40)]


def menu_shown(page, name="menu", fuzz=0.04, share=0.0, regions=MENU_REGIONS):
    picture = page.picture(name)
    return all(same_as(picture, "IDB_MENU", w, h, x, y, fuzz, int(w * h * share)) for w, h, x, y in regions)


def level_box(page, name):
    """The menu's level box, as the player sees it."""
    return page.picture(name).crop((300, 110, 340, 130))


def same_images(a, b):
    return ImageChops.difference(a.convert("RGB"), b.convert("RGB")).getbbox() is None


def frame_still(page, name):
    """The picture stopped changing: the round has ended in a crash."""
    first = page.picture(name)
    time.sleep(0.5)
    return same_images(first, page.picture(name + "-later"))


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
