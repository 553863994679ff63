"""Headless Chromium driven over its DevTools pipe, and a static server for
the site, both started on demand and ended by the test that started them."""

import fcntl
import functools
import glob
import http.server
import json
import os
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time


class Site:
    """Serves a folder on a free 127.0.0.1 port; paths in `missing` answer 404,
    and every path that got an error is kept in `errors`."""

    def __init__(self, folder, missing=()):
        errors = self.errors = []

        class Handler(http.server.SimpleHTTPRequestHandler):
            def do_GET(self):
                if self.path.split('?')[0].lstrip('/') in missing:
                    self.send_error(404)
                else:
                    super().do_GET()

            def send_error(self, code, *args, **kwargs):
                errors.append(self.path)
                super().send_error(code, *args, **kwargs)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(
            ('127.0.0.1', 0), functools.partial(Handler, directory=folder))
        threading.Thread(target=self._server.serve_forever, daemon=True).start()
        self.url = 'http://127.0.0.1:%d/' % self._server.server_address[1]

    def close(self):
        # Returns once serve_forever has.
        self._server.shutdown()
        self._server.server_close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class BrowserError(Exception):
    pass


class Browser:
    """One headless Chromium with one page, commands sent over --remote-debugging-pipe."""

    def __init__(self):
        self._profile = tempfile.mkdtemp(prefix='vorpi-chromium-')
        to_browser_read, self._to_browser = os.pipe()
        self._from_browser, from_browser_write = os.pipe()

        def give_pipes():
            # Chromium reads commands on fd 3 and writes answers on fd 4; moved
            # out of the way first, in case the pipes already sit there.
            read, write = (fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser_read, from_browser_write))
            os.dup2(read, 3)
            os.dup2(write, 4)

        self._process = subprocess.Popen(
            ['chromium', '--headless=new', '--no-sandbox', '--disable-gpu', '--remote-debugging-pipe',
             '--user-data-dir=' + self._profile, '--force-color-profile=srgb', '--no-first-run',
             '--hide-scrollbars', '--mute-audio', 'about:blank'],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            close_fds=False, preexec_fn=give_pipes, start_new_session=True)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self._buffer = b''
        self._next_id = 0
        self._session = None
        try:
            target = self.send('Target.createTarget', url='about:blank')['targetId']
            self._session = self.send('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        except BaseException:
            self.close()
            raise

    def close(self):
        """Ends Chromium and every process it started, then removes its profile:
        a helper process left running writes into the profile after it is gone."""
        os.killpg(self._process.pid, signal.SIGKILL)
        self._process.wait(10)
        deadline = time.monotonic() + 10
        while self._session_alive() and time.monotonic() < deadline:
            time.sleep(0.02)
        os.close(self._to_browser)
        os.close(self._from_browser)
        shutil.rmtree(self._profile)

    def _session_alive(self):
        """Whether a process of Chromium's session is still more than a zombie."""
        for stat in glob.glob('/proc/[0-9]*/stat'):
            try:
                with open(stat) as file:
                    fields = file.read().rsplit(')', 1)[1].split()
            except OSError:
                continue
            if fields[3] == str(self._process.pid) and fields[0] != 'Z':
                return True
        return False

    def send(self, method, timeout=30, **params):
        self._next_id += 1
        message = {'id': self._next_id, 'method': method, 'params': params}
        if self._session and not method.startswith('Target.'):
            message['sessionId'] = self._session
        os.write(self._to_browser, json.dumps(message).encode() + b'\0')
        deadline = time.monotonic() + timeout
        while True:
            answer = self._receive(deadline)
            if answer.get('id') == self._next_id:
                if 'error' in answer:
                    raise BrowserError('%s: %s' % (method, answer['error']))
                return answer['result']

    def _receive(self, deadline):
        while b'\0' not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self._from_browser], [], [], left)[0]:
                raise BrowserError('Chromium did not answer in time')
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise BrowserError('Chromium closed its pipe')
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b'\0', 1)
        return json.loads(message)

    def resize(self, width, height, scale=1):
        self.send('Emulation.setDeviceMetricsOverride', width=width, height=height,
                  deviceScaleFactor=scale, mobile=False)
        # Chromium re-evaluates media queries for an emulated ratio alone (as it
        # does for a real one) only when the emulated media changes too.
        self.send('Emulation.setEmulatedMedia', media='screen')
        self.send('Emulation.setEmulatedMedia', media='')

    def evaluate(self, expression, timeout=30):
        """The value of a JavaScript expression (awaited when it is a promise)."""
        result = self.send('Runtime.evaluate', timeout=timeout, expression=expression,
                           awaitPromise=True, returnByValue=True)
        if 'exceptionDetails' in result:
            raise BrowserError('%s: %s' % (expression, result['exceptionDetails']))
        return result['result'].get('value')

    def wait_for(self, expression, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError('waited %g s for %s' % (timeout, expression))
            time.sleep(0.05)

    def open(self, url, prelude='window.vorpiStepped = true',
             ready='!!window.vorpiPage || !document.getElementById("message").hidden'):
        """Loads a page with `prelude` run before its scripts (by default the
        page runs stepped) and waits until its script has started or given up."""
        script = self.send('Page.addScriptToEvaluateOnNewDocument', source=prelude)['identifier']
        self.send('Page.enable')
        self.send('Page.navigate', url=url)
        # Evaluating before the new document is loaded can go unanswered.
        deadline = time.monotonic() + 30
        while self._receive(deadline).get('method') != 'Page.loadEventFired':
            pass
        self.send('Page.disable')
        self.send('Page.removeScriptToEvaluateOnNewDocument', identifier=script)
        self.wait_for(ready)
