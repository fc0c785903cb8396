#!/usr/bin/env bash
# The results for scripts of the native kadra program, end to end: real short disk tests with
# --json and --csv, the JSON validated against docs/kadra-results.schema.json and its averages
# compared with the printed table; standard output for the JSON alone; result paths that cannot
# be written; runs that stop or do not start; no progress line off a terminal.
#
#   kadra_cli_results_end_to_end.sh KADRA SCHEMA
set -euo pipefail
kadra=$(readlink -f "$1")
schema=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/kadra-results-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
python3 -c 'import jsonschema' 2>/dev/null || fail "python3-jsonschema is missing (tools/setup.sh)"

# A power user's synchronous run of a product whose four block sizes all run: the report then
# shows the recording usage and, above 0 %, a verdict.
ini=$dir/KADRA.INI
cat > "$ini" <<'EOF'
[INIT]
POWERUSER=1
[PRODUCT0]
NAME=E2E, "quoted"
VIDEO_READ_RATE=50
VIDEO_WRITE_RATE=50
AUDIO_READ_RATE=5
AUDIO_WRITE_RATE=5
VIDEO_READ_STREAMS=1
VIDEO_WRITE_STREAMS=1
AUDIO_READ_STREAMS=1
AUDIO_WRITE_STREAMS=1
VIDEO_READ_BLOCKSIZE=256
VIDEO_WRITE_BLOCKSIZE=256
AUDIO_READ_BLOCKSIZE=64
AUDIO_WRITE_BLOCKSIZE=64
[PRODUCT1]
NAME=E2E big blocks
VIDEO_READ_BLOCKSIZE=2048
VIDEO_WRITE_BLOCKSIZE=2048
AUDIO_READ_BLOCKSIZE=1024
AUDIO_WRITE_BLOCKSIZE=1024
EOF
run=$dir/run
mkdir "$run"

