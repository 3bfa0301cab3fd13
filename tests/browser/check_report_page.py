#!/usr/bin/env python3
"""The conform report page in a real browser: mixauto demo-conform writes the page, headless
Chromium loads it, and the page must load without errors (no console message, no blocked
request), mark itself loaded, and show the stretch table and the curves. A screenshot stays
in the artefact folder for a person to look at.

usage: check_report_page.py CHROMIUM MIXAUTO WORK_DIR ARTEFACT_DIR
"""
import os
import re
import shutil
import subprocess
import sys


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def chromium(browser, *arguments):
    command = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
               "--disable-extensions", "--enable-logging=stderr", "--v=0", "--hide-scrollbars",
               *arguments]
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def main():
    browser, mixauto, work, artefacts = sys.argv[1:5]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    os.makedirs(artefacts, exist_ok=True)
    environment = dict(os.environ,
                       COMMONOBJECTS_REGISTRY=os.path.join(work, "no-registry.reg"),
                       COMMONOBJECTS_ROOT=os.path.join(work, "windows-drive"))
    demo = subprocess.run([mixauto, "demo-conform", os.path.join(work, "demo")], env=environment,
                          capture_output=True, text=True, timeout=300)
    if demo.returncode != 0:
        fail("mixauto demo-conform failed:\n" + demo.stdout + demo.stderr)
    page = os.path.join(work, "demo", "demo-edl-report.html")
    if not os.path.exists(page):
        fail("no report page at " + page)
    url = "file://" + os.path.abspath(page)

    loaded = chromium(browser, "--dump-dom", url)
    if loaded.returncode != 0:
        fail("chromium could not load the page:\n" + loaded.stderr)
    dom = loaded.stdout
    # Chromium writes the page's console messages (script errors, refused requests) to stderr.
    console = [line for line in loaded.stderr.splitlines() if "CONSOLE" in line or "Refused" in line]
    if console:
        fail("the page reported errors:\n" + "\n".join(console))
    if 'data-loaded="yes"' not in dom:
        fail("the page's script did not run to the end")
    table = re.search(r'<table id="stretches">(.*?)</table>', dom, re.S)
    if not table:
        fail("no stretch table in the rendered page")
    rows = re.findall(r'<tr class="(kept|moved|removed|inserted)">', table.group(1))
    if len(rows) < 3 or "moved" not in rows:
        fail("the stretch table shows %d stretches (%s)" % (len(rows), ", ".join(rows)))
    curves = re.search(r'<svg[^>]*id="curves"(.*?)</svg>', dom, re.S)
    if not curves or not re.search(r'class="(curve|band)', curves.group(1)):
        fail("no before/after curves in the rendered page")
    if not re.search(r'<svg[^>]*id="timeline"', dom):
        fail("no timeline of the old and new picture")

    screenshot = os.path.join(artefacts, "conform-report.png")
    if os.path.exists(screenshot):
        os.remove(screenshot)
    shot = chromium(browser, "--window-size=1300,1900", "--screenshot=" + screenshot, url)
    if shot.returncode != 0 or not os.path.exists(screenshot) or os.path.getsize(screenshot) < 10000:
        fail("no screenshot was taken:\n" + shot.stderr)
    print("the page loaded without errors with %d stretches; screenshot: %s" % (len(rows), screenshot))


if __name__ == "__main__":
    main()
