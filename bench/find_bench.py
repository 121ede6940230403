#!/usr/bin/env python3
"""Times `pellidor find` over a shelf of catalogs read from synthetic trees.

    find_bench.py PELLIDOR WORKDIR [--entries 1000000] [--catalogs 4] [--runs 5]
                  [--wide 100000 ...] [--reference OTHER-PELLIDOR] [--shared DIR]

WORKDIR keeps the trees (made with the shared mktree.py, one seed per
catalog, from ../shared/bench beside the checkout unless --shared names
another folder), a private home with its registry, the shelf's catalogs (read with
`pellidor read`) and a flat listing of every catalogued path for grep; each is
made only when missing, so later runs measure warm. For a text that matches
about 1 % of the names and for one that matches nothing, it times the search
and `grep -c -i` over the listing (both writing to a file, median of RUNS
after one warm-up run) and reads each one's peak resident memory from the
kernel's accounting of the finished child (through GNU time); wall and CPU
times are both given, since the machine may be shared. Prints a Markdown table.

A search holds every child of each folder on its path, so its memory grows
with the widest folder rather than with the catalogs; --wide also times a
search over a catalog of one folder of that many files, on a shelf of its own.

--reference runs another build's pellidor over the same shelf for every
search above and the listing of every entry, and fails unless both outputs
are byte for byte the same.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

# The shared benchmark tools, beside the checkout.
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "bench"))
NOTHING = "qzxjqv"
# Candidates for the text that matches about 1 % of the names.
CANDIDATES = """report image data backup setup readme config music photo invoice draft
final project test lib src doc temp cache log build release debug install update
driver help index main module plugin resource sample script server client user
admin system network print font theme icon video audio movie album track song
letter memo budget sales summary notes todo archive export import table chart
slide meeting contract resume profile account order payment receipt statement
scan copy old new version patch fix game save level map texture model sound""".split()


def environment(work):
    env = dict(os.environ)
    home = os.path.join(work, "home")
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               PELLIDOR_DRIVES=os.path.join(home, "drives.table"))
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    return env


def prepare(args, env):
    trees = os.path.join(args.work, "trees")
    shelf = os.path.join(args.work, "shelf")
    os.makedirs(trees, exist_ok=True)
    per_tree = args.entries // args.catalogs
    for i in range(args.catalogs):
        tree = os.path.join(trees, "t%d" % (i + 1))
        if not os.path.isdir(tree):
            subprocess.run([sys.executable, os.path.join(args.shared, "mktree.py"), tree, str(per_tree), "--seed",
                            str(i + 1)], check=True)
    subprocess.run([args.pellidor, "catdir", shelf], env=env, check=True, stdout=subprocess.DEVNULL)
    if not any(name.lower().endswith(".pld") for name in os.listdir(shelf)):
        for i in range(args.catalogs):
            subprocess.run([args.pellidor, "read", os.path.join(trees, "t%d" % (i + 1))], env=env, check=True,
                           stdout=subprocess.DEVNULL)
    listing = os.path.join(args.work, "listing.txt")
    names = []
    if not os.path.exists(listing):
        with open(listing, "w", encoding="utf-8", errors="surrogateescape") as out:
            for i in range(args.catalogs):
                top = os.path.join(trees, "t%d" % (i + 1))
                for folder, dirs, files in os.walk(top):
                    relative = os.path.relpath(folder, trees)
                    for name in dirs + files:
                        out.write(relative + "/" + name + "\n")
    with open(listing, encoding="utf-8", errors="surrogateescape") as lines:
        names = [line.rstrip("\n").rsplit("/", 1)[-1].lower() for line in lines]
    return listing, names


def one_percent_text(names):
    """The candidate whose share of names is nearest to 1 %."""
    best = None
    for word in CANDIDATES:
        share = sum(1 for name in names if word in name) / len(names)
        if best is None or abs(share - 0.01) < abs(best[1] - 0.01):
            best = (word, share)
    return best


def run(command, env, out_path, ok=(0,)):
    """Wall time, CPU time (user + system) in seconds and peak resident
    memory in KiB of one run, as GNU time reads them from the kernel."""
    stats = out_path + ".time"
    with open(out_path, "wb") as out:
        status = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", "-o", stats] + command, env=env, stdout=out,
                                stderr=subprocess.DEVNULL).returncode
    if status not in ok:
        raise SystemExit("%s failed with status %d" % (" ".join(command), status))
    with open(stats) as f:
        wall, user, system, peak = f.read().split()[-4:]
    return float(wall), float(user) + float(system), int(peak)


def measure(command, env, out_path, runs, ok=(0,)):
    run(command, env, out_path, ok)  # warm-up
    samples = [run(command, env, out_path, ok) for _ in range(runs)]
    return (statistics.median(s[0] for s in samples), statistics.median(s[1] for s in samples),
            max(s[2] for s in samples))


def count_lines(path):
    with open(path, "rb") as f:
        return sum(1 for _ in f)


def wide_folder(args, count):
    """A shelf of its own holding one catalog of one folder of COUNT empty
    files: the widest folder a walk must load at once."""
    work = os.path.join(args.work, "wide-%d" % count)
    env = environment(work)
    os.makedirs(env["HOME"], exist_ok=True)
    tree = os.path.join(work, "tree")
    if not os.path.isdir(tree):
        os.makedirs(tree + ".part", exist_ok=True)
        for i in range(count):
            open(os.path.join(tree + ".part", "file_%07d_report.txt" % i), "w").close()
        os.rename(tree + ".part", tree)
    shelf = os.path.join(work, "shelf")
    subprocess.run([args.pellidor, "catdir", shelf], env=env, check=True, stdout=subprocess.DEVNULL)
    if not any(name.lower().endswith(".pld") for name in os.listdir(shelf)):
        subprocess.run([args.pellidor, "read", tree], env=env, check=True, stdout=subprocess.DEVNULL)
    return env, os.path.join(work, "out.txt")


def same_output(args, env, texts):
    """Runs both builds' find for each text over the same shelf and compares
    their outputs byte for byte; prints the verdict, answers it."""
    same = True
    for text in texts:
        outputs = []
        for program in (args.pellidor, args.reference):
            command = [program, "find"] + ([text] if text else [])
            outputs.append(subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                          check=True).stdout)
        label = '"%s"' % text if text else "every entry"
        if outputs[0] == outputs[1]:
            print("%s: output byte for byte the same as the reference's (%d bytes)" % (label, len(outputs[0])))
        else:
            same = False
            mine, theirs = outputs[0].split(b"\n"), outputs[1].split(b"\n")
            line = next((i for i, (a, b) in enumerate(zip(mine, theirs)) if a != b), min(len(mine), len(theirs)))
            print("%s: output differs from the reference's, first at line %d" % (label, line + 1))
    return same


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pellidor")
    parser.add_argument("work")
    parser.add_argument("--entries", type=int, default=1000000)
    parser.add_argument("--catalogs", type=int, default=4)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--wide", type=int, nargs="*", default=[100000],
                        help="also search a catalog of one folder of this many files (none: skip)")
    parser.add_argument("--reference", help="another build's pellidor whose output must be the same")
    parser.add_argument("--shared", default=SHARED, help="the shared benchmark tools (mktree.py)")
    args = parser.parse_args()
    args.pellidor = os.path.abspath(args.pellidor)
    args.work = os.path.abspath(args.work)
    if args.reference:
        args.reference = os.path.abspath(args.reference)
    env = environment(args.work)
    listing, names = prepare(args, env)
    word, share = one_percent_text(names)
    out = os.path.join(args.work, "out.txt")

    everything = os.path.join(args.work, "all.txt")
    run([args.pellidor, "find"], env, everything)
    print("catalogued entries: %d (listing: %d)" % (count_lines(everything) - 1, len(names)))
    print("| search | matches | pellidor find: wall | CPU | peak memory | grep -c -i: wall | CPU | peak memory "
          "| wall ratio |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for text, label in ((word, '"%s" (%.2f %% of names)' % (word, share * 100)), (NOTHING, '"%s" (nothing)' % NOTHING)):
        find = measure([args.pellidor, "find", text], env, out, args.runs)
        matches = count_lines(out) - 1
        # grep answers 1 when it counts nothing.
        grep = measure(["grep", "-c", "-i", text, listing], env, out + ".grep", args.runs, ok=(0, 1))
        # On a small shelf grep ends within the timer's 10 ms: no ratio then.
        ratio = "%.1f" % (find[0] / grep[0]) if grep[0] > 0 else "n/a"
        print("| %s | %d | %.3f s | %.3f s | %.1f MB | %.3f s | %.3f s | %.1f MB | %s |" % (
            label, matches, find[0], find[1], find[2] / 1024, grep[0], grep[1], grep[2] / 1024, ratio))
    for count in args.wide:
        wide_env, wide_out = wide_folder(args, count)
        find = measure([args.pellidor, "find", NOTHING], wide_env, wide_out, args.runs)
        print("\none folder of %d files, \"%s\": %.3f s wall, %.3f s CPU, %.1f MB peak" % (
            count, NOTHING, find[0], find[1], find[2] / 1024))
    if args.reference and not same_output(args, env, (word, NOTHING, "")):
        sys.exit(1)

if __name__ == "__main__":
    main()
