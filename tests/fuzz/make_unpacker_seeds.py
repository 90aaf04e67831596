#!/usr/bin/env python3
"""Writes the hand-made seeds of the unpacker fuzz target: archives whose names and link targets
are taken byte for byte (not valid UTF-8, links that lead out through other links or to a place
that does not exist)."""
import os, struct, sys, zlib

def write_zip(path, entries):
    """entries: (name bytes, data bytes, is_link); stored, in the order given."""
    files, directory = b"", b""
    for name, data, is_link in entries:
        crc = zlib.crc32(data)
        common = struct.pack("<HHHHHIIIHH", 20, 0, 0, 0, 0x21, crc, len(data), len(data), len(name), 0)
        mode = 0o120777 if is_link else 0o100644
        directory += struct.pack("<IH", 0x02014B50, 0x0314) + common \
            + struct.pack("<HHHII", 0, 0, 0, mode << 16, len(files)) + name
        files += struct.pack("<I", 0x04034B50) + common + name + data
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory), len(files), 0)
    with open(path, "wb") as out:
        out.write(files + directory + end)

plist = (b"Fuzz.vst/Contents/Info.plist", b"<plist/>", False)
seeds = {
    "name-not-utf8-ff82": [plist, (b"Fuzz.vst/\xff\x82", b"x", False)],
    "name-not-utf8-dot-af": [plist, (b".\xaf", b"x", False)],
    "link-target-not-utf8": [plist, (b"Fuzz.vst/Contents/L", b"(\xaf", True)],
    "name-overlong-slash": [plist, (b"Fuzz.vst/\xc0\xaf", b"x", False)],
    "link-out-through-link-to-dot": [plist, (b"Fuzz.vst/Contents/M", b".", True),
                                     (b"Fuzz.vst/Contents/Esc", b"M/M/../../..", True)],
    "link-out-then-link-to-dot": [plist, (b"Fuzz.vst/Contents/Esc", b"M/M/../../..", True),
                                  (b"Fuzz.vst/Contents/M", b".", True)],
    "link-to-root-through-dots": [plist, (b"Fuzz.vst/Contents/M", b".", True),
                                  (b"Fuzz.vst/Contents/Root", b"M/M/M/M/M/M/M/M/../../../../../../../../..", True)],
    "entry-through-link-up": [plist, (b"Fuzz.vst/L", b"..", True), (b"Fuzz.vst/L/escaped", b"x", False)],
    "dangling-link-out": [plist, (b"Fuzz.vst/Contents/L", b"../../x", True)],
}
folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "unpacker")
for name, entries in seeds.items():
    write_zip(os.path.join(folder, name + ".zip"), entries)
