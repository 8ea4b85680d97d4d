# Shared by the soak scripts (sourced, not run): a fresh installation of a
# build with the tuned Brindle.cfg, the simulator as its COM1, the Brindle
# processes of that installation, and the tally of every entry.

soak_root=
soak_sim_pid=
soak_cleanup() {
    [ -d "$soak_root/run" ] && touch "$soak_root/run/stop" # writers stop at this
    [ -n "$soak_sim_pid" ] && kill "$soak_sim_pid" 2>/dev/null || true
    for pid in $(soak_brindle_pids); do kill -9 "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ -n "${SOAK_KEEP:-}" ]; then echo "kept: $soak_root"; else rm -rf "$soak_root"; fi
}

# soak_install BUILD: installs BUILD into a new folder ($soak_root).
soak_install() {
    soak_root=$(mktemp -d /tmp/quorvel-soak.XXXXXX)
    trap soak_cleanup EXIT
    cmake --install "$1" --prefix "$soak_root" >/dev/null
    [ -x "$soak_root/bin/smscsim" ] || { echo "no smscsim in $1: build tools/smscsim first"; exit 1; }
    export QUORVEL_REGISTRY=$soak_root/registry.ini XDG_RUNTIME_DIR=$soak_root/run
    export QT_QPA_PLATFORM=offscreen
    mkdir -p "$soak_root/run" && chmod 700 "$soak_root/run"
    local cfg=$soak_root/NOM/UK/Cellnet/Config/Brindle.cfg
    cp "$cfg.tuned" "$cfg"
    printf '%s\r\n' "$soak_root" > "$soak_root/AppPath.cfg"
    printf ' 1 \r\n' > "$soak_root/Config/Port.cfg"
    printf '%s\r\n' "$soak_root/run/COM1" > "$soak_root/Config/ComPorts.cfg"
}

# soak_sim [fault options...]: (re)starts the simulator on COM1; the record
# and the transcript go on across restarts.
soak_sim() {
    soak_sim_stop
    "$soak_root/bin/smscsim" --link "$soak_root/run/COM1" --record "$soak_root/run/record.txt" \
        --transcript "$soak_root/run/transcript-$RANDOM.txt" --forever "$@" \
        >"$soak_root/run/sim.out" 2>&1 &
    soak_sim_pid=$!
    for _ in $(seq 100); do [ -e "$soak_root/run/COM1" ] && return; sleep 0.05; done
    echo "the simulator did not start:"; cat "$soak_root/run/sim.out"; exit 1
}
soak_sim_stop() {
    [ -n "$soak_sim_pid" ] || return 0
    kill "$soak_sim_pid" 2>/dev/null || true
    wait "$soak_sim_pid" 2>/dev/null || true
    soak_sim_pid=
}

# The Brindle processes of this installation, whoever started them (this
# script or quorvel-send): their program is this installation's Brindle.
soak_brindle_pids() {
    [ -n "$soak_root" ] || return 0
    find /proc -mindepth 2 -maxdepth 2 -name exe -lname "$soak_root/NOM/UK/Cellnet/Brindle*" \
        2>/dev/null | cut -d/ -f3 || true
}
soak_wait_no_brindle() {
    while [ -n "$(soak_brindle_pids)" ]; do sleep 0.1; done
}

# Starts a Brindle in the background, as the client does.
soak_brindle_bg() {
    (cd "$soak_root" && exec setsid ./NOM/UK/Cellnet/Brindle >>"$soak_root/run/brindle.log" 2>&1 &)
}

# Runs Brindle to its end, again while anything is still queued in its files
# (at most `tries` runs). Prints the state word.
soak_run_to_end() {
    local tries=${1:-5} c=$soak_root/NOM/UK/Cellnet/Config
    for _ in $(seq "$tries"); do
        soak_wait_no_brindle
        (cd "$soak_root" && ./NOM/UK/Cellnet/Brindle >>"$soak_root/run/brindle.log" 2>&1) || true
        local queued
        queued=$( (tail -n +2 "$c/Brindle.in"; cat "$c/Brindle.rcv" "$c/Brindle.tkn" 2>/dev/null) | tr -d '\r' | grep -c . || true)
        [ "$queued" -eq 0 ] && break
    done
    tr -d '\r' < "$soak_root/StartNOM.cfg"
}

# soak_tally WRITTEN MODE [ALLOWED]: checks every entry in WRITTEN (one entry a
# line, as appended to the inbox) against the simulator's record, Brindle.out
# and (MODE "owed") Brindle's files. ALLOWED holds record lines that may come
# twice (an entry caught between the centre's acceptance and Brindle's record
# of it). Prints the counts; fails on a loss or any other duplicate.
soak_tally() {
    python3 - "$soak_root" "$@" <<'EOF'
import collections, glob, re, sys
root, written_file, mode = sys.argv[1:4]
allowed = collections.Counter()
if len(sys.argv) > 4:
    allowed.update(l.rstrip('\n') for l in open(sys.argv[4], encoding='latin-1') if l.strip())
cfg = root + '/NOM/UK/Cellnet/Config/'
def lines(path):
    try:
        data = open(path, 'rb').read().decode('cp1252', 'replace')
    except FileNotFoundError:
        return []
    return re.split(r'\r\n|\r|\n', data)
def key(entry):  # the simulator's record line of an entry
    return re.sub(r'^[^+]*\+(\d+) ', r'\1\t', entry, count=1)
written = [l for l in lines(written_file) if l]
record = collections.Counter(l for l in lines(root + '/run/record.txt') if l)
out = collections.Counter(l for l in lines(cfg + 'Brindle.out') if l)
owed = collections.Counter(l for l in lines(cfg + 'Brindle.in')[1:] + lines(cfg + 'Brindle.rcv')
                           + lines(cfg + 'Brindle.tkn') if l)
rejected = sum(open(t, encoding='latin-1').read().count('Message send failed<CR><RS>')
               for t in glob.glob(root + '/run/transcript-*.txt'))
known = set(written)
lost, dups, unknown, owed_n, refused = [], [], [], 0, []
for e in written:
    r, o = record[key(e)], out[e]
    if r > 1 + allowed[key(e)] or o > 1 + allowed[key(e)]:
        dups.append(e)
    if r and o:
        continue
    if mode == 'owed' and owed[e]:
        owed_n += 1
    elif mode == 'owed' and not r and not o:
        refused.append(e)
    else:
        lost.append(e)
unknown = [l for l in out if l not in known] + [l for l in record if l not in {key(e) for e in written}]
twice = sum(max(record[key(e)] - 1, 0) for e in set(written))
print(f'written {len(written)}, recorded by the centre {sum(record.values())} ({twice} twice), '
      f'in Brindle.out {sum(out.values())}, still owed {owed_n}, refused by the centre '
      f'{len(refused)} (refusals on the line: {rejected}), lost {len(lost)}, '
      f'duplicates beyond the allowed {len(dups)}, unknown {len(unknown)}')
bad = lost or dups or unknown or len(refused) > rejected
for what, items in (('LOST', lost), ('DUPLICATE', dups), ('UNKNOWN', unknown)):
    for e in items[:20]:
        print(f'{what}: {e}')
sys.exit(1 if bad else 0)
EOF
}
