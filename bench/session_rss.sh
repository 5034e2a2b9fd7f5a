#!/usr/bin/env bash
# Memory of the whole terminal with ten sessions on loopback, each with a
# full scroll-back: busybox telnetd on 127.0.0.1 runs a shell that first
# prints more lines than the scroll-back keeps; the first start connects one
# session, nine more starts hand theirs over to it. Prints VmRSS and VmHWM.
#
#   bench/session_rss.sh [build-dir]      (default: build)
#
# Runs offscreen in a private home, program folder and runtime folder.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/home/rt"
chmod 700 "$work/home/rt"
cp "$build/BrannocPro" "$work/prog/"
# The telnet-link question answered; 1000 rows of scroll-back.
printf '[Windows]\r\nAsk=1\r\nMaxBufferRows=1000\r\n' >"$work/prog/Brannoc.ini"
cat >"$work/fill.sh" <<'EOF'
#!/bin/sh
i=0
while [ $i -lt 3000 ]; do
    echo "line $i of the scroll-back filler, shell $$ ................................"
    i=$((i + 1))
done
exec /bin/sh -i
EOF
chmod +x "$work/fill.sh"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/home/rt" TMPDIR="$work/home" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
busybox telnetd -F -b 127.0.0.1 -p "$port" -l "$work/fill.sh" &
sleep 0.5
"$work/prog/BrannocPro" 127.0.0.1 "$port" >/dev/null 2>&1 &
main=$!
sleep 3
for _ in 2 3 4 5 6 7 8 9 10; do
    "$work/prog/BrannocPro" 127.0.0.1 "$port" >/dev/null 2>&1
    sleep 1.5
done
sleep 5
echo "connections to the peer: $(ss -Htn state established "( dport = :$port )" | wc -l)"
echo "ten sessions, full scroll-back:"
grep -E 'VmRSS|VmHWM' "/proc/$main/status"
