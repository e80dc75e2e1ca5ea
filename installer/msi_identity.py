#!/usr/bin/python3
"""The identifiers and dates of an MSI package, derived so that one commit builds the same bytes.

  msi_identity.py product-code ARCH VERSION   prints the product code of that version
  msi_identity.py seal MSI EPOCH              sets the package's dates and its package code

wixl draws a new product code, a new package code and the build's time into every package. The
product code here follows the version (a new version is a new product, which the major upgrade
replaces); the package code follows the package's own bytes, so that two different packages never
share one; both dates are EPOCH (seconds since 1970).
"""
import hashlib
import struct
import sys
import uuid

import olefile

SUMMARY = "\x05SummaryInformation"
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
PLACEHOLDER = "{00000000-0000-0000-0000-000000000000}"


def guid(data):
    return "{%s}" % str(uuid.UUID(bytes=hashlib.sha256(data).digest()[:16], version=5)).upper()


def properties(stream):
    """Offsets of each property's value in the summary stream, by property id."""
    (section,) = struct.unpack_from("<I", stream, 44)
    _, count = struct.unpack_from("<II", stream, section)
    found = {}
    for i in range(count):
        pid, offset = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        (vt,) = struct.unpack_from("<I", stream, section + offset)
        found[pid] = (vt & 0xFFFF, section + offset + 4)
    return found


def set_summary(path, revision, filetime):
    ole = olefile.OleFileIO(path, write_mode=True)
    stream = bytearray(ole.openstream(SUMMARY).read())
    found = properties(stream)
    vt, at = found[PID_REVNUMBER]
    (size,) = struct.unpack_from("<I", stream, at)
    text = revision.encode("ascii") + b"\0"
    if vt != VT_LPSTR or size != len(text):
        sys.exit(f"{path}: unexpected revision number (type {vt}, {size} bytes)")
    stream[at + 4 : at + 4 + size] = text
    for pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM):
        vt, at = found[pid]
        if vt != VT_FILETIME:
            sys.exit(f"{path}: property {pid} is not a date (type {vt})")
        struct.pack_into("<Q", stream, at, filetime)
    ole.write_stream(SUMMARY, bytes(stream))
    ole.close()


def main():
    if sys.argv[1:2] == ["product-code"] and len(sys.argv) == 4:
        print(guid(f"Vorbel product {sys.argv[2]} {sys.argv[3]}".encode()))
    elif sys.argv[1:2] == ["seal"] and len(sys.argv) == 4:
        path, epoch = sys.argv[2], int(sys.argv[3])
        filetime = (epoch + 11644473600) * 10_000_000
        # The package code is taken over the bytes with a fixed one in its place.
        set_summary(path, PLACEHOLDER, filetime)
        with open(path, "rb") as f:
            code = guid(f.read())
        set_summary(path, code, filetime)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
