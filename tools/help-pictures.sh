#!/usr/bin/env bash
# Copies the pictures that the help pages (and the README) show from a run of
# tools/screenshot.sh into help/images, so the help shipped by the installer shows the window
# as it is. Only the pictures a page names are copied; a named picture the run did not make is
# an error, so a renamed screenshot cannot leave the help with a broken image.
#
#   tools/help-pictures.sh [SCREENSHOT-DIR]     (default build/screenshots)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
from=${1:-build/screenshots}
mkdir -p help/images
missing=0
for name in $(grep -oh 'images/[A-Za-z0-9_-]*\.png' help/*.html README.md | sort -u); do
  picture=$from/${name#images/}
  if [[ -f $picture ]]; then
    cp "$picture" "help/$name"
  else
    echo "help-pictures: $picture is missing" >&2
    missing=1
  fi
done
exit $missing
