#!/usr/bin/python3
"""Plays the browser build in headless Chromium and checks what a player sees.

    tools/web/check.py [build-web]        (run by .ci/web.sh after ./build.sh web)

Serves the folder on 127.0.0.1, opens it in Debian's Chromium through Selenium and chromedriver
and plays: the menu shows the menu picture, "one player" starts a round, a held key steers, Esc
leaves a round, a crash lowers the level, which the browser's storage keeps over a reload,
the picture fills the largest 4:3 part of windows of other shapes, pixel for pixel with no edge
blended, and follows their size, the exit button ends the game and the page says so, a stored
value over 64 KiB outlasts a save; with the browser's storage refused the game plays and the page
says so, and without WebGL it plays with nothing to say. On a phone's screen
with touch, upright and on its side: touches start, steer and leave rounds, the page neither
scrolls nor zooms and keeps its line of touches off the picture; the page is an installable app
whose worker plays it with the server stopped. Screenshots go to <folder>/shots/. Ends with a line
"web: N passed, N failed".
"""
import gzip
import hashlib
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from PIL import Image  # noqa: E402

from game_page import (EXIT, MIDDLE_REGIONS, ONE_PLAYER, PICTURE_H, PICTURE_W, ROOT, SETTINGS_KEY,  # noqa: E402
                       TWO_PLAYERS, WORK, DRAW_TIMES, Page, browser, differing, frame_still, level_box, menu_shown,
                       reference, same_as, same_images, serve, within, worm_at_start)

SITE = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
SHOTS = os.path.join(SITE, "shots")

results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    key = "passed" if ok else "failed"
    results[key] += 1
    print(f"{'ok' if ok else 'FAILED'}: {name}{'' if ok or not detail else ' (' + str(detail) + ')'}", flush=True)
    return ok


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
    return all(max(page.pixel(px / page.scale, py / page.scale)) <= 8 for px, py in points)


# The canvas's box on the screen, in the display's pixels.
CANVAS_BOX = "(r => [r.x, r.y, r.width, r.height].map(v => Math.round(v * devicePixelRatio)))(canvas.getBoundingClientRect())"


def canvas_placed(page):
    """The canvas keeps the picture's own size and covers exactly its place on the screen."""
    return page.evaluate("[canvas.width, canvas.height].join()") == "640,480" and \
        page.evaluate(CANVAS_BOX) == list(page.place())


