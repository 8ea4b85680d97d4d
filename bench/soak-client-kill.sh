#!/usr/bin/env bash
# A client Send of 2,000 entries killed with SIGKILL at a random moment while
# Brindle takes and sends a Send made just before it.
#   bench/soak-client-kill.sh [runs] [seed]      (default 1 run)
# The client is quorvel-send: it assembles, reserves ids and appends to the
# inbox through the same code as the window's Send (one append of the whole
# Send under the inbox lock), without a window to drive.
# SOAK_BUILD=folder picks the build (default build); SOAK_KEEP=1 keeps the
# installation.
#
# Checked: every entry of the killed Send that reached the inbox is sent
# exactly once (or is still owed in Brindle's files), nothing of the Send is
# in any file that was not there when the client died, and the Send before
# it is sent exactly once too.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1}
seed=${2:-$(date +%s)}
RANDOM=$seed
. bench/soak-lib.sh
build=${SOAK_BUILD:-build}
n=2000
rc=0

# The killed Send's entries (by their number) in Brindle's files and the
# centre's record; numbers +4477004xxxxx are that Send's only.
present() {
    local c=$soak_root/NOM/UK/Cellnet/Config
    cat "$c/Brindle.in" "$c/Brindle.tkn" "$c/Brindle.out" "$c/Brindle.rcv" \
        "$soak_root/run/record.txt" 2>/dev/null | tr -d '\r' | grep -o '4477004[0-9]*' | sort -u || true
}

for run in $(seq "$runs"); do
    soak_install "$build"
    soak_sim
    r=$soak_root
    for i in $(seq "$n"); do printf 'Person %d,+4477004%05d\n' "$i" "$i"; done > "$r/run/big.csv"
    for i in $(seq 200); do printf 'Early %d,+4477003%05d\n' "$i" "$i"; done > "$r/run/early.csv"
    start=$(date +%s.%N)
    "$r/bin/quorvel-send" --root "$r" --no-signature -m "soak dry run" --dry-run --file "$r/run/big.csv" >/dev/null
    span=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%d", (e - s) * 1000 }')
    delay=$(awk -v s=$RANDOM -v span="$span" 'BEGIN { printf "%.3f", (s % 1000) / 1000 * span * 0.9 / 1000 }')
    echo "soak-client-kill: seed $seed, run $run: a Send takes about ${span} ms; kill after ${delay} s"

    # The Send before: Brindle is started by it and busy with it.
    "$r/bin/quorvel-send" --root "$r" --no-signature -m "soak early" --file "$r/run/early.csv" |
        sed -n 's/^Queued: //p' > "$r/run/written-early.txt"
    "$r/bin/quorvel-send" --root "$r" --no-signature -m "soak big" --file "$r/run/big.csv" \
        > "$r/run/big.out" 2>&1 &
    client=$!
    sleep "$delay"
    kill -9 "$client" 2>/dev/null && killed=yes || killed="no (it had ended)"
    wait "$client" 2>/dev/null || true
    present > "$r/run/at-kill.txt"
    tail -c 2 "$r/NOM/UK/Cellnet/Config/Brindle.in" | od -An -c | grep -q '\\r  *\\n' ||
        echo "  the inbox ends in an open line after the kill"
    echo "  client killed: $killed; $(wc -l < "$r/run/at-kill.txt") of its $n entries had reached Brindle's files"

    state=$(soak_run_to_end 5)
    present > "$r/run/final.txt"
    later=$(comm -13 "$r/run/at-kill.txt" "$r/run/final.txt" | wc -l)
    # The killed Send's entries that reached the inbox, as Brindle took them.
    grep -h '+4477004' "$r/NOM/UK/Cellnet/Config/Brindle.out" "$r/NOM/UK/Cellnet/Config/Brindle.in" \
        "$r/NOM/UK/Cellnet/Config/Brindle.rcv" "$r/NOM/UK/Cellnet/Config/Brindle.tkn" 2>/dev/null |
        tr -d '\r' | sort -u > "$r/run/written-big.txt" || true
    cat "$r/run/written-early.txt" "$r/run/written-big.txt" > "$r/run/written.txt"
    echo "  final state $state; written after the client died: $later"
    soak_tally "$r/run/written.txt" owed || rc=1
    [ "$later" -eq 0 ] || rc=1
    [ "$(wc -l < "$r/run/written-big.txt")" -eq "$(wc -l < "$r/run/at-kill.txt")" ] ||
        { echo "  FAILED: entries of the killed Send changed shape"; rc=1; }
    soak_cleanup
    trap - EXIT
    soak_sim_pid=
done
[ $rc -eq 0 ] && echo "soak-client-kill: PASS" || echo "soak-client-kill: FAIL (reproduce: bench/soak-client-kill.sh $runs $seed)"
exit $rc
