#!/usr/bin/env python3
"""Writes and checks the release zip of QuiloPlayer.

  package.py write WIN32_BUILD OUT_DIR [SIGNED]   writes OUT_DIR/QuiloPlayer-<version>.zip and prints its path
  package.py check WIN32_BUILD ZIP                checks a written zip against the build it came from

SIGNED is a folder of signed copies of the build's QuiloPlayer.exe and Stat.dll (scripts/sign -stage) that
the zip takes instead; the check lets the zip's binaries differ from the build's by an Authenticode
signature alone.

Names in the zip are stored in code page 936 without the UTF-8 flag, which is how the extractor built
into Windows reads them on a Chinese system (it takes unflagged names in the OEM code page, 936 there,
and older versions ignore the flag altogether). Each entry also carries the Info-ZIP Unicode path field
(0x7075) with the UTF-8 name, which 7-Zip, WinRAR, Bandizip and Info-ZIP's unzip prefer, so those
extract the right names on a system of any language.
"""
import configparser
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def shipped_version():
    """The version of the About box and the version resources ("2.0.0.1"), from resources/Version.h."""
    with open(os.path.join(ROOT, "resources", "Version.h"), encoding="utf-8") as header:
        text = header.read()
    parts = [re.search(r"^#define QUILO_VERSION_%s (\d+)$" % part, text, re.M) for part in
             ("MAJOR", "MINOR", "PATCH", "BUILD")]
    if not all(parts):
        sys.exit("package: no version in resources/Version.h")
    return ".".join(match.group(1) for match in parts)


VERSION = shipped_version()
TOP = "QuiloPlayer-%s/" % VERSION
README = "说明.txt"
GUIDE = "皮肤制作指南.txt"
UNICODE_PATH = 0x7075
NAME_ENCODING = "cp936"
# Actions whose button image the player loads; the others skip their section.
BUTTON_ACTIONS = {0, 1, 2, 4, 5}


class Cp936ZipInfo(zipfile.ZipInfo):
    """An entry whose name is written in code page 936, flag clear, with the UTF-8 name beside it."""

    def __init__(self, filename, date_time=(1980, 1, 1, 0, 0, 0)):
        super().__init__(filename, date_time)
        raw = self.filename.encode(NAME_ENCODING)
        # A trail byte 0x5C would read as a folder separator to an extractor that knows no code page.
        if b"\\" in raw:
            raise ValueError("%s: its code page 936 form holds a backslash byte" % self.filename)
        utf8 = self.filename.encode("utf-8")
        if utf8 != raw:
            self.extra = struct.pack("<HHBI", UNICODE_PATH, 5 + len(utf8), 1, zlib.crc32(raw)) + utf8

    def _encodeFilenameFlags(self):
        return self.filename.encode(NAME_ENCODING), self.flag_bits & ~0x800


def notepad_text(path):
    """A UTF-8 source text as Notepad of every Windows version shows it: byte-order mark, CR LF."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def skin_files(skin_dir, name):
    """Main.ini, Append.ini and every image they name, of one skin folder."""
    files = ["Main.ini", "Append.ini"]
    for ini in ("Main.ini", "Append.ini"):
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        with open(os.path.join(skin_dir, name, ini), encoding=NAME_ENCODING) as f:
            parser.read_file(f)
        values = [parser.get("Personality", key, fallback="") for key in ("Top", "Left", "Right", "Bottom",
                                                                          "DialogBmp")]
        for i in range(parser.getint("Personality", "ButtonCount", fallback=0)):
            section = "Button%d" % i
            if parser.getint(section, "Action", fallback=0) in BUTTON_ACTIONS:
                values.append(parser.get(section, "ButtonImage", fallback=""))
        # The player takes an image from the description's own folder, whatever folder the value names.
        for value in values:
            image = value.replace("\\", "/").rsplit("/", 1)[-1]
            if image and image not in files:
                files.append(image)
    return files


def raw_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def layout(build, signed=None):
    """(name in the zip, source file, reader of its content) of every entry; the binaries from SIGNED if given."""
    app = os.path.join(build, "app")
    stat = os.path.join(build, "stat")
    entries = [
        ("QuiloPlayer.exe", os.path.join(signed or app, "QuiloPlayer.exe"), raw_bytes),
        (README, os.path.join(ROOT, "docs", "PackageReadme.txt"), notepad_text),
        (GUIDE, os.path.join(ROOT, "docs", "SkinGuide.md"), notepad_text),
        ("Stat/Stat.dll", os.path.join(signed or stat, "Stat.dll"), raw_bytes),
        ("Stat/Stat.h", os.path.join(ROOT, "stat", "Stat.h"), raw_bytes),
        ("Stat/libStat.dll.a", os.path.join(stat, "libStat.dll.a"), raw_bytes),
        ("Stat/Stat.def", os.path.join(ROOT, "stat", "Stat.def"), raw_bytes),
    ]
    # The skin folders go as the build wrote them.
    for folder, _, files in sorted(os.walk(os.path.join(app, "skin"))):
        for f in sorted(files):
            source = os.path.join(folder, f)
            entries.append((os.path.relpath(source, app).replace(os.sep, "/"), source, raw_bytes))
    return entries


def write(build, out_dir, signed=None):
    path = os.path.join(out_dir, "QuiloPlayer-%s.zip" % VERSION)
    os.makedirs(out_dir, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=out_dir, suffix=".zip.part")
    os.close(fd)
    try:
        with zipfile.ZipFile(temp, "w", zipfile.ZIP_DEFLATED) as zf:
            for name, source, read in layout(build, signed):
                info = Cp936ZipInfo.from_file(source, TOP + name)
                info.compress_type = zipfile.ZIP_DEFLATED
                zf.writestr(info, read(source))
        # mkstemp makes the file private; the release zip is for anyone to read.
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    finally:
        if os.path.exists(temp):
            os.remove(temp)
    return path


# -- check ------------------------------------------------------------------------------------------
class Failures(list):
    def expect(self, condition, message):
        if not condition:
            self.append(message)
        return condition


def unicode_path(info):
    """The UTF-8 name of an entry's Unicode path field, checked against its stored name; None without one."""
    extra = info.extra
    while len(extra) >= 4:
        tag, size = struct.unpack("<HH", extra[:4])
        body, extra = extra[4:4 + size], extra[4 + size:]
        if tag == UNICODE_PATH and size >= 5 and body[0] == 1:
            crc, = struct.unpack("<I", body[1:5])
            if crc != zlib.crc32(info.filename.encode(NAME_ENCODING)):
                return "(a Unicode path field for another name)"
            return body[5:].decode("utf-8")
    return None