def blended(page, name):
    """The share of the menu's screen pixels, over its plain parts, whose colour is none of the
    picture pixels they may show (the one under them, or a neighbour where an edge falls): each
    picture pixel must become a block of its own colour, with no edge blended."""
    shot, menu = Image.open(os.path.join(WORK, name + ".png")).convert("RGB"), reference("IDB_MENU")
    x0, y0, w, h = page.place()
    mixed = tried = 0
    for region in MIDDLE_REGIONS:
        rw, rh, rx, ry = region
        for sy in range(y0 + ry * h // PICTURE_H, y0 + (ry + rh) * h // PICTURE_H, 3):
            py = (sy - y0) * PICTURE_H // h
            for sx in range(x0 + rx * w // PICTURE_W, x0 + (rx + rw) * w // PICTURE_W, 3):
                px = (sx - x0) * PICTURE_W // w
                shown = shot.getpixel((sx, sy))
                near = [menu.getpixel((min(max(px + dx, 0), PICTURE_W - 1), min(max(py + dy, 0), PICTURE_H - 1)))
                        for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
                tried += 1
                mixed += all(max(abs(a - b) for a, b in zip(shown, c)) > 8 for c in near)
    return mixed / tried


def first_menu_frame(page):
    """Seconds from the start of a load to the first frame drawn and to the last one drawn before
    the menu showed; the menu is complete by then."""
    page.open(reload=True)
    if not within(30, lambda: menu_shown(page)):
        return None, None
    times = page.evaluate("window.drawTimes || []") or [None]
    return times[0] / 1000, times[-1] / 1000


SERVED = ["index.html", "lorvex-192.png", "lorvex-512.png", "lorvex.js", "lorvex.png", "lorvex.wasm",
          "lorvex.webmanifest", "service-worker.js"]
AHEAD = ["index.html", "lorvex.js", "lorvex.wasm", "service-worker.js"]  # with .gz and .br copies


def served_files():
    """What a web host is given: the page and the files it loads, their sizes gzipped (the copy
    compressed ahead where there is one, as such a host sends it)."""
    names = sorted(n for n in os.listdir(SITE) if n != "shots")
    total, same = 0, True
    for name in SERVED:
        with open(os.path.join(SITE, name), "rb") as f:
            data = f.read()
        packed = len(gzip.compress(data, 9))
        if name in AHEAD:
            copies = [open(os.path.join(SITE, name + kind), "rb").read() for kind in (".gz", ".br")]
            same = same and gzip.decompress(copies[0]) == data
            packed = len(copies[0])
        total += packed
        print(f"  {name:18} {len(data):9} bytes, {packed:9} gzipped")
    print(f"  {'in all':18} {'':15} {total:9} gzipped")
    check("build-web/ holds the page and what it loads, nothing else, and copies compressed ahead",
          names == sorted(SERVED + [n + kind for n in AHEAD for kind in (".br", ".gz")]) and same, names)
    check("and gzipped it is at most 800 KB", total <= 800_000, total)


# Where the page's line is, and whether it covers the picture, the largest 4:3 part of the window.
HELP_OFF_PICTURE = """(() => { const bar = document.getElementById("bar"), r = bar.getBoundingClientRect();
  const w = innerWidth, h = innerHeight, pw = Math.min(w, h * 4 / 3), ph = pw * 3 / 4;
  const off = getComputedStyle(bar).display == "none" || r.right <= (w - pw) / 2 + 1 ||
              r.left >= (w + pw) / 2 - 1 || r.bottom <= (h - ph) / 2 + 1 || r.top >= (h + ph) / 2 - 1;
  return off && bar.textContent.includes("right half"); })()"""
# A page that neither scrolled nor zoomed, selects nothing and keeps the long-press menu shut.
UNMOVED = """[scrollX, scrollY, visualViewport.scale, getComputedStyle(document.body).userSelect,
  !canvas.dispatchEvent(new MouseEvent("contextmenu", {bubbles: true, cancelable: true}))].join()"""


def turned(pictures, x):
    """Which way the worm that started at picture column x circles in pictures taken while it was
    held: -1 left, 1 right. A held turn circles it around a point 27 pixels to that side of it."""
    def changed(left):
        return sum(differing(b, a, 68, 420, left, 30, 0.1) for a, b in zip(pictures, pictures[1:])) > 30
    return int(changed(x + 16)) - int(changed(x - 84))


def round_on(picture):
    """The round's field shows, not the menu it came from, with a worm near its start."""
    return same_as(picture, "IDB_GROUND", 600, 24, 20, 2, 0.12, 600) and \
        differing(picture, "IDB_GROUND", 120, 220, 340, 200) > 100


def held(page, name, *points):
    """Fingers held on the picture points once a round has begun (put down before, on a machine
    slow to start it, they touched the menu): whether it began, and three pictures of it then,
    0.2 s further apart the second time, so that a worm circling every 0.96 s is not at the same
    place in all three."""
    began = within(5, lambda: round_on(page.picture(name)))
    page.touch("touchStart", *points)
    pictures = [time.sleep(0.2 * i) or page.picture(f"{name}-{i}") for i in range(3)]
    page.touch("touchEnd")
    return began, pictures


def touch_element(page, element, seconds):
    x, y = page.evaluate(f"(r => [r.x + r.width / 2, r.y + r.height / 2])"
                         f"(document.getElementById({element!r}).getBoundingClientRect())")
    page.cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [{"x": x, "y": y}]})
    time.sleep(seconds)
    page.cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def phone():
    """The page on a phone's screen with touch, from a server and an address of its own."""
    server = serve(SITE)
    driver = browser(844, 844)
    page = Page(driver, f"http://127.0.0.1:{server.server_address[1]}/")
    page.shots = SHOTS
    try:
        page.cdp("Page.addScriptToEvaluateOnNewDocument",
                 {"source": "screen.orientation.lock = (to) => { window.lockedTo = to; return Promise.resolve(); };"})
        page.resize(390, 844, 2, mobile=True)
        page.open()
        menu = within(30, lambda: menu_shown(page, "phone-upright", fuzz=0.12, share=0.03))
        page.keep("phone-upright")
        check("on a phone held upright the menu fills the picture across the page, which says once to turn it",
              menu and page.visible("turn"))
        page.tap(*ONE_PLAYER)
        began, pictures = held(page, "phone-upright-round", (480, 240))
        check("a tap on one player starts a round", began)
        right = turned(pictures, 400)
        page.keep("phone-upright-round-2", "phone-upright-round")  # the worm circling
        check("holding the picture's right half turns the worm right, the line of touches off the picture",
              right == 1 and page.evaluate(HELP_OFF_PICTURE), right)
        crashed = within(20, lambda: frame_still(page, "phone-crash"), pause=0.3)
        page.tap(320, 240)
        check("after the crash a tap returns to the menu",
              crashed and within(10, lambda: menu_shown(page, "phone-menu", fuzz=0.12, share=0.03)))

        page.tap(*ONE_PLAYER)
        left = turned(held(page, "left", (160, 240))[1], 400)
        touch_element(page, "esc", 0.1)
        stayed = not menu_shown(page, "phone-stray", fuzz=0.12, share=0.03)
        touch_element(page, "esc", 1)
        check("holding the left half turns it left; a touch of the corner's button leaves nothing, a hold leaves "
              "the round", left == -1 and stayed and within(10, lambda: menu_shown(page, "phone-left", fuzz=0.12,
                                                                                    share=0.03)), left)

        page.resize(844, 390, 2, mobile=True)
        menu = within(10, lambda: menu_shown(page, "phone-across", fuzz=0.12, share=0.03))
        page.keep("phone-across")
        check("on its side the menu fills the page's height, the line of touches beside it",
              menu and page.evaluate(HELP_OFF_PICTURE))
        ways = []
        for fingers in [(80, 560), (240, 400)]:  # the blue worm's left and the green's right part, then the others
            page.tap(*TWO_PLAYERS)
            pictures = held(page, "phone-across-round", *((x, 240) for x in fingers))[1]
            ways.append((turned(pictures, 200), turned(pictures, 400)))
            page.key("Escape")
            within(10, lambda: menu_shown(page, "phone-across", fuzz=0.12, share=0.03))
        page.keep("phone-across-round-2", "phone-across-round")
        check("with two worms each part of the picture turns its worm its way, two fingers at once",
              ways == [(-1, 1), (1, -1)], ways)

        for i in range(20):  # two fingers spread over the line of touches, left of the picture
            page.touch("touchMove" if i else "touchStart", (-100 - 3 * i, 200 - 5 * i), (-90 + 3 * i, 220 + 5 * i))
        page.touch("touchEnd")
        check("the page neither scrolls nor zooms, selects nothing and opens no long-press menu",
              page.evaluate(UNMOVED) == "0,0,1,none,true", page.evaluate(UNMOVED))
        touch_element(page, "full", 0.1)
        check("the full-screen button takes the page to full screen, locked on its side",
              within(5, lambda: page.evaluate("!!document.fullscreenElement && window.lockedTo == 'landscape'")))
        page.evaluate("document.exitFullscreen()")

        manifest = page.cdp("Page.getAppManifest")
        installable = within(10, lambda: page.evaluate("!!navigator.serviceWorker.controller")) and \
            page.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
        check("the manifest has no errors and Chromium finds the page installable",
              manifest["errors"] == [] and manifest["url"].endswith("/lorvex.webmanifest") and installable == [],
              (manifest["errors"], installable))
        server.shutdown()
        server.server_close()
        page.cdp("Network.clearBrowserCache")
        page.open(reload=True)
        menu = within(30, lambda: menu_shown(page, "offline", fuzz=0.12, share=0.03))
        page.tap(*ONE_PLAYER)
        check("with the server stopped the page comes from its worker: the menu, then a round",
              menu and within(5, lambda: round_on(page.picture("offline-round"))))

        # A new build served at the same address.
        newer = os.path.join(WORK, "newer")
        shutil.copytree(SITE, newer, ignore=shutil.ignore_patterns("shots"))
        for name, mark in [("index.html", '<html lang="en"'), ("service-worker.js", 'const CACHE = "lorvex-')]:
            with open(os.path.join(newer, name), "r+") as f:
                text = f.read().replace(mark, mark + (' data-build="newer"' if name == "index.html" else "newer-"))
                f.seek(0)
                f.write(text)
        server = serve(newer, server.server_address[1])
        page.open(reload=True)
        check("a new build at the same address is what the next visit plays, and its worker keeps it alone",
              page.evaluate("document.documentElement.dataset.build") == "newer" and
              within(10, lambda: [n[:13] for n in page.evaluate("caches.keys()")] == ["lorvex-newer-"]))
        server.shutdown()
    finally:
        driver.quit()


def main():
    began = time.monotonic()
    served_files()
    server = serve(SITE)
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    os.makedirs(SHOTS, exist_ok=True)

    profile = os.path.join(WORK, "profile")
    driver = browser(1920, 1080, profile=profile)
    page = Page(driver, url)
    page.shots = SHOTS
    try:
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": DRAW_TIMES})
        page.resize(1280, 960)  # the picture at twice its size: compared pixel for pixel
        page.open()
        check("the page loads and the menu shows the menu picture", within(30, lambda: menu_shown(page)))
        check("the page is titled and the canvas, at the picture's size, covers the window",
              page.evaluate("document.title") == "Lorvex" and canvas_placed(page))

        # A stored level of 5: a round scoring nothing lowers it to 4.
        page.evaluate(f"localStorage.setItem({SETTINGS_KEY!r}, '[Nastaveni]\\nlevel=5\\n')")
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
            shown = within(10, lambda: canvas_placed(page) and menu_shown(page, "menu-" + size, fuzz=0.12, share=0.03))
            page.keep("menu-" + size)
            check(f"at {size} the menu fills the {w}x{h} picture at ({x},{y}), black beside it",
                  shown and bars_black(page))
            share = blended(page, "menu-" + size)
            check(f"at {size} each picture pixel is a block of its colour, no edge blended", share <= 0.002, share)
            page.click(*TWO_PLAYERS)
            check(f"at {size} two players start a round", within(5, lambda: worm_at_start(page)))
            time.sleep(1)
            page.shot("round-" + size)
            page.keep("round-" + size)
            page.key("Escape")
            within(10, lambda: menu_shown(page, "menu-" + size, fuzz=0.12, share=0.03))

        level = page.stored_level()
        page.click(*EXIT)
        ended = within(10, lambda: page.visible("ended") and not page.evaluate("!canvas.hidden"))
        page.shot("ended-1920x1080")
        page.keep("ended-1920x1080")
        check("the exit button ends the game and the page says so, with a way to start again",
              ended and "The game has ended." in page.evaluate("document.body.innerText")
              and page.evaluate("document.getElementById('again').textContent") == "Play again")
        page.resize(1280, 800)
        time.sleep(0.3)
        page.shot("ended-1280x800")
        page.keep("ended-1280x800")
        check("the level is stored at the end as the last round left it", page.stored_level() == level, page.storage())

        # Over 64 KiB it is no settings file the game wrote but the player's: Esc on the menu, which
        # saves the level, leaves it as it was.
        saved, put = page.storage(), "[Nastaveni]\nlevel=7\n" + "; the player's\n" * 5000
        page.evaluate(f"localStorage.setItem({SETTINGS_KEY!r}, {json.dumps(put)})")
        page.resize(1280, 960)
        page.open(reload=True)
        menu = within(30, lambda: menu_shown(page, "menu-oversized"))
        page.keep("menu-oversized")
        page.key("Escape")
        ended = within(10, lambda: page.visible("ended"))
        digest = [(len(v), hashlib.sha256(v.encode()).hexdigest()[:16]) for v in (put, page.storage() or "")]
        check("a stored value over 64 KiB is kept byte for byte when the game saves",
              menu and ended and digest[0] == digest[1], f"put {digest[0]}, stored {digest[1]}")
        page.evaluate(f"localStorage.setItem({SETTINGS_KEY!r}, {json.dumps(saved)})")
        errors = page.collect()
        check("no error in the browser's console", not errors, errors[:3])

        # The browser's storage refused: the game plays, and the page says so once.
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source":
                     "Object.defineProperty(window, 'localStorage', {get() {"
                     " throw new DOMException('refused', 'SecurityError'); }});"})
        page.resize(1280, 960)
        page.open(reload=True)
        menu = within(30, lambda: menu_shown(page, "menu-nostorage", regions=MIDDLE_REGIONS))
        page.click(*ONE_PLAYER)
        check("with the storage refused the game plays and the page says so",
              menu and within(5, lambda: worm_at_start(page)) and page.visible("notice") and
              "level lasts only until the page is closed" in page.evaluate("document.getElementById('notice').textContent"),
              page.evaluate("[innerWidth, innerHeight, canvas.width, canvas.height].join()"))
        page.shot("nostorage")
        page.keep("nostorage")
        page.key("Escape")
        within(10, lambda: menu_shown(page, "menu-nostorage", regions=MIDDLE_REGIONS))
        page.key("Escape")
        check("Esc on the menu ends the game, and the page says so",
              within(10, lambda: page.visible("ended") and not page.evaluate("!canvas.hidden")))
    finally:
        driver.quit()

    # The browser started again, without WebGL, which the page does not need.
    driver = browser(1280, 960, ["--disable-3d-apis"], profile=profile)
    page = Page(driver, url)
    page.shots = SHOTS
    try:
        page.resize(1280, 960)
        page.open()
        check("the level stored before the browser closed is there when it starts again",
              page.stored_level() == level, page.storage())
        check("without WebGL the menu is drawn all the same, with nothing to say",
              within(30, lambda: menu_shown(page, "menu-nowebgl")) and not page.visible("notice"))
        page.keep("menu-nowebgl")
        page.key("f")
        full = within(5, lambda: page.evaluate("!!document.fullscreenElement") and canvas_placed(page))
        page.key("f")
        check("F takes the page to full screen and back, the picture following",
              full and within(5, lambda: page.evaluate("!document.fullscreenElement") and canvas_placed(page)))

        # A browser without WebAssembly: the page says what it lacks.
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})
        page.open(reload=True)
        check("without WebAssembly the page says the browser cannot run the game",
              within(10, lambda: "cannot run WebAssembly" in page.evaluate("document.body.innerText")))
    finally:
        driver.quit()

    server.shutdown()
    phone()
    shutil.rmtree(WORK, ignore_errors=True)
    print(f"the check took {time.monotonic() - began:.0f} s")
    print(f"web: {results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
