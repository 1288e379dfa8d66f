#!/usr/bin/env bash
# Signs the version file of a release, or makes a new key pair to sign with.
#
#   tools/sign-release.sh KEY VERSION-FILE [RELEASE]
#       KEY is the private key (PEM). VERSION-FILE keeps its first four lines (version,
#       product name, size in KB, description) and its fifth, the release's SHA-256 in
#       hexadecimal; with RELEASE the fifth line is that file's digest (and the third its
#       size in KB, when the file had only four lines). The file is rewritten with CR LF line
#       ends and a sixth line: the base64 of the ECDSA P-256 / SHA-256 signature, in DER, of
#       its bytes up to and including the line end of line 5. The signature is checked with
#       the key's public half before the file is replaced.
#   tools/sign-release.sh --new-key DIR
#       Makes DIR/update-private.pem (readable by its owner only) and DIR/update-key.pem, the
#       public key: the one programs trust (built in for the vendor's key, or as
#       update-key.pem beside the program for a mirror's).
set -euo pipefail

fail() { echo "sign-release.sh: $*" >&2; exit 1; }
command -v openssl >/dev/null || fail "openssl is needed"

if [[ "${1:-}" == "--new-key" ]]; then
  [[ $# -eq 2 ]] || fail "usage: $0 --new-key DIR"
  mkdir -p "$2"
  [[ ! -e "$2/update-private.pem" ]] || fail "$2/update-private.pem exists; a key pair is never overwritten"
  (umask 077 && openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$2/update-private.pem")
  openssl pkey -in "$2/update-private.pem" -pubout -out "$2/update-key.pem"
  echo "private key: $2/update-private.pem (keep it out of every repository)"
  echo "public key:  $2/update-key.pem"
  exit 0
fi

[[ $# -eq 2 || $# -eq 3 ]] || fail "usage: $0 KEY VERSION-FILE [RELEASE] | --new-key DIR"
key=$1
file=$2
release=${3:-}
[[ -r "$key" ]] || fail "cannot read the key $key"
[[ -r "$file" ]] || fail "cannot read the version file $file"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The lines without their line ends (a CR before LF goes too).
mapfile -t lines < <(tr -d '\r' <"$file")
if [[ -n "$release" ]]; then
  [[ -r "$release" ]] || fail "cannot read the release $release"
  [[ ${#lines[@]} -ge 4 ]] || fail "$file needs its first four lines"
  if [[ ${#lines[@]} -eq 4 ]]; then
    lines[2]=$(( $(stat -c %s "$release") / 1024 ))
  fi
  lines[4]=$(sha256sum "$release" | cut -d' ' -f1)
fi
[[ ${#lines[@]} -ge 5 ]] || fail "$file has no fifth line (the release's SHA-256); name the release to fill it in"
[[ "${lines[4]}" =~ ^[0-9A-Fa-f]{64}$ ]] || fail "line 5 of $file is not a SHA-256 digest: ${lines[4]}"

printf '%s\r\n' "${lines[@]:0:5}" >"$work/signed"
openssl dgst -sha256 -sign "$key" -out "$work/signature" "$work/signed"
openssl pkey -in "$key" -pubout -out "$work/public.pem"
openssl dgst -sha256 -verify "$work/public.pem" -signature "$work/signature" "$work/signed" >/dev/null ||
  fail "the signature does not verify with the key's public half"
{ cat "$work/signed"; openssl base64 -A -in "$work/signature"; printf '\r\n'; } >"$work/out"
cat "$work/out" >"$file.tmp.$$" && mv -f "$file.tmp.$$" "$file"
echo "signed $file"
