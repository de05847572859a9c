# SPDX-License-Identifier: GPL-3.0-or-later
"""Byte-level builders for .xls test workbooks that xlwt cannot write: BIFF8 and BIFF5
records, and a compound file container with a choice of sector size, mini stream, DIFAT
sectors, scattered sectors and hand-made FAT damage."""

import struct

FREE, END, FATSECT, DIFSECT = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFC
NOSTREAM = 0xFFFFFFFF


# --- BIFF records -------------------------------------------------------------------------

def rec(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def xl_unicode(text, lenlen=2):
    """A BIFF8 string: 8-bit when every character is below U+0100, else UTF-16."""
    count = struct.pack("<B" if lenlen == 1 else "<H", len(text))
    if all(ord(c) < 256 for c in text):
        return count + b"\x00" + text.encode("latin-1")
    return count + b"\x01" + text.encode("utf-16-le")


# Some writers count a BIFF5 string's length in characters, not bytes, when the code page
# is a double-byte one; set to True to craft such a workbook.
COUNT_CHARACTERS = False


def byte_string(text, encoding, lenlen=2):
    """A BIFF5 string in the workbook's code page."""
    data = text.encode(encoding)
    count = len(text) if COUNT_CHARACTERS else len(data)
    return struct.pack("<B" if lenlen == 1 else "<H", count) + data


def bof(version, kind):
    """version 0x0600 (BIFF8) or 0x0500 (BIFF5); kind 0x0005 globals, 0x0010 sheet,
    0x0020 chart."""
    if version == 0x0600:
        return rec(0x0809, struct.pack("<HHHHII", version, kind, 0x0DBB, 0x07CC, 0, 0x0106))
    return rec(0x0809, struct.pack("<HHHH", version, kind, 0x0DBB, 0x07CC))


def eof():
    return rec(0x000A)


def codepage(cp):
    return rec(0x0042, struct.pack("<H", cp))


def datemode(is1904):
    return rec(0x0022, struct.pack("<H", 1 if is1904 else 0))


def window1(active_tab):
    return rec(0x003D, struct.pack("<HHHHHHHHH", 0, 0, 0x4000, 0x2000, 0x38, active_tab, 0, 1,
                                   0x258))


def window2(active, biff=8):
    # Grid, headers, zeros, automatic grid colour, outline; selected and shown when active.
    options = 0x06B6 if active else 0x00B6
    if biff == 5:
        return rec(0x023E, struct.pack("<HHHI", options, 0, 0, 0))
    return rec(0x023E, struct.pack("<HHHHHHHI", options, 0, 0, 0x40, 0, 0, 0, 0))


def xf8(format_index, style=False):
    kind = 0xFFF5 if style else 0x0001
    return rec(0x00E0, struct.pack("<HHHBBBBIIH", 0, format_index, kind, 0x20, 0, 0, 0xF8 if
                                   not style else 0, 0, 0, 0x20C0))


def xf5(format_index, style=False):
    kind = 0xFFF5 if style else 0x0001
    return rec(0x00E0, struct.pack("<HHHBBII", 0, format_index, kind, 0x20, 0xF8 if not style
                                   else 0, 0x000020C0, 0))


def font8(name="Arial"):
    return rec(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0)
               + xl_unicode(name, 1))


def font5(name="Arial"):
    return rec(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0)
               + byte_string(name, "latin-1", 1))


def format8(index, text):
    return rec(0x041E, struct.pack("<H", index) + xl_unicode(text))


def format5(index, text, encoding):
    return rec(0x041E, struct.pack("<H", index) + byte_string(text, encoding, 1))


def boundsheet8(offset, name, sheet_type=0):
    return rec(0x0085, struct.pack("<IBB", offset, 0, sheet_type) + xl_unicode(name, 1))


def boundsheet5(offset, name, encoding, sheet_type=0):
    return rec(0x0085, struct.pack("<IBB", offset, 0, sheet_type) + byte_string(name, encoding, 1))


def filepass():
    # RC4 encryption header; the content does not matter to a reader that refuses it.
    return rec(0x002F, struct.pack("<HHH", 1, 1, 1) + bytes(48))


def number(row, col, xf, value):
    return rec(0x0203, struct.pack("<HHHd", row, col, xf, value))


def rk(row, col, xf, raw):
    return rec(0x027E, struct.pack("<HHHI", row, col, xf, raw))


def rk_int(value, cents=False):
    return ((value & 0x3FFFFFFF) << 2) | 0x02 | (0x01 if cents else 0)


def rk_float(value, cents=False):
    bits = struct.unpack("<Q", struct.pack("<d", value))[0]
    assert bits & 0x3FFFFFFFF == 0, "value needs more than 30 bits of the double"
    return (bits >> 32) | (0x01 if cents else 0)


def mulrk(row, first_col, cells):
    """cells: (xf, raw rk) pairs."""
    body = struct.pack("<HH", row, first_col)
    for xf, raw in cells:
        body += struct.pack("<HI", xf, raw)
    return rec(0x00BD, body + struct.pack("<H", first_col + len(cells) - 1))


