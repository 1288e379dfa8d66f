# Sourced by the Wine scripts: the environment every Wine process of ours runs in.
# Expects SWEEPWISE_PREFIX (an absolute path) to be set by the caller.

if [[ -z "${SWEEPWISE_PREFIX:-}" ]]; then
  echo "wine-env.sh: no prefix given; refusing to fall back to ~/.wine" >&2
  exit 125
fi
export WINEPREFIX="$SWEEPWISE_PREFIX"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko prompts, no menu entries or file associations written into $HOME, and no
# web address or mail link handed to the host's browser (winebrowser would call xdg-open).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"
# Wine links the profile folders to folders of $HOME when it creates a prefix; with HOME
# inside the sandbox, even that could not reach the user's own files.
export HOME="$SWEEPWISE_PREFIX/home"
mkdir -p "$HOME"
