#!/usr/bin/env bash
# Times orn20mb-cli search on orn20mb-sim's paced line (one rate at a time, all
# three parities, no device answering) against the wire's bound per probe: the
# 8-byte request, 3.5 characters of silence, the allowance and one character
# (10 bits a character, 11 with parity). Prints per-rate figures and the full
# scan (248 addresses) extrapolated from them.
# Usage: bench/search_scan.sh [BUILD_DIR] [ADDRESSES] [ALLOWANCE_MS]
set -euo pipefail
build=${1:-build}
addresses=${2:-40}
allowance=${3:-10}
sim=$build/sim/orn20mb-sim
cli=$build/src/cli/orn20mb-cli

now() { date +%s.%N; }

printf '%-7s %9s %12s %12s %6s\n' baud probes "ms/probe" "bound ms" ratio
total=0
total_bound=0
for baud in 1200 2400 4800 9600 19200 38400 57600 115200; do
  # The only transmitter listens at another rate, so nothing answers.
  other=$([ "$baud" = 19200 ] && echo 9600 || echo 19200)
  coproc SIM { exec "$sim" --paced --rate "$other" --address 247; }
  read -r device <&"${SIM[0]}"
  start=$(now)
  "$cli" --device "$device" search --rates "$baud" --parities none,odd,even --from 1 --to "$addresses" \
    --timeout "$allowance" --attempts 1 >/dev/null 2>&1 || true
  end=$(now)
  kill "$SIM_PID"
  wait "$SIM_PID" 2>/dev/null || true
  read -r per bound < <(awk -v s="$start" -v e="$end" -v b="$baud" -v n="$addresses" -v a="$allowance" 'BEGIN {
    per = (e - s) * 1000 / (3 * n)
    bound = (12.5 * 10 * 1000 / b + a + 2 * (12.5 * 11 * 1000 / b + a)) / 3
    printf "%.3f %.3f\n", per, bound }')
  awk -v b="$baud" -v n="$addresses" -v p="$per" -v q="$bound" 'BEGIN {
    printf "%-7s %9d %12.3f %12.3f %6.3f\n", b, 3 * n, p, q, p / q }'
  total=$(awk -v t="$total" -v p="$per" 'BEGIN { printf "%.3f", t + p * 744 / 1000 }')
  total_bound=$(awk -v t="$total_bound" -v q="$bound" 'BEGIN { printf "%.3f", t + q * 744 / 1000 }')
done
awk -v t="$total" -v q="$total_bound" -v a="$allowance" 'BEGIN {
  printf "full scan (5952 probes, extrapolated), allowance %d ms: %.1f s, bound %.1f s, ratio %.3f\n", a, t, q, t / q }'
