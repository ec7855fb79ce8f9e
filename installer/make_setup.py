#!/usr/bin/env python3
"""Writes and checks the setup program of QuiloPlayer (installer/QuiloPlayer.nsi, built with makensis).

  make_setup.py BUILD OUT_DIR [SIGNED]   writes OUT_DIR/QuiloPlayer-<version>-setup.exe, checks the version
                                         resources of the setup and of what it ships, and prints its path

SIGNED is the folder of signed copies of the build's binaries (scripts/sign -stage) that the setup installs
instead. With QUILO_SIGN_PFX given, makensis signs the uninstaller it writes and the setup through scripts/sign.

The setup users get is made from the 32-bit build. Made from the 64-bit build, it is a 64-bit setup of the
64-bit twin: never shipped, it lets the setup's test run where 32-bit programs do not.

The setup installs what the release zip holds of the program: QuiloPlayer.exe and the shipped skin folders
(scripts/package.py decides which files those are); the version and the names come from resources/Version.h.
"""
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import package  # noqa: E402

VERSION = package.VERSION
# The build's machine: (PE machine, optional header magic, makensis target, windres that reads it).
MACHINES = {0x14C: (0x14C, 0x10B, "x86-unicode", "i686-w64-mingw32-windres"),
            0x8664: (0x8664, 0x20B, "amd64-unicode", "x86_64-w64-mingw32-windres")}


def machine(build):
    with open(os.path.join(build, "app", "QuiloPlayer.exe"), "rb") as f:
        found = package.pe_machine(f.read(4096))
    if not found or found[0] not in MACHINES:
        sys.exit("make_setup: %s is neither an i386 nor an x86-64 program" % build)
    return MACHINES[found[0]]


def version_names():
    """The names of resources/Version.h: product, company, copyright."""
    with open(os.path.join(ROOT, "resources", "Version.h"), encoding="utf-8") as header:
        text = header.read()
    names = {}
    for key in ("PRODUCT_NAME", "COMPANY_NAME", "COPYRIGHT"):
        match = re.search(r'^#define QUILO_%s "([^"\\]*)"$' % key, text, re.M)
        if not match:
            sys.exit("make_setup: no QUILO_%s in resources/Version.h" % key)
        names[key] = match.group(1)
    return names


def nsis_text(value):
    """A value inside an NSIS double-quoted string ($ and " escaped)."""
    return value.replace("$", "$$").replace('"', '$\\"')


def program_file(build, signed):
    return os.path.join(signed, "QuiloPlayer.exe") if signed else os.path.join(build, "app", "QuiloPlayer.exe")


def generated_include(build, out_file, signed):
    """The defines and the shipped-skin macros that QuiloPlayer.nsi includes."""
    names = version_names()
    major, minor = VERSION.split(".")[:2]
    lines = ['!define VERSION "%s"' % VERSION, "!define VERSION_MAJOR %s" % major, "!define VERSION_MINOR %s" % minor]
    lines += ['!define %s "%s"' % (key, nsis_text(value)) for key, value in names.items()]
    lines += ['!define PROGRAM_FILE "%s"' % nsis_text(program_file(build, signed)),
              '!define ICON_FILE "%s"' % nsis_text(os.path.join(build, "resources", "QuiloPlayer.ico")),
              '!define OUT_FILE "%s"' % nsis_text(out_file)]
    if os.environ.get("QUILO_SIGN_PFX"):
        # makensis runs the signing step from a folder of its own.
        os.environ["QUILO_SIGN_PFX"] = os.path.abspath(os.environ["QUILO_SIGN_PFX"])
        lines.append('!define SIGN_COMMAND "%s"' % nsis_text(os.path.join(ROOT, "scripts", "sign")))
    folders = {}
    for name, source, _ in package.layout(build):
        if name.startswith("skin/"):
            folder, _, leaf = name.rpartition("/")
            folders.setdefault(folder.replace("/", "\\"), []).append((leaf, source))
    install, remove = ["!macro InstallShippedSkins"], ["!macro RemoveShippedSkins"]
    for folder, files in sorted(folders.items()):
        install.append('  SetOutPath "$INSTDIR\\%s"' % nsis_text(folder))
        for leaf, source in files:
            install.append('  File "/oname=%s" "%s"' % (nsis_text(leaf), nsis_text(source)))
    # A skin's scale folders go before the skin's own folder, which only an empty folder's RMDir removes.
    for folder, files in sorted(folders.items(), reverse=True):
        for leaf, source in files:
            remove.append('  Delete "$INSTDIR\\%s\\%s"' % (nsis_text(folder), nsis_text(leaf)))
        remove.append('  RMDir "$INSTDIR\\%s"' % nsis_text(folder))
    return "\n".join(lines + install + ["!macroend"] + remove + ["!macroend"]) + "\n"


