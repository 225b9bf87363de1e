#!/usr/bin/python3
"""CPU that the browser's game costs: Chromium's renderer and GPU processes, counted together.

    tools/web/cpu_footprint.py [--round] [SECONDS] [WIDTHxHEIGHT]      (from the project root)

Plays build-web/ (or the folder $SITE names, to compare two builds) in headless Chromium through Selenium, as the browser check does, at the window size
(default 1280x1024); after 3 s, counts the CPU time of the processes that run and draw the page
over SECONDS (default 10) on the idle menu, or with --round during a two-player round in which
both worms circle (Left and A held). Compare with tools/cpu_footprint.sh for the desktop build.
"""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_page as check  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def descendants(root):
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open(f"/proc/{name}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                continue
            children.setdefault(parent, []).append(int(name))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo += children.get(pid, [])
    return found


def page_processes(browser_pid):
    """The renderer and GPU processes, by their --type."""
    chosen = {}
    for pid in descendants(browser_pid):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                args = f.read().replace(b"\0", b" ").split()  # Chromium rewrites its own
        except OSError:
            continue
        for kind in (b"renderer", b"gpu-process"):
            if b"--type=" + kind in args:
                chosen[pid] = kind.decode()
    return chosen


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def main():
    args = [a for a in sys.argv[1:] if a != "--round"]
    round_ = "--round" in sys.argv
    seconds = float(args[0]) if args else 10
    width, height = map(int, (args[1] if len(args) > 1 else "1280x1024").split("x"))
    server = check.serve(os.environ.get("SITE") or os.path.join(check.ROOT, "build-web"))
    driver = check.browser(width, height)
    page = check.Page(driver, f"http://127.0.0.1:{server.server_address[1]}/")
    try:
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": check.DRAW_TIMES})
        page.resize(width, height)
        page.open()
        if not check.within(30, lambda: check.menu_shown(page, fuzz=0.12, share=0.03)):
            sys.exit("the menu did not show")
        what = "idle menu"
        if round_:
            what = "two-player round, both worms circling"
            page.click(*check.TWO_PLAYERS)
            check.within(5, lambda: check.worm_at_start(page))
            page.key("ArrowLeft", up=False)
            page.key("a", up=False)
        time.sleep(3)
        processes = page_processes(driver.service.process.pid)  # chromedriver, whose child Chromium is
        before = {pid: cpu_seconds(pid) for pid in processes}
        frames = page.evaluate("window.drawCount || 0")
        time.sleep(seconds)
        used = {pid: cpu_seconds(pid) - before[pid] for pid in processes}
        frames = page.evaluate("window.drawCount || 0") - frames
        if round_ and check.frame_still(page, "still"):
            print("the round ended during the measurement", file=sys.stderr)
        page.shot("cpu")
    finally:
        driver.quit()
        server.shutdown()
        shutil.rmtree(check.WORK, ignore_errors=True)
    by_kind = {}
    for pid, spent in used.items():
        by_kind[processes[pid]] = by_kind.get(processes[pid], 0) + spent
    parts = ", ".join(f"{kind} {spent:.2f}" for kind, spent in sorted(by_kind.items()))
    print(f"browser {width}x{height}, {what}, {seconds:.0f} s: {sum(used.values()):.2f} CPU s ({parts}), "
          f"{frames / seconds:.1f} frames a second")


if __name__ == "__main__":
    main()
