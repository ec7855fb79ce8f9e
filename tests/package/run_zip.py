#!/usr/bin/env python3
"""run_zip.py ZIP WORKDIR [LOCALE]: uses the release zip as a user and a host of Stat.dll would, under Wine.

Unpacks the zip into WORKDIR, starts its QuiloPlayer.exe and waits for the skinned player window, then
builds a host with the zip's Stat.h and import library and runs it against the zip's Stat.dll until the
library's callback has filled reports and they arrived as datagrams. The maker's host names lead to a
loopback server here: each program runs in a private mount namespace whose /etc/hosts says so (root only).
The release zip is 32-bit; a zip written from the 64-bit build (never shipped) runs the same checks where
32-bit programs do not run. With a LOCALE (say en_US.UTF-8: Wine's system code page follows it) the zip is
unpacked into a folder whose name code page 936 cannot spell, and only the player is checked. Needs WINEPREFIX (a prefix of the check's own, where the zip's programs run)
and DISPLAY.
"""
import fcntl
import http.server
import os
import re
import shutil
import socket
import subprocess
import sys
import threading
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "scripts"))
import package  # noqa: E402

# The compiler of a host for the zip's Stat.dll, by the library's machine.
HOST_COMPILERS = {0x14C: "i686-w64-mingw32-gcc", 0x8664: "x86_64-w64-mingw32-gcc"}
ADDR = "127.0.0.5"
MAKER_HOSTS = ("www.melbotv.com", "stat.melbotv.com", "bbs.melbotv.com")
TITLE = "MelboTV播放器"


class Server(http.server.ThreadingHTTPServer):
    """The maker's web sites on ADDR:80: the client configuration and the statistics settings."""

    def __init__(self, udp_port):
        self.requests = []
        self.documents = {
            "/vmp/clientconfig.html": "".join("%s=http://%s/%s##" % (k, ADDR, p) for k, p in (
                ("weburl", "vmp/default_new.aspx"), ("helpurl", "pub/help.html"), ("homeurl", ""),
                ("feedbackurl", "forum/"), ("defaultloadingurl", "loading.swf"), ("playerurl", "player.swf"))),
            "/wenstat/settings.ini": "[setting]\r\nlog=1\r\nlog_bufmap=1\r\nlog_connections=1\r\nbootstrap=200\r\n"
                                     "interval=300\r\nservers=s\r\n[s]\r\nhost=%s\r\nport=%d\r\n" % (ADDR, udp_port),
        }
        super().__init__((ADDR, 80), Handler)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.server.requests.append(self.path)
        body = self.server.documents.get(self.path, "").encode("ascii")
        self.send_response(200 if body else 404)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def in_namespace(hosts, command):
    """The command, run where /etc/hosts is the given file."""
    return ["unshare", "-m", "sh", "-c", 'mount --bind "$0" /etc/hosts && exec "$@"', hosts] + command


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.2)
    return None


