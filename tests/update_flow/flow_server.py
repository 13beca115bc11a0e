#!/usr/bin/env python3
"""Loopback HTTP server standing in for the update host and its proxy.

Runs a command beside the server and exits with the command's status:

    flow_server.py --installer FILE -- COMMAND [ARGS...]

The command sees ZP_FLOW_PORT (the server's port on 127.0.0.1),
ZP_FLOW_INSTALLER (FILE) and ZP_FLOW_REQUESTS (a file to which every request
is appended as "<request target> <User-Agent>" on a line of its own).

Requests, in origin form or in absolute form (as a proxy receives them):
    .../missing...      404
    anything else       the installer's bytes
"""
import argparse
import http.server
import os
import subprocess
import sys
import tempfile
import threading


def make_handler(installer, requests_path, lock):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):
            pass

        def record(self):
            agent = self.headers.get("User-Agent", "-").replace(" ", "_")
            with lock, open(requests_path, "a") as out:
                out.write("%s %s\n" % (self.path, agent))

        def do_GET(self):
            self.record()
            if "missing" in self.path:
                body, status = b"not here", 404
            else:
                with open(installer, "rb") as f:
                    body, status = f.read(), 200
            self.send_response(status)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True

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
        threading.Thread(target=server.serve_forever, daemon=True).start()
        env = dict(os.environ)
        for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy"):
            env.pop(name, None)
        env.update(ZP_FLOW_PORT=str(server.server_address[1]),
                   ZP_FLOW_INSTALLER=os.path.abspath(args.installer),
                   ZP_FLOW_REQUESTS=requests_path)
        status = subprocess.call(command, env=env)
        server.shutdown()
    sys.exit(status)


if __name__ == "__main__":
    main()