def pe_machine(data):
    """(machine, optional header magic) of a PE image, or None."""
    if data[:2] != b"MZ" or len(data) < 64:
        return None
    pe, = struct.unpack("<I", data[60:64])
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    machine, = struct.unpack("<H", data[pe + 4:pe + 6])
    magic, = struct.unpack("<H", data[pe + 24:pe + 26])
    return machine, magic


def unsigned_image(data):
    """(whether signed, the image without its Authenticode signature) of a PE file: the certificate table at the
    end cut off, with the padding before it; its directory entry and the header checksum (set by signing)
    zeroed. None for a file that is no PE image."""
    found = pe_machine(data)
    if not found:
        return None
    pe, = struct.unpack("<I", data[60:64])
    optional = pe + 24
    security = optional + (96 if found[1] == 0x10B else 112) + 4 * 8
    offset, size = struct.unpack("<II", data[security:security + 8])
    signed = size > 0 and offset + size == len(data)
    image = bytearray(data[:offset] if signed else data)
    image[optional + 64:optional + 68] = bytes(4)
    image[security:security + 8] = bytes(8)
    return signed, bytes(image).rstrip(b"\0")


def same_but_signature(data, built):
    """Whether a shipped binary is the built one, or the built one with an Authenticode signature added."""
    if data == built:
        return True
    shipped, original = unsigned_image(data), unsigned_image(built)
    return bool(shipped and original) and shipped[0] and not original[0] and shipped[1] == original[1]


def check_import_slots(name, data, failures):
    """Every import slot of a shipped binary is resolved in the file (the check the build runs too)."""
    with tempfile.TemporaryDirectory() as temp:
        path = os.path.join(temp, os.path.basename(name))
        with open(path, "wb") as f:
            f.write(data)
        run = subprocess.run([sys.executable, os.path.join(ROOT, "cmake", "CheckImportSlots.py"), path],
                             capture_output=True, text=True)
        failures.expect(run.returncode == 0, "%s: %s" % (name, run.stderr.strip()))


def check_sdk(zf, failures):
    """A C host built with the shipped header and import library imports both calls from Stat.dll."""
    with tempfile.TemporaryDirectory() as temp:
        for name in ("Stat.h", "libStat.dll.a"):
            with open(os.path.join(temp, name), "wb") as f:
                f.write(zf.read(TOP + "Stat/" + name))
        host = os.path.join(temp, "host.c")
        with open(host, "w") as f:
            f.write('#include "Stat.h"\n'
                    "static int __cdecl Report(char* pBuffer, int nKind) { pBuffer[1] = 0; return nKind; }\n"
                    "int main(void) { ReportCallback pfn = Report; HANDLE h = StartLogThread(pfn);\n"
                    "  StartLogThreadProc pfnStart = StartLogThread; ExitLogThreadProc pfnExit = ExitLogThread;\n"
                    "  (void)pfnStart; (void)pfnExit; return h ? ExitLogThread(h) : 1; }\n")
        exe = os.path.join(temp, "host.exe")
        built = subprocess.run(["i686-w64-mingw32-gcc", "-std=c99", "-Wall", "-Wextra", "-Werror", host,
                                "-L" + temp, "-lStat", "-o", exe], capture_output=True, text=True)
        if not failures.expect(built.returncode == 0, "a C host does not build with Stat.h and libStat.dll.a:\n"
                               + built.stderr):
            return
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True).stdout
        section = dump.split("DLL Name: Stat.dll", 1)[-1].split("DLL Name:", 1)[0] if "Stat.dll" in dump else ""
        for export in ("StartLogThread", "ExitLogThread"):
            failures.expect(export in section, "the host does not import %s from Stat.dll" % export)


