#!/usr/bin/env python3
"""Serves test files on 127.0.0.1 while a test program runs.

Usage: loopback_http.py COMMAND [ARGS...]
The base URL goes to the command in ENGINE_TEST_BASE_URL. Paths:
  /file/<size>   <size> bytes of the test pattern
  /slow/<size>   the same, sent in 4 KiB pieces 0.1 s apart
  anything else  404
"""
import http.server
import os
import subprocess
import sys
import threading
import time


def pattern(size):
    return bytes(((i * 131) + (i >> 8)) & 0xFF for i in range(size))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        parts = self.path.strip("/").split("/")
        if len(parts) != 2 or parts[0] not in ("file", "slow") or not parts[1].isdigit():
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        body = pattern(int(parts[1]))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        step = 4096
        try:
            for start in range(0, len(body), step):
                self.wfile.write(body[start:start + step])
                if parts[0] == "slow":
                    self.wfile.flush()
                    time.sleep(0.1)
        except (BrokenPipeError, ConnectionResetError):
            pass


class Server(http.server.ThreadingHTTPServer):
    # A test may start a thousand downloads at once; with the default backlog
    # of 5 a loaded machine refuses connections and the engine reports a
    # network error for a download nobody meant to fail.
    request_queue_size = 1024


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    env = dict(os.environ)
    env["ENGINE_TEST_BASE_URL"] = "http://127.0.0.1:%d" % server.server_address[1]
    try:
        result = subprocess.run(sys.argv[1:], env=env, timeout=240)
        code = result.returncode
    except subprocess.TimeoutExpired:
        code = 124
    server.shutdown()
    return code


if __name__ == "__main__":
    sys.exit(main())
