#!/usr/bin/env bash
# What the terminal costs on a real desktop: memory with one and with ten
# connected sessions (each after 2,000 lines), processor time while idle
# (with and without a blinking cell), how fast a 16 MB Big5 ANSI flood is
# absorbed, and memory with a peer that floods option requests and never
# reads the answers.
#
#   bench/desktop_cost.sh [build-dir]     (default: build/release)
#
# Environment: IDLE_SECONDS (default 60), FLOOD_MB (16), FLOOD_RUNS (3),
# LINES_PER_SESSION (2000), NEGOTIATE_MB (64).
#
# Runs the real BrannocPro, copied into a sandbox home with XDG folders,
# runtime folder and TMPDIR of its own, on an Xvfb display of its own
# (-displayfd) under openbox. The peers (bench/desktop_peer.py) listen on
# 127.0.0.1 only. Memory is RSS and PSS from /proc/PID/smaps_rollup;
# processor time is user + system from /proc/PID/stat (10 ms ticks) and,
# finer, the sum of the threads' run time from /proc/PID/task/*/schedstat.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/release}" && pwd)
idle=${IDLE_SECONDS:-60}
flood_mb=${FLOOD_MB:-16}
flood_runs=${FLOOD_RUNS:-3}
lines=${LINES_PER_SESSION:-2000}
negotiate_mb=${NEGOTIATE_MB:-64}

for p in Xvfb openbox xprop python3; do
    command -v "$p" >/dev/null || { echo "desktop_cost: $p is missing" >&2; exit 1; }
done

