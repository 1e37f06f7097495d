#!/usr/bin/env bash
# Runs the small-disk tests of one test program with a 256 KB disk as its
# temporary directory: a tmpfs mounted in the build tree and given a drive
# letter in the Wine prefix. Where nothing can be mounted the tests skip.
#   small_disk.sh BUILD_DIR TEST_PROGRAM
set -u
build=$1 program=$2
disk="$build/smalldisk"
letter="$build/wineprefix/dosdevices/t:"
mkdir -p "$disk"
if mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null; then
  ln -sfn "$disk" "$letter"
  export QS_SMALL_DISK='T:\'
else
  echo "small_disk.sh: cannot mount a tmpfs here; the small-disk tests skip"
fi
"$build/wine-run.sh" "$program" --gtest_filter='SmallDisk.*'
rc=$?
rm -f "$letter"
mountpoint -q "$disk" && umount "$disk"
exit $rc
