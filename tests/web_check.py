#!/usr/bin/env python3
"""Loads a page carrying the web package's head snippet in a real browser (headless Chromium,
driven over the DevTools protocol on a pipe) from a server on 127.0.0.1, and checks what a browser
makes of the package: the manifest is found without errors, every icon it lists and every icon the
snippet links loads and decodes at its declared size, every start-up image the snippet links loads
at the size its media query states (device size times pixel ratio, turned in landscape), and the
page has no installability errors. An SVG favicon the page links comes before the other icon links,
and drawn with the light and then the dark colour scheme emulated, its plate takes the design's
colour and then the dark plate, its logo 3:1 from it.

    web_check.py SITE_ROOT PAGE_PATH      (PAGE_PATH like /app/: where the page and package are)
"""
import functools
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time


class Browser:
    """Chromium with --remote-debugging-pipe: commands on its fd 3, answers and events on fd 4."""

    def __init__(self, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        def wire():
            os.dup2(to_browser_read, 3)
            os.dup2(from_browser_write, 4)

        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--remote-debugging-pipe", "--user-data-dir=" + profile, "about:blank"],
            pass_fds=(3, 4), preexec_fn=wire, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            if time.time() > deadline:
                raise TimeoutError("the browser did not answer")
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=None, timeout=30):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.time() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer.get("result", {})
            self.events.append(answer)

    def wait_for(self, method, timeout=30):
        deadline = time.time() + timeout
        while True:
            for event in self.events:
                if event.get("method") == method:
                    self.events.remove(event)
                    return event
            self.events.append(self._read_message(deadline))

    def close(self):
        self.process.kill()
        self.process.wait()


CHECK_ICONS = """
(async () => {
  const load = (src) => new Promise((done) => {
    const image = new Image();
    image.onload = () => done({src, width: image.naturalWidth, height: image.naturalHeight});
    image.onerror = () => done({src, width: 0, height: 0});
    image.src = src;
  });
  const manifestLink = document.querySelector('link[rel=manifest]');
  const manifestUrl = new URL(manifestLink.getAttribute('href'), document.baseURI);
  const manifest = await (await fetch(manifestUrl)).json();
  const results = [];
  for (const icon of manifest.icons) {
    const got = await load(new URL(icon.src, manifestUrl).href);
    results.push({...got, declared: icon.sizes, from: 'manifest ' + icon.purpose});
  }
  for (const link of document.querySelectorAll('link[rel=icon], link[rel=apple-touch-icon]')) {
    const got = await load(link.href);
    const declared = link.getAttribute('sizes') || (link.type === 'image/svg+xml' ? '32x32' : '180x180');
    results.push({...got, declared, from: link.rel});
  }
  const startup = [];
  for (const link of document.querySelectorAll('link[rel=apple-touch-startup-image]')) {
    const got = await load(link.href);
    startup.push({...got, media: link.media});
  }
  return JSON.stringify({manifest, results, startup});
})()
"""


DRAW_SVG_FAVICON = """
(async () => {
  const links = [...document.querySelectorAll('link[rel=icon]')];
  const svg = links.findIndex((l) => l.type === 'image/svg+xml');
  if (svg < 0) return JSON.stringify({first: -1});
  const image = new Image();
  await new Promise((done) => { image.onload = done; image.onerror = done; image.src = links[svg].href; });
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 64;
  const context = canvas.getContext('2d');
  context.drawImage(image, 0, 0, 64, 64);
  const at = (x, y) => [...context.getImageData(x, y, 1, 1).data];
  return JSON.stringify({first: svg, plate: at(32, 6), logo: at(32, 32),
                         dark: matchMedia('(prefers-color-scheme: dark)').matches});
})()
"""


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def check_svg_favicon(browser, session, failures):
    """The SVG favicon in each colour scheme: linked first, its plate and logo apart in both."""
    drawn = {}
    for scheme in ("light", "dark"):
        browser.send("Emulation.setEmulatedMedia",
                     {"features": [{"name": "prefers-color-scheme", "value": scheme}]}, session=session)
        value = browser.send("Runtime.evaluate", {"expression": DRAW_SVG_FAVICON, "awaitPromise": True,
                                                  "returnByValue": True}, session=session)
        drawn[scheme] = json.loads(value["result"]["value"])
    if drawn["light"]["first"] == -1:
        return
    print(f"  favicon.svg, light: plate {drawn['light']['plate']} logo {drawn['light']['logo']}; "
          f"dark: plate {drawn['dark']['plate']} logo {drawn['dark']['logo']}")
    if drawn["light"]["first"] != 0:
        failures.append("the SVG favicon is not the first icon the page links")
    if not drawn["dark"]["dark"] or drawn["light"]["dark"]:
        failures.append("the dark colour scheme was not emulated")
    if drawn["light"]["plate"][:3] == drawn["dark"]["plate"][:3]:
        failures.append("the SVG favicon's plate is the same in the dark colour scheme")
    if drawn["dark"]["plate"][:3] != [0x3a, 0x3a, 0x3c]:
        failures.append(f"the dark plate is {drawn['dark']['plate']}, not the dark look's #3a3a3c")
    # The light look is the design's own; the dark one keeps the logo readable.
    ratio = contrast(drawn["dark"]["plate"], drawn["dark"]["logo"])
    if ratio < 3:
        failures.append(f"the logo stands {ratio:.1f}:1 from the dark plate")


