#!/usr/bin/env python3
"""Loopback relay in front of an HTTP host that breaks the first whole-body
transfer halfway, as a dropped connection would (scripts/run.sh --interrupt).

    cut_relay.py --target PORT --port-file FILE --log FILE

Listens on a free port of 127.0.0.1 (written to FILE once listening) and
passes every connection on to 127.0.0.1:PORT unchanged, except the first
answer to a request without a Range header: after half of its announced body
the client's connection is reset. Each request and the cut go to the log.
"""
import argparse
import socket
import struct
import threading

CUT = threading.Event()  # set once the one cut is made
LOG_LOCK = threading.Lock()


def log(path, line):
    with LOG_LOCK, open(path, "a") as out:
        out.write(line + "\n")


def read_head(sock):
    """Bytes up to and including the blank line, and whatever came after."""
    data = b""
    while b"\r\n\r\n" not in data:
        piece = sock.recv(65536)
        if not piece:
            return data, b""
        data += piece
    end = data.index(b"\r\n\r\n") + 4
    return data[:end], data[end:]


def header(head, name):
    for line in head.split(b"\r\n")[1:]:
        key, _, value = line.partition(b":")
        if key.strip().lower() == name:
            return value.strip().decode("latin-1")
    return None


def pipe(source, sink):
    try:
        while True:
            piece = source.recv(65536)
            if not piece:
                break
            sink.sendall(piece)
    except OSError:
        pass
    finally:
        for sock in (source, sink):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def reset(sock):
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    sock.close()


def relay(client, target_port, log_path):
    upstream = socket.create_connection(("127.0.0.1", target_port))
    request, rest = read_head(client)
    line = request.split(b"\r\n", 1)[0].decode("latin-1")
    ranged = header(request, b"range")
    log(log_path, "relay: %s range=%s" % (line, ranged or "-"))
    # One request per connection (the proxy in front opens one for each), so
    # nothing else comes from the client: a reader of the client's side
    # would keep its socket from being reset.
    upstream.sendall(request + rest)
    answer, body = read_head(upstream)
    length = header(answer, b"content-length")
    cut = not ranged and length and length.isdigit() and int(length) > 1 and not CUT.is_set()
    if not cut:
        client.sendall(answer + body)
        return pipe(upstream, client)
    CUT.set()
    half = int(length) // 2
    while len(body) < half:
        piece = upstream.recv(65536)
        if not piece:
            break
        body += piece
    client.sendall(answer + body[:half])
    log(log_path, "relay: connection reset after %d of %s bytes" % (half, length))
    reset(client)
    upstream.close()


def serve(listener, target_port, log_path):
    while True:
        client, _ = listener.accept()
        threading.Thread(target=lambda c=client: guarded(c, target_port, log_path),
                         daemon=True).start()


def guarded(client, target_port, log_path):
    try:
        relay(client, target_port, log_path)
    except OSError as error:
        log(log_path, "relay: %s" % error)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--target", type=int, required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    with open(args.port_file, "w") as out:
        out.write("%d\n" % listener.getsockname()[1])
    serve(listener, args.target, args.log)


if __name__ == "__main__":
    main()
