"""browser.py -- drives headless Chromium through the DevTools protocol for the web edition's tests.

A Browser serves one folder over HTTP on a free port, starts Chromium with
WebGL drawn by SwiftShader (a software rasteriser, as Xvfb's Mesa is for the
native program), and collects the page's console.log lines in the order they
were logged. Waits poll for an effect (a console line, a finished download)
and fail after a bound, like gamerun's. As a context manager it ends
Chromium and the server on the way out, whatever happened.
"""
import base64
import functools
import http.server
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

try:
    import websocket
except ImportError:  # a Python of one's own (pyenv) does not see Debian's python3-websocket
    sys.path.append("/usr/lib/python3/dist-packages")
    import websocket

from gamerun import EFFECT_TIMEOUT_S, Game, fail, poll

CHROMIUM = "/usr/bin/chromium"
# A state trace line as the native VORTAVIA_STATE_TRACE file holds it: "%d %d %d %d %a %d %a".
HEX = r"-?0x[0-9a-f](\.[0-9a-f]+)?p[-+]\d+"
STATE_LINE = re.compile(r"-?\d+ -?\d+ -?\d+ -?\d+ {0} -?\d+ {0}".format(HEX))
# A real WebGL 1 context without a GPU: ANGLE over SwiftShader.
FLAGS = ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--ignore-gpu-blocklist",
         "--remote-debugging-port=0", "--no-first-run", "--no-default-browser-check", "--disable-extensions",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--mute-audio", "--window-size=1000,800",
         # A page in the background would be paced down, and its frames with it.
         "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
         "--disable-backgrounding-occluded-windows"]

# name -> (DOM key, DOM code, Windows virtual key code, text typed)
KEYS = {"Left": ("ArrowLeft", "ArrowLeft", 37, ""), "Up": ("ArrowUp", "ArrowUp", 38, ""),
        "Right": ("ArrowRight", "ArrowRight", 39, ""), "Down": ("ArrowDown", "ArrowDown", 40, ""),
        "Escape": ("Escape", "Escape", 27, ""), "F11": ("F11", "F11", 122, ""),
        "Return": ("Enter", "Enter", 13, "\r")}
KEYS.update({c: (c, "Key" + c.upper(), ord(c.upper()), c) for c in "abcdefghijklmnopqrstuvwxyz"})
KEYS.update({c: (c, "Digit" + c, ord(c), c) for c in "0123456789"})

