#!/usr/bin/python3
"""Footprint and speed figures for zepho, one figure a line.

Run by hand after the README's setup (it builds what is missing):
    /usr/bin/python3 bench/figures.py [--runs 30]
The output format stays stable so that later runs compare line by line.
"""
import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests"))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from unicorn import UC_HOOK_CODE  # noqa: E402

import check_pe  # noqa: E402
import emulated_windows  # noqa: E402
from wine_session import WineSession  # noqa: E402

EXE = os.path.join(ROOT, "build/win32/zepho.exe")
MAP = os.path.join(ROOT, "build/win32/zepho.map")
NOOP = os.path.join(ROOT, "build/win32/zepho_noop.exe")


def build():
    for preset in ("win32",):
        subprocess.run(["cmake", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def file_figures():
    """Size, sections, imports and instruction count, as the file check prints them."""
    check_pe.main(EXE, MAP)


MODES = [("help", b"zepho /HELP"), ("major", b"zepho"), ("verbose", b"zepho /VERBOSE"),
         ("terminals", b"zepho /VERBOSE /TERMINALS"), ("quiet", b"zepho /VERBOSE /QUIET")]


def emulated_figures():
    """Hand-overs to standard output and instructions run by zepho.exe itself
    on the emulated CPU, for each kind of standard output."""
    machine = emulated_windows.Machine(EXE)
    count = [0]

    def counted(*_):
        count[0] += 1
    machine.uc.hook_add(UC_HOOK_CODE, counted, begin=machine.base, end=machine.base + machine.size - 1)
    for mode, line in MODES:
        for kind, name in (("char", "console"), ("disk", "file"), ("pipe", "pipe")):
            count[0] = 0
            o = machine.run(emulated_windows.Scenario(mode, line, (2, 5, 0, 2195, b"Service Pack 4"),
                                                      {"SESSIONNAME": b"RDP-Tcp#7"}, kind=kind))
            lines = o.out.count(b"\r\n")
            rule = lines if kind == "char" else (len(o.out) + 127) // 128
            print(f"hand-overs (emulated exe) {mode} {name}: {len(o.sizes)} for {len(o.out)} bytes in {lines} lines "
                  f"(rule {rule}){'' if len(o.sizes) == rule else ' MISMATCH'}; {count[0]} instructions run")


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
    emulated_figures()
    sys.stdout.flush()
    workdir = tempfile.mkdtemp(prefix="zepho-bench-")
    wine = WineSession(os.path.join(workdir, "prefix"))
    try:
        wine.start()
        wine_timing(wine, args.runs)
    finally:
        wine.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