def main():
    root, page = sys.argv[1], sys.argv[2]
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=root)
    handler.extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".webmanifest": "application/manifest+json"}
    http.server.SimpleHTTPRequestHandler.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}{page}"

    profile = tempfile.mkdtemp()
    browser = Browser(profile)
    failures = []
    try:
        target = browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = browser.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        browser.send("Page.enable", session=session)
        browser.send("Page.navigate", {"url": url}, session=session)
        browser.wait_for("Page.loadEventFired")

        manifest = browser.send("Page.getAppManifest", session=session)
        print("manifest:", manifest.get("url"))
        if not manifest.get("url", "").endswith(page + "manifest.webmanifest"):
            failures.append(f"the manifest was not found at {page}manifest.webmanifest: {manifest.get('url')}")
        if manifest.get("errors"):
            failures.append(f"manifest errors: {manifest['errors']}")

        value = browser.send("Runtime.evaluate", {"expression": CHECK_ICONS, "awaitPromise": True,
                                                  "returnByValue": True}, session=session)
        if "exceptionDetails" in value:
            raise RuntimeError(f"the page could not read its manifest and icons: {value['exceptionDetails']['text']}")
        checked = json.loads(value["result"]["value"])
        if checked["manifest"].get("start_url") != page:
            failures.append(f"start_url is {checked['manifest'].get('start_url')}, not {page}")
        for icon in checked["results"]:
            sizes = [tuple(int(n) for n in size.split("x")) for size in icon["declared"].split()]
            print(f"  {icon['from']}: {icon['src']} decodes at {icon['width']}x{icon['height']}, declared "
                  f"{icon['declared']}")
            if (icon["width"], icon["height"]) not in sizes:
                failures.append(f"{icon['src']} decodes at {icon['width']}x{icon['height']}, not {icon['declared']}")

        # Each start-up image at the size its media query states, for every iPhone and iPad in both
        # orientations, light and dark.
        print(f"  {len(checked['startup'])} start-up images")
        if len(checked["startup"]) < 2 * 2 * 20:
            failures.append(f"only {len(checked['startup'])} start-up images are linked")
        for image in checked["startup"]:
            media = dict(re.findall(r"\(([-a-z]+): ([^)]+)\)", image["media"]))
            ratio = int(media["-webkit-device-pixel-ratio"])
            w, h = int(media["device-width"][:-2]) * ratio, int(media["device-height"][:-2]) * ratio
            if media["orientation"] == "landscape":
                w, h = h, w
            if (image["width"], image["height"]) != (w, h):
                failures.append(f"{image['src']} decodes at {image['width']}x{image['height']}, not {w}x{h} "
                                f"({image['media']})")

        check_svg_favicon(browser, session, failures)

        errors = browser.send("Page.getInstallabilityErrors", session=session)["installabilityErrors"]
        print("installability errors:", errors)
        if errors:
            failures.append(f"installability errors: {errors}")
    except RuntimeError as error:
        failures.append(str(error))
    finally:
        browser.close()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)

    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
