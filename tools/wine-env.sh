# Sourced by the Wine scripts: the environment every Wine process of ours runs in.
# Expects SWEEPWISE_PREFIX (an absolute path) to be set by the caller.

if [[ -z "${SWEEPWISE_PREFIX:-}" ]]; then
  echo "wine-env.sh: no prefix given; refusing to fall back to ~/.wine" >&2
  exit 125
fi
export WINEPREFIX="$SWEEPWISE_PREFIX"
export WINEARCH=win64
# Wine says nothing but the errors of its loader, processes, memory, exceptions and server:
# channels that a whole test run leaves silent, and the only trace of a program that ends
# before its first line (a test group once failed so, printing nothing). The other channels'
# errors (a missing NTLM helper, a window without a display) are the sandbox's and stay off.
export WINEDEBUG=-all,err+module,err+process,err+virtual,err+seh,err+server,err+heap,err+ntdll
# No Mono or Gecko prompts, no menu entries or file associations written into $HOME, and no
# web address or mail link handed to the host's browser (winebrowser would call xdg-open).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"
# Wine links the profile folders to folders of $HOME when it creates a prefix; with HOME
# inside the sandbox, even that could not reach the user's own files.
export HOME="$SWEEPWISE_PREFIX/home"
mkdir -p "$HOME"

# Every Wine program starts with its heap where Linux puts it, and Wine must then map the page
# Windows programs read the time and the system's version from at its fixed address, 0x7ffe0000.
# Debian's Wine has no preloader to keep that address free, and its loader sits at 0x7d000000,
# so the heap begins just above it; this machine's kernel places that start anywhere in the
# gigabyte after the program. Now and then the heap covers 0x7ffe0000, and the program ends
# before its first line: "failed to map the shared user data: c0000018", exit status 1 (a
# `wine reg add` lost so, a test group that printed nothing, a copied uninstaller that "ran"
# for no time). Wine's programs therefore run with Linux's own layout unrandomised (setarch -R),
# which leaves the heap right after the loader, 48 MB below that page. Windows' own layout
# inside Wine does not change. Where the personality cannot be set (a container's seccomp
# filter may refuse it), the programs run as before.
if setarch "$(uname -m)" -R true 2>/dev/null; then
  wine_layout=(setarch "$(uname -m)" -R)
else
  wine_layout=()
fi
# Through `env`, so that each finds the program and not this function. A script that execs a
# Wine program (exec bypasses functions) writes `exec "${wine_layout[@]}" wine ...`.
wine() { "${wine_layout[@]}" env wine "$@"; }
winepath() { "${wine_layout[@]}" env winepath "$@"; }
wineboot() { "${wine_layout[@]}" env wineboot "$@"; }

# The running Wine servers with the folder each works in (named after the device and inode
# number of its prefix's folder), and the folder this prefix's server works in: which server
# a program reached, for the message of a test that failed as if it had reached another.
wine_servers() {
  local pid
  for pid in $(pgrep wineserver); do printf '%s:%s ' "$pid" "$(readlink "/proc/$pid/cwd")"; done
  printf '(this prefix: server-%s-%x)' "$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")"
}

# Makes sure the prefix's Wine server is the long-lived one: started with ten minutes of
# persistence after its last program, so that a test run pays for start-up once. Call it
# before the first `wine` of a script. A server that a plain `wine` started first lives only
# three seconds past its last program, and "wineserver -p600" cannot lengthen that (it exits
# with 2 while any server runs). Such a server begins to shut down in any pause of three
# seconds: it tells Explorer's desktop and the services to end and closes its socket four
# seconds later. A program started in those seconds (a tray program, say) lands in a server
# that programs started a moment later can no longer reach, and they start one of their own
# that does not see its windows.
# The server and its helper processes (services, devices) get none of the descriptors this
# script inherited beyond the standard three: a helper that held CTest's pipe would keep CTest
# waiting for the server to end, and one that held our prefix lock, or a caller's lock (a test
# run under flock), would keep it taken for as long as it lives.
start_persistent_server() {
  detached() {
    (
      for fd in /proc/$BASHPID/fd/*; do
        fd=${fd##*/}
        if ((fd > 2 && fd != 255)); then eval "exec $fd>&-"; fi
      done
      exec "$@"
    )
  }
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if detached wineserver -p600 </dev/null >/dev/null 2>&1; then
    (cd "$WINEPREFIX/drive_c" && detached "${wine_layout[@]}" wine cmd /c exit </dev/null >/dev/null 2>&1)
  fi
  exec 9>&-
}
