#!/usr/bin/env bash
# Messages per minute quorvel-service delivers as a gateway over 1, 2 and 4
# lines, each an installation with the tuned Brindle profile on a
# message-centre simulator of its own whose dials take a second to connect,
# beside Brindle's own rate for the same messages (bench/brindle-throughput.sh).
#   bench/gateway-throughput.sh [build-folder] [messages] [line counts ...]
#                                                   (default: build 200 1 2 4)
# A count "2+2" is two nodes on one database with two lines each. Under
# pg_virtualenv (PGHOST set) each run has a fresh PostgreSQL database, else
# an SQLite file:  pg_virtualenv bench/gateway-throughput.sh build 200 2 4 2+2
# The time runs from the submission (one form of all the messages, to the
# first node) until the last one is recorded accepted.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
n=${2:-200}
shift 2 || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1 2 4)
connect=${GATEWAY_BENCH_CONNECT:-1}

root=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$root/base" >/dev/null
[ -x "$root/base/bin/smscsim" ] || { echo "no smscsim in $build"; exit 1; }
export QT_QPA_PLATFORM=offscreen QUORVEL_REGISTRY=$root/registry.ini XDG_RUNTIME_DIR=$root/run
mkdir -p "$root/run" && chmod 700 "$root/run"

# Waits up to 10 s for a file to appear.
appear() { for _ in $(seq 100); do [ -e "$1" ] && return 0; read -rt 0.1 <> <(:) || true; done; return 1; }

# One run over the lines of `layout` ("4", or "2+2" for two nodes); prints its seconds.
run() {
    local layout=$1 r=$root/lines-${1//+/-} db line=0 node=0 url=
    local -a parts services=() sims=()
    IFS=+ read -ra parts <<< "$layout"
    mkdir -p "$r"
    if [ -n "${PGHOST:-}" ]; then
        local name=bench_${layout//+/_}
        dropdb --if-exists "$name" 2>/dev/null && createdb "$name"
        db=postgresql:///$name
    else
        db=$r/gateway.sqlite
    fi
    for count in "${parts[@]}"; do
        node=$((node + 1))
        local options=()
        for _ in $(seq "$count"); do
            line=$((line + 1))
            local l=$r/line$line
            cp -a "$root/base" "$l"
            cp "$l/NOM/UK/Cellnet/Config/Brindle.cfg.tuned" "$l/NOM/UK/Cellnet/Config/Brindle.cfg"
            mkdir -p "$l/run"
            "$l/bin/smscsim" --link "$l/run/modem" --record "$l/run/record.txt" \
                --connect-delay "$connect" --lifetime 3600 >"$l/run/sim.out" 2>&1 &
            sims+=($!)
            appear "$l/run/modem"
            printf ' 1 \r\n' > "$l/Config/Port.cfg"
            printf '%s\r\n' "$l/run/modem" > "$l/Config/ComPorts.cfg"
            options+=(--line "$l")
        done
        "$root/base/bin/quorvel-service" --port 0 --db "$db" --node "n$node" --open-enrolment \
            --allowance 100000 "${options[@]}" 2>"$r/service$node.log" &
        pids+=($!)
        services+=($!)
        for _ in $(seq 100); do grep -q serving "$r/service$node.log" && break; read -rt 0.1 <> <(:) || true; done
        [ -n "$url" ] || url=$(sed -n 's|.*serving \(http://[^/]*\)/.*|\1|p' "$r/service$node.log" | head -n 1)
    done
    python3 - "$url" "$n" "$root/base/bin/quorvel-service" "$db" <<'PY'
import subprocess, sys, time, urllib.parse, urllib.request
url, n, service, db = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
urllib.request.urlopen(url + "/quorvel/quorvel.asp?UN=bench").read()
t = "#".join("+4477009%05d Benchmark message %d of %d, a typical short text." % (i, i, n)
             for i in range(1, n + 1))
body = urllib.parse.urlencode({"hMode": "save", "hUsername": "bench", "T": t}).encode()
start = time.monotonic()
page = urllib.request.urlopen(url + "/quorvel/quorvel.asp", body).read().decode()
assert "D:SMS message(s) accepted" in page, page
while True:
    rows = subprocess.run([service, "--list", "--state", "--db", db], capture_output=True,
                          text=True, check=True).stdout.splitlines()
    states = [r.split("\t")[6] for r in rows]
    if len(states) == n and all(s == "accepted" for s in states):
        break
    if any(s == "failed" for s in states):
        sys.exit("a message failed:\n" + "\n".join(r for r in rows if "\tfailed\t" in r))
    time.sleep(0.1)
print("%.2f" % (time.monotonic() - start))
PY
    # run() is called in $(...): its pids never reach the EXIT trap's list.
    kill "${services[@]}" "${sims[@]}" 2>/dev/null || true
    local sent=0
    for i in $(seq "$line"); do sent=$((sent + $(wc -l < "$r/line$i/run/record.txt"))); done
    [ "$sent" -eq "$n" ] || { echo "$layout lines: the simulators received $sent of $n" >&2; exit 1; }
}

echo "quorvel-service as a gateway, $n messages, smscsim --connect-delay $connect, tuned Brindle," \
    "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
alone=$(BRINDLE_BENCH_PROFILES=tuned BRINDLE_BENCH_CONNECT=$connect bench/brindle-throughput.sh "$build" "$n" |
    awk '$1 == "tuned" { print $4 }')
printf "%-30s %8s %9s %s\n" route seconds msgs/min "ratio"
awk -v t="$alone" -v n="$n" 'BEGIN { printf "%-30s %8.2f %9.1f\n", "Brindle alone", t, 60 * n / t }'
one=
declare -A seconds
for layout in "${counts[@]}"; do
    t=$(run "$layout")
    seconds[$layout]=$t
    [ -n "$one" ] || one=$t
    total=$(( ${layout//+/ + } ))
    nodes=$(tr -cd + <<< "$layout" | wc -c)
    same=${seconds[$total]:-}
    awk -v layout="$layout" -v t="$t" -v n="$n" -v one="$one" -v alone="$alone" -v nodes="$nodes" \
        -v total="$total" -v same="$same" 'BEGIN {
        label = nodes > 0 ? "gateway, " layout " lines, " nodes + 1 " nodes" : "gateway, " layout " line(s)"
        printf "%-30s %8.2f %9.1f %5.2fx the first", label, t, 60 * n / t, one / t
        if (layout == "1") printf ", %.2fx Brindle alone", t / alone
        if (nodes > 0 && same != "") printf ", %.2fx %d lines on one node", same / t, total
        printf "\n"
    }'
done