def labelsst(row, col, xf, index):
    return rec(0x00FD, struct.pack("<HHHI", row, col, xf, index))


def label8(row, col, xf, text):
    return rec(0x0204, struct.pack("<HHH", row, col, xf) + xl_unicode(text))


def label5(row, col, xf, text, encoding):
    return rec(0x0204, struct.pack("<HHH", row, col, xf) + byte_string(text, encoding))


def rstring8(row, col, xf, text, runs):
    body = struct.pack("<HHH", row, col, xf) + xl_unicode(text)
    body += struct.pack("<H", len(runs)) + b"".join(struct.pack("<HH", a, b) for a, b in runs)
    return rec(0x00D6, body)


def rstring5(row, col, xf, text, encoding, runs):
    body = struct.pack("<HHH", row, col, xf) + byte_string(text, encoding)
    body += struct.pack("<B", len(runs)) + b"".join(struct.pack("<BB", a, b) for a, b in runs)
    return rec(0x00D6, body)


def boolerr(row, col, xf, value, is_error):
    return rec(0x0205, struct.pack("<HHHBB", row, col, xf, value, 1 if is_error else 0))


def blank(row, col, xf):
    return rec(0x0201, struct.pack("<HHH", row, col, xf))


def mulblank(row, first_col, xfs):
    return rec(0x00BE, struct.pack("<HH", row, first_col)
               + b"".join(struct.pack("<H", xf) for xf in xfs)
               + struct.pack("<H", first_col + len(xfs) - 1))


# A formula whose tokens say "=1"; readers take the cached result, not the tokens.
_TOKENS = b"\x1E\x01\x00"


def formula(row, col, xf, result):
    """result: a float, or one of ("text",), ("bool", b), ("error", code), ("empty",)."""
    if isinstance(result, float):
        value = struct.pack("<d", result)
    else:
        kind = {"text": 0, "bool": 1, "error": 2, "empty": 3}[result[0]]
        extra = result[1] if len(result) > 1 else 0
        value = struct.pack("<BBBBBBH", kind, 0, extra, 0, 0, 0, 0xFFFF)
    return rec(0x0006, struct.pack("<HHH", row, col, xf) + value
               + struct.pack("<HIH", 0, 0, len(_TOKENS)) + _TOKENS)


def shrfmla(row, col):
    return rec(0x04BC, struct.pack("<HHBBBBH", row, row, col, col, 0, 1, len(_TOKENS)) + _TOKENS)


def string8(text):
    return rec(0x0207, xl_unicode(text))


def string5(text, encoding):
    return rec(0x0207, byte_string(text, encoding))


def continued(rid, body, parts):
    """A record and its CONTINUE records: parts are the bodies after the first, in which
    the caller has put an option byte wherever character data resumes."""
    return rec(rid, body) + b"".join(rec(0x003C, part) for part in parts)


def sst(strings):
    """An SST in one record, for tables that fit in 8224 bytes."""
    body = struct.pack("<II", len(strings), len(strings))
    body += b"".join(xl_unicode(s) for s in strings)
    assert len(body) <= 8224
    return rec(0x00FC, body)


# --- workbook streams ---------------------------------------------------------------------

def workbook_stream(globals_records, sheets, boundsheet, after=()):
    """globals_records: the globals from BOF up to the sheet list; sheets: (name, type,
    substream bytes); boundsheet(offset, name, type) makes one sheet entry; after: the
    globals after the sheet list (the shared strings). Gives the globals with the sheet list
    pointing at each substream, followed by the substreams."""
    head = b"".join(globals_records)
    tail = b"".join(after) + eof()
    placeholder = b"".join(boundsheet(0, name, kind) for name, kind, _ in sheets)
    offset = len(head) + len(placeholder) + len(tail)
    entries = b""
    for name, kind, body in sheets:
        entries += boundsheet(offset, name, kind)
        offset += len(body)
    assert len(entries) == len(placeholder)
    return head + entries + tail + b"".join(body for _, _, body in sheets)


# --- compound file ------------------------------------------------------------------------

def _dir_entry(name, kind, start, size, left=NOSTREAM, right=NOSTREAM, child=NOSTREAM):
    raw_name = (name + "\0").encode("utf-16-le") if name else b""
    entry = raw_name.ljust(64, b"\0")
    entry += struct.pack("<HBB", len(raw_name), kind, 1)
    entry += struct.pack("<III", left, right, child)
    entry += bytes(16) + struct.pack("<I", 0) + bytes(16)
    entry += struct.pack("<IQ", start, size)
    return entry


def _tree(indices, names):
    """A balanced binary tree over directory entries in the container's name order:
    gives (root, {index: (left, right)})."""
    order = sorted(indices, key=lambda i: (len(names[i]), names[i].upper()))
    links = {}

    def build(part):
        if not part:
            return NOSTREAM
        middle = len(part) // 2
        node = part[middle]
        links[node] = (build(part[:middle]), build(part[middle + 1:]))
        return node

    return build(order), links


