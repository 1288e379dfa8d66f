#!/usr/bin/env python3
"""The tests' own web server, on 127.0.0.1 only.

It listens twice, for HTTP and for HTTPS (with the certificate of --tls-dir), serves the same
on both, and plays the vendor's server below one folder per scenario, and offers replies
that go wrong in the ways a download component must survive:

  /<scenario>/updates/sweepwise/versiyon.txt    the version file of the scenario, signed
                                                with --key by tools/sign-release.sh
  /<scenario>/updates/sweepwise/updatesite.txt  https://127.0.0.1:TLSPORT/<scenario>/release/
  /<scenario>/release/sweepwisepro2.exe         the release (--release FILE, else made-up bytes)

The hostile scenarios: "unsigned" (no sixth line), "otherkey" (signed with --other-key),
"changed" (line 1 changed after signing), "baddigest" (a signed digest that is not the
release's), "bigrelease" (a release 64 KB larger than the size its signed version file gives,
with its digest signed), "huge" (a version file of 100 MB, with its length) and "hugestream"
(the same without one), "trickle" (the version file's body one byte every five seconds),
"tricklehead" (its status line and headers one byte every five seconds), "redirect" (to the
same path on the other port), "httpsite" (an http:// release address). "samehost" redirects
to /newer on the same scheme, host and port.
  /<scenario>/qz/untpostnews.php3               POST: the sign-up; the body is recorded
  /recorded/<scenario>                          the last sign-up body of the scenario

  /t/file?size=N              N bytes with their length
  /t/nolength?size=N          N bytes without a length; the end is the closed connection
  /t/short?size=N&sent=M      announces N bytes, sends M and closes
  /t/slow?blocks=N            N blocks of 1000 bytes, one a second
  /t/stall?seconds=N          announces 10 bytes, sends 5, waits N seconds, sends the rest
  /t/redirect?to=PATH         302 to PATH
  /t/missing                  404 with a page
  /t/headers                  the request's head as the body (GET or POST)

The ports are chosen by the system and written to --port-file ("HTTP HTTPS") once the
server listens.
"""

import argparse
import hashlib
import http.server
import os
import socketserver
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

RELEASE_STEM = "sweepwisepro2"


def pattern(size):
    return bytes(i % 251 for i in range(size))


def signed(lines, key, tool):
    """The version file of `lines`, signed by the real tools/sign-release.sh (openssl)."""
    with tempfile.NamedTemporaryFile(delete=False) as out:
        out.write("".join(line + "\r\n" for line in lines).encode())
    try:
        subprocess.run([tool, key, out.name], check=True, stdout=subprocess.DEVNULL)
        with open(out.name, "rb") as result:
            return result.read()
    finally:
        os.unlink(out.name)


