#!/usr/bin/env python3
"""Loopback HTTP server for the update service's fetch tests.

Run as a driver: starts the server on 127.0.0.1 with a free port, runs the
given command with ZP_HTTP_PORT set to that port (and without any proxy
variables in its environment), stops the server and exits with the
command's status:

    loopback_server.py [--timeout S] -- COMMAND [ARGS...]

Paths served:
    /hello                  a short text body
    /file?size=N            N bytes, byte i being i % 251
    /404                    status 404 with a small HTML page
    /redirect               302 to /hello
    /partial                announces 100000 bytes, sends 30000, closes
    /stall                  announces 1000 bytes, sends 10, then waits (up to 20 s)
    /cookie                 echoes the Cookie request header
    /redirect-https         302 to https://localhost:ZP_HTTPS_PORT/hello
    /cert.der               the HTTPS server's certificate (DER)
    /proxy.pac?answer=TEXT  a proxy configuration script whose answer is TEXT
    /broken.pac             a proxy configuration script with a syntax error
    /ranged?id=ID&size=N&...  N pattern bytes; the first `cuts` answers (1) break
                            halfway through what they send, `how` reset, close
                            or stall (no byte until the end of the run);
                            `ranges` 1 announces Accept-Ranges: bytes and a
                            validator (`validator` etag or date), and a Range
                            request whose If-Range matches gets 206 with the
                            rest; `change` 1 gives each answer a new ETag
    /requests?id=ID         "range=<Range> if-range=<If-Range>" per request
                            to /ranged with that ID, one line each
Where openssl is installed, a second server speaks HTTPS (ZP_HTTPS_PORT) with
a fresh self-signed certificate for "localhost", serving the same paths.
Absolute-form requests (GET http://host/path HTTP/1.1) are answered as a
proxy would: the body names the request line and Proxy-Authorization header.
"""
import argparse
import http.server
import os
import shutil
import ssl
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

