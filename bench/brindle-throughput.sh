#!/usr/bin/env bash
# Messages per minute Brindle sends to the message-centre simulator, whose
# dials take a second to connect, with the shipped Brindle.cfg (the default
# profile) and with the shipped Brindle.cfg.tuned, side by side; then the
# tuned profile on the simulated mobile modem (ModemManager's) whose sends
# take BRINDLE_BENCH_SEND_MS (default 1000) each, where the sends are the floor.
#   bench/brindle-throughput.sh [build-folder] [messages ...]    (default: 9 20)
# The floor of a run is what its configured pauses and the connects add up to;
# the bytes both ways are counted from the simulator's transcript, with the
# time they take at the configured line speed (8N1: 10 bits a byte), which a
# pseudo-terminal does not charge. BRINDLE_BENCH_KEEP=folder keeps each run's
# transcript and status log there; BRINDLE_BENCH_PROFILES="tuned" runs one
# profile only ("default tuned mobile" are all there are); BRINDLE_BENCH_CONNECT=S
# sets the connect delay (default 1).
# The build must hold Brindle and the simulator (tools/smscsim).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(9 20)
connect=${BRINDLE_BENCH_CONNECT:-1}
sendMs=${BRINDLE_BENCH_SEND_MS:-1000}
. bench/mobile-lib.sh

root=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    mobile_stop
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$root/base" >/dev/null
[ -x "$root/base/bin/smscsim" ] || { echo "no smscsim in $build: build tools/smscsim first"; exit 1; }
export QT_QPA_PLATFORM=offscreen

# The optional setting `name` of a configuration file, else its default.
setting() {
    local v
    v=$(tail -n +25 "$1" | tr -d '\r' | sed -n "s/^[[:space:]]*$2[[:space:]]*=[[:space:]]*\([0-9]*\)[[:space:]]*$/\1/Ip" | tail -1)
    echo "${v:-$3}"
}

# Queues n messages in installation $1's inbox and runs its Brindle to the
# end; sets start and end (ns).
send_all() {
    local r=$1 n=$2
    {
        printf '\r\n'
        for i in $(seq "$n"); do
            printf '[%d] 06/12/2026 10:00:00 +4477009%05d Benchmark message %d of %d, a typical short text.\r\n' \
                "$i" "$i" "$i" "$n"
        done
    } > "$r/NOM/UK/Cellnet/Config/Brindle.in"
    start=$(date +%s%N)
    (cd "$r" && ./NOM/UK/Cellnet/Brindle >"$r/run/brindle.out" 2>&1)
    end=$(date +%s%N)
}

