#!/usr/bin/env python3
"""Lists the DLLs that a MinGW-linked program delay-loads, with the functions it calls in each:
   delay_imports.py PROGRAM.exe
One line per DLL, "name.dll: Function, Function". Exits 1 when a called function has lost the
stub that its first call goes through (the linker drops the stub of a function that the code
calls straight through the import address table), which would crash that first call.

MinGW's linker leaves the delay-import directory of the PE header empty, so the descriptors are
found by their shape: attributes 1, RVAs that land in the image, an ASCII DLL name, zero tail."""

import re
import struct
import sys


def main(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
    image_base = struct.unpack_from("<Q" if wide else "<I", data, optional + (24 if wide else 28))[0]
    pointer = 8 if wide else 4
    sections = []
    for i in range(sections_count):
        at = optional + optional_size + 40 * i
        vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
        flags = struct.unpack_from("<I", data, at + 36)[0]
        sections.append((va, max(vsize, raw_size), raw, raw_size, flags))

    def offset(rva):
        for va, size, raw, raw_size, _ in sections:
            if va <= rva < va + size and rva - va < raw_size:
                return raw + rva - va
        return None

    def executable(rva):
        return any(va <= rva < va + size and flags & 0x20000000 for va, size, _, _, flags in sections)

    def text(rva):
        at = offset(rva)
        end = data.find(b"\0", at) if at is not None else -1
        return data[at:end].decode("ascii", "replace") if end > at else ""

    found, broken = {}, []
    for _, _, raw, raw_size, _ in sections:
        for at in range(raw, raw + raw_size - 32, 4):
            attrs, name, hmod, iat, names, bound, unload, stamp = struct.unpack_from("<8I", data, at)
            if attrs != 1 or bound or unload or stamp or None in (offset(name), offset(hmod), offset(iat), offset(names)):
                continue
            dll = text(name)
            if not re.fullmatch(r"[A-Za-z0-9_.-]+\.dll", dll, re.IGNORECASE):
                continue
            functions = []
            for i in range(4096):
                entry = struct.unpack_from("<Q" if wide else "<I", data, offset(names) + i * pointer)[0]
                if entry == 0:
                    break
                function = "#%d" % (entry & 0xFFFF) if entry >> (8 * pointer - 1) else text(entry + 2)
                stub = struct.unpack_from("<Q" if wide else "<I", data, offset(iat) + i * pointer)[0]
                if not stub or not executable(stub - image_base):
                    broken.append("%s!%s" % (dll.lower(), function))
                functions.append(function)
            found.setdefault(dll.lower(), []).extend(functions)
    for dll in sorted(found):
        print("%s: %s" % (dll, ", ".join(sorted(found[dll])) or "(no function)"))
    if broken:
        print("delay-loaded functions without their stub (the first call would crash): " + ", ".join(broken),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
