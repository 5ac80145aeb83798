#!/usr/bin/env python3
"""Writes the release zip of Lorik for Windows users and prints its path.

    python3 tools/package.py <Lorik.exe> <guide.txt> <output folder>

The zip, Lorik-<version>-win64.zip, holds Lorik.exe and the user guide as
README.txt (UTF-8 with a byte-order mark and Windows line ends, which every
Notepad reads). The version is read from res/version.h, where it is kept.

Two runs on the same files give the same bytes: the entries are sorted, carry
no extra fields, and are all dated SOURCE_DATE_EPOCH (seconds since 1970, UTC;
1980-01-01, the earliest date a zip can hold, when it is not set). Standard
library only.
"""

import os
import re
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EARLIEST_ZIP_TIME = 315532800  # 1980-01-01 00:00:00 UTC


def version():
    parts = {}
    with open(os.path.join(ROOT, "res", "version.h"), encoding="utf-8") as f:
        for line in f:
            match = re.match(r"#define LORIK_VERSION_(MAJOR|MINOR|PATCH|BUILD) (\d+)$", line.strip())
            if match:
                parts[match.group(1)] = match.group(2)
    return ".".join(parts[p] for p in ("MAJOR", "MINOR", "PATCH", "BUILD"))


def entry_time():
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or EARLIEST_ZIP_TIME)
    return time.gmtime(max(epoch, EARLIEST_ZIP_TIME))[:6]


def windows_text(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return "\ufeff".encode("utf-8") + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    exe, guide, out = argv[1:]
    with open(exe, "rb") as f:
        # name: (bytes, Unix mode, which unzip on Linux and Wine's users see)
        entries = {"Lorik.exe": (f.read(), 0o755), "README.txt": (windows_text(guide), 0o644)}
    path = os.path.join(out, "Lorik-%s-win64.zip" % version())
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(entries):
            data, mode = entries[name]
            info = zipfile.ZipInfo(name, entry_time())
            info.compress_type = zipfile.ZIP_DEFLATED
            # Fixed, not this machine's: a plain file with that mode.
            info.create_system = 3
            info.external_attr = (0o100000 | mode) << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