def compound_file(streams, sector_shift=9, fat_sectors=None, scatter=False, damage=None):
    """streams: (name, bytes) pairs at the root. Streams under 4096 bytes go into the mini
    stream. fat_sectors forces more FAT sectors than needed (to reach the DIFAT); scatter
    lays each big stream's sectors out of order; damage(fat, chains) may change FAT entries,
    where chains maps a stream name to its sector numbers."""
    size = 1 << sector_shift
    per_sector = size // 4
    mini_size = 64

    # Mini stream: every small stream, in 64-byte sectors.
    mini_data = b""
    mini_fat = []
    starts = {}
    for name, data in streams:
        if len(data) < 4096:
            count = (len(data) + mini_size - 1) // mini_size
            first = len(mini_fat)
            starts[name] = first if count else END
            mini_fat += [first + i + 1 for i in range(count)]
            if count:
                mini_fat[-1] = END
            mini_data += data.ljust(count * mini_size, b"\0")

    sectors = []  # bytes of each sector, in sector order
    fat = []
    chains = {}

    def allocate(name, data, shuffled=False):
        count = (len(data) + size - 1) // size
        if count == 0:
            return END
        numbers = list(range(len(sectors), len(sectors) + count))
        sectors.extend([b""] * count)
        fat.extend([FREE] * count)
        order = numbers[:]
        if shuffled:
            # Every other sector first, then the rest: no two neighbours stay neighbours.
            order = numbers[::2] + numbers[1::2]
        for i, number in enumerate(order):
            sectors[number] = data[i * size:(i + 1) * size].ljust(size, b"\0")
            fat[number] = order[i + 1] if i + 1 < len(order) else END
        chains[name] = order
        return order[0]

    for name, data in streams:
        if len(data) >= 4096:
            starts[name] = allocate(name, data, scatter)
    mini_start = allocate("<mini stream>", mini_data)
    mini_fat_bytes = struct.pack("<%dI" % len(mini_fat), *mini_fat) if mini_fat else b""
    mini_fat_bytes = mini_fat_bytes.ljust(-(-len(mini_fat_bytes) // size) * size, b"\xFF")
    mini_fat_start = allocate("<mini fat>", mini_fat_bytes)

    names = [""] + [name for name, _ in streams]
    root_child, links = _tree(list(range(1, len(names))), names)
    directory = _dir_entry("Root Entry", 5, mini_start, len(mini_data), child=root_child)
    for i, (name, data) in enumerate(streams, start=1):
        left, right = links[i]
        directory += _dir_entry(name, 2, starts[name], len(data), left, right)
    while len(directory) % size:
        directory += _dir_entry("", 0, 0, 0)
    dir_start = allocate("<directory>", directory)

    # FAT and DIFAT sectors describe every sector, themselves included.
    fat_count, difat_count = 1, 0
    while True:
        total = len(sectors) + fat_count + difat_count
        need_fat = -(-total // per_sector)
        need_fat = max(need_fat, fat_sectors or 0)
        need_difat = max(0, -(-(need_fat - 109) // (per_sector - 1)))
        if need_fat == fat_count and need_difat == difat_count:
            break
        fat_count, difat_count = need_fat, need_difat
    fat_numbers = list(range(len(sectors), len(sectors) + fat_count))
    difat_numbers = list(range(fat_numbers[-1] + 1, fat_numbers[-1] + 1 + difat_count))
    fat += [FATSECT] * fat_count + [DIFSECT] * difat_count
    fat += [FREE] * (fat_count * per_sector - len(fat))
    if damage:
        damage(fat, chains)
    fat_bytes = struct.pack("<%dI" % len(fat), *fat)
    for i in range(fat_count):
        sectors.append(fat_bytes[i * size:(i + 1) * size])
    rest = fat_numbers[109:]
    for i in range(difat_count):
        entries = rest[i * (per_sector - 1):(i + 1) * (per_sector - 1)]
        entries += [FREE] * (per_sector - 1 - len(entries))
        entries.append(difat_numbers[i + 1] if i + 1 < difat_count else END)
        sectors.append(struct.pack("<%dI" % per_sector, *entries))

    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + bytes(16)
    header += struct.pack("<HHHHH", 0x3E, 3 if sector_shift == 9 else 4, 0xFFFE, sector_shift, 6)
    header += bytes(6)
    header += struct.pack("<IIIIIIIII", 0 if sector_shift == 9 else len(directory) // size,
                          fat_count, dir_start, 0, 4096, mini_fat_start if mini_fat else END,
                          len(mini_fat_bytes) // size, difat_numbers[0] if difat_count else END,
                          difat_count)
    head_difat = fat_numbers[:109] + [FREE] * (109 - min(109, fat_count))
    header += struct.pack("<109I", *head_difat)
    assert len(header) == 512
    return header.ljust(size, b"\0") + b"".join(sectors)
