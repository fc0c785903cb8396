#!/usr/bin/env bash
# bexa list -o on a full disk: a small tmpfs is filled, then a listing that does not fit is
# written over an existing one and to a new name. The old listing must stay whole, no new file
# and no temporary file may be left, and bexa must say so and exit 1. Needs root to mount the
# tmpfs; without it the test is skipped (exit 77).
#   bexa_cli_full_disk_test.sh BEXA
set -euo pipefail
bexa=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/bexa-full.XXXXXX")
mounted=
cleanup() {
    [ -z "$mounted" ] || umount "$dir/disk" 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$dir/disk"
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=256k,nr_inodes=64 tmpfs "$dir/disk" 2>/dev/null
then
    echo "skipped: no tmpfs can be mounted here"
    exit 77
fi
mounted=1
disk=$dir/disk

# An existing listing, then the rest of the disk filled up to the last block.
"$bexa" list --machine embedded -o "$disk/old.lis"
before=$(sha256sum < "$disk/old.lis")
head -c 1M /dev/zero > "$disk/filler" 2>/dev/null || true
"$bexa" list --registers -n 64 --machine embedded > "$dir/whole.lis"
[ "$(stat -c %s "$dir/whole.lis")" -gt 8192 ] || fail "the listing is too small for the test"

for target in old.lis new.lis; do
    status=0
    err=$(timeout 10 "$bexa" list --registers -n 64 --machine embedded -o "$disk/$target" 2>&1) ||
        status=$?
    [ "$status" = 1 ] || fail "$target on a full disk: exit $status"
    [ "$err" = "bexa: $disk/$target: No space left on device" ] || fail "$target: $err"
done
[ "$(sha256sum < "$disk/old.lis")" = "$before" ] || fail "the old listing was changed"
[ ! -e "$disk/new.lis" ] || fail "a partial new listing was left"
left=$(find "$disk" -name '.*.tmp')
[ -z "$left" ] || fail "temporary files left: $left"

# With room again the same command writes the whole listing.
rm "$disk/filler"
"$bexa" list --registers -n 64 --machine embedded -o "$disk/old.lis"
cmp -s "$disk/old.lis" "$dir/whole.lis" || fail "the listing written with room differs"
echo "ok"
