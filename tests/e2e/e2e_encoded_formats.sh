#!/usr/bin/env bash
# The encoder's files of every format and bit depth, read back by an independent
# decoder (ImageMagick): format, size, and for the lossless formats the colour of
# each quadrant. Usage: e2e_encoded_formats.sh <build dir>; DISPLAY is set by the caller.
set -u
build=$(cd "${1:?build dir}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$build/tests/test_pipeline_adapters.exe
[ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }

out=$(mktemp -d /tmp/lorik_encoded.XXXXXX)
trap 'rm -rf "$out"' EXIT
windir=$("$root/cmake/wine-run" winepath -w "$out" 2>/dev/null | tr -d '\r')
[ -n "$windir" ] || { echo "winepath failed for $out" >&2; exit 1; }

if ! LORIK_ENCODED_DIR=$windir "$root/cmake/wine-run" "$exe" \
    --gtest_filter='EncoderFilesTest.*' >"$out/run.log" 2>&1; then
  cat "$out/run.log" >&2
  echo "FAIL: the encoder test program failed" >&2
  exit 1
fi

# The picture: 61 by 37, red top left, green top right, blue bottom left,
# yellow bottom right (see test_pipeline_adapters.cpp).
probes='%[pixel:p{3,3}] %[pixel:p{57,3}] %[pixel:p{3,33}] %[pixel:p{57,33}]'
colours='srgb(255,0,0) srgb(0,255,0) srgb(0,0,255) srgb(255,255,0)'

failures=0
check() {  # file, expected format, lossless?
  local file=$1 want=$2 lossless=$3 got pixels
  if [ ! -s "$file" ]; then
    echo "FAIL $(basename "$file"): missing or empty"
    failures=$((failures + 1))
    return
  fi
  got=$(identify -format '%m %w %h' "$file[0]" 2>&1)
  if [ "$got" != "$want 61 37" ]; then
    echo "FAIL $(basename "$file"): identify says '$got', want '$want 61 37'"
    failures=$((failures + 1))
    return
  fi
  if [ "$lossless" = yes ]; then
    pixels=$(convert "$file[0]" -format "$probes" info: 2>&1)
    if [ "$pixels" != "$colours" ]; then
      echo "FAIL $(basename "$file"): quadrant colours '$pixels', want '$colours'"
      failures=$((failures + 1))
      return
    fi
  fi
  echo "ok   $(basename "$file"): $got"
}

for bits in 24 32; do
  check "$out/picture$bits.bmp" BMP3 yes
  check "$out/picture$bits.gif" GIF yes
  check "$out/picture$bits.jpg" JPEG no
  check "$out/picture$bits.png" PNG yes
  check "$out/picture$bits.tif" TIFF yes
done

if [ "$failures" -ne 0 ]; then
  echo "$failures encoded file(s) wrong" >&2
  exit 1
fi
echo "all encoded files decode correctly"
