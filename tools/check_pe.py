#!/usr/bin/env python3
"""Checks what Windows will make of a 64-bit Windows program before it runs.

    python3 tools/check_pe.py <program.exe>

Reads the PE headers and the import tables (ordinary and delay-loaded) and
refuses the program, with one line per reason and exit code 1, when

- it imports a DLL that is not in KNOWN_DLLS: Windows looks for any other DLL
  in the program's own folder first, and Lorik.exe is run from downloads
  folders; such DLLs are loaded at run time from System32 instead;
- it is not a GUI program, or lacks ASLR with high entropy (and the base
  relocations it needs) or DEP;
- its header carries a time stamp, which would make two builds of one commit
  differ.

On success it prints the imports and exits 0; exit code 2 means the file is
no 64-bit PE image. Standard library only.
"""

import struct
import sys

# The known DLLs that Windows 10 and 11 share (the values of the registry key
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs, without
# the WOW64 and emulation entries), and ntdll, which every process has before
# anything is searched. Windows loads these from System32 whatever the search
# order. gdiplus is left out: the program loads it at run time in any case.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll",
    "gdi32.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll",
    "ws2_32.dll",
}

MACHINE_AMD64 = 0x8664
PE32_PLUS = 0x20B
SUBSYSTEM_WINDOWS_GUI = 2
RELOCS_STRIPPED = 0x0001
HIGH_ENTROPY_VA = 0x0020
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
DIRECTORY_IMPORT = 1
DIRECTORY_BASERELOC = 5
DIRECTORY_DELAY_IMPORT = 13


class NotAnImage(Exception):
    pass


class Image:
    """The parts of a PE32+ image that the checks read."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise NotAnImage("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise NotAnImage("no PE signature")
        (self.machine, sections, self.time_stamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        if self.machine != MACHINE_AMD64 or self.u16(optional) != PE32_PLUS:
            raise NotAnImage("not a 64-bit image")
        self.subsystem = self.u16(optional + 68)
        self.dll_characteristics = self.u16(optional + 70)
        directory_count = self.u32(optional + 108)
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_at, raw_size))

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for start, size, raw_at, raw_size in self.sections:
            if start <= rva < start + size and rva - start < raw_size:
                return raw_at + rva - start
        raise NotAnImage("address 0x%x lies in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self, index, entry_size, name_field):
        """The DLL names of an import table: entries of entry_size bytes with
        the name's address at name_field, up to an empty entry."""
        rva, size = self.directory(index)
        names = []
        if rva == 0 or size == 0:
            return names
        at = self.offset(rva)
        while True:
            entry = self.data[at:at + entry_size]
            if len(entry) < entry_size or not any(entry):
                return names
            names.append(self.text(struct.unpack_from("<I", entry, name_field)[0]))
            at += entry_size


def problems(image):
    found = []
    imports = image.imported_dlls(DIRECTORY_IMPORT, 20, 12)
    delayed = image.imported_dlls(DIRECTORY_DELAY_IMPORT, 32, 4)
    for name in imports + delayed:
        if name.lower() not in KNOWN_DLLS:
            found.append("imports %s, which is not among the known DLLs it may import" % name)
    if image.subsystem != SUBSYSTEM_WINDOWS_GUI:
        found.append("subsystem %d instead of the GUI (2)" % image.subsystem)
    if not image.dll_characteristics & DYNAMIC_BASE:
        found.append("no ASLR (DYNAMIC_BASE)")
    if not image.dll_characteristics & HIGH_ENTROPY_VA:
        found.append("no high-entropy ASLR (HIGH_ENTROPY_VA)")
    if image.characteristics & RELOCS_STRIPPED or image.directory(DIRECTORY_BASERELOC)[1] == 0:
        found.append("no base relocations, which ASLR needs")
    if not image.dll_characteristics & NX_COMPAT:
        found.append("no DEP (NX_COMPAT)")
    if image.time_stamp != 0:
        found.append("a time stamp in the header (0x%08x)" % image.time_stamp)
    return found, imports, delayed


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    path = argv[1]
    try:
        with open(path, "rb") as f:
            image = Image(f.read())
        found, imports, delayed = problems(image)
    except (OSError, NotAnImage, struct.error, ValueError) as error:
        print("%s: not a 64-bit Windows image: %s" % (path, error), file=sys.stderr)
        return 2
    if found:
        for problem in found:
            print("%s: refused: %s" % (path, problem), file=sys.stderr)
        return 1
    print("%s: imports %s%s; GUI, ASLR with high entropy, DEP, no time stamp" % (
        path, ", ".join(imports) or "nothing",
        " (delay-loaded: %s)" % ", ".join(delayed) if delayed else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
