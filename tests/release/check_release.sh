#!/usr/bin/env bash
# Two `./lorik package` runs of the commit checked out, each in a clone of its
# own at another path, give the same Lorik.exe and the same zip; and the zip
# holds what it promises: Lorik.exe as built and the user guide as README.txt
# (a byte-order mark, Windows line ends, the Japanese first), in sorted
# entries dated by the commit, under the version of res/version.h.
# Uncommitted changes are not part of it.
# Usage: tests/release/check_release.sh <work folder>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(rm -rf "${1:?work folder}" && mkdir -p "$1" && cd "$1" && pwd)
commit=$(git -C "$root" rev-parse HEAD)
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
  echo "note: uncommitted changes are left out; this checks $commit"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

first=$work/a
second=$work/another/clone/of/the/same/commit
for clone in "$first" "$second"; do
  git clone --quiet --no-checkout "$root" "$clone"
  git -C "$clone" checkout --quiet --detach "$commit"
  # The build's own lines only when it fails.
  (cd "$clone" && ./lorik package >"$clone.log" 2>&1) || { cat "$clone.log"; fail "./lorik package failed in $clone"; }
  grep '^lorik: ' "$clone.log"
done

zip=$(grep -o '[^ ]*/Lorik-[^ ]*-win64\.zip$' "$first.log")
for file in build/package/Lorik.exe "build/$(basename "$zip")"; do
  sha256sum "$first/$file" "$second/$file"
  cmp "$first/$file" "$second/$file" || fail "$file differs between the two builds"
done

python3 - "$zip" "$first/build/package/Lorik.exe" "$root/docs/guide.txt" "$root/res/version.h" \
  "$(git -C "$root" log -1 --format=%ct "$commit")" <<'PY' || fail "the zip does not hold what it promises"
import os, re, sys, time, zipfile
path, exe, guide, version_h, epoch = sys.argv[1:]
problems = []
version = ".".join(re.findall(r"#define LORIK_VERSION_(?:MAJOR|MINOR|PATCH|BUILD) (\d+)", open(version_h).read()))
if os.path.basename(path) != "Lorik-%s-win64.zip" % version:
    problems.append("named %s, version %s" % (os.path.basename(path), version))
archive = zipfile.ZipFile(path)
names = [i.filename for i in archive.infolist()]
if names != ["Lorik.exe", "README.txt"]:
    problems.append("entries %s" % names)
if archive.read("Lorik.exe") != open(exe, "rb").read():
    problems.append("Lorik.exe is not the one built")
readme = archive.read("README.txt")
text = open(guide, encoding="utf-8").read()
if readme != b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8"):
    problems.append("README.txt is not the guide with a byte-order mark and Windows line ends")
if not 0 <= text.find("■ Lorik とは") < text.find("■ What Lorik is for"):
    problems.append("the guide does not start in Japanese")
dated = time.gmtime(int(epoch))[:6]
dated = dated[:5] + (dated[5] // 2 * 2,)  # a zip keeps seconds in twos
for info in archive.infolist():
    if info.date_time != dated:
        problems.append("%s dated %s, not the commit's %s" % (info.filename, info.date_time, dated))
for problem in problems:
    print("zip: " + problem, file=sys.stderr)
print("zip: %s" % ", ".join("%s %d bytes" % (i.filename, i.file_size) for i in archive.infolist()))
sys.exit(1 if problems else 0)
PY
echo "PASS"