PATTERN_PERIOD = 251
PATTERN_CHUNK = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD)) * 4096
STOP = threading.Event()
HTTPS_PORT = [0]
CERT_DER = [b""]
RANGED = {}  # id -> lines of the requests it received
RANGED_LOCK = threading.Lock()
MODIFIED = "Wed, 09 Dec 2026 10:00:00 GMT"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):  # keep the test output quiet
        pass

    def send_body(self, status, body, content_type="text/plain", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def announce(self, length):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def do_GET(self):
        if self.path.startswith("http://") or self.path.startswith("https://"):
            return self.answer_as_proxy()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        route = {
            "/hello": self.hello,
            "/file": lambda: self.pattern_file(int(query.get("size", ["0"])[0])),
            "/404": self.not_found,
            "/redirect": self.redirect,
            "/partial": self.partial,
            "/stall": self.stall,
            "/cookie": self.cookie,
            "/redirect-https": self.redirect_https,
            "/cert.der": lambda: self.send_body(200, CERT_DER[0], "application/pkix-cert"),
            "/proxy.pac": lambda: self.script(
                'function FindProxyForURL(url, host) { return "%s"; }'
                % query.get("answer", ["DIRECT"])[0]),
            "/broken.pac": lambda: self.script("function FindProxyForURL(url, host) { return (; }"),
            "/ranged": lambda: self.ranged({k: v[0] for k, v in query.items()}),
            "/requests": lambda: self.send_body(
                200, "".join(RANGED.get(query.get("id", [""])[0], [])).encode()),
        }.get(url.path, self.not_found)
        try:
            route()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def answer_as_proxy(self):
        auth = self.headers.get("Proxy-Authorization", "")
        body = ("PROXY %s\nAUTH %s\n" % (self.requestline, auth)).encode()
        self.send_body(200, body)

    def hello(self):
        self.send_body(200, b"hello from loopback")

    def not_found(self):
        self.send_body(404, b"<html><body>no such file</body></html>", "text/html")

    def redirect(self):
        self.send_body(302, b"moved", extra=[("Location", "/hello")])

    def redirect_https(self):
        location = "https://localhost:%d/hello" % HTTPS_PORT[0]
        self.send_body(302, b"moved", extra=[("Location", location)])

    def cookie(self):
        self.send_body(200, ("COOKIE %s" % self.headers.get("Cookie", "")).encode())

    def script(self, text):
        self.send_body(200, text.encode(), "application/x-ns-proxy-autoconfig")

    def ranged(self, q):
        with RANGED_LOCK:
            lines = RANGED.setdefault(q.get("id", ""), [])
            lines.append("range=%s if-range=%s\n"
                         % (self.headers.get("Range", "-"), self.headers.get("If-Range", "-")))
            answer = len(lines)
        size = int(q.get("size", "100000"))
        tag = '"v%d"' % (answer if q.get("change") == "1" else 1)
        extra = []
        if q.get("ranges", "1") == "1":
            validator = MODIFIED if q.get("validator") == "date" else tag
            extra = [("Accept-Ranges", "bytes"),
                     ("Last-Modified", MODIFIED) if validator == MODIFIED else ("ETag", tag)]
            start = self.range_start(validator, size)
        else:
            start = None
        status = 200 if start is None else 206
        start = start or 0
        if status == 206:
            extra.append(("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size)))
        self.send_response(status)
        self.send_header("Content-Length", str(size - start))
        self.send_header("Connection", "close")
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.close_connection = True
        cut = answer <= int(q.get("cuts", "1"))
        end = start + (size - start) // 2 if cut else size
        self.wfile.write(PATTERN_CHUNK[start:end])
        self.wfile.flush()
        if cut:
            self.interrupt(q.get("how", "reset"))

    def range_start(self, validator, size):
        """The first byte a ranged request asks for, or None for the whole body."""
        asked = self.headers.get("Range", "")
        if not (asked.startswith("bytes=") and asked.endswith("-") and asked[6:-1].isdigit()):
            return None
        if self.headers.get("If-Range") != validator or int(asked[6:-1]) >= size:
            return None
        return int(asked[6:-1])

    def interrupt(self, how):
        if how == "stall":
            STOP.wait(60)
        elif how == "reset":
            time.sleep(0.3)  # the bytes sent reach the client before the reset
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()

    def pattern_file(self, size):
        self.announce(size)
        sent = 0
        while sent < size:
            piece = PATTERN_CHUNK[: min(len(PATTERN_CHUNK), size - sent)]
            self.wfile.write(piece)
            sent += len(piece)

    def partial(self):
        self.announce(100000)
        self.wfile.write(PATTERN_CHUNK[:30000])
        self.wfile.flush()

    def stall(self):
        self.announce(1000)
        self.wfile.write(PATTERN_CHUNK[:10])
        self.wfile.flush()
        STOP.wait(20)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def clean_environment(port, https_port):
    env = {k: v for k, v in os.environ.items()
           if k.lower() not in ("http_proxy", "https_proxy", "all_proxy", "no_proxy", "ftp_proxy")}
    env["ZP_HTTP_PORT"] = str(port)
    if https_port:
        env["ZP_HTTPS_PORT"] = str(https_port)
    return env


def start(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_https(workdir):
    """An HTTPS twin with a fresh self-signed certificate, or None."""
    if not shutil.which("openssl"):
        return None
    cert, key = os.path.join(workdir, "cert.pem"), os.path.join(workdir, "key.pem")
    made = subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
         "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
         "-keyout", key, "-out", cert],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if made.returncode != 0:
        return None
    with open(cert) as pem:
        CERT_DER[0] = ssl.PEM_cert_to_DER_cert(pem.read())
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = Server(("127.0.0.1", 0), Handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    return start(server)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=240)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")

    workdir = tempfile.mkdtemp(prefix="zp_loopback_")
    servers = [start(Server(("127.0.0.1", 0), Handler))]
    https = start_https(workdir)
    if https:
        servers.append(https)
        HTTPS_PORT[0] = https.server_address[1]
    port = servers[0].server_address[1]
    child = subprocess.Popen(command, env=clean_environment(port, HTTPS_PORT[0]),
                             start_new_session=True)
    try:
        status = child.wait(timeout=args.timeout)
    except subprocess.TimeoutExpired:
        print("loopback_server: command timed out; killing it", file=sys.stderr)
        os.killpg(child.pid, signal.SIGKILL)
        child.wait()
        status = 124
    finally:
        STOP.set()
        for server in servers:
            server.shutdown()
            server.server_close()
        shutil.rmtree(workdir, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
