#!/usr/bin/env bash
# quorvel-service as a gateway over two lines killed with SIGKILL at random
# moments while users submit and the lines deliver; started again after each
# kill. After K kills it runs until every message is settled.
#   bench/soak-gateway-kill.sh [K] [seed]    (default 20 kills, seed from the clock)
# SOAK_BUILD=folder picks the build (default build). The seed fixes the kill
# moments and the submissions between them.
#
# Every message accepted by the service must reach exactly one simulator
# exactly once: lost counts the messages in no record, twice those in more
# than one place.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-20}
seed=${2:-$(date +%s)}
build=${SOAK_BUILD:-build}
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
for i in 1 2; do
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
echo "soak-gateway-kill: seed $seed, $kills kills, folder $root"
python3 - "$root" "$kills" "$seed" "${lines[@]}" <<'PY'
import os, random, signal, subprocess, sys, time, urllib.parse, urllib.request
root, kills, seed, lines = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
rng = random.Random(seed)
service = root + "/base/bin/quorvel-service"
db = root + "/gateway.sqlite"
args = [service, "--port", "0", "--db", db, "--open-enrolment", "--allowance", "1000000"]
for l in lines:
    args += ["--line", l]

def start():
    log = open(root + "/service.log", "a")
    p = subprocess.Popen(args, stderr=subprocess.PIPE, text=True)
    first = p.stderr.readline()
    log.write(first)
    url = first.split("serving ")[1].split("/quorvel")[0]
    return p, url

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
p, url = start()
for k in range(kills):
    submit(url, rng.choice(["ann", "bob", "cy"]), rng.randint(1, 40))
    time.sleep(rng.uniform(0.05, 2.0))
    p.send_signal(signal.SIGKILL)
    p.wait()
    p, url = start()
deadline = time.monotonic() + 900
while True:
    rows = subprocess.run([service, "--list", "--state", "--db", db], capture_output=True,
                          text=True, check=True).stdout.splitlines()
    states = [r.split("\t")[6] for r in rows]
    if all(s in ("accepted", "failed") for s in states) or time.monotonic() > deadline:
        break
    time.sleep(0.2)
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
print("soak-gateway-kill: %d kills survived in %.0f s; %d messages accepted by the service, "
      "%d received by the centres (%d on line 1, %d on line 2), %d failed; lost %d, twice %d"
      % (kills, time.monotonic() - started, len(submitted), sum(received.values()),
         sum(1 for l in open(lines[0] + "/run/record.txt")),
         sum(1 for l in open(lines[1] + "/run/record.txt")), failed, len(lost), len(twice)))
for t in lost[:5] + twice[:5]:
    print("  " + t)
sys.exit(1 if lost or twice or failed else 0)
PY