# The canvas as a binary PPM (as gamerun's Game.picture gives the native window):
# its drawing buffer is kept, so a copy shows the last frame drawn.
CANVAS_PIXELS = """(() => {
  const c = document.getElementById('canvas'), copy = document.createElement('canvas');
  copy.width = c.width; copy.height = c.height;
  const g = copy.getContext('2d');
  g.drawImage(c, 0, 0);
  const rgba = g.getImageData(0, 0, c.width, c.height).data;
  let s = 'P6\\n' + c.width + ' ' + c.height + '\\n255\\n';
  const parts = [];
  for (let i = 0; i < rgba.length; i += 4) parts.push(String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]));
  return btoa(s + parts.join(''));
})()"""


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Browser:
    def __init__(self, folder, downloads=None):
        self.lines = []
        self.errors = []
        self.trace = None  # the file the state trace lines go to
        self.documents = 0
        self.context = None  # the page's own JavaScript world
        self.downloads = {}  # guid -> [suggested name, state]
        self.replies = {}
        self.cond = threading.Condition()
        self.next_id = 0
        self.proc = None
        self.socket = None
        self.profile = tempfile.mkdtemp(prefix="vortavia-chromium-")
        handler = functools.partial(_QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        try:
            self._start(downloads)
        except BaseException:
            self.close()
            raise

    def _start(self, downloads):
        flags = FLAGS + (["--no-sandbox"] if os.geteuid() == 0 else [])
        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        self.proc = subprocess.Popen([CHROMIUM] + flags + ["--user-data-dir=" + self.profile, "about:blank"],
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        port_file = os.path.join(self.profile, "DevToolsActivePort")

        def listening():
            if self.proc.poll() is not None:
                fail("chromium ended (status %s):\n%s" % (self.proc.returncode, self.chromium_log()))
            with open(port_file) if os.path.exists(port_file) else open(os.devnull) as f:
                found = f.read().split()
            return found if len(found) == 2 else None
        port, path = poll(listening, 60.0, "chromium's DevTools port")
        self.socket = websocket.create_connection("ws://127.0.0.1:%s%s" % (port, path), timeout=60,
                                                  suppress_origin=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Runtime", "Page"):
            self.call(domain + ".enable", session=True)
        if downloads:
            self.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=downloads, eventsEnabled=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.socket:
            self.socket.close()
        with self.cond:
            if self.trace:
                self.trace.close()
                self.trace = None
        if self.proc:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
            self.log.close()
        self.server.shutdown()
        self.server.server_close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def chromium_log(self):
        with open(os.path.join(self.profile, "chromium.log"), "rb") as f:
            return f.read().decode("latin-1")[-3000:]

    # ---- the protocol ---------------------------------------------------------
    def _read(self):
        while True:
            try:
                message = json.loads(self.socket.recv())
            except Exception:  # closed: chromium ended or the test closed it
                with self.cond:
                    self.cond.notify_all()
                return
            with self.cond:
                self._take(message)
                self.cond.notify_all()

    def _take(self, message):
        if "id" in message:
            self.replies[message["id"]] = message
            return
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.consoleAPICalled" and params["type"] == "log" \
                and params["executionContextId"] == self.context:
            line = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            if self.trace and STATE_LINE.fullmatch(line):
                self.trace.write(line + "\n")
                self.trace.flush()
            else:
                self.lines.append(line)
        elif method == "Page.frameNavigated" and "parentId" not in params["frame"]:
            # A new document: what the old one logged is gone, and it logs no more.
            self.lines.clear()
            self.errors.clear()
            self.documents += 1
            self.context = None
        elif method == "Runtime.executionContextCreated" and params["context"]["auxData"].get("isDefault"):
            self.context = params["context"]["id"]
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append(details.get("exception", {}).get("description") or details.get("text"))
        elif method == "Browser.downloadWillBegin":
            self.downloads[params["guid"]] = [params["suggestedFilename"], "inProgress"]
        elif method == "Browser.downloadProgress" and params["guid"] in self.downloads:
            self.downloads[params["guid"]][1] = params["state"]
        elif method in ("Inspector.targetCrashed", "Target.targetCrashed"):
            self.errors.append("the page crashed")

    def call(self, method, session=False, **params):
        with self.cond:
            self.next_id += 1
            number = self.next_id
        message = {"id": number, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self.socket.send(json.dumps(message))
        with self.cond:
            if not self.cond.wait_for(lambda: number in self.replies or not self.reader.is_alive(), 60):
                fail("no answer to %s within 60 s" % method)
            reply = self.replies.pop(number, None)
        if reply is None or "error" in reply:
            fail("%s failed: %s" % (method, reply and reply["error"]))
        return reply["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            fail("%s threw: %s" % (expression[:80], result["exceptionDetails"]))
        return result["result"].get("value")

    # ---- the page ---------------------------------------------------------------
    def url(self, path):
        return "http://127.0.0.1:%d/%s" % (self.server.server_address[1], path)

    def open(self, path, trace=None):
        """Opens path (with its query) on the served folder, console lines
        counted from there; state trace lines go to the file trace, if given."""
        with self.cond:
            documents = self.documents
            # Nothing the old document still logs counts, nor goes to the new trace.
            self.context = None
            self.lines.clear()
            if self.trace:
                self.trace.close()
            self.trace = open(trace, "w") if trace else None
        self.call("Page.navigate", session=True, url=self.url(path))
        with self.cond:
            if not self.cond.wait_for(lambda: self.documents > documents, 60):
                fail("the page %s did not open" % path)

    def text(self):
        """What the page has logged, a line each (for poll's messages)."""
        with self.cond:
            return "\n".join(self.lines + ["page error: " + e for e in self.errors])

    def logged(self):
        with self.cond:
            if self.errors:
                fail("the page failed: %s\nits console:\n%s" % (self.errors, self.text()[-4000:]))
            return list(self.lines)

    def wait_line(self, pattern, timeout=EFFECT_TIMEOUT_S):
        """Waits for a console line that matches the regular expression
        pattern in full; returns its index."""
        want = re.compile(pattern)

        def found():
            return next((i + 1 for i, line in enumerate(self.logged()) if want.fullmatch(line)), None)
        return poll(found, timeout, "console line %r" % pattern, self) - 1

    def key_down(self, name):
        key, code, vk, text = KEYS[name]
        self.call("Input.dispatchKeyEvent", session=True, type="keyDown", key=key, code=code,
                  windowsVirtualKeyCode=vk, nativeVirtualKeyCode=vk, text=text, unmodifiedText=text)

    def key_up(self, name):
        key, code, vk, _ = KEYS[name]
        self.call("Input.dispatchKeyEvent", session=True, type="keyUp", key=key, code=code,
                  windowsVirtualKeyCode=vk, nativeVirtualKeyCode=vk)

    def key(self, name):
        self.key_down(name)
        self.key_up(name)

    hold = Game.hold  # down until the effect, then up

    def picture(self):
        """The canvas's pixels as a binary PPM file."""
        return base64.b64decode(self.evaluate(CANVAS_PIXELS))

    def wait_download(self, timeout=EFFECT_TIMEOUT_S):
        """The name of the first download to complete."""
        def done():
            self.logged()
            with self.cond:
                return next((name for name, state in self.downloads.values() if state == "completed"), None)
        return poll(done, timeout, "a completed download", self)


def serve_folder(web_dir, work, files=()):
    """A folder in work that serves the page of web_dir (linked, not
    copied) beside the given files (paths), for a Browser."""
    folder = tempfile.mkdtemp(prefix="site-", dir=work)
    for entry in os.listdir(web_dir):
        os.symlink(os.path.join(os.path.abspath(web_dir), entry), os.path.join(folder, entry))
    for path in files:
        shutil.copy(path, folder)
    return folder