# Checks a result file: valid against the schema, in the state given, its settings and its
# finished blocks as the table printed in `table` shows them, the CSV (when given) the same.
#   check JSON STATE TABLE [CSV [PRODUCT]]
check() {
    python3 - "$schema" "$1" "$2" "$3" "${4:-}" "${5:-E2E, \"quoted\"}" <<'EOF'
import csv, json, math, re, sys
from jsonschema import Draft202012Validator

schema_path, json_path, state, table_path, csv_path, product = sys.argv[1:7]
schema = json.load(open(schema_path))
Draft202012Validator.check_schema(schema)
doc = json.load(open(json_path))
errors = sorted(Draft202012Validator(schema).iter_errors(doc), key=str)
if errors:
    sys.exit("schema: " + "; ".join(f"{list(e.path)}: {e.message}" for e in errors[:5]))
if doc["state"] != state:
    sys.exit(f"state {doc['state']}, not {state}")
s = doc["settings"]
assert s["command"] == "disk" and s["queueLength"] == 0 and s["caching"] is False, s
assert s["product"]["name"] == product, s["product"]
assert s["path"].endswith("/KADRA.TMP") and s["sizeMB"] >= 4, s

# The printed table: one row per block size, the columns read linear, read random, write linear.
table = open(table_path).read()
cells = {}
for line in table.splitlines():
    if not re.match(r"^ *\d+ \|", line):
        continue
    parts = line.split("|")
    kb = int(parts[0])
    for column, text in zip(("read linear", "read random", "write linear"), parts[1:]):
        if text.strip():
            cells[(column, kb)] = text.strip()

def table_form(v):
    # As the report prints it: whole part and first decimal, both truncated.
    return f"{math.trunc(v)}.{math.trunc(v * 10) - 10 * math.trunc(v)}"

finished = [b for b in doc["blocks"] if b["finished"]]
seen = set()
for b in finished:
    key = (b["pass"].rsplit(" ", 1)[0], b["blockSize"] // 1024)
    seen.add(key)
    if cells.get(key) != table_form(b["averageMBps"]):
        sys.exit(f"{key}: JSON {b['averageMBps']} against the table's {cells.get(key)}")
    assert b["averageBytesPerSecond"] == b["averageMBps"] * 1048000, b
    assert len(b["points"]) >= 1 and b["pointCount"] >= 1, b
    assert b["minMBps"] <= b["maxMBps"], b
if seen != set(cells):
    sys.exit(f"table cells without a finished block or back: {set(cells) ^ seen}")
if state == "completed":
    assert len(finished) == 24 and len(doc["blocks"]) == 24, len(doc["blocks"])
    assert all(cells.get(("write linear", kb)) for kb in (16, 2048)), cells
    usage = re.search(r"Disk average usage: RECORD (\d+)%", table)
    assert usage and doc.get("usage") == {"record": int(usage.group(1))}, (doc.get("usage"), usage)
    # A verdict needs a usage above 0 %, which a disk of many GB/s may not reach.
    if doc["usage"]["record"] != 0:
        assert doc["verdict"] in table.splitlines(), doc.get("verdict")
    else:
        assert "verdict" not in doc and "Disk ok" not in table, doc
else:
    # Stopped in a block size (left unfinished) or between two (the later passes left out).
    assert len(finished) < 24, len(finished)
    assert "usage" not in doc and "verdict" not in doc, doc
assert doc["report"].strip() == table.strip(), "report differs from the printed results"

if csv_path:
    with open(csv_path, newline="") as f:
        rows = list(csv.DictReader(f))
    assert len(rows) == len(doc["blocks"]), (len(rows), len(doc["blocks"]))
    for row, b in zip(rows, doc["blocks"]):
        assert row["state"] == state and row["product"] == product, row
        assert row["pass"] == b["pass"] and int(row["block_size"]) == b["blockSize"], row
        assert row["finished"] == ("1" if b["finished"] else "0"), row
        if b["finished"]:
            assert float(row["average_mbps"]) == b["averageMBps"], row
            assert float(row["sx_mbps"]) == b["sxMBps"], row
        assert int(row["hangs"]) == b["hangs"] and int(row["points_plotted"]) == len(b["points"])
EOF
}

# A whole run: files and table agree; the results go to files, the table to standard output,
# and standard error (a file, not a terminal) gets no progress line.
"$kadra" disk --dir "$run" --size 4 --queue 0 --all-sizes --no-log --ini "$ini" \
    --json "$dir/r.json" --csv "$dir/r.csv" > "$dir/table.txt" 2> "$dir/err.txt" ||
    fail "disk run: $? $(cat "$dir/err.txt")"
check "$dir/r.json" completed "$dir/table.txt" "$dir/r.csv" || fail "results of a whole run"
[ ! -s "$dir/err.txt" ] || fail "standard error of a run off a terminal: $(cat -A "$dir/err.txt")"
[ -z "$(ls -A "$run")" ] || fail "files left in the run folder: $(ls -A "$run")"
[ -z "$(ls -A "$dir" | grep '\.tmp$' || true)" ] || fail "temporary result files left"

# --json -: standard output holds the JSON alone, the table goes to standard error.
"$kadra" disk --dir "$run" --size 4 --queue 0 --all-sizes --no-log --ini "$ini" --json - \
    > "$dir/stdout.json" 2> "$dir/stderr.txt" || fail "disk run with --json -: $?"
check "$dir/stdout.json" completed "$dir/stderr.txt" || fail "results on standard output"
grep -q '^Block | Read Lin' "$dir/stderr.txt" || fail "no table on standard error"
"$kadra" disk --dir "$run" --size 4 --quick --no-log --ini "$ini" --csv - 2> /dev/null |
    head -1 | grep -q '^state,command,title,product,' || fail "CSV header on standard output"

# Result paths that cannot be written: told before the run, exit status 2, nothing created.
set +e
"$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" --json "$dir/missing/r.json" \
    > "$dir/out.txt" 2> "$dir/bad.txt"
nofolder=$?
"$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" --csv "$dir/r.json/r.csv" \
    > /dev/null 2>> "$dir/bad.txt"
notfolder=$?
"$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" --json "$run" > /dev/null 2>> "$dir/bad.txt"
isfolder=$?
"$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" --json - --csv - > /dev/null 2>> "$dir/bad.txt"
bothout=$?
"$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" --json "$dir/same" --csv "$dir/./same" \
    > /dev/null 2>> "$dir/bad.txt"
same=$?
set -e
[ $nofolder -eq 2 ] && [ $notfolder -eq 2 ] && [ $isfolder -eq 2 ] && [ $bothout -eq 2 ] &&
    [ $same -eq 2 ] || fail "bad result paths: $nofolder $notfolder $isfolder $bothout $same"
grep -q -- "--json $dir/missing/r.json: No such file or directory" "$dir/bad.txt" &&
    grep -q -- "--csv $dir/r.json/r.csv: Not a directory" "$dir/bad.txt" &&
    grep -q -- "--json $run: is a folder" "$dir/bad.txt" &&
    grep -q -- "--json and --csv cannot both write to standard output" "$dir/bad.txt" &&
    grep -q -- "--json and --csv name the same file: $dir/same" "$dir/bad.txt" ||
    fail "messages: $(cat "$dir/bad.txt")"
[ ! -s "$dir/out.txt" ] || fail "a run started: $(cat "$dir/out.txt")"
[ -z "$(ls -A "$run")" ] || fail "files created in the run folder: $(ls -A "$run")"
[ ! -e "$dir/same" ] || fail "a result file of a run that did not start"

# A run that does not start (too little free space) leaves no result file.
set +e
"$kadra" disk --dir "$run" --size 99999999 --no-log --ini "$ini" --json "$dir/none.json" \
    --csv "$dir/none.csv" > /dev/null
full=$?
set -e
[ $full -eq 2 ] || fail "free space status $full"
[ ! -e "$dir/none.json" ] && [ ! -e "$dir/none.csv" ] || fail "result files of a run that did not start"
[ -z "$(ls -A "$dir" | grep '\.tmp$' || true)" ] || fail "temporary result files left"

# A failed run (a link in the test file's place is refused): files marked failed, the reason
# in the report.
mkdir "$dir/linked"
ln -s ../KADRA.INI "$dir/linked/KADRA.TMP"
set +e
"$kadra" disk --dir "$dir/linked" --size 4 --queue 0 --no-log --ini "$ini" --json "$dir/failed.json" \
    > "$dir/failed.txt"
failed=$?
set -e
[ $failed -eq 1 ] || fail "failed run status $failed"
check "$dir/failed.json" failed "$dir/failed.txt" || fail "results of a failed run"
grep -q '"report":"[^"]*KADRA.TMP exists and is not a regular file' "$dir/failed.json" ||
    fail "no reason in the failed run's report"

# A stopped run: exit status 130 and both files marked stopped, the finished blocks in them.
# Large blocks of a large file: the stop comes after a block size or two on most machines, so
# that the files hold finished and unfinished ones.
"$kadra" disk --dir "$run" --size 512 --queue 0 --quick --product 1 --no-log --ini "$ini" \
    --json "$dir/stop.json" --csv "$dir/stop.csv" > "$dir/stop.txt" 2> /dev/null &
pid=$!
for _ in $(seq 1 200); do [ -e "$run/KADRA.TMP" ] && break; sleep 0.05; done
sleep 0.5
set +e
kill -INT $pid
wait $pid
stopped=$?
set -e
[ $stopped -eq 130 ] || fail "stop status $stopped"
check "$dir/stop.json" stopped "$dir/stop.txt" "$dir/stop.csv" "E2E big blocks" ||
    fail "results of a stopped run"
[ -z "$(ls -A "$run")" ] || fail "files left after the stop: $(ls -A "$run")"

# A link at every output name: a symbolic link and a hard link at the JSON, the CSV and a curve
# name. Each is replaced by the output; the file it names keeps its content.
out=$dir/linked-out
mkdir "$out"
head -c 100000 /dev/urandom > "$dir/victim-s"
head -c 100000 /dev/urandom > "$dir/victim-h"
sums=$(sha256sum "$dir/victim-s" "$dir/victim-h")
curve="$out/c-write linear synchronous 64 kB.png"
ln -s ../victim-s "$out/s.json"
ln "$dir/victim-h" "$out/h.json"
ln -s ../victim-s "$out/s.csv"
ln "$dir/victim-h" "$out/h.csv"
ln -s ../victim-s "$curve"
ln "$dir/victim-h" "$out/c-read linear synchronous 64 kB.png"
"$kadra" disk --dir "$run" --size 4 --queue 0 --quick --no-log --ini "$ini" --graph "$out/c-" \
    --json "$out/s.json" --csv "$out/h.csv" > "$dir/table.txt" 2> "$dir/err.txt" ||
    fail "run with links at its outputs: $(cat "$dir/err.txt")"
"$kadra" disk --dir "$run" --size 4 --queue 0 --quick --no-log --ini "$ini" \
    --json "$out/h.json" --csv "$out/s.csv" > "$dir/table2.txt" 2>> "$dir/err.txt" ||
    fail "second run with links at its outputs: $(cat "$dir/err.txt")"
[ "$(sha256sum "$dir/victim-s" "$dir/victim-h")" = "$sums" ] || fail "a file written through a link"
# whole JSON CSV: both complete results of a completed run, one CSV row per block of the JSON.
whole() {
    python3 -c '
import csv, json, sys
doc = json.load(open(sys.argv[1]))
rows = list(csv.DictReader(open(sys.argv[2], newline="")))
assert doc["state"] == "completed" and doc["blocks"], doc["state"]
assert len(rows) == len(doc["blocks"]) and {r["state"] for r in rows} == {"completed"}, rows
' "$1" "$2"
}
whole "$out/s.json" "$out/h.csv" || fail "results at the links"
whole "$out/h.json" "$out/s.csv" || fail "results at the links (2)"
for f in "$out/s.json" "$out/s.csv" "$curve"; do
    [ -f "$f" ] && [ ! -L "$f" ] || fail "the link at $f is not replaced by the output"
done
for f in "$curve" "$out/c-read linear synchronous 64 kB.png"; do
    [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "not a PNG: $f"
done
[ ! -s "$dir/err.txt" ] || fail "messages: $(cat "$dir/err.txt")"
[ -z "$(ls -A "$out" | grep '\.tmp$' || true)" ] || fail "temporary files left: $(ls -A "$out")"

# A FIFO at a curve name is refused at once with a warning (nothing waits for a reader); the
# run's other files are written.
rm -f "$curve"
mkfifo "$curve"
set +e
timeout 120 "$kadra" disk --dir "$run" --size 4 --queue 0 --quick --no-log --ini "$ini" \
    --graph "$out/c-" --json "$out/fifo.json" > /dev/null 2> "$dir/err.txt"
fifo=$?
set -e
[ $fifo -eq 0 ] || fail "run with a FIFO at a curve name: status $fifo $(cat "$dir/err.txt")"
[ -p "$curve" ] || fail "the FIFO was replaced"
grep -qxF "kadra: warning: curve not written to $curve: not a regular file" "$dir/err.txt" ||
    fail "FIFO warning: $(cat "$dir/err.txt")"
[ -f "$out/fifo.json" ] || fail "results of the run with a FIFO at a curve name"

# No output may be a file the run reads or tests, by any of its names: refused before the run
# (exit status 2, the path named), the file untouched.
prot=$dir/protected
mkdir "$prot"
head -c 5000000 /dev/urandom > "$prot/victim.img"
ln "$prot/victim.img" "$prot/other-name.img"
ln -s victim.img "$prot/link.img"
cp "$ini" "$prot/KADRA.INI"
sums=$(sha256sum "$prot/victim.img" "$prot/KADRA.INI")
# refused WHAT PATH ARGS...: kadra ARGS ends with status 2 and names PATH as a file of the run.
refused() {
    local what=$1 path=$2 status
    shift 2
    set +e
    "$kadra" "$@" > "$dir/out.txt" 2> "$dir/err.txt"
    status=$?
    set -e
    [ $status -eq 2 ] || fail "$what: status $status $(cat "$dir/err.txt")"
    grep -qF "$path: is a file this run reads or tests" "$dir/err.txt" ||
        fail "$what: message $(cat "$dir/err.txt")"
    [ ! -s "$dir/out.txt" ] || fail "$what: a run started"
}
refused "--json at the tested file" "$prot/victim.img" file "$prot/victim.img" --no-log \
    --ini "$ini" --json "$prot/victim.img"
refused "--csv at a hard link of it" "$prot/other-name.img" file "$prot/link.img" --no-log \
    --ini "$ini" --csv "$prot/other-name.img"
refused "--json at the INI" "$prot/KADRA.INI" file "$prot/victim.img" --no-log \
    --ini "$prot/KADRA.INI" --json "$prot/KADRA.INI"
refused "--json at the disk test's file" "$run/KADRA.TMP" disk --dir "$run" --size 4 --no-log \
    --ini "$ini" --json "$run/KADRA.TMP"
ln "$prot/victim.img" "$prot/read linear synchronous 64 kB.png"
refused "--graph at the tested file" "$prot/read linear synchronous 64 kB.png" \
    file "$prot/read linear synchronous 64 kB.png" --no-log --ini "$ini" --graph "$prot/"
refused "--graph at a hard link of the tested file" "$prot/read linear synchronous 64 kB.png" \
    file "$prot/victim.img" --no-log --ini "$ini" --graph "$prot/"
# Without --graph a file with a curve's name is a file like any other.
(cd "$prot" && "$kadra" file "read linear synchronous 64 kB.png" --queue 0 --quick --no-log \
    --ini "$ini" > /dev/null 2> "$dir/err.txt") || fail "a file with a curve's name: $(cat "$dir/err.txt")"
[ "$(sha256sum "$prot/victim.img" "$prot/KADRA.INI")" = "$sums" ] || fail "a protected file written"
[ -z "$(ls -A "$prot" | grep '\.tmp$' || true)" ] || fail "temporary files left: $(ls -A "$prot")"
[ -z "$(ls -A "$run")" ] || fail "files left in the run folder: $(ls -A "$run")"

# An empty path is refused before the run; so is a result that cannot reach standard output
# after it (a full disk, a closed pipe), which fails the run.
for option in --json --csv --graph; do
    set +e
    "$kadra" disk --dir "$run" --size 4 --no-log --ini "$ini" $option "" > "$dir/out.txt" 2> "$dir/err.txt"
    status=$?
    set -e
    [ $status -eq 2 ] && grep -q -- "option $option needs a path, not an empty text" "$dir/err.txt" ||
        fail "empty $option: $status $(cat "$dir/err.txt")"
    [ ! -s "$dir/out.txt" ] || fail "empty $option: a run started"
done
set +e
"$kadra" disk --dir "$run" --size 4 --quick --no-log --ini "$ini" > /dev/full 2> "$dir/err.txt"
full=$?
"$kadra" disk --dir "$run" --size 4 --quick --no-log --ini "$ini" --json - > /dev/full 2> "$dir/err2.txt"
fulljson=$?
"$kadra" --help > /dev/full 2> "$dir/err3.txt"
fullhelp=$?
"$kadra" disk --dir "$run" --size 4 --quick --no-log --ini "$ini" --json "$out/p.json" 2> "$dir/err4.txt" |
    true
piped=${PIPESTATUS[0]}
set -e
[ $full -eq 1 ] && grep -qx "kadra: standard output: No space left on device" "$dir/err.txt" ||
    fail "results to a full disk: $full $(cat "$dir/err.txt")"
[ $fulljson -eq 1 ] && grep -qx "kadra: --json standard output: No space left on device" "$dir/err2.txt" ||
    fail "JSON to a full disk: $fulljson $(cat "$dir/err2.txt")"
[ $fullhelp -eq 2 ] && grep -qx "kadra: standard output: No space left on device" "$dir/err3.txt" ||
    fail "help to a full disk: $fullhelp $(cat "$dir/err3.txt")"
[ $piped -eq 1 ] && grep -qx "kadra: standard output: Broken pipe" "$dir/err4.txt" ||
    fail "results to a closed pipe: $piped $(cat "$dir/err4.txt")"
python3 -c 'import json, sys; assert json.load(open(sys.argv[1]))["state"] == "completed"' \
    "$out/p.json" || fail "the JSON of the run with a closed pipe"
[ -z "$(ls -A "$out" | grep '\.tmp$' || true)" ] || fail "temporary files left: $(ls -A "$out")"
[ -z "$(ls -A "$run")" ] || fail "files left in the run folder: $(ls -A "$run")"
echo "kadra results end to end: ok"
