#!/usr/bin/env bash
# Checks a hand-written man page against its program: every option that
# PROGRAM --help prints is in PAGE, and the page renders without groff
# warnings, within 80 columns, with a NAME line that lexgrog reads.
# Usage: check_man.sh PROGRAM PAGE
set -euo pipefail
program=$1
page=$2
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
fail=0
problem() {
  echo "$page: $*"
  fail=1
}

help=$("$program" --help)
# The page's source with roff's \- and font changes undone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
long=$(grep -oE -- '--[a-z0-9][a-z0-9-]*' <<<"$help" | sort -u)
# Short options as help texts print them: "-h, --help", "[-d ПУТЬ", "|-h".
short=$(grep -oE -- '(^|[][[:space:]|])-[[:alpha:]]([],[:space:]|]|$)' <<<"$help" |
  grep -oE -- '-[[:alpha:]]' | sort -u || true)
[ -n "$long" ] || problem "$program --help lists no option"
for option in $long $short; do
  grep -qE -- "(^|[^[:alnum:]-])$option([^[:alnum:]-]|\$)" <<<"$text" ||
    problem "$option, printed by $program --help, is not in the page"
done

rendered=$(mktemp)
trap 'rm -f "$rendered"' EXIT
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$rendered") || problem "man failed"
[ -z "$warnings" ] || problem "man --warnings: $warnings"
[ -s "$rendered" ] || problem "renders empty"
while IFS= read -r line; do
  ((${#line} <= 80)) || problem "wider than 80 columns (${#line}): $line"
done <"$rendered"
whatis=$(lexgrog "$page") || problem "lexgrog: $whatis"
name=$(basename "$page" .1)
[[ $whatis == *"\"$name - "* ]] || problem "NAME line not read as \"$name - ...\": $whatis"

if ((fail)); then exit 1; fi
echo "$page: $(wc -w <<<"$long $short") options of --help are in the page; renders clean in 80 columns"
