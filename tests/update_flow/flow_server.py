#!/usr/bin/env python3
"""Loopback HTTP server standing in for the update host and its proxy.

Runs a command beside the server and exits with the command's status:

    flow_server.py --installer FILE -- COMMAND [ARGS...]

The command sees ZP_FLOW_PORT (the server's port on 127.0.0.1),
ZP_FLOW_INSTALLER (FILE) and ZP_FLOW_REQUESTS (a file to which every request
is appended as "<request target> <User-Agent> <Via>" on a line of its own).
Where tinyproxy is installed, it runs in front of the server (as a proxy
whose upstream proxy is the server) and ZP_FLOW_TINYPROXY_PORT names it; a
second one, ZP_FLOW_TINYPROXY_AUTH_PORT, requires Basic authentication as
"agent" with the password "s3cret".

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
import shutil
import socket
import threading
import time


def make_handler(installer, requests_path, lock):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):
            pass

        def record(self):
            agent = self.headers.get("User-Agent", "-").replace(" ", "_")
            via = self.headers.get("Via", "-").replace(" ", "_")
            with lock, open(requests_path, "a") as out:
                out.write("%s %s %s\n" % (self.path, agent, via))

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


def start_tinyproxy(work, upstream_port, extra=""):
    """tinyproxy on a free port with the server as its upstream, or None."""
    if not shutil.which("tinyproxy"):
        return None, None
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    conf = os.path.join(work, "tinyproxy-%d.conf" % port)
    with open(conf, "w") as out:
        out.write("Port %d\nListen 127.0.0.1\nTimeout 600\nMaxClients 20\nAllow 127.0.0.1\n"
                  "LogLevel Critical\nUpstream http 127.0.0.1:%d\n%s" % (port, upstream_port, extra))
    proxy = subprocess.Popen(["tinyproxy", "-d", "-c", conf],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(50):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return proxy, port
        except OSError:
            time.sleep(0.1)
    proxy.kill()
    return None, None


def call_behind_proxies(command, env, work, upstream_port, proxies):
    """Runs command with one tinyproxy per (variable, extra configuration)
    in front of the server; each proxy's port goes into its variable, and
    a proxy that cannot start leaves its variable out."""
    started = []
    env = dict(env)
    try:
        for name, extra in proxies:
            proxy, proxy_port = start_tinyproxy(work, upstream_port, extra)
            if proxy:
                env[name] = str(proxy_port)
                started.append(proxy)
        return subprocess.call(command, env=env)
    finally:
        for proxy in started:
            proxy.terminate()
            proxy.wait()


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
        try:
            status = call_behind_proxies(
                command, env, work, server.server_address[1],
                (("ZP_FLOW_TINYPROXY_PORT", ""),
                 ("ZP_FLOW_TINYPROXY_AUTH_PORT", "BasicAuth agent s3cret\n")))
        finally:
            server.shutdown()
    sys.exit(status)


if __name__ == "__main__":
    main()
