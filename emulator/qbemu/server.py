"""HTTP(S) front end: routes /db/<dbid> posts to the actions, /up/ downloads to the
attachment store and /_emulator/ to the admin interface, and applies injected faults."""

import codecs
import http.cookies
import json
import re
import socket
import ssl
import sys
import time
import traceback
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

from . import actions, admin, faults
from .errors import ApiError
from .store import Store
from .xmlout import envelope

_DOWNLOAD = re.compile(r"/up/([^/]+)/a/r(\d+)/e(\d+)(?:/v\d+)?/?")
_DB_PATH = re.compile(r"/db/([^/?]+)/?")


class Emulator:
    """The server and its shared state."""

    def __init__(self, host="127.0.0.1", port=0, store_path=None, tls=None, verbose=False):
        self.store = Store(store_path)
        self.faults = faults.Faults()
        self.log = admin.RequestLog()
        self.verbose = verbose
        self.tls = bool(tls)
        self.httpd = _Server((host, port), Handler)
        self.httpd.emu = self
        self.httpd.ssl_context = None
        if tls:
            ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            ctx.load_cert_chain(tls[0], tls[1])
            self.httpd.ssl_context = ctx
        self.port = self.httpd.server_address[1]

    def serve_forever(self):
        self.httpd.serve_forever(poll_interval=0.2)

    def shutdown(self):
        self.httpd.shutdown()

    def close(self):
        self.httpd.server_close()
        self.store.close()


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Clients that hang up, or fail the TLS handshake, are part of testing.
        exc = sys.exc_info()[1]
        if isinstance(exc, (ConnectionError, ssl.SSLError, socket.timeout, TimeoutError)):
            return
        super().handle_error(request, client_address)