# One run: profile (default or tuned), messages. Prints one row of the table.
run() {
    local profile=$1 n=$2 r=$root/$1-$2
    cp -a "$root/base" "$r"
    export QUORVEL_REGISTRY=$r/registry.ini XDG_RUNTIME_DIR=$r/run
    mkdir -p "$r/run" && chmod 700 "$r/run"
    local cfg=$r/NOM/UK/Cellnet/Config/Brindle.cfg
    [ "$profile" = tuned ] && cp "$cfg.tuned" "$cfg"

    local simStart
    simStart=$(date +%s%N)
    "$r/bin/smscsim" --link "$r/run/modem" --record "$r/run/record.txt" \
        --transcript "$r/run/transcript.txt" --connect-delay "$connect" --lifetime 3600 \
        >"$r/run/sim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$r/run/modem" ] && break; read -rt 0.1 <> <(:) || true; done

    printf ' 1 \r\n' > "$r/Config/Port.cfg"
    printf '%s\r\n' "$r/run/modem" > "$r/Config/ComPorts.cfg"
    local start end
    send_all "$r" "$n"
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=

    local state sent
    state=$(tr -d '\r' < "$r/StartNOM.cfg")
    sent=$(wc -l < "$r/run/record.txt")
    [ "$state" = COMPLETE ] && [ "$sent" -eq "$n" ] || { echo "$profile run of $n failed: $state, $sent sent"; exit 1; }
    if [ -n "${BRINDLE_BENCH_KEEP:-}" ]; then
        mkdir -p "$BRINDLE_BENCH_KEEP"
        cp "$r/run/transcript.txt" "$BRINDLE_BENCH_KEEP/$profile-$n-transcript.txt"
        cp "$r/NOMMon/Logs/SMSC.log" "$BRINDLE_BENCH_KEEP/$profile-$n-SMSC.log"
    fi

    # Bytes both ways: a transcript line per chunk, "seconds >> bytes" or
    # "seconds << bytes", control and high bytes spelled <NAME> or <xHH>.
    local bytes
    bytes=$(awk '$2 == ">>" || $2 == "<<" {
        line = $0; sub(/^ *[0-9.]+ (>>|<<) /, "", line); gsub(/<[A-Za-z0-9]+>/, ".", line); total += length(line)
    } END { print total + 0 }' "$r/run/transcript.txt")

    # The floor: the first tick; per call the reset and log-on pauses and the
    # connect; per message the pause after its acceptance; per renewal the
    # pauses around its log-on.
    local per first reset logon accept before after calls floor
    per=$(setting "$cfg" MessagesPerLogon 4)
    first=$(setting "$cfg" FirstTickMs 2000)
    reset=$(setting "$cfg" ResetPauseMs 5000)
    logon=$(setting "$cfg" LogonPauseMs 1000)
    accept=$(setting "$cfg" AcceptPauseMs 1000)
    before=$(setting "$cfg" RenewPauseBeforeMs 2000)
    after=$(setting "$cfg" RenewPauseAfterMs 3000)
    calls=$(( (n + per - 1) / per ))
    floor=$(( first + calls * (reset + logon + connect * 1000) + n * accept + (calls - 1) * (before + after) ))
    local speed
    speed=$(sed -n 16p "$cfg" | tr -d '\r')

    # Where the time went, from the transcript's clock (started with the
    # simulator): Brindle's start up to the port's first opening, the dials'
    # connects, everything else while the port was open, and the end.
    local split
    split=$(awk -v launch="$(( (start - simStart) / 1000000 ))" -v stop="$(( (end - simStart) / 1000000 ))" -v c="$connect" '
        / -- port opened/ && !opened { opened = $1 }
        / -- dial .*: connected/ { dials++ }
        / -- port closed/ { closed = $1 }
        END { printf "%.2f %.2f %.2f %.2f", opened - launch / 1000, dials * c, closed - opened - dials * c, stop / 1000 - closed }
    ' "$r/run/transcript.txt")

    awk -v p="$profile" -v n="$n" -v ms="$(( (end - start) / 1000000 ))" -v f="$floor" \
        -v b="$bytes" -v s="$speed" -v per="$per" -v parts="$split" 'BEGIN {
        t = ms / 1000; rate = 60 * n / t; ratio = t / (f / 1000)
        goal = p == "default" ? (ratio <= 1.05 ? "met (<= 1.05x floor)" : "MISSED (<= 1.05x floor)") \
                              : (rate >= 100 ? "met (>= 100/min)" : "MISSED (>= 100/min)")
        split(parts, w, " ")
        printf "%-8s %4d %4d %8.2f %8.1f %7.2f %6.3fx %6d %6.2f %6.2f %6.2f %6.2f %6.2f  %s\n", p, n, per, t, rate, f / 1000, ratio, b, b * 10 / s, w[1], w[2], w[3], w[4], goal
    }'
}

# One run of the tuned profile on the simulated mobile modem. Prints one row.
run_mobile() {
    local n=$1 r=$root/mobile-$1
    cp -a "$root/base" "$r"
    export QUORVEL_REGISTRY=$r/registry.ini XDG_RUNTIME_DIR=$r/run
    mkdir -p "$r/run" && chmod 700 "$r/run"
    local cfg=$r/NOM/UK/Cellnet/Config/Brindle.cfg
    cp "$cfg.tuned" "$cfg"
    mobile_start "$r" "$r/run" --record "$r/run/record.txt" --mm-send-delay "$sendMs"
    local start end
    send_all "$r" "$n"
    mobile_stop
    local state sent
    state=$(tr -d '\r' < "$r/StartNOM.cfg")
    sent=$(wc -l < "$r/run/record.txt")
    [ "$state" = COMPLETE ] && [ "$sent" -eq "$n" ] || { echo "mobile run of $n failed: $state, $sent sent"; exit 1; }
    awk -v n="$n" -v ms="$(( (end - start) / 1000000 ))" -v f="$(( n * sendMs ))" 'BEGIN {
        t = ms / 1000; rate = 60 * n / t; goal = (rate >= 55) ? "met (>= 55/min)" : "MISSED (>= 55/min)"
        printf "%-8s %4d %4s %8.2f %8.1f %7.2f %6.3fx %6s %6s %6s %6s %6s %6s  %s\n", "mobile", n, "-", t, rate, f / 1000, t / (f / 1000), "-", "-", "-", "-", "-", "-", goal
    }'
}

echo "Brindle against smscsim --connect-delay $connect, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "seconds: the whole run; floor: its pauses and connects; s@line: its bytes at the line speed;"
echo "start: up to the port's opening; connects; on line: the rest while the port was open; end: after closing"
printf "%-8s %4s %4s %8s %8s %7s %7s %6s %6s %6s %6s %6s %6s  %s\n" profile msgs /log seconds msgs/min floor ratio bytes s@line start connect online end goal
for n in "${counts[@]}"; do
    for profile in ${BRINDLE_BENCH_PROFILES:-default tuned mobile}; do
        if [ "$profile" = mobile ]; then run_mobile "$n"; else run "$profile" "$n"; fi
    done
done
