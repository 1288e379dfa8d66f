#!/usr/bin/env bash
# Makes every program of the sandboxed prefix DIR run in one Wine virtual desktop of the
# given size, with its own taskbar and notification area: what a tray program needs under
# a bare X server such as Xvfb.
#
#   tools/wine-desktop.sh DIR WIDTHxHEIGHT
set -euo pipefail
[[ $# -eq 2 && "$2" =~ ^[0-9]+x[0-9]+$ ]] || { echo "usage: $0 PREFIX-DIR WIDTHxHEIGHT" >&2; exit 2; }
tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$tools_dir/wine-prefix.sh" "$1"
SWEEPWISE_PREFIX=$(realpath -m "$1")
# shellcheck source=wine-env.sh
source "$tools_dir/wine-env.sh"
# Before the first program: the desktop's programs (a tray program and those that look for
# its window) must all find the same server.
start_persistent_server
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$2" /f >/dev/null 2>&1
