#!/usr/bin/env bash
# Messages per minute Brindle sends to the message-centre simulator answering
# at once, against the floor its fixed pauses set.
#   bench/brindle-throughput.sh [build-folder] [messages]
# The build must hold the simulator (tools/smscsim); the installed tree is made
# in a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
n=${2:-20}

root=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$root" >/dev/null
[ -x "$root/bin/smscsim" ] || { echo "no smscsim in $build: build tools/smscsim first"; exit 1; }
export QUORVEL_REGISTRY=$root/registry.ini QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$root/run
mkdir -p "$root/run" && chmod 700 "$root/run"

"$root/bin/smscsim" --link "$root/run/modem" --record "$root/run/record.txt" \
    --transcript "$root/run/transcript.txt" --lifetime 3600 >"$root/run/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$root/run/modem" ] && break; read -rt 0.1 <> <(:) || true; done

printf ' 1 \r\n' > "$root/Config/Port.cfg"
printf '%s\r\n' "$root/run/modem" > "$root/Config/ComPorts.cfg"
speed=$(sed -n 16p "$root/NOM/UK/Cellnet/Config/Brindle.cfg" | tr -d '\r')
{
    printf '\r\n'
    for i in $(seq "$n"); do
        printf '[%d] 06/12/2026 10:00:00 +4477009%05d Benchmark message %d of %d, a typical short text.\r\n' \
            "$i" "$i" "$i" "$n"
    done
} > "$root/NOM/UK/Cellnet/Config/Brindle.in"

cd "$root"
start=$(date +%s%N)
./NOM/UK/Cellnet/Brindle >"$root/run/brindle.out" 2>&1
end=$(date +%s%N)
state=$(tr -d '\r' < StartNOM.cfg)
sent=$(wc -l < "$root/run/record.txt")
[ "$state" = COMPLETE ] && [ "$sent" -eq "$n" ] || { echo "run failed: $state, $sent sent"; exit 1; }

# Bytes both ways, from the transcript: a line per chunk, "seconds >> bytes"
# or "seconds << bytes", control bytes spelled <NAME>.
bytes=$(awk '$2 == ">>" || $2 == "<<" {
    line = $0; sub(/^ *[0-9.]+ (>>|<<) /, "", line); gsub(/<[A-Z0-9]+>/, ".", line); total += length(line)
} END { print total + 0 }' "$root/run/transcript.txt")
# The fixed pauses: 2 s to the first tick; 5 s before the reset and 1 s before
# the log-on for every call; 1 s after each acceptance; per renewal of the
# log-on (before messages 5, 9, ...) 3 s for the prompt that cannot come on a
# dropped line, 2 s, a new call (5 + 1 s) and 3 s.
renewals=$(( (n - 1) / 4 ))
pauses=$(( 2 + 6 + n + renewals * 14 ))
awk -v n="$n" -v t="$(( (end - start) / 1000000 ))" -v p="$pauses" -v b="$bytes" -v s="$speed" 'BEGIN {
    t = t / 1000; line = b * 10 / s
    printf "%d messages in %.1f s: %.1f messages per minute\n", n, t, 60 * n / t
    printf "floor of the fixed pauses: %d s; %d bytes at %d baud: %.1f s; together %.1f s = %.1f messages per minute\n", p, b, s, line, p + line, 60 * n / (p + line)
    printf "(each pause of n s ends at a whole second, so it lasts between n - 1 and n s)\n"
}'
