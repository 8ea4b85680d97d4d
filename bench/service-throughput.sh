#!/usr/bin/env bash
# Submissions per second and answer times of quorvel-service under 50
# concurrent clients sending 20-piece forms for 30 seconds, on a fresh
# database; then the stored messages are counted against what was accepted.
#   bench/service-throughput.sh [build-folder] [clients] [seconds] [pieces] [rate]
# (rate: submissions a second the clients offer together; default as fast as
# the answers come)
# SLOW=N adds N slow connections (service_load --slow) beside the clients, and
# as many again held open while the service is stopped. The time from SIGTERM
# to the service's exit is printed in every run; after STOP_WAIT seconds
# (default 60) the slow connections are closed and the wait goes on.
# DB=URL runs it on that database instead of a fresh SQLite file: an empty
# PostgreSQL database, e.g. under pg_virtualenv (which sets PGHOST, PGUSER...):
#   pg_virtualenv sh -c 'createdb bench && DB=postgresql:///bench bench/service-throughput.sh'
# NODES=N starts N services (nodes) on that database; the clients take their
# ports in turn. NODE_CPU=P holds each node to P % of one core (a cgroup of
# its own, as root), standing in for nodes on machines of their own where the
# node, not the shared database, is the limit.
# Measure a Release build:
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF
#   cmake --build build-release -j2 --target quorvel-service service_load
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
clients=${2:-50} seconds=${3:-30} pieces=${4:-20} rate=${5:-0}
slow=${SLOW:-0} stop_wait=${STOP_WAIT:-60}
# Hundreds of sockets on both sides pass the usual soft limit of 1,024.
ulimit -n "$(ulimit -Hn)"

work=$(mktemp -d)
db=${DB:-$work/bench.sqlite}
pid='' holder='' timer='' others=() groups=()
nodes=${NODES:-1}
cleanup() {
    for p in $holder $timer "${others[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
    for g in "${groups[@]}"; do rmdir "$g" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
# Sets ms to the milliseconds since start (a function in $(...) would run the
# EXIT trap in its subshell).
stop_clock() {
    local end
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
}

# Starts node $1, logging to $2; sets node_pid and port.
start_node() {
    "$build/src/service/quorvel-service" --port 0 --db "$db" --allowance 100000000 --open-enrolment \
        --node "n$1" 2>"$2" &
    node_pid=$!
    if [ -n "${NODE_CPU:-}" ]; then
        local group=/sys/fs/cgroup/cpu/quorvel-bench-node$1
        mkdir -p "$group"
        echo 100000 > "$group/cpu.cfs_period_us"
        echo $((NODE_CPU * 1000)) > "$group/cpu.cfs_quota_us"
        echo "$node_pid" > "$group/cgroup.procs"
        groups+=("$group")
    fi
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's|.*serving http://[^:]*:\([0-9]*\)/.*|\1|p' "$2")
        [ -n "$port" ] && break
        read -rt 0.05 <> <(:) || true
    done
    [ -n "$port" ] || { cat "$2"; exit 1; }
}
ports=
for n in $(seq 2 "$nodes"); do
    start_node "$n" "$work/service$n.log"
    others+=("$node_pid")
    ports=$ports,$port
done
start_node 1 "$work/service.log"
pid=$node_pid
ports=$port$ports

echo "load before: $(uptime)"
status=0
slow_option=()
((slow > 0)) && slow_option=(--slow "$slow")
"$build/bench/service_load" "${slow_option[@]}" "$ports" "$clients" "$seconds" "$pieces" "$rate" |
    tee "$work/load.out" || status=1
echo "load after:  $(uptime)"

if ((slow > 0)); then
    "$build/bench/service_load" --slow "$slow" "$port" 0 >"$work/hold.out" &
    holder=$!
    for _ in $(seq 600); do
        grep -q '^slow connections open' "$work/hold.out" && break
        read -rt 0.05 <> <(:) || true
    done
    sed -n 's/^slow connections open: /held across the stop: slow connections open: /p' "$work/hold.out"
fi
stop_holder() {
    [ -n "$holder" ] || return 0
    kill "$holder"
    wait "$holder" || true
    holder=''
    sed -n 's/^\(slow connections:\|slow connects failed\)/held across the stop: \1/p' "$work/hold.out"
}
# Whether the service exits within $1 seconds.
exits_within() {
    sleep "$1" &
    timer=$!
    local ended=''
    wait -n -p ended "$pid" "$timer" || true
    kill "$timer" 2>/dev/null || true
    timer=''
    [ "$ended" = "$pid" ]
}
# The stop is timed with the slow connections still open; the messages are
# counted at rest, after it.
start=$(date +%s%N)
kill "$pid" 2>/dev/null || true
if exits_within "$stop_wait"; then
    stop_clock
    echo "SIGTERM to exit: $ms ms"
    stop_holder
else
    echo "SIGTERM to exit: over $((stop_wait * 1000)) ms; the slow connections are closed now"
    stop_holder
    start=$(date +%s%N)
    if exits_within 30; then
        stop_clock
        echo "exit $ms ms after the slow connections closed"
    else
        echo "no exit 30 s after the slow connections closed: killed"
        kill -KILL "$pid"
        wait "$pid" || true
        status=1
    fi
fi
pid=
for p in "${others[@]}"; do kill "$p"; wait "$p" || true; done
others=()
grep commits "$work/service.log" || true
accepted=$(sed -n 's/^accepted messages: //p' "$work/load.out")
"$build/bench/service_load" --count "$db" "${accepted:-0}" || status=1
echo "service log lines: $(wc -l < "$work/service.log")"
[ -f "$db" ] && echo "database: $(du -h "$db" | cut -f1)"
exit $status
