#!/usr/bin/env bash
# Short runs of the native kadra program on a scratch folder: the three tests, synchronous and
# queued, stops by SIGINT, SIGTERM and SIGHUP, links in the files' places, and the exit status of runs
# that cannot start. Runs pass --no-log: the log has a test of its own (kadra_log_end_to_end.sh).
# Then stops at random moments of short runs, and at chosen ones (with the stop injection
# library, LD_PRELOAD): each run ends completed (0) or stopped (130), and its log and result
# files, where they exist, say which and are whole.
#
#   kadra_cli_end_to_end.sh KADRA STOP_INJECTION_LIBRARY
set -euo pipefail
kadra=$1
injection=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/kadra-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
ini=$dir/KADRA.INI
printf '[INIT]\nPOWERUSER=1\n' > "$ini"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$kadra" disk --dir "$dir" --size 4 --queue 0 --all-sizes --no-log --ini "$ini" \
    --description e2e)
grep -q '^Disk: e2e$' <<<"$out" || fail "disk header: $out"
grep -q '^ 2048 | *[0-9]*\.[0-9]  | *[0-9]*\.[0-9]  | *[0-9]*\.[0-9]$' <<<"$out" || fail "disk row: $out"
[[ $out != *$'\r'* ]] || fail "CR in output"
[ ! -e "$dir/KADRA.TMP" ] || fail "temporary file left"

out=$("$kadra" disk --dir "$dir" --size 4 --queue 10 --quick --buffered --no-log --ini "$ini")
grep -q 'async. access with command queue len 10' <<<"$out" || fail "queued disk: $out"

head -c 5000000 /dev/zero > "$dir/user.dat"
out=$("$kadra" file "$dir/user.dat" --queue 4 --all-sizes --no-log --ini "$ini")
grep -q '^Disk: user.dat$' <<<"$out" || fail "file test: $out"
grep -q '^4 MB file' <<<"$out" || fail "file size: $out"
[ -e "$dir/user.dat" ] || fail "user's file deleted"

out=$("$kadra" data --dir "$dir" --size 4 --ini "$ini")
[ "$out" = $'\nNo data errors found.' ] || fail "data test: $out"
[ ! -e "$dir/verify1.TMP" ] && [ ! -e "$dir/verify2.TMP" ] || fail "verify files left"

set +e
"$kadra" file "$dir/missing" --ini "$ini" > "$dir/out.txt"
status=$?
"$kadra" disk --dir "$dir" --size 99999999 --no-log --ini "$ini" > "$dir/full.txt"
full=$?
"$kadra" disk --dir "$dir" --size 64 --queue 0 --all-sizes --no-log --ini "$ini" > "$dir/stop.txt" &
pid=$!
for _ in $(seq 1 100); do [ -e "$dir/KADRA.TMP" ] && break; sleep 0.05; done
kill -INT $pid
wait $pid
stopped=$?
set -e
[ $status -eq 2 ] && grep -q 'File not found or too small (min. 4 MB)' "$dir/out.txt" || fail "missing file: $status"
[ $full -eq 2 ] && grep -q "^only [0-9]* MB free on drive $dir !\$" "$dir/full.txt" || fail "free space: $full $(cat "$dir/full.txt")"
[ $stopped -eq 130 ] || fail "stop status $stopped"
[ ! -e "$dir/KADRA.TMP" ] || fail "temporary file left after the stop"
# A link in the temporary file's place: its target is never written, the link stays.
mkdir "$dir/w"
printf 'precious' > "$dir/victim.bin"
ln -s ../victim.bin "$dir/w/KADRA.TMP"
ln -s ../victim.bin "$dir/w/verify1.TMP"
set +e
out=$("$kadra" disk --dir "$dir/w" --size 4 --no-log --ini "$ini")
linked=$?
dout=$("$kadra" data --dir "$dir/w" --size 4 --ini "$ini")
dlinked=$?
set -e
[ "$(cat "$dir/victim.bin")" = precious ] || fail "link target written"
[ -L "$dir/w/KADRA.TMP" ] && [ -L "$dir/w/verify1.TMP" ] || fail "link removed"
[ $linked -eq 1 ] && grep -q "KADRA.TMP exists and is not a regular file: not touched" <<<"$out" ||
    fail "link refused: $linked $out"
[ $dlinked -eq 1 ] && grep -q "verify1.TMP exists and is not a regular file" <<<"$dout" ||
    fail "data test link refused: $dlinked $dout"
