#!/usr/bin/python3
"""Seconds from navigation to the menu's first frame in the browser, cold and warm.

    tools/web/first_frame.py [LOADS]      (from the project root; default 5 loads of each)

Serves build-web/ (or the folder $SITE names) on 127.0.0.1 and loads it in headless Chromium
through Selenium, as the browser check does: cold, each load in a browser with a new profile, so
that neither its cache nor the game's worker holds a file; warm, the same browser reloading the
page. A load's time is the page's clock at the canvas's last draw before the menu showed whole.
"""
import os
import shutil
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_page as check  # noqa: E402


def menu_time(page, reload):
    page.open(reload=reload)
    if not check.within(30, lambda: check.menu_shown(page)):
        sys.exit("the menu did not show")
    return page.evaluate("window.drawTimes || []")[-1] / 1000


def loaded(url, count, warm):
    times = []
    driver = None
    try:
        for i in range(count + (1 if warm else 0)):
            if driver is None or not warm:
                if driver is not None:
                    driver.quit()
                driver = check.browser(1280, 960)
                page = check.Page(driver, url)
                page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": check.DRAW_TIMES})
                page.resize(1280, 960)
            time_ = menu_time(page, reload=warm and i > 0)
            if not warm or i > 0:  # the first warm load fills the cache
                times.append(time_)
    finally:
        if driver is not None:
            driver.quit()
    return times


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    server = check.serve(os.environ.get("SITE") or os.path.join(check.ROOT, "build-web"))
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    try:
        for kind in ("cold", "warm"):
            times = loaded(url, count, kind == "warm")
            listed = ", ".join(f"{t:.2f}" for t in times)
            print(f"{kind}: median {statistics.median(times):.2f} s over {count} loads ({listed})")
    finally:
        server.shutdown()
        shutil.rmtree(check.WORK, ignore_errors=True)


if __name__ == "__main__":
    main()
