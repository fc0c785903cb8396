#!/usr/bin/env bash
# The file test on a block device: a loop device over a scratch image is measured read-only
# with the same table as the image itself, and the disk and data tests refuse the device.
# Needs root and a free loop device; without them the test is skipped (exit 77).
set -euo pipefail
kadra=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/kadra-blk.XXXXXX")
device=
cleanup() {
    [ -z "$device" ] || losetup -d "$device" 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

image=$dir/disk.img
head -c 16777216 /dev/urandom > "$image"
if [ "$(id -u)" != 0 ] || ! device=$(losetup -f --show "$image" 2>/dev/null); then
    echo "skipped: no loop device can be attached here"
    exit 77
fi
before=$(sha256sum < "$device")
printf '[INIT]\nPOWERUSER=1\n' > "$dir/KADRA.INI"
run() { "$kadra" "$@" --ini "$dir/KADRA.INI" --no-log --all-sizes; }

# The table's shape: every line with the figures blanked.
shape() { sed -E 's/ *[0-9]+\.[0-9]/ N/g; s/^Disk: .*/Disk:/'; }
on_device=$(run file "$device" --queue 0)
on_image=$(run file "$image" --queue 0)
[ "$(shape <<<"$on_device")" = "$(shape <<<"$on_image")" ] ||
    fail "device and image tables differ in shape:"$'\n'"$on_device"$'\n'"$on_image"
grep -q '^16 MB file from/to main memory$' <<<"$on_device" || fail "device size: $on_device"
grep -q "^Disk: $(basename "$device")$" <<<"$on_device" || fail "device title: $on_device"

queued=$(run file "$device" --queue 8 --buffer-per-request)
grep -q '^a buffer of its own for every request$' <<<"$queued" || fail "queued: $queued"
grep -q '^ 2048 | *[0-9]*\.[0-9]  | *[0-9]*\.[0-9]  | $' <<<"$queued" || fail "queued row: $queued"

for command in disk data; do
    status=0
    message=$(run "$command" --dir "$device" --size 4 2>&1 >/dev/null) || status=$?
    [ "$status" = 2 ] || fail "$command on a device: exit $status"
    [[ $message == *"is a block device"* ]] || fail "$command on a device: $message"
done
[ "$(sha256sum < "$device")" = "$before" ] || fail "the device's data changed"
echo "ok: $device"