work=$(mktemp -d)
started=()
prog=
cleanup() {
    [ -n "$prog" ] && kill "$prog" 2>/dev/null || true
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    sleep 0.3
    for pid in "${started[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

box=$work/box
mkdir -p "$box/bin" "$box/home/.config" "$box/home/.local/share" "$box/home/.cache" \
    "$box/rt" "$box/tmp" "$box/peers"
chmod 700 "$box/rt"
cp "$build/BrannocPro" "$box/bin/"

# ---- The display --------------------------------------------------------------
fifo=$work/displayfd
mkfifo "$fifo"
Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp -noreset -nocursor 7>"$fifo" \
    >/dev/null 2>&1 &
started+=($!)
read -r -t 20 number <"$fifo" || { echo "desktop_cost: Xvfb did not start" >&2; exit 1; }
display=":$number"

run_env=(env -i PATH="$PATH" HOME="$box/home" XDG_CONFIG_HOME="$box/home/.config"
    XDG_DATA_HOME="$box/home/.local/share" XDG_CACHE_HOME="$box/home/.cache"
    XDG_RUNTIME_DIR="$box/rt" TMPDIR="$box/tmp" DISPLAY="$display" QT_QPA_PLATFORM=xcb
    LANG=C.UTF-8 NO_AT_BRIDGE=1)

"${run_env[@]}" openbox --sm-disable >/dev/null 2>&1 &
started+=($!)
wm=
for _ in $(seq 200); do
    if DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        wm=up
        break
    fi
    sleep 0.1
done
[ -n "$wm" ] || { echo "desktop_cost: openbox did not start" >&2; exit 1; }

# ---- Helpers --------------------------------------------------------------------
settings() { # port
    printf '[Windows]\r\nAsk=1\r\nPort=%s\r\n[Hosts]\r\nh0=127.0.0.1\r\n' "$1" >"$box/bin/Brannoc.ini"
}

peer() { # name mode amount [log] -> sets peer_port
    local file=$box/peers/$1
    python3 "$here/desktop_peer.py" "$2" "$3" "$file" ${4:+"$4"} &
    started+=($!)
    for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.05; done
    peer_port=$(cat "$file")
}

sent() { # name -> connections that got their text
    local f=$box/peers/$1.sent
    [ -f "$f" ] && wc -l <"$f" || echo 0
}

wait_sent() { # name count
    for _ in $(seq 600); do [ "$(sent "$1")" -ge "$2" ] && return 0; sleep 0.1; done
    echo "desktop_cost: only $(sent "$1") of $2 sessions got their text" >&2
    return 1
}

start_program() { # args... -> sets prog
    "${run_env[@]}" "$box/bin/BrannocPro" "$@" >/dev/null 2>&1 &
    prog=$!
}

hand_over() { # args...: a second start that hands its site to the first
    "${run_env[@]}" timeout 20 "$box/bin/BrannocPro" "$@" >/dev/null 2>&1 || true
}

stop_program() {
    kill "$prog" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$prog" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$prog" 2>/dev/null || true
    wait "$prog" 2>/dev/null || true
    prog=
}

memory() { # -> "rss_mb pss_mb"
    awk '/^Rss:/ {r = $2} /^Pss:/ {p = $2} END {printf "%.1f %.1f\n", r / 1024, p / 1024}' \
        "/proc/$prog/smaps_rollup"
}

ticks() { # user + system clock ticks of the process
    awk '{sub(/^.*\) /, ""); print $12 + $13}' "/proc/$prog/stat"
}

runtime_ns() { # run time of each thread in ns: "tid ns" lines
    for t in /proc/"$prog"/task/*; do
        [ -r "$t/schedstat" ] && echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat" 2>/dev/null)"
    done
}

hz=$(getconf CLK_TCK)
idle_cost() { # -> "stat_ms_per_min schedstat_ms_per_min" over $idle seconds
    # The fine figure adds up the threads that lived through the whole
    # measure (a thread that ends meanwhile would take its time along).
    local t0 t1
    t0=$(ticks); runtime_ns >"$work/ns0"
    sleep "$idle"
    t1=$(ticks); runtime_ns >"$work/ns1"
    awk -v t="$((t1 - t0))" -v hz="$hz" -v s="$idle" '
        FNR == NR {a[$1] = $2; next}
        ($1 in a) {n += $2 - a[$1]}
        END {printf "%.0f %.0f\n", t * 1000 / hz * 60 / s, n / 1e6 * 60 / s}' \
        "$work/ns0" "$work/ns1"
}

rows=()
row() { rows+=("$(printf '%-44s %12s %12s' "$1" "$2" "$3")"); }

# ---- One and ten sessions after $lines lines each -----------------------------------
peer fill fill "$lines"
settings "$peer_port"
start_program 127.0.0.1 "$peer_port"
wait_sent fill 1
sleep 4
read -r rss pss < <(memory)
row "one session: RSS / PSS (MB)" "$rss" "$pss"
read -r a b < <(idle_cost)
row "one session idle: CPU ms/min (stat/sched)" "$a" "$b"
for n in 2 3 4 5 6 7 8 9 10; do
    hand_over 127.0.0.1 "$peer_port"
    wait_sent fill "$n"
done
sleep 6
read -r rss pss < <(memory)
row "ten sessions: RSS / PSS (MB)" "$rss" "$pss"
read -r a b < <(idle_cost)
row "ten sessions idle: CPU ms/min (stat/sched)" "$a" "$b"
stop_program

# ---- One session with a blinking cell -------------------------------------------------
peer blink blink "$lines"
settings "$peer_port"
start_program 127.0.0.1 "$peer_port"
wait_sent blink 1
sleep 4
read -r a b < <(idle_cost)
row "one blinking cell: CPU ms/min (stat/sched)" "$a" "$b"
stop_program

# ---- Flood ---------------------------------------------------------------------------------
log=$box/peers/flood.log
: >"$log"
peer flood flood "$flood_mb" "$log"
settings "$peer_port"
for i in $(seq "$flood_runs"); do
    start_program 127.0.0.1 "$peer_port"
    for _ in $(seq 1500); do [ "$(wc -l <"$log")" -ge "$i" ] && break; sleep 0.1; done
    stop_program
done
best=$(awk '$1 == "ok" {print $2}' "$log" | sort -n | head -1)
median=$(awk '$1 == "ok" {print $2}' "$log" | sort -n | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}')
row "${flood_mb} MB flood to IAC WONT 99: s (best/median)" "${best:-timeout}" "${median:-timeout}"

# ---- Option requests that are never read --------------------------------------------------
# The peer sends requests until the program stops taking them (its answers
# would otherwise pile up in the program's send queue); then memory.
log=$box/peers/negotiate.log
: >"$log"
peer negotiate negotiate "$negotiate_mb" "$log"
settings "$peer_port"
start_program 127.0.0.1 "$peer_port"
for _ in $(seq 1800); do [ -s "$log" ] && break; sleep 0.1; done
read -r state bytes <"$log" || { state=timeout; bytes=0; }
read -r rss pss < <(memory)
row "unread requests ($state, $((bytes >> 20)) MB): RSS / PSS (MB)" "$rss" "$pss"
stop_program

echo
printf '%-44s %12s %12s\n' "measure" "value" "value"
printf '%s\n' "${rows[@]}"
