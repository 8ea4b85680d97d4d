# Shared by the Brindle benches (sourced, not run): a bus of its own with the
# simulator playing ModemManager on it, and an installation whose COM1 is
# that simulated mobile modem. The caller kills $mobile_pids when done.

mobile_pids=()

# mobile_start INSTALL RUN-FOLDER SIMULATOR-OPTIONS...: starts both, exports
# DBUS_SYSTEM_BUS_ADDRESS and points the installation's COM1 at the modem.
mobile_start() {
    local inst=$1 run=$2
    shift 2
    command -v dbus-daemon >/dev/null || { echo "dbus-daemon is needed (the dbus package)"; exit 1; }
    mkdir -p "$run"
    dbus-daemon --session --print-address --nofork >"$run/bus.address" 2>"$run/bus.err" &
    mobile_pids+=($!)
    for _ in $(seq 50); do [ -s "$run/bus.address" ] && break; read -rt 0.1 <> <(:) || true; done
    DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$run/bus.address")
    export DBUS_SYSTEM_BUS_ADDRESS
    "$inst/bin/smscsim" --modem-manager --bus "$DBUS_SYSTEM_BUS_ADDRESS" --lifetime 3600 "$@" \
        >"$run/mm.out" 2>&1 &
    mobile_pids+=($!)
    for _ in $(seq 50); do [ -s "$run/mm.out" ] && break; read -rt 0.1 <> <(:) || true; done
    printf ' 1 \r\n' > "$inst/Config/Port.cfg"
    printf 'mm:490154203237518\r\n' > "$inst/Config/ComPorts.cfg"
}

mobile_stop() {
    for p in "${mobile_pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${mobile_pids[@]}"; do wait "$p" 2>/dev/null || true; done
    mobile_pids=()
}
