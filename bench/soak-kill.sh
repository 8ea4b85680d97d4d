#!/usr/bin/env bash
# Brindle killed with SIGKILL at random moments while two writers append to
# its inbox under the inbox lock: quorvel-send (one entry a call; it also
# starts Brindle when no run is going) and a shell writer holding Brindle.lck
# with flock(1). After K kills the writers stop and Brindle runs to its end.
#   bench/soak-kill.sh [K] [seed]      (default 20 kills, seed from the clock)
# SOAK_BUILD=folder picks the build (default build); SOAK_KEEP=1 keeps the
# installation. The seed fixes the kill moments; the writers run freely.
#
# Every entry written must be in the simulator's record and in Brindle.out.
# The one duplicate allowed: the entry the centre had recorded last when a
# kill came, since the centre records before it answers and Brindle only
# drops an entry from its journal after the answer and Brindle.out: killed
# in between, it sends that entry again. So after each kill the record's
# last line is noted; an entry may come once more for each time it was noted.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-20}
seed=${2:-$(date +%s)}
RANDOM=$seed
. bench/soak-lib.sh
soak_install "${SOAK_BUILD:-build}"
soak_sim
r=$soak_root
inbox=$r/NOM/UK/Cellnet/Config/Brindle.in
lock=$r/NOM/UK/Cellnet/Config/Brindle.lck
echo "soak-kill: seed $seed, $kills kills, installation $r"
start=$(date +%s)

# quorvel-send: what it reports queued was appended.
(
    i=0
    while [ ! -e "$r/run/stop" ]; do
        i=$((i + 1))
        "$r/bin/quorvel-send" --root "$r" --no-signature -m "soak send $i" "+4477001$(printf %05d $i)" \
            2>>"$r/run/send.err" | sed -n 's/^Queued: //p' >> "$r/run/written-send.txt"
    done
) &
send_pid=$!
# The shell writer: one to three entries at a time under the lock, the
# placeholder line first when the inbox is empty, as every writer does.
(
    i=0
    while [ ! -e "$r/run/stop" ]; do
        batch=
        for _ in $(seq $((1 + i % 3))); do
            i=$((i + 1))
            batch+=$(printf '[%d] 07/12/2026 04:00:00 +4477002%05d soak shell %d\r\n' $((900000 + i)) "$i" "$i")
            batch+=$'\n'
        done
        flock "$lock" bash -c '[ -s "$1" ] || printf "\r\n" >> "$1"; printf "%s" "$2" >> "$1"' _ "$inbox" "$batch"
        printf '%s' "$batch" | tr -d '\r' >> "$r/run/written-shell.txt"
        sleep 0.05
    done
) &
shell_pid=$!

: > "$r/run/allowed.txt"
survived=0
recorded() { grep -c . "$r/run/record.txt" 2>/dev/null || true; }
# Runs end by themselves once the inbox is empty and quorvel-send starts new
# ones: each kill waits for a run, and a run that ended before its moment
# is not counted.
while [ "$survived" -lt "$kills" ]; do
    for _ in $(seq 10); do [ -n "$(soak_brindle_pids)" ] && break; sleep 0.05; done
    [ -n "$(soak_brindle_pids)" ] || soak_brindle_bg
    delay=$(awk -v s=$RANDOM 'BEGIN { printf "%.2f", 0.05 + (s % 150) / 100 }')
    sleep "$delay"
    before=$(recorded)
    pids=$(soak_brindle_pids)
    [ -n "$pids" ] || continue
    for pid in $pids; do kill -9 "$pid" 2>/dev/null || continue; survived=$((survived + 1)); done
    for pid in $pids; do
        while [ -d "/proc/$pid" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ]; do sleep 0.01; done
    done
    # A block the killed run had written is recorded within moments; the next
    # run takes longer than that to start.
    sleep 0.1
    sed -n "$((before > 0 ? before : 1)),\$p" "$r/run/record.txt" >> "$r/run/allowed.txt" 2>/dev/null || true
    echo "  kill $survived after ${delay}s: pid $pids, $(recorded) recorded so far"
done
touch "$r/run/stop"
wait "$send_pid" "$shell_pid"
state=$(soak_run_to_end 5)
cat "$r/run/written-send.txt" "$r/run/written-shell.txt" > "$r/run/written.txt"
echo "soak-kill: seed $seed: $survived kills, final state $state, $(( $(date +%s) - start )) s"
rc=0
soak_tally "$r/run/written.txt" all "$r/run/allowed.txt" || rc=1
[ "$state" = COMPLETE ] || { echo "FAILED: Brindle ended $state"; rc=1; }
[ $rc -eq 0 ] && echo "soak-kill: PASS" || echo "soak-kill: FAIL (reproduce: bench/soak-kill.sh $kills $seed)"
exit $rc
