#!/usr/bin/env python3
"""A scripted HTTP(S) server for the online tests.

Listens on 127.0.0.1 at a free port, prints the port on its first line of
standard output, and serves until it is killed. Every request is appended
to the log file as one JSON line: method, path, headers in order, body in hex.

Routes (query parameters in brackets):
  /echo                 the request's header lines, a blank line, its body
  /DoLoadLog.php        "received N bytes"
  /status [code, body]  that status with that body
  /html/<page>/...      the path segment <page>, form-decoded, as an HTML page
  /loop                 a redirect to itself
  /redirect [to]        a redirect to the path `to`
  /hops [n, to]         n redirects in a row (each to /hops with n - 1),
                        the last one to the path `to`
  /stall                reads the request, never answers
  /endless [chunk, delay_ms, length]  a 200 reply whose body never ends:
                        `chunk` bytes (default 65536) at a time, `delay_ms`
                        between them; without a length (the end would be
                        the closing), or announcing `length` bytes
  /file [size, disposition, drop, first_size, ignore_range, nolength,
         chunk, delay_ms, claim]
  /files/<name>         the same, 1000 bytes unless size says otherwise
  /named/<disposition>/<name>  the same with that Content-Disposition
      `size` bytes of a fixed pattern (byte i is (i * 7 + i // 256) % 256).
      Range "bytes=N-" is served as 206 unless ignore_range. `drop`: only
      that many bytes of a full reply are sent before the connection is
      closed. `first_size`: the first request for this exact URL gets a
      file of that size instead (a probe that sees another size than the
      transfer). `disposition`: a raw Content-Disposition value.
      `nolength`: no Content-Length, the end marked by closing.
      `chunk` and `delay_ms`: the body goes out in pieces with pauses.
      `claim`: headers announcing that Content-Length, then no body.
"""

import argparse
import http.server
import json
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

LOG_LOCK = threading.Lock()
SEEN_LOCK = threading.Lock()
SEEN = {}


def pattern_bytes(start, end):
    return bytes(((i * 7 + i // 256) % 256) for i in range(start, end))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ScriptedTestServer"
    sys_version = ""

    def setup(self):
        if self.server.tls_context is not None:
            self.request = self.server.tls_context.wrap_socket(self.request, server_side=True)
        super().setup()

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.route()

    def do_POST(self):
        self.route()

    def do_HEAD(self):
        self.route()

    def record(self, body):
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body_hex": body.hex(),
        }
        with LOG_LOCK:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps(entry) + "\n")

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length > 0 else b""

    def reply(self, code, body, headers=(), length=True):
        self.send_response(code)
        for name, value in headers:
            self.send_header(name, value)
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def route(self):
        body = self.read_body()
        self.record(body)
        url = urllib.parse.urlsplit(self.path)
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query, keep_blank_values=True).items()}
        try:
            if url.path == "/echo":
                lines = "".join("%s: %s\r\n" % (k, v) for k, v in self.headers.items())
                self.reply(200, lines.encode("latin-1") + b"\r\n" + body)
            elif url.path == "/DoLoadLog.php":
                self.reply(200, b"received %d bytes" % len(body))
            elif url.path == "/status":
                self.reply(int(query.get("code", "200")), query.get("body", "").encode("utf-8"))
            elif url.path.startswith("/html/"):
                page = urllib.parse.unquote_plus(url.path.split("/")[2]).encode("utf-8")
                self.reply(200, page, [("Content-Type", "text/html; charset=utf-8")])
            elif url.path == "/loop":
                self.reply(302, b"again", [("Location", self.path)])
            elif url.path == "/redirect":
                self.reply(302, b"moved", [("Location", query.get("to", "/"))])
            elif url.path == "/hops":
                left = int(query.get("n", "1")) - 1
                to = query.get("to", "/")
                if left > 0:
                    to = "/hops?" + urllib.parse.urlencode({"n": left, "to": to})
                self.reply(302, b"moved", [("Location", to)])
            elif url.path == "/stall":
                time.sleep(3600)
            elif url.path == "/endless":
                self.serve_endless(query)
            elif url.path == "/file":
                self.serve_file(query)
            elif url.path.startswith("/named/"):
                query["disposition"] = urllib.parse.unquote_plus(url.path.split("/")[2])
                query.setdefault("size", "1000")
                self.serve_file(query)
            elif url.path.startswith("/files/"):
                query.setdefault("size", "1000")
                self.serve_file(query)
            else:
                self.reply(404, b"no such route")
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self.close_connection = True

    def serve_endless(self, query):
        self.send_response(200)
        if "length" in query:
            self.send_header("Content-Length", query["length"])
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        piece = b"{" * int(query.get("chunk", "65536"))
        delay = int(query.get("delay_ms", "0")) / 1000.0
        while True:  # until the client gives up: a broken pipe ends it
            self.wfile.write(piece)
            self.wfile.flush()
            if delay:
                time.sleep(delay)

    def serve_file(self, query):
        if "claim" in query:
            self.send_response(200)
            self.send_header("Content-Length", query["claim"])
            self.end_headers()
            self.close_connection = True
            return
        size = int(query.get("size", "0"))
        if "first_size" in query:
            with SEEN_LOCK:
                first = self.path not in SEEN
                SEEN[self.path] = True
            if first:
                size = int(query["first_size"])
        headers = []
        if "disposition" in query:
            headers.append(("Content-Disposition", query["disposition"]))
        start = 0
        code = 200
        range_header = self.headers.get("Range", "")
        if range_header.startswith("bytes=") and "ignore_range" not in query:
            start = int(range_header[len("bytes="):].split("-")[0])
            if start >= size:
                self.reply(416, b"", [("Content-Range", "bytes */%d" % size)])
                return
            code = 206
            headers.append(("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size)))
        payload = pattern_bytes(start, size)
        self.send_response(code)
        for name, value in headers:
            self.send_header(name, value)
        if "nolength" in query:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        if self.command == "HEAD":
            return
        if "drop" in query and start == 0:
            self.wfile.write(payload[: int(query["drop"])])
            self.wfile.flush()
            self.close_connection = True
            return
        chunk = int(query.get("chunk", "65536"))
        delay = int(query.get("delay_ms", "0")) / 1000.0
        for offset in range(0, len(payload), chunk):
            self.wfile.write(payload[offset : offset + chunk])
            self.wfile.flush()
            if delay:
                time.sleep(delay)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gave up, or refused the certificate


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.log_path = args.log
    server.tls_context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.tls_context = context
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
