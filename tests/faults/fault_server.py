#!/usr/bin/env python3
"""Loopback host that misbehaves on request, for the fault matrix.

Runs a command beside the host and exits with the command's status:

    fault_server.py --installer FILE -- COMMAND [ARGS...]

The host answers requests in origin form and in absolute form (as a proxy
receives them), so the system proxy may name it directly. The command sees:
    ZP_FAULT_PORT                the host's port on 127.0.0.1
    ZP_FAULT_INSTALLER           FILE
    ZP_FAULT_REQUESTS            a file with one line per request target
    ENGINE_TEST_BASE_URL         http://127.0.0.1:PORT (for /file/N, /slow/N)
and, where tinyproxy is installed, three proxies in front of the host:
    ZP_FAULT_TINYPROXY_PORT      a plain one
    ZP_FAULT_TINYPROXY_AUTH_PORT one that asks for "agent" / "s3cret"
    ZP_FAULT_TINYPROXY_DENY_PORT one that refuses every client

Paths (the last path segment decides; anything else is the installer):
    stall      the installer announced, 1000 bytes, a pause of 2 s, then closed
    truncate   the installer announced, half of it sent, then closed
    reset      the installer announced, 1000 bytes, then a TCP reset
               (both with Accept-Ranges: bytes and an ETag: a Range request
               whose If-Range matches gets the rest, 206, whole)
    truncate-no-ranges, reset-no-ranges   the same without ranges
    reset-every-try   as reset, and each ranged answer breaks the same way
               (the engine stand-in's requests for the ranged paths get no
               answer, so that the service's own fetch resumes)
    loop       302 to .../loop/<n+1>, without end
    big        an announced body one byte over the fetch's receive limit
               (the engine stand-in's requests for these two get no answer)
    404, 500   that status with a small HTML page
    file/N     N bytes of the engine tests' pattern; slow/N in slow pieces
"""
import argparse
import http.server
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "update_flow"))
from flow_server import call_behind_proxies  # noqa: E402  (tinyproxy in front of a host)

RECEIVE_LIMIT = 102400000
ENTITY_TAG = '"installer-1"'
RANGED = ("truncate", "reset", "reset-every-try")
CHUNK = bytes(range(256)) * 4096


def engine_pattern(size):
    return bytes(((i * 131) + (i >> 8)) & 0xFF for i in range(size))


