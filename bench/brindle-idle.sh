#!/usr/bin/env bash
# CPU use of Brindle while its modem stays silent for 60 seconds, and its
# resident memory with 10,000 queued entries; then its CPU use in the 15
# seconds after the line's other end has hung up in the middle of a wait;
# then its CPU use while it waits for delivery reports that never come, on the
# simulated mobile modem (ModemManager's) with ReportWaitSeconds set.
#   bench/brindle-idle.sh [build-folder] [seconds] [entries] [hang-up-seconds] [report-seconds]
# The silent modem is a pseudo-terminal whose other end reads and never
# answers; the line that hangs up is one whose other end closes once Brindle
# has written to it (its modem reset), while Brindle waits for the answer.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
entries=${3:-10000}
hangupSeconds=${4:-15}
reportSeconds=${5:-30}
. bench/mobile-lib.sh
command -v socat >/dev/null || { echo "socat is needed"; exit 1; }

root=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    mobile_stop
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

percent() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN {printf "%.2f", 100 * t / hz / s}'; }
echo "silent modem for ${seconds} s: $((end - start)) ticks of CPU at ${hz}/s = $(percent $((end - start)) "$seconds")% of one core"
echo "queued entries: ${queued}; peak resident memory: $((rss / 1024)) MB"

# Hang-up: a new run on a line whose other end goes after the first bytes.
kill "$brindle" 2>/dev/null || true
wait "$brindle" 2>/dev/null || true
socat pty,raw,echo=0,link="$root/run/hangup" 'SYSTEM:head -c 1 >/dev/null' &
other=$!
pids+=($other)
for _ in $(seq 50); do [ -e "$root/run/hangup" ] && break; read -rt 0.1 <> <(:) || true; done
printf '%s\r\n' "$root/run/hangup" > "$root/Config/ComPorts.cfg"
./NOM/UK/Cellnet/Brindle >"$root/run/brindle-hangup.out" 2>&1 &
brindle=$!
pids+=($brindle)
wait "$other" 2>/dev/null || true
start=$(ticks)
read -rt "$hangupSeconds" <> <(:) || true
end=$(ticks)
echo "other end hung up, next ${hangupSeconds} s: $((end - start)) ticks of CPU = $(percent $((end - start)) "$hangupSeconds")% of one core"

# Delivery reports: one message sent, then a wait longer than the measurement
# for a report the simulated modem never sends.
kill "$brindle" 2>/dev/null || true
wait "$brindle" 2>/dev/null || true
cfg=NOM/UK/Cellnet/Config/Brindle.cfg
cp "$cfg.tuned" "$cfg"
printf 'DeliveryReports=1\r\nReportWaitSeconds=%d\r\n' $((reportSeconds + 60)) >> "$cfg"
for f in Brindle.tkn Brindle.rcv; do : > "NOM/UK/Cellnet/Config/$f"; done
printf '\r\n[1] 06/12/2026 10:00:00 +447700900001 Waiting for its report\r\n' > NOM/UK/Cellnet/Config/Brindle.in
mobile_start "$root" "$root/run/mm" --mm-no-report
./NOM/UK/Cellnet/Brindle >"$root/run/brindle-reports.out" 2>&1 &
brindle=$!
pids+=($brindle)
for _ in $(seq 100); do grep -q "Waiting for delivery reports" NOMMon.log 2>/dev/null && break; read -rt 0.1 <> <(:) || true; done
grep -q "Waiting for delivery reports" NOMMon.log || { echo "Brindle did not wait for reports"; exit 1; }
start=$(ticks)
read -rt "$reportSeconds" <> <(:) || true
end=$(ticks)
echo "waiting for delivery reports for ${reportSeconds} s: $((end - start)) ticks of CPU = $(percent $((end - start)) "$reportSeconds")% of one core"
