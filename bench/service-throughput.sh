#!/usr/bin/env bash
# Submissions per second and answer times of quorvel-service under 50
# concurrent clients sending 20-piece forms for 30 seconds, on a fresh
# database; then the stored messages are counted against what was accepted.
#   bench/service-throughput.sh [build-folder] [clients] [seconds] [pieces] [rate]
# (rate: submissions a second the clients offer together; default as fast as
# the answers come)
# Measure a Release build:
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF
#   cmake --build build-release -j2 --target quorvel-service service_load
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
clients=${2:-50} seconds=${3:-30} pieces=${4:-20} rate=${5:-0}

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/src/service/quorvel-service" --port 0 --db "$work/bench.sqlite" --allowance 100000000 --open-enrolment \
    2>"$work/service.log" &
pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's|.*serving http://[^:]*:\([0-9]*\)/.*|\1|p' "$work/service.log")
    [ -n "$port" ] && break
    read -rt 0.05 <> <(:) || true
done
[ -n "$port" ] || { cat "$work/service.log"; exit 1; }

echo "load before: $(uptime)"
status=0
"$build/bench/service_load" "$port" "$clients" "$seconds" "$pieces" "$rate" | tee "$work/load.out" ||
    status=1
echo "load after:  $(uptime)"
# Counted at rest, after a clean stop.
kill "$pid"
wait "$pid" || true
pid=
accepted=$(sed -n 's/^accepted messages: //p' "$work/load.out")
"$build/bench/service_load" --count "$work/bench.sqlite" "${accepted:-0}" || status=1
echo "service log lines: $(wc -l < "$work/service.log"); database: $(du -h "$work/bench.sqlite" | cut -f1)"
exit $status