rm -r "$dir/w"

# SIGTERM and then SIGHUP (the terminal closed) during the data test: it stops at the next chunk
# and deletes both files.
"$kadra" data --dir "$dir" --size 256 --ini "$ini" > "$dir/data-stop.txt" &
pid=$!
for _ in $(seq 1 200); do [ -e "$dir/verify1.TMP" ] && break; sleep 0.05; done
set +e
kill -TERM $pid
kill -HUP $pid
wait $pid
dstopped=$?
set -e
[ $dstopped -eq 130 ] || fail "data test stop status $dstopped"
[ ! -e "$dir/verify1.TMP" ] && [ ! -e "$dir/verify2.TMP" ] || fail "verify files left after a stop"

# Bad values, missing folders and a missing INI file are told.
set +e
"$kadra" disk --dir "$dir" --queue abc --ini "$ini" 2> "$dir/err.txt"
badqueue=$?
"$kadra" disk --dir "$dir" --queue 99999999999 --ini "$ini" 2>> "$dir/err.txt"
bigqueue=$?
"$kadra" disk --dir "$dir/none" --size 4 --ini "$ini" > "$dir/none.txt" 2>> "$dir/err.txt"
nodir=$?
"$kadra" file "/$(printf 'p%.0s' $(seq 1 300))" --ini "$ini" 2>> "$dir/err.txt"
longpath=$?
"$kadra" data --dir "$dir" --size 4 --ini "$dir/missing.ini" > /dev/null 2> "$dir/warn.txt"
noini=$?
set -e
[ $badqueue -eq 2 ] && [ $bigqueue -eq 2 ] || fail "bad queue accepted: $badqueue $bigqueue"
grep -q -- '--queue needs a number from 0 to 39, not "99999999999"' "$dir/err.txt" ||
    fail "queue message: $(cat "$dir/err.txt")"
[ $nodir -eq 2 ] && grep -q "$dir/none: No such file or directory" "$dir/err.txt" ||
    fail "missing folder: $nodir $(cat "$dir/err.txt")"
[ ! -s "$dir/none.txt" ] || fail "a pass ran on a missing folder"
[ $longpath -eq 2 ] && grep -q 'path too long' "$dir/err.txt" || fail "long path: $longpath"
[ $noini -eq 0 ] && grep -q "warning: $dir/missing.ini does not exist" "$dir/warn.txt" ||
    fail "missing INI: $noini $(cat "$dir/warn.txt")"

