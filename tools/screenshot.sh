#!/usr/bin/env bash
# Starts Sweepwise in a sandboxed prefix under Xvfb, inside Wine's virtual desktop, opens
# its main window from the tray and saves PNG pictures: the Files and Registry pages in
# English and in Turkish, each page and the Software page after a Find over prepared junk
# files, registry values and uninstall entries (as Windows XP and, later, as a current system
# with every uninstall source), each of the five tabs of the Advanced page (on Windows XP, and
# with the settings of Windows 10 and of Windows 11), its History tab after a Registry Delete
# with its backup and a tweak applied and restored through the console program,
# the busy note above the taskbar while a deletion backs its files up, the CPU, Drive and
# Memory pages and the Folder Usage chart, the update window offered and downloading (from
# the tests' own web server, which the script starts on 127.0.0.1 and stops) and its message
# when a release already waits for the next log-on, the About page with its version, what its
# Update says when this is the latest version and when the version file does not verify, and
# the news sign-up dialog; then, as a standard user of Windows 10, the window with its rights
# in the status bar and the tray menu's "Restart as administrator"; the Software page of a
# current system and its leftovers of an uninstalled program; the Files page after a Find over a Windows 10 user's junk
# (tools/windows10-layout.sh), as Windows 10 shows the program, and its Delete after a folder
# of that junk was replaced by a link; the Advanced page's tabs on Windows 10 and 11; and the
# Files page after a Find with the system's own cleanup handlers (handlers of the tests
# registered for the while: one counts 3 GB, one fails, one never answers and is given up
# after 3 s), scrolled to their rows.
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
  cmake --build --preset mingw --target sweepwise sweepwise-window-driver sweepwise-standard-user \
    sweepwise-trust-certificate sweepwise-test-cleanup-handlers sweepwise-leftover-fixture >&2
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
# Sorted by a click on the Length heading, largest first, the second row's check turned over
# with the keys.
driver sort 2 check-row 1
shoot files-sorted
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
# The History tab, after changes made through the console program (shown Windows XP too),
# which shares the data folder with the window.
cli() { tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise-cli.exe "$@" >/dev/null 2>&1 || true; }
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg add 'HKCU\Software\Wine\AppDefaults\sweepwise-cli.exe' /v Version /t REG_SZ /d winxp /f >/dev/null)
cli delete registry --backup --yes
cli tweaks apply "Speed up menu display" "Enable Font Smoothing" --yes
cli restore tweaks --yes
driver page tweaks tab 5
shoot history
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
# Stop pressed as the measuring of the drive begins: the chart of what was measured.
driver chart-stop 0
shoot folders-partial
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
# A standard user of Windows 10: the status bar says so, and the tray menu offers the restart
# as administrator. Wine gives every program an elevated token; the tests' launcher starts
# Sweepwise with the filtered token User Account Control would give it.
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg add 'HKCU\Software\Wine\AppDefaults\sweepwise.exe' /v Version /t REG_SZ /d win10 /f >/dev/null)
tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise-standard-user.exe 'C:\sweepwise\bin\sweepwise.exe' -splash &
program=$!
driver wait show page files tray-menu
shoot standard-user
driver escape exit
wait "$program"
# The Software page of a current system (Wine's own version, not XP) lists every source: the
# machine's 64-bit and 32-bit programs and the user's own, with their publisher, version,
# size and date.
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg delete 'HKCU\Software\Wine\AppDefaults\sweepwise.exe' /v Version /f >/dev/null)
SWEEPWISE_SERVER="$site/newer" tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise.exe -splash &
program=$!
driver wait show page software find
shoot software-sources
driver exit
wait "$program"
# The Software page after an uninstall: the test fixture program (installed into every place
# programs use, with an uninstaller that removes only its entry and main program) is
# uninstalled, and the page lists what it left behind, each row with how sure and why.
tools/wine-run.sh --prefix "$prefix" build/mingw/tests/sweepwise-leftover-fixture.exe install 'Aardvark Notes' \
  'Aardvark Labs' 3.2 '{AA4D7A2C-0000-4000-8000-00000000AA01}'