def check(build, path):
    failures = Failures()
    app = os.path.join(build, "app")
    skin_dir = os.path.join(app, "skin")
    skins = sorted(n for n in os.listdir(skin_dir) if os.path.isdir(os.path.join(skin_dir, n)))
    failures.expect({"现代", "经典"} <= set(skins), "the build lacks a shipped skin: %s" % skins)
    # What the zip must hold, and the built file each entry must equal.
    expected = {
        "QuiloPlayer.exe": os.path.join(app, "QuiloPlayer.exe"),
        README: None,
        GUIDE: None,
        "Stat/Stat.dll": os.path.join(build, "stat", "Stat.dll"),
        "Stat/Stat.h": os.path.join(ROOT, "stat", "Stat.h"),
        "Stat/libStat.dll.a": os.path.join(build, "stat", "libStat.dll.a"),
        "Stat/Stat.def": os.path.join(ROOT, "stat", "Stat.def"),
    }
    # Every file of every built skin folder and its scale folders, and every file its descriptions name.
    for skin in skins:
        for f in skin_files(skin_dir, skin):
            expected["skin/%s/%s" % (skin, f)] = os.path.join(skin_dir, skin, f)
        for folder, _, files in os.walk(os.path.join(skin_dir, skin)):
            for f in files:
                source = os.path.join(folder, f)
                expected["skin/" + os.path.relpath(source, skin_dir).replace(os.sep, "/")] = source

    with zipfile.ZipFile(path, metadata_encoding=NAME_ENCODING) as zf:
        failures.expect(zf.testzip() is None, "an entry fails its CRC check")
        infos = zf.infolist()
        for problem, bad in (
                ("stored with the UTF-8 flag", [i for i in infos if i.flag_bits & 0x800]),
                ("a backslash byte in the name", [i for i in infos if b"\\" in i.filename.encode(NAME_ENCODING)]),
                ("no Unicode path field of the same name",
                 [i for i in infos if not i.filename.isascii() and unicode_path(i) != i.filename]),
                ("outside " + TOP, [i for i in infos if not i.filename.startswith(TOP)])):
            failures.expect(not bad, "%s: %s" % (problem, ", ".join(i.filename for i in bad)))
        names = {i.filename[len(TOP):]: i for i in infos if i.filename.startswith(TOP)}
        failures.expect(set(names) == set(expected), "entries missing: %s; not expected: %s" % (
            sorted(set(expected) - set(names)), sorted(set(names) - set(expected))))

        for name, source in expected.items():
            if name not in names:
                continue
            data = zf.read(names[name])
            if source:
                failures.expect(os.path.isfile(source) and same_but_signature(data, raw_bytes(source)),
                                "%s differs from %s (by more than a signature)" % (name, source))
            else:
                failures.expect(data.startswith(b"\xef\xbb\xbf"), "%s: no byte-order mark" % name)
                failures.expect(data.count(b"\n") == data.count(b"\r\n") > 0, "%s: not CR LF lines" % name)
                failures.expect(len(data.decode("utf-8")) > 200, "%s: too short" % name)
        for name in ("QuiloPlayer.exe", "Stat/Stat.dll"):
            if name in names:
                data = zf.read(names[name])
                failures.expect(pe_machine(data) == (0x14C, 0x10B), "%s: not PE32 for i386" % name)
                check_import_slots(name, data, failures)
        if README in names:
            readme = zf.read(names[README]).decode("utf-8-sig")
            for mentioned in ["QuiloPlayer.exe", "Stat.dll", "Stat.h", "libStat.dll.a", "Stat.def", GUIDE] + skins:
                failures.expect(mentioned in readme, "%s does not say what %s is" % (README, mentioned))
        if "Stat/Stat.h" in names and "Stat/libStat.dll.a" in names:
            check_sdk(zf, failures)
    return failures


def main(argv):
    if not (argv[1:2] == ["write"] and len(argv) in (4, 5) or argv[1:2] == ["check"] and len(argv) == 4):
        sys.stderr.write(__doc__)
        return 2
    if argv[1] == "write":
        print(write(argv[2], argv[3], argv[4] if len(argv) == 5 else None))
        return 0
    failures = check(argv[2], argv[3])
    for failure in failures:
        sys.stderr.write("package: %s\n" % failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