def player_window():
    """(x, y, width, height) of the player's top-level window once it is shown on the display, or None."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    for line in tree.splitlines():
        match = re.search(r'(0x[0-9a-f]+) "%s": \(.*\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)' % TITLE,
                          line)
        if match:
            info = subprocess.run(["xwininfo", "-id", match.group(1)], capture_output=True, text=True).stdout
            w, h, x, y = map(int, match.groups()[1:])
            if "IsViewable" in info and w > 100 and h > 100:
                return x, y, w, h
    return None


def pixels(source):
    """Rows of (r, g, b) of an image file or an ImageMagick source such as "x:root"."""
    ppm = subprocess.run(["convert", source, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    fields = ppm.split(maxsplit=4)
    width, height, data = int(fields[1]), int(fields[2]), fields[4]
    return [[tuple(data[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)] for y in range(height)]


def caption_image(skin):
    """The image that the skin draws the caption with (the [Personality] Top key of Main.ini)."""
    with open(os.path.join(skin, "Main.ini"), encoding="cp936") as f:
        match = re.search(r"^Top=(.+?)\s*$", f.read(), re.M)
    return os.path.join(skin, match.group(1).replace("\\", "/").rsplit("/", 1)[-1])


def check_player(top, hosts, server, log):
    """The zip's player starts, fetches its configuration and shows its window in the caption of its skin."""
    player = subprocess.Popen(in_namespace(hosts, ["wine", os.path.join(top, "QuiloPlayer.exe")]), cwd=top,
                              stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    try:
        if not wait_for(lambda: "/vmp/clientconfig.html" in server.requests, 60):
            return "the player did not fetch its configuration from the maker's address (exit code %s)" % (
                player.poll())
        window = wait_for(player_window, 60)
        if not window:
            return "no player window appeared (exit code %s)" % player.poll()
        time.sleep(3)
        x, y, w, h = window
        shot = os.path.join(os.path.dirname(top), "player.png")
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", shot],
                       check=True)
        # The skin's caption colours, taken from its image, fill the caption band: a system frame has none.
        skin_rows = pixels(caption_image(os.path.join(top, "skin", "现代")))
        row = len(skin_rows) // 3
        colours = set(skin_rows[row])
        band = pixels(shot)[row][w // 4:3 * w // 4]
        share = sum(p in colours for p in band) / len(band)
        if share < 0.5:
            return "the window's caption is not the skin's (%.0f%% of its pixels; see %s)" % (100 * share, shot)
        print("run_zip: the zip's player shows its skinned window (%s)" % shot)
        return None
    finally:
        subprocess.run(["wineserver", "-k"])
        player.wait(30)


def check_stat_host(top, hosts, udp, log):
    """A host built from the zip's SDK gets report callbacks from the zip's Stat.dll, and reports arrive."""
    stat = os.path.join(top, "Stat")
    host = os.path.join(stat, "zip_stat_host.exe")
    with open(os.path.join(stat, "Stat.dll"), "rb") as f:
        machine = (package.pe_machine(f.read(4096)) or (None,))[0]
    if machine not in HOST_COMPILERS:
        return "the zip's Stat.dll is neither for i386 nor for x86-64"
    built = subprocess.run([HOST_COMPILERS[machine], "-std=c99", "-Wall", "-Wextra", "-Werror", "-I" + stat,
                            os.path.join(HERE, "zip_stat_host.c"), "-L" + stat, "-lStat", "-lws2_32", "-o", host],
                           capture_output=True, text=True)
    if built.returncode:
        return "the host does not build with the zip's Stat.h and libStat.dll.a:\n" + built.stderr
    run = subprocess.run(in_namespace(hosts, ["wine", host]), cwd=stat, stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, timeout=120)
    log.write(run.stdout.encode() + run.stderr.encode())
    if run.returncode:
        return "the host got no reports from the zip's Stat.dll (exit code %d): %s" % (run.returncode,
                                                                                      run.stdout.strip())
    udp.settimeout(5)
    try:
        datagram = udp.recv(4096)
    except socket.timeout:
        return "no report datagram arrived"
    if datagram != b"\x02zip-host-report-0123456789abcde":
        return "a report datagram is not what the host filled: %r" % datagram
    print("run_zip: a host built from the zip's Stat.h got report callbacks from its Stat.dll (%s)"
          % run.stdout.split("\n")[1])
    return None


def main(argv):
    if len(argv) not in (3, 4):
        sys.exit(__doc__)
    zip_path, work = argv[1], os.path.abspath(argv[2])
    other_locale = argv[3] if len(argv) == 4 else None
    # By default Chinese Windows: the program's texts and paths are code page 936 (the wineserver keeps the
    # locale it starts with, so it must not be running yet).
    os.environ["LC_ALL"] = other_locale or "zh_CN.UTF-8"
    if os.geteuid() != 0:
        print("run_zip: NOT RUN: giving the maker's host names loopback addresses takes root")
        return 3
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    unpacked = os.path.join(work, "quilo-Łukasz-한국어") if other_locale else work
    with zipfile.ZipFile(zip_path, metadata_encoding="cp936") as zf:
        zf.extractall(unpacked)
        top = os.path.join(unpacked, zf.namelist()[0].split("/", 1)[0])
    hosts = os.path.join(work, "hosts")
    with open(hosts, "w") as f:
        f.write("127.0.0.1 localhost\n%s %s\n" % (ADDR, " ".join(MAKER_HOSTS)))
    # Port 80 of the address is the machine's: tests of any build tree take the same lock.
    with open("/tmp/quilo-port80_%s.lock" % ADDR, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        udp.bind((ADDR, 0))
        server = Server(udp.getsockname()[1])
        threading.Thread(target=server.serve_forever, daemon=True).start()
        failures = []
        with open(os.path.join(work, "wine.log"), "wb") as log:
            checks = [lambda: check_player(top, hosts, server, log)]
            if not other_locale:
                checks.append(lambda: check_stat_host(top, hosts, udp, log))
            for check in checks:
                failure = check()
                if failure:
                    failures.append(failure)
        server.shutdown()
    for failure in failures:
        print("run_zip: %s" % failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
