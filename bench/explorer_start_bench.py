#!/usr/bin/env python3
"""The explorer's start as a user sees it: from exec until its window, titled
for My Computer, is mapped on the X server.

    explorer_start_bench.py EXPLORER TESTSERVER [--runs N] [--drives N ...]

Needs DISPLAY (an Xvfb is enough) and xdotool. Each run gets the same
temporary home, data directory and drive table; the test server is
registered as a junction under the Desktop and My Computer, so the start
includes loading an extension. One untimed run first; the figure is the
median of the timed runs.
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time

JUNCTION = "{6A1E0C10-5B2D-4F3A-8C11-0D7E9F20A001}"
EXPLORER_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"


def window_shown():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^My Computer - Explorer$"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return found.returncode == 0 and found.stdout.strip() != b""


def one_start(explorer, env):
    # A busy X server now and then refuses a connection (the explorer's or
    # xdotool's): such a run is started again.
    for _ in range(3):
        try:
            return start_once(explorer, env)
        except RuntimeError:
            continue
    raise RuntimeError("explorer did not show its window in three tries")


def start_once(explorer, env):
    begin = time.monotonic()
    process = subprocess.Popen([explorer], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not window_shown():
            if process.poll() is not None:
                raise RuntimeError("explorer ended before its window showed")
            time.sleep(0.005)
        return (time.monotonic() - begin) * 1000
    finally:
        process.terminate()
        process.wait()


def register(env, registry_tool):
    for hive, key, value in [
            ("HKCR", "CLSID\\" + JUNCTION, "Bench Junction"),
            ("HKCR", "CLSID\\" + JUNCTION + "\\InprocServer32", env["BENCH_TESTSERVER"]),
            ("HKLM", EXPLORER_KEY + "Desktop\\Namespace\\" + JUNCTION, "Bench"),
            ("HKLM", EXPLORER_KEY + "MyComputer\\Namespace\\" + JUNCTION, "Bench")]:
        subprocess.run([registry_tool, hive, key, value], env=env, check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("explorer")
    parser.add_argument("registry_tool", help="bench_regset: sets a key's default value")
    parser.add_argument("testserver")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--drives", type=int, nargs="+", default=[2, 20, 200])
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as root:
        env = dict(os.environ, HOME=root, XDG_DATA_HOME=root + "/data", PELLIDOR_DRIVES=root + "/drives.table",
                   BENCH_TESTSERVER=os.path.abspath(args.testserver))
        register(env, args.registry_tool)
        print("| Drives | Median ms | Runs |\n|---|---|---|")
        for drives in args.drives:
            with open(env["PELLIDOR_DRIVES"], "w") as table:
                for i in range(drives):
                    path = "%s/drives/d%d" % (root, i)
                    os.makedirs(path, exist_ok=True)
                    table.write("%s\t%d\tDRIVE %d\t0\tFAT32\t1000\t10\t1\n" % (path, 5 if i % 2 == 0 else 2, i))
            one_start(args.explorer, env)
            times = [one_start(args.explorer, env) for _ in range(args.runs)]
            print("| %d | %.0f | %d |" % (drives, statistics.median(times), args.runs))


if __name__ == "__main__":
    main()
