#!/usr/bin/env bash
# Drives the bash completion of orn20mb-cli as bash does on Tab, with
# COMP_WORDS split at blanks and "=" (bash's word breaks), and checks it
# against the program: every command and option that --help prints is
# offered, the register names of config write, the choices of a value and the
# devices of --device.
# Usage: check_completion.sh PROGRAM COMPLETION NAMES_PROGRAM
set -uo pipefail
program=$1
script=$2
names_program=$3
export LC_ALL=C.UTF-8
helpers=/usr/share/bash-completion/bash_completion
if [ ! -r "$helpers" ]; then
  echo "bash-completion is not installed: no $helpers (scripts/install-deps.sh installs it)"
  exit 1
fi
# shellcheck source=/dev/null
source "$helpers"
# shellcheck source=/dev/null
source "$script"
# Outside a real completion compopt only complains; the options it sets are not checked.
compopt() { :; }
fail=0
problem() {
  echo "$*"
  fail=1
}

# offers LINE: prints, one a line, what Tab at the end of LINE offers.
offers() {
  local line=$1 word piece
  COMP_WORDS=()
  for word in $line; do
    # "NAME=VALUE" is three words for bash: NAME, "=" and VALUE.
    while [[ $word == *=* ]]; do
      piece=${word%%=*}
      [ -n "$piece" ] && COMP_WORDS+=("$piece")
      COMP_WORDS+=("=")
      word=${word#*=}
    done
    [ -n "$word" ] && COMP_WORDS+=("$word")
  done
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _orn20mb_cli orn20mb-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}"
  return 0
}

help=$("$program" --help)

# Every option of --help in some place on the line.
offered=$(for line in "orn20mb-cli -" "orn20mb-cli read -" "orn20mb-cli poll -" \
  "orn20mb-cli regs read 0x100 2 -" "orn20mb-cli search -" "orn20mb-cli calib zero -" \
  "orn20mb-cli calib trims -" "orn20mb-cli calib check -" "orn20mb-cli profile write -" "orn20mb-cli config read -" \
  "orn20mb-cli config write -"; do offers "$line"; done | sort -u)
options=$(grep -oE -- '--[a-z0-9][a-z0-9-]*' <<<"$help" | sort -u)
short=$(grep -oE -- '(^|[][[:space:]|])-[[:alpha:]]([],[:space:]|]|$)' <<<"$help" |
  grep -oE -- '-[[:alpha:]]' | sort -u)
for option in $options $short; do
  grep -qxF -- "$option" <<<"$offered" || problem "option $option of --help is not offered"
done
[ -n "$options" ] || problem "$program --help printed no option"

# The commands, as --help lists them under "Команды:", before and after options.
commands=$(sed -n '/^Команды:/,/^$/p' <<<"$help" | grep -oE '^  [a-z]+' | sort -u)
[ -n "$commands" ] || problem "no commands found in --help"
for line in "orn20mb-cli " "orn20mb-cli -d /dev/ttyUSB0 --rate 9600 "; do
  got=$(offers "$line")
  for command in $commands; do
    grep -qxF "$command" <<<"$got" || problem "\"$line\": command $command is not offered"
  done
done
[ "$(offers 'orn20mb-cli config ')" = $'read\nwrite' ] || problem "config: verbs are not read, write"
[ "$(offers 'orn20mb-cli calib s')" = "span" ] || problem "calib s: not span"

# Register names: every name of the program's table, each as NAME=.
names=$("$names_program")
got=$(offers "orn20mb-cli config write ")
for name in $names; do
  grep -qxF "$name=" <<<"$got" || problem "config write: $name= is not offered"
done
[ "$(wc -l <<<"$got")" -eq "$(wc -w <<<"$names")" ] ||
  problem "config write offers $(wc -l <<<"$got") words for $(wc -w <<<"$names") names: $(tr '\n' ' ' <<<"$got")"
[ "$(offers 'orn20mb-cli -a 3 config write --yes UN')" = "UNIT=" ] || problem "config write UN: not UNIT="
# Offers are taken whole before grep -q looks at them: a grep that quits at its first
# match would cut the pipe, and with pipefail the cut would read as a failure.
got=$(offers "orn20mb-cli config write ADR=2 ")
grep -qxF "ADR=" <<<"$got" && problem "a name given is offered again"
grep -qxF "RATE=" <<<"$got" || problem "RATE= is not offered after ADR=2"
# --help lists the writable names too ("Записываются: ADR ... DIGITS."): the same set.
listed=$(tr '\n' ' ' <<<"$help" | sed -n 's/.*Записываются: \([^.]*\)\..*/\1/p' | tr -s ' ' '\n' | sort)
if [ -n "$listed" ] && [ "$listed" != "$(sort <<<"$names")" ]; then
  problem "the names --help lists differ from the table: $(diff <(echo "$listed") <(sort <<<"$names") | tr '\n' ' ')"
fi

# Values.
[ "$(offers 'orn20mb-cli config write PARITY=o')" = "odd" ] || problem "PARITY=o: not odd"
[ "$(offers 'orn20mb-cli -P e')" = "even" ] || problem "-P e: not even"
grep -qxF 115200 <<<"$(offers "orn20mb-cli --rate 1")" || problem "--rate 1: no 115200"
[ "$(offers 'orn20mb-cli search --parities none,o')" = "none,odd" ] || problem "--parities none,o: not none,odd"

# --device and -d: the tty devices and /dev/serial/by-id, whatever the form.
for line in "orn20mb-cli -d /dev/tty" "orn20mb-cli --device /dev/tty" "orn20mb-cli --device=/dev/tty" \
  "orn20mb-cli read -d /dev/tty"; do
  got=$(offers "$line")
  [ -n "$got" ] || { problem "\"$line\" offers nothing"; continue; }
  grep -qvE '^/dev/tty' <<<"$got" && problem "\"$line\" offers more than /dev/tty*: $got"
  for dev in /dev/tty*; do
    grep -qxF "$dev" <<<"$got" || problem "\"$line\" does not offer $dev"
  done
done
if compgen -G '/dev/serial/by-id/*' >/dev/null; then
  for dev in /dev/serial/by-id/*; do
    grep -qxF "$dev" <<<"$(offers "orn20mb-cli -d /dev/serial/")" || problem "-d does not offer $dev"
  done
fi

if ((fail)); then exit 1; fi
echo "$(wc -w <<<"$options $short") options, $(wc -w <<<"$commands") commands and $(wc -w <<<"$names") register names offered"
