#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the protected workbooks of the tests and the decryptors' fuzz seeds: the staff
workbook tests/fixtures/import/full.xls and full.xlsx encrypted with each method the
reader decrypts, with the fixed password the spreadsheet program uses for workbooks that are
only protected against changes, or with a real one.

.xls (XOR obfuscation, RC4, RC4 CryptoAPI): a FILEPASS record goes in after the globals' BOF
and the data of the records after it is encrypted. .xlsx (standard and agile encryption):
the zip goes, encrypted, into the EncryptedPackage stream of a compound file, beside its
EncryptionInfo. The Debian package python3-msoffcrypto-tool at hand decrypts but no longer
encrypts, so the encryption is done here, from the format's documentation, and every file
is decrypted again by independent tools before it is written:

  - msoffcrypto-tool (Debian) for the .xlsx files and RC4 CryptoAPI;
  - the npm package officecrypto-tool for XOR and RC4: pass the folder it is installed in
    (`npm install officecrypto-tool` in a temporary folder, never in the repository) as
    OFFICECRYPTO_NODE_MODULES.

Each decryption must give back the plain workbook: the same zip for .xlsx, the same cell
values (read with xlrd) for .xls. Run from the repository: tools/protect_workbooks.py
"""

import hashlib
import hmac
import io
import os
import struct
import subprocess
import sys
import tempfile

import olefile
import xlrd
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xls_craft as x  # noqa: E402

FIXED_PASSWORD = "VelvetSweatshop"
REAL_PASSWORD = "工资 2024"  # non-ASCII, so that the UTF-16 form of the password matters

BOF, FILEPASS, BOUNDSHEET = 0x0809, 0x002F, 0x0085
PLAIN_RECORDS = {BOF, FILEPASS, 0x00E1, 0x0138, 0x0194, 0x0195, 0x0196}


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for byte in data:
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(byte ^ s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


def aes(key, mode, data, encrypt=True):
    cipher = Cipher(algorithms.AES(key), mode)
    op = cipher.encryptor() if encrypt else cipher.decryptor()
    return op.update(data) + op.finalize()


# --- .xls ----------------------------------------------------------------------------------

def records(stream):
    at = 0
    while at + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, at)
        yield at, rid, size
        at += 4 + size


def with_filepass(stream, filepass_data):
    """The stream with a FILEPASS record after the globals' BOF, the sheets' offsets moved."""
    record = struct.pack("<HH", FILEPASS, len(filepass_data)) + filepass_data
    first = list(records(stream))[0]
    assert first[1] == BOF
    cut = 4 + first[2]
    out = bytearray(stream[:cut] + record + stream[cut:])
    for at, rid, _ in records(bytes(out)):
        if rid == BOUNDSHEET:
            (offset,) = struct.unpack_from("<I", out, at + 4)
            struct.pack_into("<I", out, at + 4, offset + len(record))
    return bytes(out), cut + len(record)


def encrypt_records(stream, start, transform):
    """transform(stream, at, length, record_size) encrypts bytes in place."""
    out = bytearray(stream)
    for at, rid, size in records(stream):
        if at < start or rid in PLAIN_RECORDS:
            continue
        skip = min(size, 4) if rid == BOUNDSHEET else 0
        if size > skip:
            transform(out, at + 4 + skip, size - skip, size)
    return bytes(out)


XOR_INITIAL = [0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E, 0x1872, 0xE139,
               0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3]
XOR_MATRIX = [
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B,
    0xC6F7, 0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375,
    0x06EA, 0x0DD4, 0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D,
    0xAA7A, 0x44D5, 0x6F45, 0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667,
    0x9CEF, 0x29FF, 0x53FE, 0xA7FC, 0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68,
    0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD, 0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1,
    0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483, 0x8906, 0x022D, 0x045A, 0x08B4, 0x1168,
    0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C, 0x3730, 0x6E60, 0xDCC0, 0xA9A1,
    0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373, 0x06E6, 0x0DCC, 0x1021,
    0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4]
XOR_PAD = [0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80, 0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F,
           0x00]


def xor_key_and_verifier(pw):
    key = XOR_INITIAL[len(pw) - 1]
    element = len(XOR_MATRIX)
    for c in reversed(pw):
        for _ in range(7):
            element -= 1
            if c & 0x40:
                key ^= XOR_MATRIX[element]
            c = (c << 1) & 0xFF
    verifier = 0
    for c in list(reversed(pw)) + [len(pw)]:
        verifier = ((((verifier << 1) & 0x7FFF) | (1 if verifier & 0x4000 else 0)) ^ c)
    return key, verifier ^ 0xCE4B


def xor_array(pw, key):
    def xor_ror(a, b):
        v = a ^ b
        return ((v >> 1) | (v << 7)) & 0xFF
    high, low = key >> 8, key & 0xFF
    arr = [0] * 16
    for i, c in enumerate(pw):
        arr[i] = xor_ror(c, low if i % 2 == 0 else high)
    pad = list(XOR_PAD)
    for i in range(len(pw), 16):
        arr[i] = xor_ror(pad[i - len(pw)], low if i % 2 == 0 else high)
    return arr


def protect_xor(stream, password):
    pw = password.encode("latin-1")[:15]
    key, verifier = xor_key_and_verifier(pw)
    arr = xor_array(pw, key)
    plain, start = with_filepass(stream, struct.pack("<HHH", 0, key, verifier))

    def transform(out, at, length, size):
        for p in range(at, at + length):
            v = out[p]
            out[p] = (((v << 5) | (v >> 3)) & 0xFF) ^ arr[(p + size) % 16]
    return plain, encrypt_records(plain, start, transform)


def rc4_blocks(block_key):
    """The transform for RC4 keyed afresh each 1024 bytes of the stream."""
    def transform(out, at, length, _size):
        for p in range(at, at + length):
            block, offset = divmod(p, 1024)
            stream = rc4(block_key(block), bytes(offset + 1))
            out[p] ^= stream[offset]
    return transform


def protect_rc4(stream, password):
    salt = os.urandom(16)
    h0 = hashlib.md5(password.encode("utf-16-le")).digest()[:5]
    h1 = hashlib.md5((h0 + salt) * 16).digest()[:5]

    def block_key(block):
        return hashlib.md5(h1 + struct.pack("<I", block)).digest()
    verifier = os.urandom(16)
    sealed = rc4(block_key(0), verifier + hashlib.md5(verifier).digest())
    plain, start = with_filepass(stream, struct.pack("<HHH", 1, 1, 1) + salt + sealed)
    return plain, encrypt_records(plain, start, rc4_blocks(block_key))


def encryption_header(flags, alg, keybits, provider, csp):
    header = struct.pack("<IIIIIIII", flags, 0, alg, 0x8004, keybits, provider, 0, 0)
    header += (csp + "\0").encode("utf-16-le")
    return struct.pack("<I", len(header)) + header


def protect_cryptoapi(stream, password):
    salt = os.urandom(16)
    h0 = hashlib.sha1(salt + password.encode("utf-16-le")).digest()

    def block_key(block):
        return hashlib.sha1(h0 + struct.pack("<I", block)).digest()[:16]
    verifier = os.urandom(16)
    sealed = rc4(block_key(0), verifier + hashlib.sha1(verifier).digest())
    info = struct.pack("<HHHI", 1, 4, 2, 0x04)
    info += encryption_header(0x04, 0x6801, 128, 1,
                              "Microsoft Enhanced Cryptographic Provider v1.0")
    info += struct.pack("<I", 16) + salt + sealed[:16] + struct.pack("<I", 20) + sealed[16:]
    plain, start = with_filepass(stream, info)
    return plain, encrypt_records(plain, start, rc4_blocks(block_key))


# --- .xlsx ---------------------------------------------------------------------------------

def standard_package(zip_bytes, password):
    salt = os.urandom(16)
    h = hashlib.sha1(salt + password.encode("utf-16-le")).digest()
    for i in range(50000):
        h = hashlib.sha1(struct.pack("<I", i) + h).digest()
    h = hashlib.sha1(h + struct.pack("<I", 0)).digest()
    x1 = hashlib.sha1(bytes(b ^ 0x36 for b in h.ljust(64, b"\0"))).digest()
    x2 = hashlib.sha1(bytes(b ^ 0x5C for b in h.ljust(64, b"\0"))).digest()
    key = (x1 + x2)[:16]
    verifier = os.urandom(16)
    sealed = aes(key, modes.ECB(), verifier + hashlib.sha1(verifier).digest().ljust(32, b"\0"))
    info = struct.pack("<HHI", 3, 2, 0x24)
    info += encryption_header(0x24, 0x660E, 128, 0x18,
                              "Microsoft Enhanced RSA and AES Cryptographic Provider")
    info += struct.pack("<I", 16) + salt + sealed[:16] + struct.pack("<I", 20) + sealed[16:]
    padded = zip_bytes + bytes(-len(zip_bytes) % 16)
    return info, struct.pack("<Q", len(zip_bytes)) + aes(key, modes.ECB(), padded)


def b64(data):
    import base64
    return base64.b64encode(data).decode()


def agile_package(zip_bytes, password, spin_count=100000):
    def hashed(*parts):
        return hashlib.sha512(b"".join(parts)).digest()
    key_salt, password_salt = os.urandom(16), os.urandom(16)
    secret = os.urandom(32)
    h = hashed(password_salt, password.encode("utf-16-le"))
    for i in range(spin_count):
        h = hashed(struct.pack("<I", i), h)

    def seal_with_password(block_key, data):
        return aes(hashed(h, block_key)[:32], modes.CBC(password_salt), data)
    verifier = os.urandom(16)
    hash_input = seal_with_password(b"\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79", verifier)
    hash_value = seal_with_password(b"\xd7\xaa\x0f\x6d\x30\x61\x34\x4e", hashed(verifier))
    key_value = seal_with_password(b"\x14\x6e\x0b\xe7\xab\xac\xd0\xd6", secret)

    package = struct.pack("<Q", len(zip_bytes))
    for i in range(0, len(zip_bytes), 4096):
        segment = zip_bytes[i:i + 4096]
        segment += bytes(-len(segment) % 16)
        iv = hashed(key_salt, struct.pack("<I", i // 4096))[:16]
        package += aes(secret, modes.CBC(iv), segment)

    hmac_key = os.urandom(64)
    hmac_value = hmac.new(hmac_key, package, hashlib.sha512).digest()
    sealed_hmac_key = aes(secret, modes.CBC(hashed(key_salt, b"\x5f\xb2\xad\x01\x0c\xb9\xe1\xf6")[:16]),
                          hmac_key)
    sealed_hmac_value = aes(secret,
                            modes.CBC(hashed(key_salt, b"\xa0\x67\x7f\x02\xb2\x2c\x84\x33")[:16]),
                            hmac_value)
    params = ('saltSize="16" blockSize="16" keyBits="256" hashSize="64" cipherAlgorithm="AES" '
              'cipherChaining="ChainingModeCBC" hashAlgorithm="SHA512"')
    xml = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
           '<encryption xmlns="http://schemas.microsoft.com/office/2006/encryption" '
           'xmlns:p="http://schemas.microsoft.com/office/2006/keyEncryptor/password">'
           f'<keyData {params} saltValue="{b64(key_salt)}"/>'
           f'<dataIntegrity encryptedHmacKey="{b64(sealed_hmac_key)}" '
           f'encryptedHmacValue="{b64(sealed_hmac_value)}"/>'
           '<keyEncryptors><keyEncryptor '
           'uri="http://schemas.microsoft.com/office/2006/keyEncryptor/password">'
           f'<p:encryptedKey spinCount="{spin_count}" {params} '
           f'saltValue="{b64(password_salt)}" encryptedVerifierHashInput="{b64(hash_input)}" '
           f'encryptedVerifierHashValue="{b64(hash_value)}" '
           f'encryptedKeyValue="{b64(key_value)}"/></keyEncryptor></keyEncryptors></encryption>')
    return struct.pack("<HHI", 4, 4, 0x40) + xml.encode(), package


# --- independent checks --------------------------------------------------------------------

def msoffcrypto_decrypts(data, password):
    import msoffcrypto
    office = msoffcrypto.OfficeFile(io.BytesIO(data))
    office.load_key(password=password)
    out = io.BytesIO()
    office.decrypt(out)
    return out.getvalue()


def officecrypto_decrypts(data, password):
    modules = os.environ.get("OFFICECRYPTO_NODE_MODULES")
    if not modules:
        sys.exit("set OFFICECRYPTO_NODE_MODULES to the node_modules folder of officecrypto-tool")
    script = ("const t=require('officecrypto-tool');const fs=require('fs');"
              "t.decrypt(fs.readFileSync(0),{password:process.argv[1]})"
              ".then(b=>process.stdout.write(b)).catch(e=>{console.error(e);process.exit(1)})")
    env = dict(os.environ, NODE_PATH=modules)
    return subprocess.run(["node", "-e", script, password], input=data, env=env,
                          capture_output=True, check=True).stdout


def cell_values(xls_bytes):
    book = xlrd.open_workbook(file_contents=xls_bytes)
    return [[sheet.row_values(r) for r in range(sheet.nrows)] for sheet in book.sheets()]


def drop_filepass(stream):
    """The stream with its FILEPASS record, if a decryptor left it, renamed to a record no
    reader reads, so that xlrd reads the decrypted records (the offsets stay as they are)."""
    out = bytearray(stream)
    for at, rid, _ in records(stream):
        if rid == FILEPASS:
            struct.pack_into("<H", out, at, 0x0FFF)
    return bytes(out)


def check_xls(protected, plain_file, password, decrypt):
    decrypted = olefile.OleFileIO(decrypt(protected, password)).openstream("Workbook").read()
    again = x.compound_file([("Workbook", drop_filepass(decrypted))])
    assert cell_values(again) == cell_values(plain_file), "the decrypted workbook differs"


def check_xlsx(protected, zip_bytes, password):
    assert msoffcrypto_decrypts(protected, password) == zip_bytes, "the decrypted zip differs"


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", path)


def main():
    imports = "tests/fixtures/import"
    with open(f"{imports}/full.xls", "rb") as f:
        plain_xls = f.read()
    with open(f"{imports}/full.xlsx", "rb") as f:
        plain_xlsx = f.read()
    stream = olefile.OleFileIO(plain_xls).openstream("Workbook").read()

    xls_cases = [
        ("full_xor.xls", protect_xor, FIXED_PASSWORD, officecrypto_decrypts),
        ("full_rc4.xls", protect_rc4, FIXED_PASSWORD, officecrypto_decrypts),
        ("full_cryptoapi.xls", protect_cryptoapi, FIXED_PASSWORD, msoffcrypto_decrypts),
        ("full_password.xls", protect_cryptoapi, REAL_PASSWORD, msoffcrypto_decrypts),
    ]
    seeds = "fuzz/corpus-xls-decrypt"
    for name, protect, password, decrypt in xls_cases:
        _, encrypted = protect(stream, password)
        protected = x.compound_file([("Workbook", encrypted)])
        check_xls(protected, plain_xls, password, decrypt)
        write(f"{imports}/{name}", protected)
        if password == FIXED_PASSWORD:
            write(f"{seeds}/{name.replace('.xls', '.stream')}", encrypted)

    xlsx_cases = [
        ("full_fixed.xlsx", agile_package, FIXED_PASSWORD),
        ("full_standard.xlsx", standard_package, FIXED_PASSWORD),
        ("full_password.xlsx", agile_package, REAL_PASSWORD),
    ]
    for name, package, password in xlsx_cases:
        info, data = package(plain_xlsx, password)
        protected = x.compound_file([("EncryptionInfo", info), ("EncryptedPackage", data)])
        check_xlsx(protected, plain_xlsx, password)
        write(f"{imports}/{name}", protected)

    # The package seeds hash little, as the fuzz target allows, and hold a small workbook.
    with open("tests/fixtures/xlsx/values.xlsx", "rb") as f:
        small = f.read()
    seeds = "fuzz/corpus-package-decrypt"
    for name, (info, data) in [("agile.bin", agile_package(small, FIXED_PASSWORD, 100)),
                               ("standard.bin", standard_package(small, FIXED_PASSWORD))]:
        write(f"{seeds}/{name}", struct.pack("<I", len(info)) + info + data)


if __name__ == "__main__":
    main()
