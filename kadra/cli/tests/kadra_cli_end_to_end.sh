#!/usr/bin/env bash
# Short runs of the native kadra program on a scratch folder: the three tests, synchronous and
# queued, a stop by SIGINT, and the exit status of runs that cannot start.
set -euo pipefail
kadra=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/kadra-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
ini=$dir/KADRA.INI
printf '[INIT]\nPOWERUSER=1\n' > "$ini"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$kadra" disk --dir "$dir" --size 4 --queue 0 --all-sizes --ini "$ini" --description e2e)
grep -q '^Disk: e2e$' <<<"$out" || fail "disk header: $out"
grep -q '^ 2048 | *[0-9]*\.[0-9]  | *[0-9]*\.[0-9]  | *[0-9]*\.[0-9]$' <<<"$out" || fail "disk row: $out"
[[ $out != *$'\r'* ]] || fail "CR in output"
[ ! -e "$dir/KADRA.TMP" ] || fail "temporary file left"

out=$("$kadra" disk --dir "$dir" --size 4 --queue 10 --quick --buffered --ini "$ini")
grep -q 'async. access with command queue len 10' <<<"$out" || fail "queued disk: $out"

head -c 5000000 /dev/zero > "$dir/user.dat"
out=$("$kadra" file "$dir/user.dat" --queue 4 --all-sizes --ini "$ini")
grep -q '^Disk: user.dat$' <<<"$out" || fail "file test: $out"
grep -q '^4 MB file' <<<"$out" || fail "file size: $out"
[ -e "$dir/user.dat" ] || fail "user's file deleted"

out=$("$kadra" data --dir "$dir" --size 4 --ini "$ini")
[ "$out" = $'\nNo data errors found.' ] || fail "data test: $out"
[ ! -e "$dir/verify1.TMP" ] && [ ! -e "$dir/verify2.TMP" ] || fail "verify files left"

set +e
"$kadra" file "$dir/missing" --ini "$ini" > "$dir/out.txt"
status=$?
"$kadra" disk --dir "$dir" --size 99999999 --ini "$ini" > "$dir/full.txt"
full=$?
"$kadra" disk --dir "$dir" --size 64 --queue 0 --all-sizes --ini "$ini" > "$dir/stop.txt" &
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
echo "kadra end to end: ok"
