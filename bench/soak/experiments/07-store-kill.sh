#!/usr/bin/env bash
# The settings store under kill -9: writer processes, each storing value after
# value with `veilportctl reg set` and noting every write the command
# acknowledged, are killed (the whole process group, SIGKILL) at random
# moments, several at a time. Afterwards the store must pass SQLite's
# integrity check, open without complaint, and hold every acknowledged write.
source "$(dirname "$0")/../lib/common.sh"

key='HKLM\Software\SoakStore'
acks="$SOAK_DIR/acks"
: >"$acks"
"$VEILPORTCTL" reg set "$key\\Created" --dword 1 >/dev/null

# One writer: DWORD and text values in turn, an acknowledgement line after each
# write that veilportctl reported done. Bounded: 500 writes at most.
writer='
    n=$1; key=$2; acks=$3; ctl=$4
    for ((j = 1; j <= 500; j++)); do
        if ((j % 2)); then
            "$ctl" reg set "$key\\w${n}v$j" --dword $((n * 1000 + j)) >/dev/null 2>&1 &&
                printf "w%sv%s\tREG_DWORD\t%s\n" $n $j $((n * 1000 + j)) >>"$acks"
        else
            "$ctl" reg set "$key\\w${n}v$j" --string "text $n $j" >/dev/null 2>&1 &&
                printf "w%sv%s\tREG_SZ\ttext %s %s\n" $n $j $n $j >>"$acks"
        fi
    done'

# A slot runs its share of the writers one after another, each killed after a
# random 0-999 ms: in the middle of a write as often as between two.
slot() {
    local n pid=""
    # Stopped early, a slot takes its running writer down with it.
    trap '[[ -n "$pid" ]] && kill -KILL -- "-$pid" 2>/dev/null; exit 1' TERM
    for ((n = $1; n < STORE_WRITERS; n += STORE_PARALLEL)); do
        setsid bash -c "$writer" writer "$n" "$key" "$acks" "$VEILPORTCTL" &
        pid=$!
        sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
        kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
for ((s = 0; s < STORE_PARALLEL; s++)); do
    slot "$s" &
    SOAK_PIDS+=("$!")
done
wait

listing="$SOAK_DIR/listing"
list_status=0
"$VEILPORTCTL" reg list "$key" >"$listing" 2>"$SOAK_DIR/list.err" || list_status=$?
acknowledged=$(wc -l <"$acks")
missing=$(awk -F'\t' 'NR == FNR { stored[$1] = $2 "\t" $3; next }
    stored[$1] != $2 "\t" $3 { bad++ }
    END { print bad + 0 }' "$listing" "$acks")
integrity="$(sqlite3 "$VEILPORT_HOME/registry.db" 'PRAGMA integrity_check;' 2>&1 | head -n 3 | tr '\n' ' ')"
integrity="${integrity% }"
complaints=$(wc -l <"$SOAK_DIR/list.err")
sed 's/^/soak: /' "$SOAK_DIR/list.err" >&2

report "$STORE_WRITERS writers killed, $acknowledged writes acknowledged, $missing missing; integrity: $integrity" \
    "integrity ok; every acknowledged write readable" \
    "$(check "$list_status == 0 && $complaints == 0 && $acknowledged > 0 && $missing == 0 && \"$integrity\" == \"ok\"")"
