#!/usr/bin/env bash
# Every fault switch of the message-centre simulator in turn, on one
# installation: a Send of a few entries through quorvel-send (which starts
# Brindle), Brindle run to its end, and every entry accounted for: sent (in
# the centre's record and Brindle.out), carried over in Brindle.rcv, still in
# the inbox or Brindle's journal, or refused by the centre (as many as the
# refusals on the line). A clean run at the end sends what is left.
#   bench/soak-faults.sh [sweeps] [seed]      (default 1 sweep)
# Brindle.cfg allows one retry (line 22 = 1), so that a centre that never
# answers ends the run in minutes (three unanswered cycles use up a retry).
# The seed orders the switches and sizes the Sends. SOAK_BUILD=folder picks
# the build (default build); SOAK_KEEP=1 keeps the installation.
set -euo pipefail
cd "$(dirname "$0")/.."
sweeps=${1:-1}
seed=${2:-$(date +%s)}
RANDOM=$seed
. bench/soak-lib.sh
soak_install "${SOAK_BUILD:-build}"
r=$soak_root
sed -i '22s/.*/1\r/' "$r/NOM/UK/Cellnet/Config/Brindle.cfg"
faults=("--no-dialtone" "--busy" "--no-carrier" "--busy --faulty-dials 2" "--silent-modem"
    "--garbage" "--no-id" "--no-go-ahead" "--reject-every 3" "--terse" "--capital-s"
    "--unterminated" "--silent-after 2" "--drop-after 2")
echo "soak-faults: seed $seed, $sweeps sweep(s) of ${#faults[@]} switches, installation $r"
start=$(date +%s)
rc=0
sends=0
# One Send, then Brindle to its end (at most 15 minutes). Prints the state.
send_and_wait() {
    local n=$1 text=$2 numbers=()
    for i in $(seq "$n"); do
        sends=$((sends + 1))
        numbers+=("+4477005$(printf %05d $sends)")
    done
    "$r/bin/quorvel-send" --root "$r" --no-signature -m "$text" "${numbers[@]}" 2>>"$r/run/send.err" |
        sed -n 's/^Queued: //p' >> "$r/run/written.txt"
    local until=$(($(date +%s) + 900))
    while [ -n "$(soak_brindle_pids)" ] && [ "$(date +%s)" -lt "$until" ]; do sleep 0.2; done
    if [ -n "$(soak_brindle_pids)" ]; then
        echo "NO END"
        return
    fi
    tr -d '\r' < "$r/StartNOM.cfg"
}

for sweep in $(seq "$sweeps"); do
    # A shuffled order, from the seed.
    order=()
    for i in "${!faults[@]}"; do order+=("$RANDOM $i"); done
    for line in $(printf '%s\n' "${order[@]}" | sort -n | cut -d' ' -f2); do
        fault=${faults[$line]}
        n=$((3 + RANDOM % 6))
        # shellcheck disable=SC2086
        soak_sim $fault
        t0=$(date +%s)
        state=$(send_and_wait "$n" "fault ${fault//-/} sweep $sweep")
        status=$(tr -d '\r' < "$r/NOMMon/Logs/SMSC.log" | awk 'length > 18' | tail -n 1 | cut -c19-)
        printf '  sweep %d %-24s %d entries: %-8s %3d s, last status "%s"\n' "$sweep" "$fault" "$n" "$state" \
            $(($(date +%s) - t0)) "$status"
        case $state in COMPLETE | CRASH) ;; *) rc=1 ;; esac
        soak_tally "$r/run/written.txt" owed | sed 's/^/    /' || rc=1
    done
done
soak_sim
state=$(soak_run_to_end 3)
echo "soak-faults: seed $seed: clean run at the end: $state, $(( $(date +%s) - start )) s in all"
soak_tally "$r/run/written.txt" owed || rc=1
c=$r/NOM/UK/Cellnet/Config
left=$( (tail -n +2 "$c/Brindle.in"; cat "$c/Brindle.rcv" "$c/Brindle.tkn") | tr -d '\r' | grep -c . || true)
[ "$state" = COMPLETE ] && [ "$left" -eq 0 ] || { echo "FAILED: $state with $left entries left"; rc=1; }
[ $rc -eq 0 ] && echo "soak-faults: PASS" || echo "soak-faults: FAIL (reproduce: bench/soak-faults.sh $sweeps $seed)"
exit $rc