class Scenarios:
    """The version files of the scenarios, made for one release."""

    def __init__(self, release, key, other_key, tool):
        self.release = release
        self.big_release = release + pattern(64 * 1024)
        digest = hashlib.sha256(release).hexdigest()
        wrong = hashlib.sha256(release + b"tampered").hexdigest()
        size_kb = str(len(release) // 1024)
        product = "QZ Sweepwise Pro"
        about = "Faster cleaning & a new look"
        newer = ["3.6", product, size_kb, about, digest]
        versions = {
            "newer": newer,
            "ten": ["10.0", product, size_kb, about, digest.upper()],
            "newest": ["3.7", product, size_kb, about, digest],
            "baddigest": ["3.6", product, size_kb, about, wrong],
            "equal": ["3.5", product, size_kb, "Nothing new", digest],
            "older": ["3.4", product, size_kb, "Older", digest],
            "nosite": newer,
            "httpsite": newer,
            "shortrelease": newer,
            "signup": ["3.5", product, size_kb, about, digest],
            # The size of the usual release, the digest of the larger one it serves.
            "bigrelease": ["3.6", product, size_kb, about, hashlib.sha256(self.big_release).hexdigest()],
        }
        self.files = {name: signed(lines, key, tool) for name, lines in versions.items()}
        self.files["unsigned"] = "".join(line + "\r\n" for line in newer).encode()
        self.files["otherkey"] = signed(newer, other_key, tool)
        self.files["changed"] = self.files["newer"].replace(b"3.6\r\n", b"3.9\r\n", 1)

    def version_file(self, name):
        return self.files.get(name)


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
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
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

    def stream(self, size, with_length):
        """`size` bytes of text, sent until the client stops reading."""
        self.send_response(200)
        if with_length:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        block = b"3.6 and more text " * 3641  # about 64 KB
        sent = 0
        while sent < size:
            self.wfile.write(block[: size - sent])
            sent += len(block)

    def trickle(self, body):
        """`body`, one byte every five seconds; ends by itself after two minutes."""
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        ends = time.monotonic() + 120
        for byte in body:
            if time.monotonic() > ends:
                break
            self.wfile.write(bytes([byte]))
            self.wfile.flush()
            time.sleep(5)

    def trickle_head(self, body):
        """The status line and headers one byte every five seconds, then `body`; gives up after
        two minutes."""
        head = (f"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: {len(body)}\r\n\r\n").encode()
        self.close_connection = True
        ends = time.monotonic() + 120
        for byte in head:
            if time.monotonic() > ends:
                return
            self.wfile.write(bytes([byte]))
            self.wfile.flush()
            time.sleep(5)
        self.wfile.write(body)

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
        elif name == "stall":
            self.send_response(200)
            self.send_header("Content-Length", "10")
            self.end_headers()
            self.wfile.write(b"12345")
            self.wfile.flush()
            time.sleep(int(query.get("seconds", "20")))
            self.wfile.write(b"67890")
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
        if rest == "updates/sweepwise/versiyon.txt" and scenario in ("huge", "hugestream"):
            self.stream(100 * 1024 * 1024, with_length=scenario == "huge")
        elif rest == "updates/sweepwise/versiyon.txt" and scenario == "trickle":
            self.trickle(scenarios.version_file("newer"))
        elif rest == "updates/sweepwise/versiyon.txt" and scenario == "tricklehead":
            self.trickle_head(scenarios.version_file("newer"))
        elif rest == "updates/sweepwise/versiyon.txt" and scenario == "redirect":
            other = self.server.ports["http" if self.server.secure else "https"]
            scheme = "https" if self.server.secure else "http"
            self.reply(b"moved", 302, headers=[("Location", f"{scheme}://127.0.0.1:{other}/newer/{rest}")])
        elif rest == "updates/sweepwise/versiyon.txt" and scenario == "samehost":
            self.reply(b"moved", 302, headers=[("Location", f"/newer/{rest}")])
        elif rest == "updates/sweepwise/versiyon.txt":
            body = scenarios.version_file(scenario)
            self.reply(body if body is not None else b"missing", 200 if body is not None else 404)
        elif rest == "updates/sweepwise/updatesite.txt" and scenario != "nosite":
            if scenario == "httpsite":
                site = f"http://127.0.0.1:{self.server.ports['http']}/{scenario}/release/"
            else:
                site = f"https://127.0.0.1:{self.server.ports['https']}/{scenario}/release/"
            self.reply(f"{site}\r\n".encode())
        elif rest == f"release/{RELEASE_STEM}.exe":
            release = scenarios.release
            if scenario == "bigrelease":
                self.reply(scenarios.big_release)
            elif scenario == "shortrelease":
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
    parser.add_argument("--tls-dir", required=True, help="cert.pem and key.pem of the HTTPS listener")
    parser.add_argument("--key", required=True, help="the private key that signs the version files")
    parser.add_argument("--other-key", required=True, help="a key nobody trusts")
    parser.add_argument("--sign-tool", required=True, help="tools/sign-release.sh")
    args = parser.parse_args()
    release = open(args.release, "rb").read() if args.release else pattern(150 * 1024 + 77)
    scenarios = Scenarios(release, args.key, args.other_key, args.sign_tool)
    recorded = {}
    ports = {}
    servers = []
    for secure in (False, True):
        server = Server(("127.0.0.1", 0), Handler)
        if secure:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(args.tls_dir, "cert.pem"), os.path.join(args.tls_dir, "key.pem"))
            server.socket = context.wrap_socket(server.socket, server_side=True)
        server.secure = secure
        server.scenarios = scenarios
        server.recorded = recorded
        server.ports = ports
        ports["https" if secure else "http"] = server.server_address[1]
        servers.append(server)
    # Written whole under another name first, so the waiting script never reads half a line.
    with open(args.port_file + ".tmp", "w") as out:
        out.write(f"{ports['http']} {ports['https']}\n")  # a whole line, for the shell's read
    os.replace(args.port_file + ".tmp", args.port_file)
    threading.Thread(target=servers[1].serve_forever, daemon=True).start()
    # Until the script that started it sends SIGTERM.
    servers[0].serve_forever()


if __name__ == "__main__":
    main()
