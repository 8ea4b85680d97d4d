#!/usr/bin/env bash
# The two hostile inputs too big for the test suite, end to end against the
# simulator (the cheap ones, inbox lines and group names, are in the tests):
#   1. Brindle.cfg with a line of 1 GB: the start is refused with a status
#      line, the entries taken are carried over to Brindle.rcv, and the next
#      run with a sound file sends them.
#   2. Brindle.out on a full disk (a 64 KiB tmpfs; skipped with a message when
#      the mount is refused): every acceptance Brindle.out refuses is owed in
#      Brindle.tkn and said in the status; the next run after space is freed
#      writes them, and none is sent twice.
#   bench/hostile-input.sh [size]      (size of the line, default 1G)
# SOAK_BUILD=folder picks the build (default build); SOAK_KEEP=1 keeps the
# installation.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1G}
. bench/soak-lib.sh
soak_install "${SOAK_BUILD:-build}"
soak_sim
r=$soak_root
c=$r/NOM/UK/Cellnet/Config
rc=0
mounted=
unmount() { [ -n "$mounted" ] && umount "$mounted" 2>/dev/null || true; soak_cleanup; }
trap unmount EXIT

queue() { # first count: entries to the inbox, as quorvel-send writes them
    local numbers=() i
    for i in $(seq "$1" $(($1 + $2 - 1))); do numbers+=("+4477006$(printf %05d "$i")"); done
    "$r/bin/quorvel-send" --root "$r" --no-signature -m "hostile $3" "${numbers[@]}" 2>/dev/null |
        sed -n 's/^Queued: //p' >> "$r/run/written.txt"
}
monitor() { tr -d '\r' < "$r/NOMMon.log" | cut -c19-; }

echo "hostile-input 1: Brindle.cfg line 2 of $size"
cp "$c/Brindle.cfg" "$r/run/Brindle.cfg.good"
{ sed -n 1p "$r/run/Brindle.cfg.good"; head -c "$size" /dev/zero | tr '\0' 9; printf '\r\n'
  tail -n +3 "$r/run/Brindle.cfg.good"; } > "$c/Brindle.cfg"
mv "$r/NOM/UK/Cellnet/Brindle" "$r/NOM/UK/Cellnet/Brindle.held" # no start by quorvel-send
queue 1 5 config
mv "$r/NOM/UK/Cellnet/Brindle.held" "$r/NOM/UK/Cellnet/Brindle"
t0=$(date +%s.%N)
(cd "$r" && /usr/bin/time -f '%M' -o "$r/run/rss" ./NOM/UK/Cellnet/Brindle >>"$r/run/brindle.log" 2>&1) || true
secs=$(awk -v s="$t0" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
state=$(tr -d '\r' < "$r/StartNOM.cfg")
carried=$(tr -d '\r' < "$c/Brindle.rcv" | grep -c . || true)
echo "  state $state in ${secs} s, peak memory $(($(cat "$r/run/rss") / 1024)) MB, status \"$(monitor)\", $carried of 5 carried over"
[ "$state" = CRASH ] && [ "$carried" -eq 5 ] || rc=1
cp "$r/run/Brindle.cfg.good" "$c/Brindle.cfg"
state=$(soak_run_to_end 2)
echo "  with the sound file: $state"
soak_tally "$r/run/written.txt" all | sed 's/^/  /' || rc=1

echo "hostile-input 2: Brindle.out on a full disk"
mkdir -p "$r/run/full"
if mount -t tmpfs -o size=64k tmpfs "$r/run/full" 2>/dev/null; then
    mounted=$r/run/full
    cat "$c/Brindle.out" > "$r/run/full/Brindle.out"
    # Empty lines (which readers skip) up to 30 bytes short of its last page:
    # the next entry fits only in part.
    pad=$(( (4096 - $(stat -c %s "$r/run/full/Brindle.out") % 4096 - 30) / 2 ))
    for _ in $(seq "$pad"); do printf '\r\n'; done >> "$r/run/full/Brindle.out"
    rm "$c/Brindle.out" && ln -s "$r/run/full/Brindle.out" "$c/Brindle.out"
    # Full but for about one line.
    head -c 100000 /dev/zero > "$r/run/full/filler" 2>/dev/null || true
    truncate -s -120 "$r/run/full/filler"
    queue 100 12 disk
    soak_wait_no_brindle
    owed=$(grep -c "Cannot write Brindle.out" "$r/NOMMon/Logs/SMSC.log" || true)
    inTkn=$(tr -d '\r' < "$c/Brindle.tkn" | awk 'f && NF { n++ } !NF { f = 1 } END { print n + 0 }')
    echo "  state $(tr -d '\r' < "$r/StartNOM.cfg"), \"Cannot write Brindle.out\" said $owed times, $inTkn entries owed in Brindle.tkn"
    [ "$inTkn" -gt 0 ] || { echo "  FAILED: the disk never filled"; rc=1; }
    rm "$r/run/full/filler"
    state=$(soak_run_to_end 2)
    echo "  space freed, next run: $state"
    soak_tally "$r/run/written.txt" all | sed 's/^/  /' || rc=1
else
    echo "  skipped: mounting a tmpfs was refused"
fi
[ $rc -eq 0 ] && echo "hostile-input: PASS" || echo "hostile-input: FAIL"
exit $rc
