#!/usr/bin/env bash
# Builds both configurations and runs every test: natively, then the Windows build under
# Wine in its sandboxed prefix. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/install-deps.sh

for preset in native mingw; do
  echo "== $preset: configure, build, test" >&2
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
