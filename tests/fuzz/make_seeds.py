#!/usr/bin/python3
"""Cuts the fuzz targets' seed inputs from the authored test discs.

    tests/fuzz/make_seeds.py DISCS_DIR [CORPUS_DIR]

DISCS_DIR is the output of tests/fixtures/make_discs.sh; CORPUS_DIR defaults to
tests/fuzz/corpus. Seeds are named seed-*; inputs kept from fuzzing runs (crash-*,
timeout-*, found-*) are left alone.
"""
import os
import struct
import sys

discs = sys.argv[1]
corpus = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "corpus")
PACK = 2048


def write(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def vob(disc, name="VTS_01_1.VOB"):
    with open(os.path.join(discs, disc, "VIDEO_TS", name), "rb") as f:
        return f.read()


def packets(data):
    """(stream id, sub-stream id or None, payload) of every PES packet of each pack."""
    for at in range(0, len(data) - PACK + 1, PACK):
        pack = data[at:at + PACK]
        if pack[:4] != b"\x00\x00\x01\xba":
            continue
        p = 14 + (pack[13] & 7)
        while p + 6 <= PACK and pack[p:p + 3] == b"\x00\x00\x01":
            sid = pack[p + 3]
            length = struct.unpack(">H", pack[p + 4:p + 6])[0]
            body = pack[p + 6:p + 6 + length]
            p += 6 + length
            if sid in (0xBB, 0xBE, 0xBF):
                continue
            header = 3 + body[2]
            payload = body[header:]
            if sid == 0xBD and payload:
                yield sid, payload[0], payload[1:]
            else:
                yield sid, None, payload


def framed16(chunks):
    return b"".join(struct.pack(">H", len(c)) + c for c in chunks)


for disc in ("ntsc_menu", "pal_wide"):
    data = vob(disc)
    # Demultiplexer: single packs of each kind met first.
    kinds = {}
    for at in range(0, min(len(data), 400 * PACK), PACK):
        pack = data[at:at + PACK]
        p = 14 + (pack[13] & 7)
        sid = pack[p + 3]
        key = (sid, pack[p + 6 + 3 + pack[p + 8]] if sid == 0xBD else None)
        kinds.setdefault(key, pack)
    for (sid, sub), pack in kinds.items():
        write("fuzz_demux", "%s-%02x%s" % (disc, sid, "" if sub is None else "-%02x" % sub), pack)

    video, ac3, mpa, spu = [], [], [], []
    for sid, sub, payload in packets(data[:600 * PACK]):
        if sid == 0xE0:
            video.append(payload)
        elif sid == 0xBD and sub is not None and 0x80 <= sub <= 0x87:
            ac3.append(payload[3:])  # frame count and first access unit pointer
        elif sid == 0xC0 or sid == 0xC1:
            mpa.append(payload)
        elif sid == 0xBD and sub is not None and 0x20 <= sub <= 0x3F:
            spu.append(payload)
    # Decoders: the kind byte, then 16-bit framed packets.
    write("fuzz_decode", disc + "-video", b"\x00" + framed16(video[:40]))
    write("fuzz_decode", disc + "-ac3", b"\x01" + framed16(ac3[:20]))
    if mpa:
        write("fuzz_decode", disc + "-mpeg", b"\x02" + framed16(mpa[:20]))
    lpcm = b"".join(struct.pack(">H", 1600 + 3) + b"\x00\x00\x01" + bytes(range(256)) * 6 + bytes(64) for _ in range(4))
    write("fuzz_decode", "lpcm-48k-16bit", b"\x03" + lpcm)
    # Subpictures: 7-bit length bytes (top bit: a time) and the payload pieces.
    if spu:
        pieces = b""
        for n, payload in enumerate(spu[:8]):
            for i in range(0, len(payload), 127):
                piece = payload[i:i + 127]
                pieces += bytes([len(piece) | (0x80 if i == 0 else 0)]) + piece
        write("fuzz_spu", disc, pieces)

    # Disc opening: both IFOs (32-bit framed), then the start of the title file.
    def ifo(name, d=disc):
        with open(os.path.join(discs, d, "VIDEO_TS", name), "rb") as f:
            return f.read()
    for d in (disc, "damaged") if disc == "ntsc_menu" else (disc,):
        vmg, vts = ifo("VIDEO_TS.IFO", d), ifo("VTS_01_0.IFO", d)
        write("fuzz_disc", d, struct.pack(">I", len(vmg)) + vmg + struct.pack(">I", len(vts)) + vts +
              vob(d)[:48 * PACK])

# Bookmarks: an all-zero record of the right size and a short one.
write("fuzz_state", "zeros", bytes(8 + 34 + 4))
write("fuzz_state", "short", b"\x00" * 16)