def make_handler(installer, requests_path, lock):
    with open(installer, "rb") as f:
        payload = f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):
            pass

        def head(self, status, length, extra=()):
            self.send_response(status)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(length))
            self.send_header("Connection", "close")
            for name, value in extra:
                self.send_header(name, value)
            self.end_headers()
            self.close_connection = True

        def body(self, status, data, extra=()):
            self.head(status, len(data), extra)
            self.wfile.write(data)

        def do_GET(self):
            with lock, open(requests_path, "a") as out:
                out.write(self.path + "\n")
            parts = urllib.parse.urlsplit(self.path).path.strip("/").split("/")
            try:
                self.route(parts)
            except (BrokenPipeError, ConnectionResetError):
                pass

        def route(self, parts):
            last = parts[-1] if parts else ""
            if last in ("loop", "big") + RANGED and "Orvanedl" in self.headers.get("User-Agent", ""):
                # The engine stand-in fails at once, so the service's own
                # fetch meets the fault.
                self.close_connection = True
                return
            if len(parts) >= 2 and parts[-2] in ("file", "slow") and last.isdigit():
                return self.engine_file(parts[-2] == "slow", int(last))
            if len(parts) >= 2 and parts[-2] == "loop" and last.isdigit():
                return self.loop(int(last))
            handler = {
                "stall": self.stall,
                "truncate": lambda: self.ranged(self.truncate),
                "reset": lambda: self.ranged(self.reset),
                "reset-every-try": lambda: self.ranged(self.reset, every_try=True),
                "truncate-no-ranges": lambda: self.truncate(0),
                "reset-no-ranges": lambda: self.reset(0),
                "loop": lambda: self.loop(0), "big": self.big,
                "404": lambda: self.body(404, b"<html><body>not found</body></html>"),
                "500": lambda: self.body(500, b"<html><body>server error</body></html>"),
            }.get(last, lambda: self.body(200, payload))
            handler()

        def stall(self):
            self.head(200, len(payload))
            self.wfile.write(payload[:1000])
            self.wfile.flush()
            time.sleep(2)

        def ranged(self, fault, every_try=False):
            """The installer from the byte a matching Range asks for; the
            whole body (and with every_try a ranged one too) meets the fault."""
            asked = self.headers.get("Range", "")
            start = 0
            if (asked.startswith("bytes=") and asked.endswith("-") and asked[6:-1].isdigit()
                    and self.headers.get("If-Range") == ENTITY_TAG
                    and int(asked[6:-1]) < len(payload)):
                start = int(asked[6:-1])
            extra = [("Accept-Ranges", "bytes"), ("ETag", ENTITY_TAG)]
            if start:
                extra.append(("Content-Range",
                              "bytes %d-%d/%d" % (start, len(payload) - 1, len(payload))))
            if start and not every_try:
                return self.body(206, payload[start:], extra)
            fault(start, extra)

        def truncate(self, start, extra=()):
            self.head(206 if start else 200, len(payload) - start, extra)
            self.wfile.write(payload[start:start + (len(payload) - start) // 2])

        def reset(self, start, extra=()):
            self.head(206 if start else 200, len(payload) - start, extra)
            self.wfile.write(payload[start:start + 1000])
            self.wfile.flush()
            time.sleep(0.3)  # the bytes sent reach the client before the reset
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.connection.close()

        def loop(self, n):
            url = urllib.parse.urlsplit(self.path)
            base = self.path[: len(self.path) - len(url.path)] if url.scheme else ""
            self.body(302, b"moved", [("Location", "%s/loop/%d" % (base, n + 1))])

        def big(self):
            size = RECEIVE_LIMIT + 1
            self.head(200, size)
            sent = 0
            while sent < size:
                piece = CHUNK[: min(len(CHUNK), size - sent)]
                self.wfile.write(piece)
                sent += len(piece)

        def engine_file(self, slow, size):
            data = engine_pattern(size)
            self.head(200, size)
            for start in range(0, size, 4096):
                self.wfile.write(data[start:start + 4096])
                if slow:
                    self.wfile.flush()
                    time.sleep(0.1)

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    with tempfile.TemporaryDirectory() as work:
        requests_path = os.path.join(work, "requests.txt")
        open(requests_path, "w").close()
        server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), make_handler(args.installer, requests_path, threading.Lock()))
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
        port = server.server_address[1]
        env = {k: v for k, v in os.environ.items()
               if k.lower() not in ("http_proxy", "https_proxy", "all_proxy", "no_proxy")}
        env.update(ZP_FAULT_PORT=str(port), ZP_FAULT_INSTALLER=os.path.abspath(args.installer),
                   ZP_FAULT_REQUESTS=requests_path,
                   ENGINE_TEST_BASE_URL="http://127.0.0.1:%d" % port)
        # The refusing proxy filters every request away.
        no_filter = os.path.join(work, "filter-nothing")
        open(no_filter, "w").close()
        try:
            status = call_behind_proxies(
                command, env, work, port,
                (("ZP_FAULT_TINYPROXY_PORT", ""),
                 ("ZP_FAULT_TINYPROXY_AUTH_PORT", "BasicAuth agent s3cret\n"),
                 ("ZP_FAULT_TINYPROXY_DENY_PORT",
                  'Filter "%s"\nFilterDefaultDeny Yes\n' % no_filter)))
        finally:
            server.shutdown()
    sys.exit(status)


if __name__ == "__main__":
    main()
