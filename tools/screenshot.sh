#!/usr/bin/env bash
# Starts Sweepwise in a sandboxed prefix under Xvfb, inside Wine's virtual desktop, opens
# its main window from the tray and saves PNG pictures: the Files and Registry pages in
# English and in Turkish, each page and the Software page after a Find over prepared junk
# files, registry values and uninstall entries, each of the five tabs of the Advanced page,
# the busy note above the taskbar while a deletion backs its files up, the CPU, Drive and
# Memory pages and the Folder Usage chart, the update window offered and downloading (from
# the tests' own web server, which the script starts on 127.0.0.1 and stops) and its message
# when a release already waits for the next log-on, the About page with its version, what its
# Update says when this is the latest version and when the version file does not verify, and
# the news sign-up dialog.
#
#   tools/screenshot.sh [OUTPUT-DIR]     (default build/screenshots)
#
# SWEEPWISE_DPI_SCALE=150 tools/screenshot.sh shows the layout at 150 %.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=$(realpath -m "${1:-build/screenshots}")
# The screen grows with the forced scale, so that the scaled window fits on it.
scale=${SWEEPWISE_DPI_SCALE:-100}
screen="$((1024 * scale / 100))x$((768 * scale / 100))"

if [[ -z "${SWEEPWISE_SCREENSHOT_DISPLAY:-}" ]]; then
  tools/install-deps.sh
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw --target sweepwise sweepwise-window-driver sweepwise-trust-certificate >&2
  exec env SWEEPWISE_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 ${screen}x24" "$0" "$@"
fi

prefix=build/mingw/screenshot-prefix
bin="$prefix/drive_c/sweepwise/bin"
# A Wine server left from an earlier run would keep its desktop of an earlier size; this run
# gets its own, and ends it with its X server.
end_wine() { (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && wineserver -k) 2>/dev/null || true; }
end_wine
tools/wine-desktop.sh "$prefix" "$screen"
mkdir -p "$out" "$bin"
driver() { tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise-window-driver.exe "$@"; }
shoot() { sleep 1; import -window root "$out/$1.png"; echo "$out/$1.png"; }

# English first: language 1, archive counter 1, alerts off.
printf '1\r\n1\r\nN\r\n' >"$bin/language.txt"
# The demo junk and registry values, and large files that keep the backup busy for a moment.
tools/demo-data.sh "$prefix" build/mingw/src/sweepwise-window-driver.exe --again
for i in 1 2 3; do head -c 80000000 /dev/urandom >"$prefix/drive_c/junk-demo/setup/download$i.tmp"; done
# The tweak catalogue ends with Windows XP: as XP, Sweepwise (and only it) has rows to show.
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg add 'HKCU\Software\Wine\AppDefaults\sweepwise.exe' /v Version /t REG_SZ /d winxp /f >/dev/null)
# The update server, with a release large enough that its download lasts a few seconds, a
# certificate for its HTTPS that the prefix trusts, and a key that signs its version files,
# which Sweepwise trusts as a mirror's key beside it.
state=$(mktemp -d "${TMPDIR:-/tmp}/sweepwise-screenshot.XXXXXX")
head -c 24000000 /dev/urandom >"$state/release.exe"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "/CN=Sweepwise test server" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1" -addext "basicConstraints=critical,CA:TRUE" \
  -keyout "$state/key.pem" -out "$state/cert.pem" 2>/dev/null
tools/sign-release.sh --new-key "$state/signer" >/dev/null
tools/sign-release.sh --new-key "$state/other" >/dev/null
cp "$state/signer/update-key.pem" "$bin/update-key.pem"
SWEEPWISE_TEST_TLS_CERT_PEM=$(cat "$state/cert.pem") \
  tools/wine-run.sh --prefix "$prefix" build/mingw/tests/sweepwise-trust-certificate.exe
python3 tests/online/update_server.py --port-file "$state/port" --release "$state/release.exe" --tls-dir "$state" \
  --key "$state/signer/update-private.pem" --other-key "$state/other/update-private.pem" \
  --sign-tool tools/sign-release.sh </dev/null &
server=$!
stop() {
  kill "${program:-}" "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -rf "$state"
}
trap stop EXIT
for _ in $(seq 200); do [[ -s "$state/port" ]] && break; sleep 0.05; done
read -r http_port https_port <"$state/port"
site="https://127.0.0.1:$https_port"
printf '3.5\r\n' >"$bin/version.txt"
rm -f "$bin/sweepwisepro21.exe" "$bin/sweepwisepro21.exe.part" "$bin/update.bat"
wine_reg() { (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && wine reg "$@" >/dev/null 2>&1); }
run_once='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
wine_reg delete "$run_once" /v sweepwisepro2Update /f || true

unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
SWEEPWISE_SERVER="$site/newer" tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise.exe -splash &
program=$!
driver wait show page files
shoot files-english
driver page registry
shoot registry-english
driver language turkish page files
shoot files-turkish
driver page registry
shoot registry-turkish
driver language english page files find
shoot files-find
driver ask-page registry answer yes find
shoot registry-find
driver ask-page software answer yes find
shoot software-find
tab=0
for name in optimization cleaning internet miscellaneous applied; do
  driver page tweaks tab $tab
  shoot advanced-$name
  tab=$((tab + 1))
done
driver ask-page files answer yes find secure delete answer yes
import -window root "$out/busy-note.png"
echo "$out/busy-note.png"
# After the deletion, so that the Drive page shows its After row; the chart is the drive's,
# opened one level down into its largest folder, with a slice under the mouse.
driver sleep 8000 page cpu
shoot cpu
driver page drive
shoot drive
driver page memory
shoot memory
driver page folders chart-drive chart-descend chart-hover
shoot folders-chart
driver update-check
shoot update-offered
driver update next
shoot update-downloading
driver update cancel sleep 1000
# A release that waits for the next log-on: Next says so and downloads nothing.
wine_reg add "$run_once" /v sweepwisepro2Update /d 'C:\sweepwise\bin\update.bat' /f
printf 'MZ waiting' >"$bin/sweepwisepro21.exe"
driver update-check update next sleep 1500
shoot update-release-waits
driver answer ok update cancel
wine_reg delete "$run_once" /v sweepwisepro2Update /f
rm -f "$bin/sweepwisepro21.exe"
driver page about
shoot about
# The About page's Update: the latest version is installed; then a version file that does
# not verify (the mirror's key is gone).
printf '3.6\r\n' >"$bin/version.txt"
driver about-update sleep 2500
shoot about-update-latest
driver answer ok
rm -f "$bin/update-key.pem"
driver about-update sleep 2500
shoot about-update-not-signed
driver answer ok
printf '3.5\r\n' >"$bin/version.txt"
driver signup "http://127.0.0.1:$http_port/signup" &
signup=$!
sleep 2
shoot signup
driver signup-later
wait "$signup"
driver exit
wait "$program"
trap - EXIT
stop
end_wine
