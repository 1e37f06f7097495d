#!/usr/bin/env bash
# Drives one built source through the acquisition tool with every transfer
# mechanism, against the simulated scanner, without the dialog. ImageMagick's
# identify must read each BMP with the size the area and resolution give
# (1.01 × 0.5 inch at 100 dpi: 101 × 50 pixels, so that every row needs
# padding; black and white comes in whole bytes of the scanner's line, 104
# pixels), the file size must match the depth, and the mechanisms must
# deliver the same pixels.
#
#   e2e_transfers.sh BUILD_DIR NAME transfers   each mechanism, three modes
#   e2e_transfers.sh BUILD_DIR NAME feeder      every page of a loaded feeder
#
# The simulator's model comes from QS_SIM_CONFIG (set by CTest); the feeder
# run adds its feeder to it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
name=$2
what=${3:-transfers}
work=$(mktemp -d "$build/e2e-$name.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# run TAG WANTED_EXIT tool options...: runs the tool, prints its key lines.
run() {
  local tag=$1 want=$2
  shift 2
  local rc=0
  "$here/../acquire.sh" -B "$build" "$name" --showui 0 --timeout 60 --auto-answer "$@" \
    >"$work/$tag.log" 2>&1 || rc=$?
  grep -E '^(negotiated|imageinfo|transfer|bmp|pendingxfers|error|msgbox|result):' \
    "$work/$tag.log" | sed "s/^/[$tag] /"
  if [ "$rc" != "$want" ]; then
    cat "$work/$tag.log"
    fail "$tag: exit $rc, expected $want"
  fi
}

# check FILE WIDTH HEIGHT BYTES: identify reads it with that size; the file
# has the bytes its depth needs (headers, palette, rows padded to 4 bytes).
check() {
  local file=$1 width=$2 height=$3 bytes=$4
  [ -f "$file" ] || fail "$file not written"
  local got
  got=$(identify -format '%w %h' "$file") || fail "identify cannot read $file"
  [ "$got" = "$width $height" ] || fail "$file is $got, expected $width $height"
  local size
  size=$(stat -c %s "$file")
  [ "$size" = "$bytes" ] || fail "$file has $size bytes, expected $bytes"
  echo "ok: $(basename "$file") $got $size bytes"
}

same() {
  local diff
  diff=$(compare -metric AE "$1" "$2" null: 2>&1) || fail "$1 and $2 differ ($diff pixels)"
  echo "ok: $(basename "$1") = $(basename "$2")"
}

area=(--area 1,1,2.01,1.5 --resolution 100)
w=101 h=50 grey_width=101 bw_width=104
# Row strides: colour 303 -> 304, grey 101 -> 104, black and white 13 -> 16.
colour_bytes=$((54 + 304 * h)) grey_bytes=$((54 + 1024 + 104 * h)) bw_bytes=$((54 + 8 + 16 * h))

if [ "$what" = feeder ]; then
  # The simulator's feeder holds two pages: both come, then no more pending.
  export QS_SIM_CONFIG="${QS_SIM_CONFIG:-model=QS71B0};feeder=loaded;feeder_pages=2"
  run feeder 0 --source feeder --pages all --xfer memory --mode grey "${area[@]}" \
    --out "$work/page.bmp"
  check "$work/page-1.bmp" $w $h $grey_bytes
  check "$work/page-2.bmp" $w $h $grey_bytes
  [ ! -e "$work/page-3.bmp" ] || fail "a third page from a feeder of two"
  grep -q '^pendingxfers: MSG_ENDXFER Count=0' "$work/feeder.log" || fail "no end of pages"
  # Without paper the feeder is refused before the source is enabled.
  QS_SIM_CONFIG="$QS_SIM_CONFIG;feeder=empty" run empty 7 --source feeder "${area[@]}"
  exit 0
fi

run native 0 --xfer native --mode colour "${area[@]}" --out "$work/native.bmp"
run memory 0 --xfer memory --mode colour "${area[@]}" --out "$work/memory.bmp"
run file 0 --xfer file --mode colour "${area[@]}" --out "$work/file.bmp"
check "$work/native.bmp" $w $h $colour_bytes
check "$work/memory.bmp" $w $h $colour_bytes
check "$work/file.bmp" $w $h $colour_bytes
same "$work/native.bmp" "$work/memory.bmp"
same "$work/native.bmp" "$work/file.bmp"

# Grey and black and white, strips in a handle of a few rows each.
for mode in grey bw; do
  run "$mode-native" 0 --xfer native --mode $mode "${area[@]}" --out "$work/$mode-native.bmp"
  run "$mode-memory" 0 --xfer memory --mem handle --buffer 256 --mode $mode "${area[@]}" \
    --out "$work/$mode-memory.bmp"
  bytes_var=${mode}_bytes width_var=${mode}_width
  check "$work/$mode-native.bmp" ${!width_var} $h ${!bytes_var}
  check "$work/$mode-memory.bmp" ${!width_var} $h ${!bytes_var}
  same "$work/$mode-native.bmp" "$work/$mode-memory.bmp"
done

# A buffer of exactly one row is refused by the source: a clear failure.
run small 8 --xfer memory --buffer 303 --mode colour "${area[@]}" --out "$work/small.bmp"
grep -q '^error: the source cancelled the memory transfer' "$work/small.log" ||
  fail "the cancelled transfer was not reported"
[ ! -e "$work/small.bmp" ] || fail "a cancelled transfer left a file"
echo "ok: all transfers of $name"