# Stops at random moments: before the run, in it, as it deletes its files, as its results are
# written. After each: 0 or 130, no test file or temporary file left, and the log and the JSON
# and CSV results, where they exist, whole and saying what the exit status says.
loop=$dir/loop
mkdir "$loop" "$loop/run"
printf '[INIT]\nPOWERUSER=1\nLogPath=%s\n' "$loop" > "$loop/KADRA.INI"
mkdir "$loop/seen"
seen=0
# check_stop STATUS WHAT: the files of the run that ended with STATUS. Its JSON is kept as
# seen/<n>.<STATUS>.json, for check_seen.
check_stop() {
    local rc=$1 what=$2 left rows
    [ "$rc" -eq 0 ] || [ "$rc" -eq 130 ] || fail "$what: exit status $rc: $(cat "$loop/err.txt")"
    left=$(find "$loop" -name '*.tmp' -o -name KADRA.TMP -o -name 'verify*.TMP')
    [ -z "$left" ] || fail "$what (status $rc): files left: $left"
    if [ -e "$loop/r.json" ]; then
        seen=$((seen + 1))
        cp "$loop/r.json" "$loop/seen/$seen.$rc.json"
        [ -e "$loop/r.csv" ] || fail "$what: the JSON without the CSV"
        rows=$(tail -n +2 "$loop/r.csv" | cut -d, -f1 | sort -u)
        [ "$rows" = "$([ "$rc" -eq 0 ] && echo completed || echo stopped)" ] ||
            fail "$what: CSV states $rows with status $rc"
    elif [ "$rc" -eq 0 ] && [ -e "$loop/disk" ]; then
        fail "$what: a completed disk run without its results"
    fi
    if [ -e "$loop/kadra loop.rtf" ]; then
        [ "$(tail -c 8 "$loop/kadra loop.rtf" | tr -d '\r\n' | tail -c 1)" = '}' ] ||
            fail "$what: the log is not whole"
        if grep -q STOPPED "$loop/kadra loop.rtf"; then
            [ "$rc" -eq 130 ] || fail "$what: the log says STOPPED, the status $rc"
        else
            [ "$rc" -eq 0 ] || fail "$what: a log without STOPPED, the status $rc"
        fi
    fi
}
# Every JSON kept parses and says completed for status 0, stopped for 130 (one python3 for
# all: it is slow to start).
check_seen() {
    python3 -c '
import glob, json, os, sys
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.json"))):
    status = path.rsplit(".", 2)[1]
    state = json.load(open(path))["state"]
    if state != {"0": "completed", "130": "stopped"}[status]:
        sys.exit(f"{path}: state {state} with exit status {status}")
' "$loop/seen" || fail "results of the stopped runs"
}
signals=(INT TERM HUP)
for i in $(seq 1 30); do
    rm -f "$loop/r.json" "$loop/r.csv" "$loop/kadra loop.rtf" "$loop/disk"
    signal=${signals[RANDOM % 3]}
    delay=$(printf '0.%03d' $((RANDOM % 300)))
    if [ $((i % 5)) -eq 0 ]; then
        "$kadra" data --dir "$loop/run" --size 4 --ini "$loop/KADRA.INI" > /dev/null 2> "$loop/err.txt" &
    else
        # Every other disk run with its log (which takes the longest to write).
        touch "$loop/disk"
        "$kadra" disk --dir "$loop/run" --size 4 --quick --buffered \
            "$([ $((i % 2)) -eq 1 ] && echo --log || echo --no-log)" --description loop \
            --ini "$loop/KADRA.INI" --json "$loop/r.json" --csv "$loop/r.csv" \
            > /dev/null 2> "$loop/err.txt" &
    fi
    pid=$!
    # The delay counts from the moment the program catches the stop signals (SigCgt holds
    # SIGHUP, SIGINT and SIGTERM): before it, the process is still being loaded.
    for _ in $(seq 1 400); do
        mask=$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2> /dev/null) || break
        [ -n "$mask" ] || break
        [ $((0x$mask & 0x4003)) -eq $((0x4003)) ] && break
        sleep 0.005
    done
    sleep "$delay"
    kill -"$signal" $pid 2> /dev/null || true
    set +e
    wait $pid
    rc=$?
    set -e
    check_stop $rc "run $i (SIG$signal after ${delay}s)"
done

check_seen
[ $seen -ge 5 ] || fail "only $seen of the runs left results"

# Stops at chosen moments. The sanitizers' runtime wants to come first; here the library does.
# inject SIGNAL AT: a disk run with a log and results, stopped by SIGNAL at the moment AT.
inject() {
    rm -f "$loop/r.json" "$loop/r.csv" "$loop/kadra loop.rtf"
    touch "$loop/disk"
    set +e
    ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=$injection KADRA_STOP_SIGNAL=$1 \
        KADRA_STOP_AT=$2 "$kadra" disk --dir "$loop/run" --size 4 --quick --buffered --log \
        --description loop --ini "$loop/KADRA.INI" --json "$loop/r.json" --csv "$loop/r.csv" \
        > /dev/null 2> "$loop/err.txt"
    rc=$?
    set -e
}
# Right after the test file is deleted: the run had measured everything, and is stopped.
inject INT unlink:/KADRA.TMP
[ $rc -eq 130 ] || fail "a stop as the test file is deleted: status $rc"
check_stop $rc "a stop as the test file is deleted"
grep -q STOPPED "$loop/kadra loop.rtf" || fail "no log of a stop as the test file is deleted"
# As the JSON results are put in place: the outcome is decided, the stop comes too late.
inject HUP rename:/.r.json.
[ $rc -eq 0 ] || fail "SIGHUP as the results are put in place: status $rc"
check_stop $rc "SIGHUP as the results are put in place"
# As the first temporary result file is created, before the run: it ends and leaves nothing.
inject TERM open:/.r.json.
[ $rc -eq 130 ] || fail "SIGTERM before the run: status $rc"
[ -z "$(ls -A "$loop/run")" ] && [ ! -e "$loop/r.json" ] && [ ! -e "$loop/r.csv" ] &&
    [ ! -e "$loop/kadra loop.rtf" ] || fail "files of a run stopped before it started"
check_stop $rc "SIGTERM before the run"
check_seen
echo "kadra end to end: ok"
