#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          libgumbo-dev libgtest-dev libgmock-dev clang-format python3
          libbenchmark-dev socat xvfb xauth libxcb1-dev
          libmicrohttpd-dev libcpp-httplib-dev libsqlite3-dev openssl clang libclang-rt-14-dev
          libpq-dev postgresql  # PostgreSQL behind the service; the store tests' throwaway cluster
          dbus  # dbus-daemon: the private bus the ModemManager tests run on
          libqt6svg6)  # the SVG icon engine and image plugins the windows draw their icons with
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq || true
    "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
