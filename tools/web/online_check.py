#!/usr/bin/python3
"""Plays the online game: two headless Chromium pages, and then the desktop build and a page,
on one relay on 127.0.0.1, and checks that both players see the same game.

    tools/web/online_check.py [build-web]        (run by .ci/web.sh after ./build.sh web)

- The host's page makes an online game, the friend's page joins by its link, and they play a
  match of three rounds with scripted keys on both sides: at every 25th tick both canvases show
  the same picture (each page notes a hash of its canvas when it sends its state's hash), and the
  pictures and points at the end are the same.
- With 100 ms of latency and 20 ms of jitter added by the relay, a round holds 25 ticks a second;
  the input delay the host chose is reported. The friend closing the tab gives the host its word
  and the menu within a few seconds.
- The desktop build (build/lorvex, under Xvfb) joins a page's online game, and they play a round
  to the same end.
Ends with a line "online: N passed, N failed".
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from game_page import (MIDDLE_REGIONS, ROOT, TWO_PLAYERS, WORK, Page, browser, frame_still, menu_shown,  # noqa: E402
                       within)

SITE = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
MATCH = (320, 240)
results = {"passed": 0, "failed": 0}

# What each page sends and receives on its socket, and a hash of its canvas at each state hash
# it sends (the tick's frame is drawn by then).
RECORDER = """
window.sent = []; window.got = []; window.canvasAt = {};
window.canvasHash = () => {
  const data = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 640, 480).data;
  const words = new Uint32Array(data.buffer);
  let h = 2166136261;
  for (let i = 0; i < words.length; i++) h = Math.imul(h ^ words[i], 16777619) >>> 0;
  return h;
};
const send = WebSocket.prototype.send;
WebSocket.prototype.send = function (data) {
  if (typeof data === "string") {
    sent.push([performance.now(), data]);
    if (data.startsWith("hash ")) canvasAt[data.split(" ")[1]] = canvasHash();
  }
  return send.call(this, data);
};
const Real = WebSocket;
window.WebSocket = class extends Real {
  constructor(...args) {
    super(...args);
    this.addEventListener("message", (e) => got.push([performance.now(), String(e.data)]));
  }
};
"""


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(f"{'ok' if ok else 'FAILED'}: {name}{'' if ok or not detail else ' (' + str(detail) + ')'}", flush=True)
    return ok


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def relay(port, *latency):
    process = subprocess.Popen(["/usr/bin/python3", os.path.join(ROOT, "server", "relay.py"), "--host", "127.0.0.1",
                                "--port", str(port), "--files", SITE, *latency], stderr=subprocess.DEVNULL)
    def listening():
        try:
            socket.create_connection(("127.0.0.1", port), 1).close()
            return True
        except OSError:
            return False
    if not within(10, listening):
        process.kill()
        sys.exit("the relay did not start")
    return process


def page_at(url, name):
    page = Page(browser(1280, 960), url)
    page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": RECORDER})
    page.resize(1280, 960)
    page.open()
    page.name = name
    page.shots = os.path.join(SITE, "shots")
    return page


def line(page):
    return page.evaluate("document.getElementById('online-text').textContent")


def hosted(port):
    """A page that made an online game, and the link it shows."""
    host = page_at(f"http://127.0.0.1:{port}/", "host")
    within(30, lambda: menu_shown(host))
    host.evaluate("document.getElementById('online').click()")
    within(10, lambda: host.evaluate("document.getElementById('online-link').value"))
    return host, host.evaluate("document.getElementById('online-link').value")


def paired(host):
    return within(15, lambda: "Your friend is here" in line(host))


def sent(page, word):
    return [m for _, m in page.evaluate("window.sent") if m.startswith(word + " ")]


def still(*pages):
    return within(30, lambda: all(frame_still(p, p.name + "-still") for p in pages), pause=0.3)


def play_match(host, friend):
    """Three rounds: each side turns its worm a little at the start, then both run into walls."""
    host.click(*MATCH)
    ended = []
    for round_ in range(3):
        time.sleep(0.6)
        for page, key in ((host, "ArrowRight"), (friend, "ArrowLeft")):
            page.key(key, up=False)
        time.sleep(0.25 + 0.2 * round_)
        for page, key in ((host, "ArrowRight"), (friend, "ArrowLeft")):
            page.key(key, down=False)
        ended.append(still(host, friend))
        if round_ < 2:
            host.key(" ")
    return all(ended)


def same_frames(host, friend):
    a, b = host.evaluate("window.canvasAt"), friend.evaluate("window.canvasAt")
    common = sorted(set(a) & set(b), key=int)
    return len(common) >= 8 and all(a[t] == b[t] for t in common), f"{len(common)} compared"


def two_pages():
    port = free_port()
    server = relay(port)
    host = friend = None
    try:
        host, link = hosted(port)
        check("the host's page makes an online game and shows the link to send",
              re.fullmatch(rf"http://127\.0\.0\.1:{port}/\?join=[a-z2-7]{{12}}", link or "") is not None, link)
        friend = page_at(link, "friend")
        # The pages' line about the online game covers the top of the picture.
        check("the friend's page opens the link and joins: both see the menu",
              paired(host) and within(30, lambda: menu_shown(friend, regions=MIDDLE_REGIONS)) and
              menu_shown(host, regions=MIDDLE_REGIONS))
        check("a match of three rounds plays on both pages to its end", play_match(host, friend))
        same, detail = same_frames(host, friend)
        check("at every 25th tick both canvases show the same picture", same, detail)
        final = [p.evaluate("canvasHash()") for p in (host, friend)]
        check("the match ends in the same picture on both, its points the same", final[0] == final[1], final)
        host.shot("online-host")
        host.keep("online-host")
    finally:
        for p in (host, friend):
            if p:
                p.d.quit()
        server.terminate()


def with_latency():
    port = free_port()
    server = relay(port, "--delay-ms", "100", "--jitter-ms", "20")
    host = friend = None
    try:
        host, link = hosted(port)
        friend = page_at(link, "friend")
        paired(host)
        host.click(*TWO_PLAYERS)
        for page, key in ((host, "ArrowLeft"), (friend, "ArrowLeft")):
            page.key(key, up=False)  # both worms circle: the round goes on
        time.sleep(3)
        first = len(sent(host, "keys"))
        time.sleep(6)
        rate = (len(sent(host, "keys")) - first) / 6
        delay = [m.split()[4] for m in sent(host, "start")]
        print(f"with 100 ms latency and 20 ms jitter at the relay: {rate:.1f} ticks a second, "
              f"input delay {delay[0] if delay else '?'} ticks")
        check("with 100 ms of latency and 20 ms of jitter the round holds 25 ticks a second", rate >= 24.5, rate)
        friend.d.quit()
        friend = None
        told = within(8, lambda: "friend" in line(host).lower())
        check("the friend closing the tab gives the host its word and the menu within a few seconds",
              told and within(8, lambda: menu_shown(host, regions=MIDDLE_REGIONS)), line(host))
        host.evaluate("document.getElementById('online').click()")
        check("the host may then make another online game, with a new link",
              within(10, lambda: host.evaluate("document.getElementById('online-link').value") not in ("", link)))
    finally:
        for p in (host, friend):
            if p:
                p.d.quit()
        server.terminate()


def desktop_joins():
    game = os.path.join(ROOT, "build", "lorvex")
    if not os.access(game, os.X_OK):
        check("the desktop build joins a page's online game", False, f"{game} is not built")
        return
    port = free_port()
    server = relay(port)
    display = f":{free_port() % 400 + 100}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "640x480x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    host = desktop = None
    try:
        time.sleep(1)
        host, link = hosted(port)
        env = {**os.environ, "DISPLAY": display, "SDL_VIDEODRIVER": "x11", "SDL_AUDIODRIVER": "dummy",
               "XDG_DATA_HOME": os.path.join(WORK, "desktop-data")}
        desktop = subprocess.Popen([game, "--window", "--join", link], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        joined = paired(host)
        host.click(*TWO_PLAYERS)
        ended = still(host)
        mine = dict(m.split()[1:3] for m in sent(host, "hash"))
        theirs = dict(m.split()[1:3] for _, m in host.evaluate("window.got") if m.startswith("hash "))
        common = set(mine) & set(theirs)
        check("the desktop build joins a page's online game and they play a round to the same end",
              joined and ended and len(common) >= 2 and all(mine[t] == theirs[t] for t in common),
              f"joined {joined}, ended {ended}, {len(common)} hashes compared")
    finally:
        if host:
            host.d.quit()
        for process in (desktop, xvfb, server):
            if process:
                process.terminate()


def main():
    began = time.monotonic()
    os.makedirs(os.path.join(SITE, "shots"), exist_ok=True)
    try:
        two_pages()
        with_latency()
        desktop_joins()
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    print(f"the online check took {time.monotonic() - began:.0f} s")
    print(f"online: {results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
