#!/usr/bin/env python3
"""Writes the seed inputs of the cabinet_reader fuzz target into fuzz/corpus/cabinet_reader/, and
each cabinet of them on its own into fuzz/corpus/cabinet_header/.

A cabinet_reader input is one byte of host behaviour (see fuzz/targets/cabinet_reader.cpp) followed
by a cabinet, or by the two parts of a set. Run it again after changing it; the output is
deterministic.
"""
import os
import struct
import zlib

STORED, MSZIP = 0, 1
FLAG_PREV, FLAG_NEXT, FLAG_RESERVE = 1, 2, 4
SET_ID = 0x4F52
DATE, TIME = 0x5A21, 0x6000
TWO_PARTS, SKIP_EVERY_OTHER = 0x01, 0x02


def checksum(data, seed=0):
    total = seed
    whole = len(data) // 4 * 4
    for (word,) in struct.iter_unpack("<I", data[:whole]):
        total ^= word
    tail = 0
    for byte in data[whole:]:  # most significant byte first
        tail = (tail << 8) | byte
    return total ^ tail


def text(size, seed):
    out = b""
    line = 0
    while len(out) < size:
        out += b"line %d of a setting that repeats itself (%d)\r\n" % (line, line * seed % 97)
        line += 1
    return out[:size]


def mszip_blocks(data):
    """(compressed, uncompressed size) per 32 KiB block; each block may refer to the one before."""
    blocks = []
    for at in range(0, len(data), 32768):
        history = data[max(0, at - 32768) : at]
        packer = zlib.compressobj(9, zlib.DEFLATED, -15, **({"zdict": history} if history else {}))
        chunk = data[at : at + 32768]
        blocks.append((b"CK" + packer.compress(chunk) + packer.flush(), len(chunk)))
    return blocks


def stored_blocks(data, size=32768):
    return [(data[at : at + size], len(data[at : at + size])) for at in range(0, len(data), size)]


def cabinet(folders, files, index=0, prev=None, next_=None, reserve=None, sums=False):
    """folders: [(compression, [(data, uncompressed size), ...])]; files: [(name, size, offset, folder, attribs)].
    A block with uncompressed size 0 goes on in the next part. reserve: (header, folder, data) sizes."""
    flags = (FLAG_PREV if prev else 0) | (FLAG_NEXT if next_ else 0) | (FLAG_RESERVE if reserve else 0)
    header_reserve, folder_reserve, data_reserve = reserve or (0, 0, 0)
    head = 36 + (4 + header_reserve if reserve else 0)
    names = b""
    for name in (prev, next_):
        if name:
            names += name.encode() + b"\0" + b"Disk\0"
    folders_at = head + len(names)
    files_at = folders_at + len(folders) * (8 + folder_reserve)
    records = b""
    for name, size, offset, folder, attribs in files:
        records += struct.pack("<IIHHHH", size, offset, folder, DATE, TIME, attribs) + name.encode() + b"\0"
    data = b""
    folder_records = b""
    at = files_at + len(records)
    for compression, blocks in folders:
        folder_records += struct.pack("<IHH", at + len(data), len(blocks), compression) + b"\xf0" * folder_reserve
        for payload, uncompressed in blocks:
            fields = struct.pack("<HH", len(payload), uncompressed) + b"\xd0" * data_reserve
            total = checksum(fields, checksum(payload)) if sums else 0
            data += struct.pack("<I", total) + fields + payload
    size = at + len(data)
    counts = (len(folders), len(files), flags, SET_ID, index)
    fixed = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, size, 0, files_at, 0, 3, 1, *counts)
    if reserve:
        fixed += struct.pack("<HBB", header_reserve, folder_reserve, data_reserve) + b"\xe0" * header_reserve
    return fixed + names + folder_records + records + data


def seeds():
    readme, table = text(300, 3), bytes(range(200))
    yield "stored-with-checksums", 0, cabinet(
        [(STORED, stored_blocks(readme + table, 256))],
        [("readme.txt", 300, 0, 0, 0x20), ("sub\\table.bin", 200, 300, 0, 0x21)],
        sums=True,
    )

    # Three MSZIP blocks; the middle file crosses from the first block into the second.
    settings = b"".join(b"[Section%d]\r\nName=Value %d\r\n" % (i % 50, i % 7) for i in range(3000))[:70000]
    yield "mszip-three-blocks", 0, cabinet(
        [(MSZIP, mszip_blocks(settings))],
        [("a.ini", 30000, 0, 0, 0x20), ("b.ini", 10000, 30000, 0, 0x60), ("c\u00e9.ini", 30000, 40000, 0, 0xA0)],
    )

    # Two folders, reserves in header, folder and data blocks; the host skips every second file.
    first, second = text(900, 7), text(5000, 11)
    yield "two-folders-reserve-skip", SKIP_EVERY_OTHER, cabinet(
        [(STORED, stored_blocks(first, 512)), (MSZIP, mszip_blocks(second))],
        [("one.txt", 400, 0, 0, 0x20), ("two.txt", 500, 400, 0, 0x20), ("three.txt", 5000, 0, 1, 0x20)],
        reserve=(6, 2, 3),
    )

    # A set of two parts: an MSZIP folder whose second block is split between them carries a file
    # on into the second part, which has a stored folder of its own.
    spanning = text(9000, 13)
    (block1,) = mszip_blocks(spanning[:5000])
    packer = zlib.compressobj(9, zlib.DEFLATED, -15, zdict=spanning[:5000])
    block2 = b"CK" + packer.compress(spanning[5000:]) + packer.flush()
    half = len(block2) // 2
    part1 = cabinet(
        [(MSZIP, [block1, (block2[:half], 0)])],
        [("head.txt", 3000, 0, 0, 0x20), ("span.txt", 6000, 3000, 0xFFFE, 0x20)],
        index=0,
        next_="Pack.002",
    )
    last = text(500, 17)
    part2 = cabinet(
        [(MSZIP, [(block2[half:], 4000)]), (STORED, stored_blocks(last))],
        [("span.txt", 6000, 3000, 0xFFFD, 0x20), ("last.txt", 500, 0, 1, 0x20)],
        index=1,
        prev="Pack.001",
    )
    yield "spanning-two-parts", TWO_PARTS, part1, part2

    # The second part goes on in the first, which records the higher number: reached only by the
    # copy call on the second part.
    first, second = text(400, 3), text(300, 5)
    later = cabinet([(STORED, stored_blocks(first))], [("a.txt", 400, 0, 0, 0x20)], index=1, prev="Pack.002")
    earlier = cabinet([(STORED, stored_blocks(second))], [("b.txt", 700, 0, 0xFFFE, 0x20)], index=0, next_="Pack.001")
    yield "second-part-goes-on-in-first", TWO_PARTS, later, earlier


def write(target, name, data):
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)
    print("%-15s %-30s %5d bytes" % (target, name, len(data)))


def main():
    for name, behaviour, *parts in seeds():
        write("cabinet_reader", name, bytes([behaviour]) + b"".join(parts))
        for number, part in enumerate(parts, 1):
            write("cabinet_header", name if len(parts) == 1 else "%s-%d" % (name, number), part)


if __name__ == "__main__":
    main()
