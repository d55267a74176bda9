#!/usr/bin/env bash
# The running program's window socket under racing starts and hostile
# clients. The program runs on the offscreen platform (no display needed).
#  - races: WINDOW_RACE_ROUNDS rounds of 10 starts at the same moment; each
#    round must leave exactly one veilport running and the nine others ended
#    with status 0 (handed over).
#  - clients: one running veilport with WINDOW_IDLE_CLIENTS idle connections
#    and WINDOW_SLOW_CLIENTS sending a byte every 0.2 s; meanwhile each
#    "veilportctl anonymity status" must answer within 1 s.
source "$(dirname "$0")/../lib/common.sh"

VEILPORT="$SOAK_BUILD/veilport"
if [[ ! -x "$VEILPORT" ]]; then
    report "veilport was not built (UI off)" "exactly one instance per round" skip races
    report "veilport was not built (UI off)" "answers within 1 s" skip clients
    exit 0
fi
export QT_QPA_PLATFORM=offscreen
rounds=${WINDOW_RACE_ROUNDS:-3}

one_round() {
    local pids=() pid i running=0 handed=0 status
    for i in $(seq 10); do
        "$VEILPORT" >>"$SOAK_DIR/race.log" 2>&1 &
        pids+=("$!")
    done
    SOAK_PIDS+=("${pids[@]}")
    # The nine that hand over end by themselves; whatever still runs after
    # they have is an instance.
    wait_until 60 exited_but_one "${pids[@]}" || true
    for pid in "${pids[@]}"; do
        if alive "$pid"; then
            running=$((running + 1))
        else
            status=0
            wait "$pid" 2>/dev/null || status=$?
            ((status == 0)) && handed=$((handed + 1))
        fi
    done
    echo "$running $handed"
    for pid in "${pids[@]}"; do alive "$pid" && stop "$pid"; done
    return 0
}

exited_but_one() {
    local pid alive_count=0
    for pid in "$@"; do alive "$pid" && alive_count=$((alive_count + 1)); done
    ((alive_count <= 1))
}

good_rounds=0
for round in $(seq "$rounds"); do
    read -r running handed < <(one_round)
    echo "soak: race round $round: $running running, $handed handed over" >&2
    ((running == 1 && handed == 9)) && good_rounds=$((good_rounds + 1))
done
report "$good_rounds of $rounds rounds of 10 starts left exactly one instance" \
    "every round" "$(check "$good_rounds == $rounds")" races

start veilport "$VEILPORT"
veilport_pid=$LAST_PID
wait_until 30 "$VEILPORTCTL" anonymity status >/dev/null 2>&1 || true
socket="$XDG_RUNTIME_DIR/window-Veilport"
hold_s=${WINDOW_HOLD_S:-10}
start winclients "$SOAK_TOOLS/soak_winclients" --socket "$socket" \
    --idle "${WINDOW_IDLE_CLIENTS:-1000}" --slow "${WINDOW_SLOW_CLIENTS:-10}" \
    --slow-every-ms 200 --hold-s "$hold_s"
clients_pid=$LAST_PID
slowest=0
answered=0
asks=0
deadline=$((SECONDS + hold_s - 1))
while ((SECONDS < deadline)); do
    started=$(date +%s.%N)
    if "$VEILPORTCTL" anonymity status >/dev/null 2>&1; then answered=$((answered + 1)); fi
    took=$(awk "BEGIN { print $(date +%s.%N) - $started }")
    slowest=$(awk "BEGIN { print ($took > $slowest) ? $took : $slowest }")
    asks=$((asks + 1))
    sleep 0.5
done
wait "$clients_pid" || true
held="$(tail -n 1 "$SOAK_DIR/winclients.log")"
echo "soak: window clients: $held" >&2
report "$answered of $asks status asks answered, slowest $(printf '%.2f' "$slowest") s, beside $(field idle "$held") idle and $(field slow "$held") slow clients" \
    "every ask within 1 s" "$(check "$asks > 0 && $answered == $asks && $slowest < 1")" clients
report "veilport alive after the clients: $(alive "$veilport_pid" && echo yes || echo no)" \
    "alive" "$(alive "$veilport_pid"; echo $?)" alive
