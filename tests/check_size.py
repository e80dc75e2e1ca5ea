#!/usr/bin/env python3
"""Vorbel.exe stays within its size limit (400 KB on both builds).

check_size.py EXE RECORD [LIMIT_BYTES]
RECORD holds each build's sections as last recorded on purpose (tests/size_record.txt). Past
the limit, the check fails and names the section that grew most against that record, so that
whoever adds bytes sees where they went. Record anew (--record) when a feature earns its bytes.
"""
import struct
import sys

LIMIT = 400 * 1024
MACHINES = {0x14C: "x86", 0x8664: "x64"}


def sections(path):
    """The PE file's size and its sections' sizes on disk, by name."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        raise SystemExit(f"check_size: not a Windows program: {path}")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"check_size: no PE header in {path}")
    machine, count = struct.unpack_from("<HH", data, pe + 4)
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    sizes = {}
    for i in range(count):
        raw = data[table + 40 * i:table + 40 * i + 40]
        name = raw[:8].rstrip(b"\0").decode("ascii", "replace")
        sizes[name] = sizes.get(name, 0) + struct.unpack_from("<I", raw, 16)[0]
    if machine not in MACHINES or not sizes:
        raise SystemExit(f"check_size: no sections of a known machine in {path}")
    return MACHINES[machine], len(data), sizes


def read_record(path):
    record = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if len(line) == 3:
                record.setdefault(line[0], {})[line[1]] = int(line[2])
    return record


def write_record(path, arch, total, sizes):
    record = read_record(path)
    record[arch] = dict(sizes, total=total)
    with open(path, encoding="utf-8") as f:
        head = [line for line in f if line.startswith("#")]
    with open(path, "w", encoding="utf-8") as f:
        f.writelines(head)
        for a in sorted(record):
            for name, size in sorted(record[a].items()):
                f.write(f"{a} {name} {size}\n")


def main(argv):
    record_mode = "--record" in argv
    args = [a for a in argv if a != "--record"]
    if len(args) not in (2, 3):
        raise SystemExit(__doc__)
    exe, record_path = args[0], args[1]
    limit = int(args[2]) if len(args) == 3 else LIMIT
    arch, total, sizes = sections(exe)
    if record_mode:
        write_record(record_path, arch, total, sizes)
        print(f"check_size: recorded {arch}: {total} B")
        return 0
    recorded = read_record(record_path).get(arch)
    if not recorded:
        raise SystemExit(f"check_size: no {arch} figures in {record_path}")
    growth = sorted(((size - recorded.get(name, 0), name) for name, size in sizes.items()),
                    key=lambda g: (g[0], sizes[g[1]]), reverse=True)
    print(f"{arch} Vorbel.exe {total} B (limit {limit} B, recorded {recorded.get('total', 0)} B)")
    for delta, name in growth:
        print(f"  {name:8} {sizes[name]:8} B  {delta:+d} B against the record")
    if total > limit:
        delta, name = growth[0]
        print(f"check_size: {arch} Vorbel.exe is {total} B, over its limit of {limit} B; "
              f"{name} grew most ({delta:+d} B against {record_path})", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