def parse_body(body):
    """Request XML -> (params, items); params keep the last value of each tag."""
    try:
        root = ET.fromstring(body)
    except ET.ParseError as e:
        raise ApiError(11, "The request body is not well-formed XML: %s" % e)
    if root.tag != "qdbapi":
        raise ApiError(11, "The request's root element is <%s>, not <qdbapi>" % root.tag)
    params, items = {}, []
    for child in root:
        text = child.text or ""
        items.append((child.tag, dict(child.attrib), text))
        params[child.tag] = text
    return params, items


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "QuickBaseEmulator/1.0"
    # With Nagle's algorithm a reply's last small segment would wait for the
    # client's delayed acknowledgement of the one before (some 40 ms); each
    # reply also goes out in one write (send).
    disable_nagle_algorithm = True
    timeout = 120

    def setup(self):
        ctx = self.server.ssl_context
        if ctx is not None:
            # Handshake here, on the connection's own thread, so a slow or broken
            # client can't hold up the accept loop.
            self.request.settimeout(10)
            self.request = ctx.wrap_socket(self.request, server_side=True)
        super().setup()

    def log_message(self, fmt, *args):
        if self.emu.verbose:
            sys.stderr.write("emulator: " + (fmt % args) + "\n")

    @property
    def emu(self):
        return self.server.emu

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send(self, status, content_type, body, headers=(), cut=False):
        """Sends the reply in one write, headers and body together. With cut, the headers
        announce the whole body, half of it follows and the connection closes."""
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        # What end_headers would write on its own goes out with the body instead.
        self._headers_buffer.append(b"\r\n")
        head = b"".join(self._headers_buffer)
        self._headers_buffer = []
        if self.command == "HEAD":
            body = b""
        if cut:
            body = faults.truncated(body)
        self.wfile.write(head + body)
        if cut:
            self.drop()

    def send_json(self, status, data):
        self.send(status, "application/json", json.dumps(data, indent=1).encode("utf-8"))

    def base_url(self):
        scheme = "https" if self.server.ssl_context else "http"
        host = self.headers.get("Host") or "%s:%d" % self.server.server_address[:2]
        return "%s://%s" % (scheme, host)

    def cookie_ticket(self):
        jar = http.cookies.SimpleCookie()
        try:
            jar.load(self.headers.get("Cookie") or "")
        except http.cookies.CookieError:
            return None
        return jar["TICKET"].value if "TICKET" in jar else None

    # ---- routes ---------------------------------------------------------------------------------
    def do_GET(self):
        url = urlsplit(self.path)
        if url.path.startswith(admin.PREFIX):
            return self.send_json(*admin.handle(self.emu, "GET", url.path, url.query, b""))
        m = _DOWNLOAD.fullmatch(url.path)
        if m:
            return self.download(m, url.query)
        self.send(404, "text/plain", b"Not found\n")

    def do_DELETE(self):
        url = urlsplit(self.path)
        if url.path.startswith(admin.PREFIX):
            return self.send_json(*admin.handle(self.emu, "DELETE", url.path, url.query, b""))
        self.send(404, "text/plain", b"Not found\n")

    def do_POST(self):
        url = urlsplit(self.path)
        body = self.read_body()
        if url.path.startswith(admin.PREFIX):
            return self.send_json(*admin.handle(self.emu, "POST", url.path, url.query, body))
        m = _DB_PATH.fullmatch(url.path)
        if not m:
            return self.send(404, "text/plain", b"Not found\n")
        action = (self.headers.get("QUICKBASE-ACTION") or "").strip()
        entry = self.emu.log.add({"method": "POST", "path": url.path, "action": action, "dbid": m.group(1),
                                  "cookie_ticket": self.cookie_ticket() is not None,
                                  "body": body.decode("utf-8", "replace")})
        fault = self.emu.faults.take(action, m.group(1))
        if fault is not None:
            entry["fault"] = fault.describe()
        if self.fail_early(fault, "text/html", b"<html><body>Injected HTTP failure</body></html>\n"):
            return
        reply, ctype, cookies, code = self.api(action, m.group(1), body, entry, fault)
        entry["errcode"] = code
        if fault is not None and fault.truncate:
            reply = faults.truncated(reply)
        if fault is not None and fault.malformed:
            reply = faults.malformed(reply)
        if fault is not None and fault.omit:
            reply = faults.omitted(reply, fault.omit)
        if fault is not None and (fault.nested or fault.siblings):
            reply = faults.padded(reply, fault.nested, fault.siblings)
        if fault is not None and fault.late:
            time.sleep(fault.late)
        if fault is not None and fault.drop_after:
            return self.drop()
        if fault is not None and fault.status_after:
            return self.send(fault.status_after, "text/html", b"<html><body>Injected gateway failure</body></html>\n")
        self.send(200, ctype, reply, [("Set-Cookie", c) for c in cookies], cut=fault is not None and fault.cut)

    def api(self, action, dbid, body, entry, fault):
        """Runs one API request; returns (body bytes, content type, cookies, errcode)."""
        encoding, udata, params = "utf-8", None, {}
        req = None
        try:
            params, items = parse_body(body)
            entry["params"] = params
            entry["items"] = [{"tag": t, "attrs": a, "text": x} for t, a, x in items]
            udata = params.get("udata")
            encoding = _encoding(params.get("encoding"))
            if fault is not None and fault.errcode is not None:
                raise ApiError(fault.errcode, fault.errdetail)
            if fault is not None and fault.paging():
                params = faults.paged(params, fault)
            req = actions.Request(action, dbid, params, items, self.cookie_ticket(), self.base_url())
            result = actions.run(self.emu.store, req)
            if isinstance(result, actions.Raw):
                return result.text.encode("utf-8"), result.content_type, [], 0
            text, code = envelope(action, 0, "", udata, result), 0
        except ApiError as e:
            text, code = envelope(action, e.code, e.detail, udata), e.code
        except Exception as e:  # a fault of the emulator must still answer in the API's shape
            traceback.print_exc()
            text, code = envelope(action, 1, "Internal error: %r" % e, udata), 1
        cookies = req.set_cookies if req is not None and code == 0 else []
        if codecs.lookup(encoding).name != "utf-8":
            text = text.replace('<?xml version="1.0" ?>', '<?xml version="1.0" encoding="%s" ?>' % encoding, 1)
        ctype = "application/xml; charset=%s" % encoding
        return text.encode(encoding, "xmlcharrefreplace"), ctype, cookies, code

    def fail_early(self, fault, content_type, page):
        """Delays the reply, or drops it or answers with an HTTP error, as the fault
        asks; True when nothing more is to be sent."""
        if fault is None:
            return False
        if fault.delay:
            time.sleep(fault.delay)
        if fault.drop:
            self.drop()
            return True
        if fault.http_status:
            self.send(fault.http_status, content_type, page)
            return True
        return False

    def drop(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def download(self, m, query):
        args = admin.query_args(query)
        dbid, rid, fid = m.group(1), int(m.group(2)), int(m.group(3))
        self.emu.log.add({"method": "GET", "path": self.path, "action": "download", "dbid": dbid,
                          "cookie_ticket": self.cookie_ticket() is not None, "params": args})
        fault = self.emu.faults.take("download")
        if self.fail_early(fault, "text/plain", b"Injected HTTP failure\n"):
            return
        if fault is not None and fault.endless:
            return self.send_endless("application/octet-stream")
        ticket = args.get("ticket") or self.cookie_ticket()
        first, second = actions.download(self.emu.store, dbid, rid, fid, ticket, args.get("usertoken"))
        if isinstance(first, int):
            return self.send(first, "text/plain", (second + "\n").encode())
        body = second
        if fault is not None and fault.truncate:
            body = faults.truncated(body)
        self.send(200, "application/octet-stream", body,
                  [("Content-Disposition", 'attachment; filename="%s"' % first.replace('"', "'"))])

    def send_endless(self, content_type):
        """Zero bytes without end and without a length, until the client hangs up."""
        self.close_connection = True
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Connection", "close")
        self.end_headers()
        block = b"\0" * faults.ENDLESS_BLOCK
        try:
            while True:
                self.wfile.write(block)
                time.sleep(faults.ENDLESS_PAUSE)
        except OSError:
            pass


def _encoding(name):
    name = (name or "").strip()
    if not name:
        return "utf-8"
    try:
        codecs.lookup(name)
        return name
    except LookupError:
        return "utf-8"