def write(build, out_dir, signed=None):
    build = os.path.abspath(build)
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.abspath(os.path.join(out_dir, "QuiloPlayer-%s-setup.exe" % VERSION))
    with tempfile.TemporaryDirectory() as temp:
        part = os.path.join(temp, "setup.exe")
        include = os.path.join(temp, "generated.nsh")
        with open(include, "w", encoding="utf-8-sig") as f:
            f.write(generated_include(build, part, signed))
        made = subprocess.run(["makensis", "-V2", "-INPUTCHARSET", "UTF8", "-XTarget " + machine(build)[2],
                               "-DGENERATED=" + include,
                               os.path.join(HERE, "QuiloPlayer.nsi")], capture_output=True, text=True)
        # What the signing step said (a timestamp not given, say) reaches whoever packages.
        sys.stderr.write("".join(line for line in (made.stdout + made.stderr).splitlines(True)
                                 if line.startswith("== sign:")))
        if made.returncode != 0:
            sys.exit("make_setup: makensis failed:\n" + made.stdout + made.stderr)
        os.replace(part, path)
    return path


# -- check ------------------------------------------------------------------------------------------
def version_resource(path, windres):
    """({string name: value}, fixed file version text) of a PE file's version resource; None without one."""
    dump = subprocess.run([windres, "-i", path, "-J", "coff", "-O", "rc"],
                          capture_output=True, text=True)
    fixed = re.search(r"^\s*FILEVERSION (\d+), (\d+), (\d+), (\d+)$", dump.stdout, re.M)
    if dump.returncode != 0 or not fixed:
        return None

    def text(raw):
        return re.sub(r"\\x([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), raw)

    values = {name: text(value) for name, value in re.findall(r'^\s*VALUE "(\w+)", L?"((?:[^"\\]|\\.)*)"', dump.stdout,
                                                               re.M)}
    return values, ".".join(fixed.groups())


def check(build, setup, signed=None):
    failures = package.Failures()
    names = version_names()
    pe_machine, magic, _, windres = machine(build)
    with open(setup, "rb") as f:
        failures.expect(package.pe_machine(f.read(4096)) == (pe_machine, magic),
                        "%s: not a program for the build's machine" % setup)
    shipped = [(program_file(build, signed), names["PRODUCT_NAME"]),
               (os.path.join(signed or os.path.join(build, "stat"), "Stat.dll"), names["PRODUCT_NAME"] + " 统计库"),
               (setup, names["PRODUCT_NAME"] + " 安装程序")]
    if os.environ.get("QUILO_SIGN_PFX"):
        for path, _ in shipped:
            with open(path, "rb") as f:
                failures.expect(package.unsigned_image(f.read())[0], "%s: not signed" % path)
    for path, description in shipped:
        found = version_resource(path, windres)
        if not failures.expect(found, "%s: no version resource" % path):
            continue
        values, fixed = found
        failures.expect(fixed == VERSION, "%s: file version %s, not %s" % (path, fixed, VERSION))
        expected = {"FileVersion": VERSION, "ProductVersion": VERSION, "ProductName": names["PRODUCT_NAME"],
                    "LegalCopyright": names["COPYRIGHT"], "CompanyName": names["COMPANY_NAME"],
                    "FileDescription": description}
        for key, value in expected.items():
            failures.expect(values.get(key) == value, "%s: %s is %r, not %r" % (path, key, values.get(key), value))
    return failures


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    signed = os.path.abspath(argv[3]) if len(argv) == 4 else None
    setup = write(argv[1], argv[2], signed)
    failures = check(argv[1], setup, signed)
    for failure in failures:
        sys.stderr.write("setup: %s\n" % failure)
    print(setup)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
