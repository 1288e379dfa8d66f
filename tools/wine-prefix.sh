#!/usr/bin/env bash
# Creates the sandboxed Wine prefix DIR, or checks it.
#
#   tools/wine-prefix.sh DIR           create DIR unless it is already a sound sandbox (quick then)
#   tools/wine-prefix.sh --check DIR   exit 0 when DIR is a sound sandbox, else say why and exit 1
#
# A sound sandbox has C: as its only drive, and no symbolic link under drive_c that leads out
# of the prefix: Wine links the user-profile folders into $HOME and maps Z: to "/", which
# would let a program under test walk or delete the host's files. (Tests make links to
# folders inside the prefix, to show that no walk follows them.)
set -euo pipefail

check_only=0
if [[ "${1:-}" == "--check" ]]; then
  check_only=1
  shift
fi
[[ $# -eq 1 ]] || { echo "usage: $0 [--check] PREFIX-DIR" >&2; exit 2; }
SWEEPWISE_PREFIX=$(realpath -m "$1")
tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
source "$tools_dir/wine-env.sh"
stamp="$WINEPREFIX/.sweepwise-sandbox"

# Prints what makes the prefix unsound; prints nothing for a sound one.
sandbox_faults() {
  [[ -f "$stamp" ]] || echo "not set up by $0 (no $stamp)"
  local entry name
  for entry in "$WINEPREFIX"/dosdevices/*; do
    [[ -e "$entry" || -L "$entry" ]] || continue
    name=$(basename "$entry")
    case "$name" in
      c:) ;;
      com[0-9]* | lpt[0-9]*) ;;  # serial and printer ports: devices, not file system paths
      *) echo "drive or device other than c: in dosdevices: $name -> $(readlink "$entry")" ;;
    esac
  done
  local link
  while IFS= read -r -d '' link; do
    case "$(realpath -m "$link")/" in
      "$WINEPREFIX"/*) ;;
      *) echo "symbolic link out of the prefix in drive_c: $link -> $(readlink "$link")" ;;
    esac
  done < <(find "$WINEPREFIX/drive_c" -type l -print0 2>/dev/null)
}

if [[ $check_only -eq 1 ]]; then
  faults=$(sandbox_faults)
  if [[ -n "$faults" ]]; then
    echo "$faults" >&2
    exit 1
  fi
  echo "sandbox sound: $WINEPREFIX"
  exit 0
fi

# Boots a sandboxed prefix at $WINEPREFIX (with HOME inside it), as every prefix begins.
boot_sandbox() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX" "$HOME"
  wineboot -i </dev/null >/dev/null 2>&1 8>&- 9>&-
  wineserver -w

  # Every drive but C: goes, Z: (the host's "/") first of all.
  for entry in "$WINEPREFIX"/dosdevices/*; do
    [[ "$(basename "$entry")" == "c:" ]] || rm -f "$entry"
  done
  # Linked profile folders become real, empty folders.
  while IFS= read -r -d '' link; do
    rm -f "$link"
    mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c" -type l -print0)

  # Fonts for windows under Xvfb.
  if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi

  # No crash dialog waiting for a click that never comes; a virtual desktop (with a tray) for
  # windows under Xvfb.
  local settings="$WINEPREFIX/drive_c/sweepwise-sandbox.reg"
  cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x800"
REG
  (cd "$WINEPREFIX/drive_c" && wine regedit /s 'C:\sweepwise-sandbox.reg' </dev/null >/dev/null 2>&1 8>&- 9>&-)
  rm -f "$settings"
  wineserver -w
  touch "$WINEPREFIX/.sweepwise-sandbox"
}

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9  # parallel test runs create the prefix once

if [[ -z "$(sandbox_faults)" ]]; then
  exit 0
fi

# Every prefix of a build folder is a copy of one booted prefix kept beside them: booting
# takes the better part of a minute, a copy a second or two, and a test run makes several
# fresh prefixes (the window tests', the installer's, Windows 10's). Nothing in a prefix
# names the folder it is in, so a copy is a prefix as good as a booted one.
template="$(dirname "$WINEPREFIX")/.wine-template"
if [[ "$WINEPREFIX" != "$template" ]]; then
  "$0" "$template"
  echo "Creating the sandboxed Wine prefix $WINEPREFIX ..." >&2
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  exec 8>"$template.lock"
  flock 8  # no copy while the template is made anew
  cp -a "$template" "$WINEPREFIX"
  exec 8>&-
  # Wine finds a prefix's server by the device and inode number of its folder, and the file
  # system may give this new folder the number of a prefix deleted while its server still ran
  # (a long-lived server lasts ten minutes past its last program). Such a server would answer
  # for this prefix with the other one's registry and desktop, and end whenever its own time
  # is up. Whatever server answers for the new folder is ended before anything runs in it.
  wineserver -k 2>/dev/null || true
else
  echo "Booting the sandboxed Wine prefix every prefix here is copied from, $WINEPREFIX ..." >&2
  boot_sandbox
fi

faults=$(sandbox_faults)
if [[ -n "$faults" ]]; then
  echo "$faults" >&2
  exit 1
fi
echo "Sandboxed Wine prefix ready: $WINEPREFIX" >&2
