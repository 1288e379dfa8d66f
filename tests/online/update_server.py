#!/usr/bin/env python3
"""The tests' own web server, on 127.0.0.1 only.

It plays the vendor's server below one folder per scenario, and offers replies that go
wrong in the ways a download component must survive:

  /<scenario>/updates/sweepwise/versiyon.txt    the version file of the scenario
  /<scenario>/updates/sweepwise/updatesite.txt  http://127.0.0.1:PORT/<scenario>/release/
  /<scenario>/release/sweepwisepro2.exe         the release (--release FILE, else made-up bytes)
  /<scenario>/qz/untpostnews.php3               POST: the sign-up; the body is recorded
  /recorded/<scenario>                          the last sign-up body of the scenario

  /t/file?size=N              N bytes with their length
  /t/nolength?size=N          N bytes without a length; the end is the closed connection
  /t/short?size=N&sent=M      announces N bytes, sends M and closes
  /t/slow?blocks=N            N blocks of 1000 bytes, one a second
  /t/redirect?to=PATH         302 to PATH
  /t/missing                  404 with a page
  /t/headers                  the request's head as the body (GET or POST)

The port is chosen by the system and written to --port-file once the server listens.
"""

import argparse
import hashlib
import http.server
import os
import socketserver
import sys
import time
import urllib.parse

RELEASE_STEM = "sweepwisepro2"


def pattern(size):
    return bytes(i % 251 for i in range(size))


class Scenarios:
    """The version files of the scenarios, made for one release."""

    def __init__(self, release):
        self.release = release
        digest = hashlib.sha256(release).hexdigest()
        wrong = hashlib.sha256(release + b"tampered").hexdigest()
        size_kb = str(len(release) // 1024)
        product = "QZ Sweepwise Pro"
        about = "Faster cleaning & a new look"
        self.versions = {
            "newer": ["3.6", product, size_kb, about, digest],
            "ten": ["10.0", product, size_kb, about, digest.upper()],
            "nodigest": ["3.6", product, size_kb, about],
            "baddigest": ["3.6", product, size_kb, about, wrong],
            "equal": ["3.5", product, size_kb, "Nothing new", digest],
            "older": ["3.4", product, size_kb, "Older", digest],
            "nosite": ["3.6", product, size_kb, about, digest],
            "shortrelease": ["3.6", product, size_kb, about, digest],
            "signup": ["3.5", product, size_kb, about],
        }

    def version_file(self, name):
        lines = self.versions.get(name)
        return None if lines is None else "".join(line + "\r\n" for line in lines).encode()


class Handler(http.server.BaseHTTPRequestHandler):
    # One request per connection, as the program's HTTP/1.0 requests expect.
    protocol_version = "HTTP/1.0"
    server_version = "SweepwiseTestServer/1"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if os.environ.get("SWEEPWISE_SERVER_LOG"):
            sys.stderr.write("server: " + (format % args) + "\n")

    def reply(self, body, status=200, length=True, content_type="application/octet-stream", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if length:
            self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def query(self):
        parsed = urllib.parse.urlsplit(self.path)
        return parsed.path, dict(urllib.parse.parse_qsl(parsed.query))

    def head_text(self):
        lines = [self.requestline] + [f"{name}: {value}" for name, value in self.headers.items()]
        return "".join(line + "\r\n" for line in lines).encode()

    def do_GET(self):
        path, query = self.query()
        try:
            if path.startswith("/t/"):
                self.test_reply(path[3:], query)
            elif path.startswith("/recorded/"):
                body = self.server.recorded.get(path[len("/recorded/"):])
                self.reply(body if body is not None else b"", 200 if body is not None else 404)
            else:
                self.scenario_reply(path)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client stopped reading: an aborted download

    def do_POST(self):
        path, _ = self.query()
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if path == "/t/headers":
            self.reply(self.head_text() + b"\r\n" + body)
            return
        scenario, _, rest = path.strip("/").partition("/")
        if rest != "qz/untpostnews.php3":
            self.reply(b"no such form", 404)
            return
        self.server.recorded[scenario] = body
        # A reply of several blocks, so that the sign-up sees progress more than once.
        self.reply(b"Thank you for signing up.\r\n" * 200, content_type="text/html")

    def test_reply(self, name, query):
        size = int(query.get("size", "0"))
        if name == "file":
            self.reply(pattern(size))
        elif name == "nolength":
            self.reply(pattern(size), length=False)
        elif name == "short":
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.end_headers()
            self.wfile.write(pattern(int(query["sent"])))
        elif name == "slow":
            blocks = int(query.get("blocks", "30"))
            self.send_response(200)
            self.send_header("Content-Length", str(blocks * 1000))
            self.end_headers()
            for _ in range(blocks):
                self.wfile.write(pattern(1000))
                self.wfile.flush()
                time.sleep(1)
        elif name == "redirect":
            self.reply(b"moved", 302, headers=[("Location", query["to"])])
        elif name == "missing":
            self.reply(b"<html>not here</html>", 404, content_type="text/html")
        elif name == "headers":
            self.reply(self.head_text())
        else:
            self.reply(b"unknown test reply", 404)

    def scenario_reply(self, path):
        scenario, _, rest = path.strip("/").partition("/")
        scenarios = self.server.scenarios
        if rest == "updates/sweepwise/versiyon.txt":
            body = scenarios.version_file(scenario)
            self.reply(body if body is not None else b"missing", 200 if body is not None else 404)
        elif rest == "updates/sweepwise/updatesite.txt" and scenario != "nosite":
            port = self.server.server_address[1]
            self.reply(f"http://127.0.0.1:{port}/{scenario}/release/\r\n".encode())
        elif rest == f"release/{RELEASE_STEM}.exe":
            release = scenarios.release
            if scenario == "shortrelease":
                self.send_response(200)
                self.send_header("Content-Length", str(len(release)))
                self.end_headers()
                self.wfile.write(release[: len(release) // 2])
            else:
                self.reply(release)
        else:
            self.reply(b"missing", 404)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--release", help="the file served as the release")
    args = parser.parse_args()
    release = open(args.release, "rb").read() if args.release else pattern(150 * 1024 + 77)
    server = Server(("127.0.0.1", 0), Handler)
    server.scenarios = Scenarios(release)
    server.recorded = {}
    # Written whole under another name first, so the waiting script never reads half a number.
    with open(args.port_file + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    # Until the script that started it sends SIGTERM.
    server.serve_forever()


if __name__ == "__main__":
    main()
