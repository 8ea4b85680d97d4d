#!/usr/bin/env bash
# CPU use of Brindle while its modem stays silent for 60 seconds, and its
# resident memory with 10,000 queued entries.
#   bench/brindle-idle.sh [build-folder] [seconds] [entries]
# The silent modem is a pseudo-terminal whose other end reads and never answers.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
entries=${3:-10000}
command -v socat >/dev/null || { echo "socat is needed"; exit 1; }

root=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$root" >/dev/null
export QUORVEL_REGISTRY=$root/registry.ini QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$root/run
mkdir -p "$root/run" && chmod 700 "$root/run"

socat pty,raw,echo=0,link="$root/run/modem" 'SYSTEM:cat >/dev/null' &
pids+=($!)
for _ in $(seq 50); do [ -e "$root/run/modem" ] && break; read -rt 0.1 <> <(:) || true; done

printf ' 1 \r\n' > "$root/Config/Port.cfg"
printf '%s\r\n' "$root/run/modem" > "$root/Config/ComPorts.cfg"
{
    printf '\r\n'
    for i in $(seq "$entries"); do
        printf '[%d] 06/12/2026 10:00:00 +4477009%05d Queued message number %d for the memory figure\r\n' "$i" "$i" "$i"
    done
} > "$root/NOM/UK/Cellnet/Config/Brindle.in"

cd "$root"
./NOM/UK/Cellnet/Brindle >"$root/run/brindle.out" 2>&1 &
brindle=$!
pids+=($brindle)

ticks() { awk '{print $14 + $15}' "/proc/$brindle/stat"; }
hz=$(getconf CLK_TCK)
# The first tick takes the queue and opens the port; measure from there.
for _ in $(seq 100); do grep -q "Resetting modem" NOMMon.log 2>/dev/null && break; read -rt 0.1 <> <(:) || true; done
start=$(ticks)
read -rt "$seconds" <> <(:) || true
end=$(ticks)
rss=$(awk '/VmHWM/ {print $2}' "/proc/$brindle/status")
queued=$(wc -l < NOM/UK/Cellnet/Config/Brindle.tkn)

cpu=$(awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.2f", 100 * t / hz / s}')
echo "silent modem for ${seconds} s: $((end - start)) ticks of CPU at ${hz}/s = ${cpu}% of one core"
echo "queued entries: ${queued}; peak resident memory: $((rss / 1024)) MB"
