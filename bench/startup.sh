#!/usr/bin/env bash
# Time from starting veilport to its main window shown, and its resident
# memory once idle, on a private X server with a hermetic home.
#   bench/startup.sh [BUILD-DIR] [RUNS]
# Prints one line per run and the medians. Needs Xvfb and xdotool.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
program=$build/veilport
[[ -x $program ]] || { echo "startup: $program is missing; build it first" >&2; exit 1; }
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "startup: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
display_file=$work/display
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 200); do [[ -s $display_file ]] && break; sleep 0.05; done
export DISPLAY=:$(head -n1 "$display_file") QT_QPA_PLATFORM=xcb

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
times=() cpus=() rss=()
for run in $(seq "$runs"); do
    home=$work/home$run
    mkdir -p "$home/run" && chmod 700 "$home/run"
    # The list service host reaches nobody: start-up must not wait for it.
    start=$(date +%s%N)
    VEILPORT_HOME=$home/veilport HOME=$home XDG_CONFIG_HOME=$home/.config \
        XDG_RUNTIME_DIR=$home/run XDG_CACHE_HOME=$home/.cache "$program" &
    pid=$!
    # Polled without xdotool's own half-second wait between tries.
    until xdotool search --onlyvisible --name '^Veilport$' >/dev/null; do
        kill -0 $pid 2>/dev/null || { echo "startup: veilport ended before its window showed" >&2; exit 1; }
    done
    shown=$(( ($(date +%s%N) - start) / 1000000 ))
    # The processor time it took, which a busy machine does not inflate the
    # way it inflates the wall-clock time.
    ticks=$(awk '{print $14 + $15}' /proc/$pid/stat)
    cpu=$(( ticks * 1000 / $(getconf CLK_TCK) ))
    sleep 2
    kib=$(awk '/^VmRSS:/ {print $2}' /proc/$pid/status)
    kill -TERM $pid; wait $pid 2>/dev/null || true
    echo "run $run: window shown after $shown ms ($cpu ms of processor time), idle RSS $((kib / 1024)) MiB"
    times+=("$shown") cpus+=("$cpu") rss+=("$kib")
done
echo "median: window shown after $(printf '%s\n' "${times[@]}" | median) ms" \
     "($(printf '%s\n' "${cpus[@]}" | median) ms of processor time)," \
     "idle RSS $(( $(printf '%s\n' "${rss[@]}" | median) / 1024 )) MiB; load average $(cut -d' ' -f1 /proc/loadavg)"
