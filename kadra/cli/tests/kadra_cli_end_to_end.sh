#!/usr/bin/env bash
# Short runs of the native kadra program on a scratch folder: the three tests, synchronous and
# queued, stops by SIGINT, SIGTERM and SIGHUP, links in the files' places, and the exit status of runs
# that cannot start. Runs pass --no-log: the log has a test of its own (kadra_log_end_to_end.sh).
set -euo pipefail
kadra=$1
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
echo "kadra end to end: ok"