SWEEPWISE_SERVER="$site/newer" tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise.exe -splash &
program=$!
driver wait show page software find check-row 2 delete answer ok sleep 5000
shoot software-leftovers
driver exit
wait "$program"
# The Files page after a Find over a Windows 10 user's junk: a copy of the program that Wine
# shows Windows 10 (the one above sees Windows XP, for the tweak catalogue).
tools/windows10-layout.sh "$prefix"
cp "$bin/sweepwise.exe" "$bin/sweepwise-win10.exe"
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg add 'HKCU\Software\Wine\AppDefaults\sweepwise-win10.exe' /v Version /t REG_SZ /d win10 /f >/dev/null &&
  cd "$bin" && exec "${wine_layout[@]}" wine 'C:\sweepwise\bin\sweepwise-win10.exe' -splash) &
program=$!
driver wait show page files find
shoot files-windows10
# Then a folder of that junk is replaced by a link to a folder holding files of the same
# names, sizes and times (a symbolic link on the host stands for a junction): Delete keeps
# them, and the window names what it kept.
local_app_data=$( (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && cd "$prefix/drive_c" &&
  wine cmd /c echo '%LOCALAPPDATA%') | tr -d '\r' | sed 's/ *$//')
dumps=$( (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && winepath -u "$local_app_data\\CrashDumps") 2>/dev/null)
rm -rf "$dumps.real" "$dumps.other"
cp -a "$dumps" "$dumps.other"
mv "$dumps" "$dumps.real"
ln -s "$dumps.other" "$dumps"
driver delete answer yes sleep 1500
shoot files-kept-link
driver answer ok
rm "$dumps"
mv "$dumps.real" "$dumps"
rm -rf "$dumps.other"
driver exit
wait "$program"

# The Advanced page on Windows 10 and 11: Sweepwise shown Windows 10 (the prefix's registry
# says build 7601, so the version record's build counts), then, with the registry's build set
# to 22631 as Windows 11 has it, Windows 11; the build is put back afterwards.
wine_reg() { (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && wine reg "$@" >/dev/null); }
current='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
build=$( (SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
  wine reg query "$current" /v CurrentBuildNumber) | tr -d '\r' | sed -nE 's/^ +CurrentBuildNumber +REG_SZ +(.*)$/\1/p')
wine_reg add 'HKCU\Software\Wine\AppDefaults\sweepwise.exe' /v Version /t REG_SZ /d win10 /f
for system in 10 11; do
  [[ $system == 11 ]] && wine_reg add "$current" /v CurrentBuildNumber /t REG_SZ /d 22631 /f
  SWEEPWISE_SERVER="http://127.0.0.1:9" tools/wine-run.sh --prefix "$prefix" build/mingw/src/sweepwise.exe -splash &
  program=$!
  driver wait show
  tab=0
  for name in optimization cleaning internet miscellaneous applied; do
    driver page tweaks tab $tab
    shoot advanced$system-$name
    tab=$((tab + 1))
  done
  driver exit
  wait "$program"
done
wine_reg add "$current" /v CurrentBuildNumber /t REG_SZ /d "${build:-7601}" /f
wine_reg add 'HKCU\Software\Wine\AppDefaults\sweepwise.exe' /v Version /t REG_SZ /d winxp /f

# The system's own cleanup handlers: those of the tests, registered for this picture only.
handlers="$prefix/drive_c/cleanup-demo"
(
  SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
    source tests/wine/test_cleanup_handlers.sh && register_test_cleanup_handlers 'C:\cleanup-demo'
)
mkdir -p "$handlers"/{Sized,Administrators,Settings,"Not Unattended"}
cp build/mingw/src/sweepwise-test-cleanup-handlers.dll "$handlers/handlers.dll"
truncate -s 3G "$handlers/Sized/superseded.cab"
truncate -s 50M "$handlers/Administrators/system.log"
truncate -s 1M "$handlers/Settings/settings.dat"
truncate -s 200M "$handlers/Not Unattended/asked.dat"
# The copy Wine shows Windows 10: these handlers are for Vista and later.
(SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh && cd "$bin" &&
  SWEEPWISE_CLEANUP_CALL_LIMIT_MS=3000 exec "${wine_layout[@]}" wine 'C:\sweepwise\bin\sweepwise-win10.exe' -splash) &
program=$!
driver wait show page files find last-row
shoot files-windows-cleanup
driver exit
wait "$program"
(
  SWEEPWISE_PREFIX=$(realpath -m "$prefix") && source tools/wine-env.sh &&
    source tests/wine/test_cleanup_handlers.sh && unregister_test_cleanup_handlers
)
rm -rf "$handlers"
trap - EXIT
stop
end_wine
