#!/usr/bin/env bash
# The native bexa and tvkdump on real files: links, a FIFO and a folder at -o and at --ids,
# /dev/zero as an ID file, a full standard output, a closed pipe, an output that is an input of
# the run, and stop signals at random moments while a listing is written.
#   bexa_cli_end_to_end.sh BEXA TVKDUMP DATA_FOLDER
set -euo pipefail
bexa=$1
tvkdump=$2
data=$3
dir=$(mktemp -d "${TMPDIR:-/tmp}/bexa-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
sum() { sha256sum < "$1" | cut -d' ' -f1; }
# No temporary file of the output-file component may stay behind.
no_temporaries() {
    local left
    left=$(find "$dir" -name '.*.tmp')
    [ -z "$left" ] || fail "temporary files left after $1: $left"
}
# Runs bexa with a time limit; sets status, out and err.
run() {
    status=0
    timeout 10 "$bexa" "$@" > "$dir/out" 2> "$dir/err" || status=$?
    out=$(cat "$dir/out")
    err=$(cat "$dir/err")
    [ "$status" != 124 ] || fail "bexa $* did not end within 10 s"
}
dump=$data/small_bus.lspci
ids=$data/small_bus_ids.txt
expected=$dir/expected.lis
"$bexa" list --registers --machine "$dump" --ids "$ids" > "$expected"
cmp -s "$expected" "$data/small_bus_registers.lis" || fail "reference listing differs"
cd "$dir"

# A hard link at -o: the new listing gets the name, the other name keeps the old content.
printf 'old listing\n' > old.lis
ln old.lis other.lis
before=$(sum other.lis)
run list --registers --machine "$dump" --ids "$ids" -o old.lis
[ "$status" = 0 ] || fail "hard link: exit $status: $err"
[ "$(sum other.lis)" = "$before" ] || fail "hard link: the other name was written through"
cmp -s old.lis "$expected" || fail "hard link: the listing is not in place"
[ "$(stat -c %h old.lis)" = 1 ] || fail "hard link: the listing is still linked"

# A symbolic link at -o: replaced by the listing, what it points to stays as it was.
printf 'keep me\n' > pointed.txt
ln -s pointed.txt link.lis
before=$(sum pointed.txt)
run list --registers --machine "$dump" --ids "$ids" -o link.lis
[ "$status" = 0 ] || fail "symlink: exit $status: $err"
[ "$(sum pointed.txt)" = "$before" ] || fail "symlink: written through the link"
[ ! -L link.lis ] && cmp -s link.lis "$expected" || fail "symlink: the listing is not in place"
# A dangling one too: nothing is created where it points.
ln -s missing-target dangling.lis
run list --machine "$dump" -o dangling.lis
[ "$status" = 0 ] && [ ! -L dangling.lis ] && [ ! -e missing-target ] ||
    fail "dangling symlink: exit $status, $(ls -l)"

# An existing listing keeps its permission bits.
printf 'x\n' > mode.lis
chmod 640 mode.lis
run list --machine "$dump" -o mode.lis
[ "$status" = 0 ] && [ "$(stat -c %a mode.lis)" = 640 ] || fail "mode: $(stat -c %a mode.lis)"
no_temporaries "the link cases"

# A FIFO and a folder at -o are refused at once; nothing is written into them.
mkfifo fifo.lis
mkdir folder.lis
for target in fifo.lis folder.lis; do
    run list --machine "$dump" -o "$target"
    [ "$status" = 1 ] || fail "-o $target: exit $status"
    [[ $err == "bexa: $target: "* ]] || fail "-o $target: $err"
    [ -z "$out" ] || fail "-o $target: output on stdout"
done
[ -p fifo.lis ] && [ -d folder.lis ] && [ -z "$(ls -A folder.lis)" ] || fail "-o targets changed"

# An output that is an input of the run: the ID file, the machine dump.
cp "$ids" ids.txt
cp "$dump" machine.lspci
ln ids.txt ids-link.txt
for target in ids.txt ids-link.txt machine.lspci; do
    run list --machine machine.lspci --ids ids.txt -o "$target"
    [ "$status" = 1 ] || fail "-o $target (an input): exit $status"
    [[ $err == *"is a file this run reads or tests"* ]] || fail "-o $target: $err"
done
cmp -s ids.txt "$ids" && cmp -s machine.lspci "$dump" || fail "an input was overwritten"
no_temporaries "the refused targets"

# ID files that are no regular files: refused at once, exit 2.
run list --machine "$dump" --ids /dev/zero
[ "$status" = 2 ] && [ "$err" = "bexa: /dev/zero: not a regular file" ] ||
    fail "--ids /dev/zero: exit $status: $err"
run list --machine "$dump" --ids /dev/urandom
[ "$status" = 2 ] || fail "--ids /dev/urandom: exit $status: $err"
mkfifo ids.fifo
run list --machine "$dump" --ids ids.fifo
[ "$status" = 2 ] && [ "$err" = "bexa: ids.fifo: not a regular file" ] ||
    fail "--ids FIFO: exit $status: $err"
mkdir ids.folder
run list --machine "$dump" --ids ids.folder
[ "$status" = 2 ] && [ "$err" = "bexa: ids.folder: is a folder" ] ||
    fail "--ids folder: exit $status: $err"
run list --machine "$dump" --ids missing.txt
[ "$status" = 1 ] && [[ $err == "bexa: cannot read ID file missing.txt: "* ]] ||
    fail "--ids missing: exit $status: $err"
truncate -s 17M huge.txt
run list --machine "$dump" --ids huge.txt
[ "$status" = 1 ] && [ "$err" = "bexa: ID file huge.txt: larger than 16 MiB" ] ||
    fail "--ids huge: exit $status: $err"
# The default pcidevs.txt: a FIFO there does not hold the program, a missing one says nothing.
mkdir default && cd default
run list --machine "$dump"
[ "$status" = 0 ] && [ -z "$err" ] || fail "no pcidevs.txt: exit $status: $err"
plain=$out
mkfifo pcidevs.txt
run list --machine "$dump"
[ "$status" = 0 ] && [ "$out" = "$plain" ] || fail "FIFO pcidevs.txt: exit $status: $err"
[ "$err" = "bexa: pcidevs.txt: not a regular file; names from the built-in tables" ] ||
    fail "FIFO pcidevs.txt: $err"
cd "$dir"

# A full standard output is an error, for every command and for tvkdump.
for command in "list --registers" memmap irq --help; do
    status=0
    # shellcheck disable=SC2086
    err=$(timeout 10 "$bexa" $command --machine "$dump" 2>&1 > /dev/full) || status=$?
    [ "$status" = 1 ] || fail "bexa $command >/dev/full: exit $status"
    [ "$err" = "bexa: standard output: No space left on device" ] ||
        fail "bexa $command >/dev/full: $err"
done
for arguments in "--machine $dump" --help; do
    status=0
    # shellcheck disable=SC2086
    err=$(timeout 10 "$tvkdump" $arguments 2>&1 > /dev/full) || status=$?
    [ "$status" = 1 ] || fail "tvkdump $arguments >/dev/full: exit $status"
    [ "$err" = "tvkdump: standard output: No space left on device" ] ||
        fail "tvkdump $arguments >/dev/full: $err"
done

# A pipe whose reader is gone: an error status and a message, not a death by SIGPIPE, and
# no file left. (The reader closes before the program starts, so every write fails.)
closed_pipe() {
    python3 - "$@" <<'EOF'
import os, subprocess, sys
r, w = os.pipe()
os.close(r)
p = subprocess.run(sys.argv[1:], stdout=w, stderr=subprocess.PIPE, timeout=10)
sys.stdout.write("%d %s" % (p.returncode, p.stderr.decode().strip()))
EOF
}
for program in "$bexa list --registers -n 64 --machine embedded" "$tvkdump --machine embedded"; do
    # shellcheck disable=SC2086
    result=$(closed_pipe $program)
    name=$(basename "${program%% *}")
    [ "$result" = "1 $name: standard output: Broken pipe" ] || fail "$name to a closed pipe: $result"
done
# | head -1: the listing (98 KB) fills the pipe before head ends, so a write may fail.
status=0
"$bexa" list --registers -n 64 --machine embedded 2> head.err | head -1 > head.txt || status=$?
[ "$status" = 0 ] || [ "$status" = 1 ] || fail "| head -1: exit $status"
[ "$status" = 0 ] || [ "$(cat head.err)" = "bexa: standard output: Broken pipe" ] ||
    fail "| head -1: $(cat head.err)"
[ "$(cat head.txt)" = "host CPU" ] || fail "| head -1: $(cat head.txt)"
no_temporaries "the pipes"

# Stop signals at random moments while listings are written: the listing is the old one or
# the whole new one, and no temporary file stays.
printf 'old\n' > stopped.lis
"$bexa" list --registers -n 64 --machine embedded > whole.lis
for i in $(seq 1 40); do
    "$bexa" list --registers -n 64 --machine embedded -o stopped.lis &
    pid=$!
    sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
    case $((i % 3)) in
        0) kill -INT "$pid" 2>/dev/null || true ;;
        1) kill -TERM "$pid" 2>/dev/null || true ;;
        2) kill -HUP "$pid" 2>/dev/null || true ;;
    esac
    wait "$pid" || true
    if ! cmp -s stopped.lis whole.lis; then
        [ "$(cat stopped.lis)" = old ] || fail "stop $i: a partial listing"
    fi
    no_temporaries "stop $i"
done
echo "ok"
