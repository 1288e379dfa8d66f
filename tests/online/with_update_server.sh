#!/usr/bin/env bash
# Runs a command while the tests' own web server (update_server.py) listens on 127.0.0.1,
# on a port the system chose, and stops the server afterwards, whatever the command did.
# The command finds the server in SWEEPWISE_TEST_SERVER ("http://127.0.0.1:PORT").
#   with_update_server.sh [--release FILE] COMMAND [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
release=()
if [[ "${1:-}" == "--release" ]]; then
  release=(--release "$2")
  shift 2
fi
state=$(mktemp -d "${TMPDIR:-/tmp}/sweepwise-server.XXXXXX")
python3 "$here/update_server.py" --port-file "$state/port" "${release[@]}" </dev/null &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$state"
}
trap stop EXIT
for _ in $(seq 200); do
  [[ -s "$state/port" ]] && break
  kill -0 "$server" 2>/dev/null || { echo "FAIL: the test server did not start" >&2; exit 1; }
  sleep 0.05
done
[[ -s "$state/port" ]] || { echo "FAIL: the test server did not start in time" >&2; exit 1; }

# Loopback requests go straight to our server, never through a proxy of the machine.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
export SWEEPWISE_TEST_SERVER="http://127.0.0.1:$(cat "$state/port")"
"$@"
