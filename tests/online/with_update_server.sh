#!/usr/bin/env bash
# Runs a command while the tests' own web server (update_server.py) listens on 127.0.0.1,
# on ports the system chose, and stops the server afterwards, whatever the command did.
# The command finds the server in SWEEPWISE_TEST_SERVER ("http://127.0.0.1:PORT") and
# SWEEPWISE_TEST_SERVER_TLS ("https://127.0.0.1:PORT"); the public key that signs the
# server's version files in SWEEPWISE_TEST_UPDATE_KEY (a file) and, as text, in
# SWEEPWISE_TEST_UPDATE_KEY_PEM; the server's certificate in SWEEPWISE_TEST_TLS_CERT_PEM
# (text, for the Windows tests to trust in their prefix) and in SSL_CERT_FILE (which OpenSSL,
# and so the host build and Python, trust).
#   with_update_server.sh [--release FILE] COMMAND [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
release=()
if [[ "${1:-}" == "--release" ]]; then
  release=(--release "$2")
  shift 2
fi
state=$(mktemp -d "${TMPDIR:-/tmp}/sweepwise-server.XXXXXX")
server=""
stop() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$state"
}
trap stop EXIT

# A certificate for 127.0.0.1 of this run only, and the test signer's keys, made by the
# same tool a release is signed with.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
  -subj "/CN=Sweepwise test server" -addext "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1" \
  -addext "basicConstraints=critical,CA:TRUE" -keyout "$state/key.pem" -out "$state/cert.pem" 2>/dev/null ||
  { echo "FAIL: no test certificate" >&2; exit 1; }
sign=$here/../../tools/sign-release.sh
"$sign" --new-key "$state/signer" >/dev/null && "$sign" --new-key "$state/other" >/dev/null ||
  { echo "FAIL: no test keys" >&2; exit 1; }

python3 "$here/update_server.py" --port-file "$state/port" "${release[@]}" --tls-dir "$state" \
  --key "$state/signer/update-private.pem" --other-key "$state/other/update-private.pem" --sign-tool "$sign" </dev/null &
server=$!
for _ in $(seq 200); do
  [[ -s "$state/port" ]] && break
  kill -0 "$server" 2>/dev/null || { echo "FAIL: the test server did not start" >&2; exit 1; }
  sleep 0.05
done
[[ -s "$state/port" ]] || { echo "FAIL: the test server did not start in time" >&2; exit 1; }
read -r http_port https_port <"$state/port"

# Loopback requests go straight to our server, never through a proxy of the machine.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
export SWEEPWISE_TEST_SERVER="http://127.0.0.1:$http_port"
export SWEEPWISE_TEST_SERVER_TLS="https://127.0.0.1:$https_port"
export SWEEPWISE_TEST_UPDATE_KEY="$state/signer/update-key.pem"
SWEEPWISE_TEST_UPDATE_KEY_PEM=$(cat "$state/signer/update-key.pem")
SWEEPWISE_TEST_TLS_CERT_PEM=$(cat "$state/cert.pem")
export SWEEPWISE_TEST_UPDATE_KEY_PEM SWEEPWISE_TEST_TLS_CERT_PEM
export SSL_CERT_FILE="$state/cert.pem"
"$@"
