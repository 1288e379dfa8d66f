#!/usr/bin/env bash
# The help ships as plain HTML files: a page naming a page, style sheet or picture that is not
# in the help folder shows the user a broken link or an empty frame. Every local href and src
# of every page must name a file that exists, and index.html (where the program opens the
# help) must be there.
#   help_links_check.sh HELP-DIR
set -uo pipefail
help=$1
status=0
[[ -f $help/index.html ]] || { echo "FAIL: $help/index.html is missing" >&2; status=1; }
shopt -s nullglob globstar
for page in "$help"/**/*.html; do
  dir=$(dirname "$page")
  while read -r target; do
    target=${target%%#*}
    [[ -z $target || $target == *://* || $target == mailto:* ]] && continue
    if [[ ! -f $dir/$target ]]; then
      echo "FAIL: ${page#"$help"/} names $target, which is not in the help" >&2
      status=1
    fi
  done < <(grep -oE '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
done
[[ $status == 0 ]] && echo "every link of the help resolves"
exit $status
