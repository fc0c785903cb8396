#!/usr/bin/env bash
# The native kadra's RTF log and curve files on real runs: a full log with a picture per block
# size and the summary, a PNG per curve, a stopped run's log, a curve folder and a log name that
# cannot be written.
set -euo pipefail
kadra=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/kadra-log-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
ini=$dir/KADRA.INI
mkdir "$dir/logs" "$dir/png"
printf '[INIT]\nPOWERUSER=1\nLogPath=%s/logs\n' "$dir" > "$ini"
fail() { echo "FAIL: $*" >&2; exit 1; }
count() { grep -o -- "$1" "$2" | wc -l; }
# Width and height from a PNG file's header, as "436 416".
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3 * 256 + $4, $7 * 256 + $8}'; }

# A whole run: 8 block sizes in each of the 3 passes.
"$kadra" disk --dir "$dir" --size 4 --queue 0 --all-sizes --log --graph "$dir/png/c-" \
    --ini "$ini" --description "e2e log" > "$dir/out.txt" 2> "$dir/err.txt" ||
    fail "log run: $(cat "$dir/err.txt")"
[ ! -s "$dir/err.txt" ] || fail "messages: $(cat "$dir/err.txt")"
log="$dir/logs/kadra e2e log.rtf"
[ -f "$log" ] || fail "no log: $(ls "$dir/logs")"
[ "$(ls "$dir/logs" | wc -l)" -eq 1 ] || fail "files beside the log: $(ls "$dir/logs")"
[ "$(stat -c %s "$log")" -gt 50000 ] || fail "log too small: $(stat -c %s "$log")"
[ "$(count '\\pngblip' "$log")" -eq 25 ] || fail "pictures: $(count '\\pngblip' "$log")"
[ "$(count ' kB block, ' "$log")" -eq 24 ] || fail "headings: $(count ' kB block, ' "$log")"
grep -q '\\fs50 e2e log' "$log" || fail "title"
grep -q '2048 kB block, read random synchronous:' "$log" || fail "last heading"
grep -q 'SUMMARY' "$log" || fail "summary"
! grep -q 'STOPPED' "$log" || fail "a finished run marked as stopped"
[ "$(ls "$dir/png" | wc -l)" -eq 24 ] || fail "curve files: $(ls "$dir/png")"
for pass in "write linear" "read linear" "read random"; do
    for kb in 16 32 64 128 256 512 1024 2048; do
        png="$dir/png/c-$pass synchronous $kb kB.png"
        [ -f "$png" ] || fail "missing $png"
        [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "not a PNG: $png"
        [ "$(png_size "$png")" = "436 416" ] || fail "size of $png: $(png_size "$png")"
    done
done

# Curves into a folder that does not exist: a warning per curve, and the run goes on.
"$kadra" disk --dir "$dir" --size 4 --queue 0 --all-sizes --no-log --graph "$dir/none/c-" \
    --ini "$ini" > "$dir/out.txt" 2> "$dir/err.txt" || fail "run with unwritable curves failed"
[ "$(grep -c "^kadra: warning: curve not written to $dir/none/c-.* kB.png: No such file or directory\$" "$dir/err.txt")" -eq 24 ] ||
    fail "curve warnings: $(cat "$dir/err.txt")"
grep -q '^ 2048 |' "$dir/out.txt" || fail "results after unwritable curves: $(cat "$dir/out.txt")"

# A title the file system refuses as a name: the message, no log, the run goes on, and its exit
# status says that the log asked for is missing.
set +e
"$kadra" disk --dir "$dir" --size 4 --queue 0 --quick --log --ini "$ini" --description "a/b" \
    > "$dir/out.txt" 2> "$dir/err.txt"
status=$?
set -e
[ $status -eq 1 ] || fail "run without its log: status $status"
grep -q "^Logfile Error: Could not create logfile:\$" "$dir/err.txt" || fail "message: $(cat "$dir/err.txt")"
grep -qxF "$dir/logs/kadra a/b.rtf" "$dir/err.txt" || fail "message path: $(cat "$dir/err.txt")"
grep -q "^Please remove invalid characters (if any)\$" "$dir/err.txt" || fail "message end"
grep -q '^Disk: a/b$' "$dir/out.txt" || fail "results without a log: $(cat "$dir/out.txt")"
[ "$(ls "$dir/logs" | wc -l)" -eq 1 ] || fail "a file of the refused log: $(ls "$dir/logs")"

# Stopped (SIGINT) after its first curve: the partial log, marked, with the summary.
mkdir "$dir/stop"
"$kadra" disk --dir "$dir" --size 128 --queue 0 --all-sizes --log --graph "$dir/stop/" \
    --ini "$ini" --description stopped > "$dir/out.txt" 2> "$dir/err.txt" &
pid=$!
for _ in $(seq 1 400); do [ -n "$(ls "$dir/stop")" ] && break; sleep 0.05; done
set +e
kill -INT $pid
wait $pid
status=$?
set -e
[ $status -eq 130 ] || fail "stop status $status"
log="$dir/logs/kadra stopped.rtf"
[ -f "$log" ] || fail "no log of the stopped run: $(ls "$dir/logs")"
pictures=$(count '\\pngblip' "$log")
headings=$(count ' kB block, ' "$log")
[ "$headings" -ge 1 ] && [ "$headings" -lt 24 ] && [ "$pictures" -eq $((headings + 1)) ] ||
    fail "stopped log: $headings headings, $pictures pictures"
grep -q 'STOPPED' "$log" && grep -q 'SUMMARY' "$log" || fail "stopped log not marked"
[ "$(ls "$dir/logs" | wc -l)" -eq 2 ] || fail "files beside the logs: $(ls "$dir/logs")"

# A link at the log's name: a symbolic link and a hard link are replaced by the log, the files
# they name keep their content.
head -c 50000 /dev/urandom > "$dir/victim"
sum=$(sha256sum < "$dir/victim")
ln -s ../victim "$dir/logs/kadra soft.rtf"
ln "$dir/victim" "$dir/logs/kadra hard.rtf"
for title in soft hard; do
    "$kadra" disk --dir "$dir" --size 4 --queue 0 --quick --log --ini "$ini" --description $title \
        > /dev/null 2> "$dir/err.txt" || fail "log at a $title link: $(cat "$dir/err.txt")"
    log="$dir/logs/kadra $title.rtf"
    [ -f "$log" ] && [ ! -L "$log" ] && grep -q SUMMARY "$log" || fail "log at a $title link"
done
[ "$(sha256sum < "$dir/victim")" = "$sum" ] || fail "a log written through a link"

# The log's name is a file the run reads (here its KADRA.INI): refused before the run.
mkdir "$dir/own"
printf '[INIT]\nPOWERUSER=1\nLogPath=%s/own\n' "$dir" > "$dir/own/kadra own.rtf"
set +e
"$kadra" disk --dir "$dir" --size 4 --queue 0 --quick --log --ini "$dir/own/kadra own.rtf" \
    --description own > "$dir/out.txt" 2> "$dir/err.txt"
status=$?
set -e
[ $status -eq 2 ] || fail "log at the INI: status $status"
grep -qxF "kadra: the log $dir/own/kadra own.rtf: is a file this run reads or tests" "$dir/err.txt" ||
    fail "log at the INI: $(cat "$dir/err.txt")"
grep -q '^LogPath=' "$dir/own/kadra own.rtf" || fail "the INI replaced by the log"
[ ! -s "$dir/out.txt" ] || fail "a run started with the log at its INI"

# A log that does not fit on its disk (a full file system, as root): told, the run fails with
# status 1, nothing left beside the earlier file.
if [ "$(id -u)" = 0 ] && mkdir "$dir/small" && mount -t tmpfs -o size=256k tmpfs "$dir/small"; then
    trap 'umount "$dir/small" 2>/dev/null || true; rm -rf "$dir"' EXIT
    printf 'old' > "$dir/small/kadra full.rtf"
    head -c 2000000 /dev/zero > "$dir/small/filler" 2> /dev/null || true
    printf '[INIT]\nPOWERUSER=1\nLogPath=%s/small\n' "$dir" > "$dir/small.ini"
    set +e
    "$kadra" disk --dir "$dir" --size 4 --queue 0 --quick --log --ini "$dir/small.ini" \
        --description full > "$dir/out.txt" 2> "$dir/err.txt"
    status=$?
    set -e
    [ $status -eq 1 ] || fail "log on a full disk: status $status $(cat "$dir/err.txt")"
    grep -qxF "kadra: the log $dir/small/kadra full.rtf could not be written: No space left on device" \
        "$dir/err.txt" ||
        fail "log on a full disk: $(cat "$dir/err.txt")"
    [ "$(cat "$dir/small/kadra full.rtf")" = old ] || fail "the earlier log replaced by a part"
    [ "$(ls -A "$dir/small" | sort | tr '\n' ' ')" = "filler kadra full.rtf " ] ||
        fail "files left on the full disk: $(ls -A "$dir/small")"
    grep -q "^Disk: full$" "$dir/out.txt" || fail "results of the run on a full log disk"
    umount "$dir/small"
else
    echo "note: the log on a full disk is tested as root only"
fi
echo "kadra log end to end: ok"
