#!/usr/bin/env python3
"""A local HTTP or HTTPS server for the update tests.

Usage: update_test_server.py ROUTES_FILE LOG_FILE [CERT_FILE KEY_FILE]

Binds 127.0.0.1 on a free port and prints the port on the first line of its output.
Every request is logged to LOG_FILE as one JSON line (method, path, headers in order,
body in hexadecimal) before it is answered. The answer comes from ROUTES_FILE, a JSON
object read again for every request: the key is the request's "app_key" form field when
the path ends in "/updates", else the path. A route holds:
  "status"      HTTP status (200 when absent)
  "body"        text of the reply (UTF-8)
  "body_size"   a reply of that many "x" bytes instead of "body"
  "body_file"   a file whose bytes are the reply
  "stall"       true: send the headers and a promised length, then nothing
  "redirect"    a location to answer with 302
A request without a route gets 404.
"""
import json
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs

ROUTES, LOG = sys.argv[1], sys.argv[2]
LOG_LOCK = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        with LOG_LOCK, open(LOG, "a") as log:
            log.write(json.dumps({
                "method": self.command,
                "path": self.path,
                "headers": [[k, v] for k, v in self.headers.items()],
                "body_hex": body.hex(),
            }) + "\n")
        try:
            with open(ROUTES) as f:
                routes = json.load(f)
        except (OSError, ValueError):
            routes = {}
        key = self.path
        if self.path.endswith("/updates"):
            text = body.rstrip(b"\0").decode("utf-8", "replace")
            key = parse_qs(text).get("app_key", [""])[0]
        route = routes.get(key)
        if route is None:
            self.reply(404, b"<html><body>not found</body></html>")
            return
        if "redirect" in route:
            self.send_response(302)
            self.send_header("Location", route["redirect"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if route.get("stall"):
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.flush()
            # Hold the connection until the client gives up (at most a minute).
            self.connection.settimeout(0.2)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:
                try:
                    if self.connection.recv(1) == b"":
                        break
                except socket.timeout:
                    continue
                except OSError:
                    break
            return
        if "body_file" in route:
            with open(route["body_file"], "rb") as f:
                data = f.read()
        elif "body_size" in route:
            data = b"x" * int(route["body_size"])
        else:
            data = route.get("body", "").encode("utf-8")
        self.reply(int(route.get("status", 200)), data)

    def reply(self, status, data):
        self.send_response(status)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        try:
            self.wfile.write(data)
        except OSError:
            pass

    do_GET = handle_any
    do_POST = handle_any
    do_PUT = handle_any


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if len(sys.argv) >= 5:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[3], sys.argv[4])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
