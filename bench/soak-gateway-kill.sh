#!/usr/bin/env bash
# quorvel-service as a gateway over two lines killed with SIGKILL at random
# moments while users submit and the lines deliver; started again after each
# kill. After K kills it runs until every message is settled.
#   bench/soak-gateway-kill.sh [K] [seed]    (default 20 kills, seed from the clock)
# SOAK_BUILD=folder picks the build (default build). The seed fixes the kill
# moments and the submissions between them. NODES=2 runs two nodes on one
# database with two lines each, submits to either and kills either; under
# pg_virtualenv (PGHOST set) the database is PostgreSQL, else an SQLite file:
#   NODES=2 pg_virtualenv bench/soak-gateway-kill.sh 40 2030
#
# Every message accepted by the service must reach exactly one simulator
# exactly once: lost counts the messages in no record, twice those in more
# than one place.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-20}
seed=${2:-$(date +%s)}
build=${SOAK_BUILD:-build}
nodes=${NODES:-1}
root=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$root/base" >/dev/null
export QT_QPA_PLATFORM=offscreen QUORVEL_REGISTRY=$root/registry.ini XDG_RUNTIME_DIR=$root/run
mkdir -p "$root/run" && chmod 700 "$root/run"
lines=()
for i in $(seq $((2 * nodes))); do
    l=$root/line$i
    cp -a "$root/base" "$l"
    cp "$l/NOM/UK/Cellnet/Config/Brindle.cfg.tuned" "$l/NOM/UK/Cellnet/Config/Brindle.cfg"
    mkdir -p "$l/run"
    "$l/bin/smscsim" --link "$l/run/modem" --record "$l/run/record.txt" --lifetime 7200 \
        >"$l/run/sim.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -e "$l/run/modem" ] && break; read -rt 0.1 <> <(:) || true; done
    printf ' 1 \r\n' > "$l/Config/Port.cfg"
    printf '%s\r\n' "$l/run/modem" > "$l/Config/ComPorts.cfg"
    lines+=("$l")
done
db=$root/gateway.sqlite
if [ -n "${PGHOST:-}" ]; then
    dropdb --if-exists soak 2>/dev/null && createdb soak
    db=postgresql:///soak
fi
echo "soak-gateway-kill: seed $seed, $kills kills, $nodes node(s), database $db, folder $root"
python3 - "$root" "$kills" "$seed" "$db" "$nodes" "${lines[@]}" <<'PY'
import os, random, signal, subprocess, sys, time, urllib.parse, urllib.request
root, kills, seed, db, nodes = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
lines = sys.argv[6:]
rng = random.Random(seed)
service = root + "/base/bin/quorvel-service"

starts = 0
def start(node):
    global starts
    starts += 1
    args = [service, "--port", "0", "--db", db, "--open-enrolment", "--allowance", "1000000",
            "--node", "n%d" % node, "--lease", "5"]
    for l in lines[2 * node:2 * node + 2]:
        args += ["--line", l]
    name = root + "/service%d.%d.log" % (node, starts)
    p = subprocess.Popen(args, stderr=open(name, "w"))
    deadline = time.monotonic() + 20
    while "serving " not in open(name).read():
        if p.poll() is not None or time.monotonic() > deadline:
            sys.exit("node %d did not start:\n%s" % (node, open(name).read()))
        time.sleep(0.02)
    return p, open(name).read().split("serving ")[1].split("/quorvel")[0]

submitted = {}  # text -> user
count = 0
def submit(url, user, n):
    global count
    pieces = []
    for _ in range(n):
        count += 1
        text = "soak %d from %s" % (count, user)
        pieces.append("+4477009%05d %s" % (count % 100000, text))
    body = urllib.parse.urlencode({"hMode": "save", "hUsername": user, "T": "#".join(pieces)})
    urllib.request.urlopen(url + "/quorvel/quorvel.asp?UN=" + user).read()
    page = urllib.request.urlopen(url + "/quorvel/quorvel.asp", body.encode()).read().decode()
    if "D:SMS message(s) accepted" in page:
        for p in pieces:
            submitted[p.split(" ", 1)[1]] = user

started = time.monotonic()
running = [start(n) for n in range(nodes)]
for k in range(kills):
    submit(running[rng.randrange(nodes)][1], rng.choice(["ann", "bob", "cy"]), rng.randint(1, 40))
    time.sleep(rng.uniform(0.05, 2.0))
    victim = rng.randrange(nodes)
    running[victim][0].send_signal(signal.SIGKILL)
    running[victim][0].wait()
    running[victim] = start(victim)
deadline = time.monotonic() + 900
while True:
    rows = subprocess.run([service, "--list", "--state", "--db", db], capture_output=True,
                          text=True, check=True).stdout.splitlines()
    states = [r.split("\t")[6] for r in rows]
    if all(s in ("accepted", "failed") for s in states) or time.monotonic() > deadline:
        break
    time.sleep(0.2)
for p, _ in running:
    p.send_signal(signal.SIGTERM)
    p.wait()
received = {}
for l in lines:
    for line in open(l + "/run/record.txt"):
        text = line.rstrip("\n").split("\t", 1)[1]
        received[text] = received.get(text, 0) + 1
lost = [t for t in submitted if t not in received]
twice = [t for t, n in received.items() if n > 1]
failed = sum(1 for s in states if s == "failed")
per_line = ", ".join("%d on line %d" % (sum(1 for _ in open(l + "/run/record.txt")), i + 1)
                     for i, l in enumerate(lines))
print("soak-gateway-kill: %d kills survived in %.0f s; %d messages accepted by the service, "
      "%d received by the centres (%s), %d failed; lost %d, twice %d"
      % (kills, time.monotonic() - started, len(submitted), sum(received.values()), per_line,
         failed, len(lost), len(twice)))
for t in lost[:5] + twice[:5]:
    print("  " + t)
sys.exit(1 if lost or twice or failed else 0)
PY
