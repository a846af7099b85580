#!/usr/bin/python3
"""Footprint and speed figures for zepho, one figure a line.

Run by hand after the README's setup (it builds what is missing):
    /usr/bin/python3 bench/figures.py [--runs 30]
The output format stays stable so that later runs compare line by line.
"""
import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests"))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import check_pe  # noqa: E402
from wine_session import WineSession  # noqa: E402

EXE = os.path.join(ROOT, "build/win32/zepho.exe")
MAP = os.path.join(ROOT, "build/win32/zepho.map")
NOOP = os.path.join(ROOT, "build/win32/zepho_noop.exe")
HANDOVERS = os.path.join(ROOT, "build/host/bench/zepho_handovers")


def build():
    for preset in ("host", "win32"):
        subprocess.run(["cmake", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def file_figures():
    """Size, sections, imports and instruction count, as the file check prints them."""
    check_pe.main(EXE, MAP)


def wine_handovers(wine, workdir):
    """WriteFile calls made by zepho.exe itself, counted from Wine's relay trace."""
    wine.run(["reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d",
              "KERNEL32.WriteFile;KERNELBASE.WriteFile", "/f"], capture_output=True)
    for release in ("winxp", "win98"):
        wine.run(["reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", release, "/f"], capture_output=True)
        for args in (["/VERBOSE"], ["/HELP"]):
            for kind in ("pipe", "file"):
                path = os.path.join(workdir, "out")
                with open(path, "wb") if kind == "file" else open(os.devnull, "rb") as f:
                    done = wine.run([EXE] + args, env={"WINEDEBUG": "+relay"},
                                    stdout=f if kind == "file" else subprocess.PIPE, stderr=subprocess.PIPE)
                out = open(path, "rb").read() if kind == "file" else done.stdout
                calls = len(re.findall(rb"Call KERNEL(?:32|BASE)\.WriteFile\([^)]*\) ret=004", done.stderr))
                expected = (len(out) + 127) // 128
                print(f"hand-overs (wine) {release} {' '.join(args)} {kind}: {calls} for {len(out)} bytes "
                      f"(rule {expected}){'' if calls == expected else ' MISMATCH'}")
    wine.run(["reg", "delete", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/f"], capture_output=True)
    wine.run(["reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", "winxp", "/f"], capture_output=True)


def wine_timing(wine, runs):
    times = {"zepho": [], "noop": []}
    for _ in range(runs):
        for name, args in (("zepho", [EXE, "/VERBOSE"]), ("noop", [NOOP])):
            start = time.perf_counter()
            wine.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[name].append(time.perf_counter() - start)
    zepho, noop = statistics.median(times["zepho"]), statistics.median(times["noop"])
    print(f"wall time (wine, median of {runs}) zepho.exe /VERBOSE: {zepho * 1000:.0f} ms")
    print(f"wall time (wine, median of {runs}) do-nothing exe: {noop * 1000:.0f} ms")
    print(f"wall time ratio zepho / do-nothing: {zepho / noop:.3f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=30)
    args = parser.parse_args()
    build()
    print(f"date: {time.strftime('%Y-%m-%d')}")
    print(f"machine: {platform.machine()}, {os.cpu_count()} cores, {platform.system()} {platform.release()}")
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    print(f"wine: {wine_version}")
    file_figures()
    sys.stdout.flush()
    subprocess.run([HANDOVERS], check=True)
    sys.stdout.flush()
    workdir = tempfile.mkdtemp(prefix="zepho-bench-")
    wine = WineSession(os.path.join(workdir, "prefix"))
    try:
        wine.start()
        wine_handovers(wine, workdir)
        wine_timing(wine, args.runs)
    finally:
        wine.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
