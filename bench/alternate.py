#!/usr/bin/env python3
"""Times two or more builds of a command side by side: runs them in turn (the order reversed every
other round, so neither always follows the other), each into a fresh output folder, and prints the
median wall and CPU time (user + system, from wait4) of each.

    bench/alternate.py [--gap SECONDS] RUNS CLI_A CLI_B ... -- ARGUMENTS

OUT in the arguments stands for the fresh output folder. --gap waits that long before each run:
on a virtual machine whose host takes back the guest's free memory, a run a few seconds after the
last meets memory as a single command does, which back-to-back runs do not show. For the figures
under load, keep one core busy meanwhile (yes > /dev/null &).

    bench/alternate.py 15 old/glyphwright-cli build/glyphwright-cli -- \\
        -q package project.ipr OUT --target android,ios,web
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def main(argv):
    gap = 0.0
    if argv[:1] == ["--gap"]:
        gap, argv = float(argv[1]), argv[2:]
    if "--" not in argv or argv.index("--") < 3:
        sys.exit(__doc__)
    split = argv.index("--")
    runs, clis, arguments = int(argv[0]), argv[1:split], argv[split + 1:]
    work = tempfile.mkdtemp()
    times = {cli: ([], []) for cli in clis}
    try:
        for round_ in range(runs):
            for cli in clis if round_ % 2 == 0 else reversed(clis):
                out = os.path.join(work, "out")
                shutil.rmtree(out, ignore_errors=True)
                time.sleep(gap)
                start = time.perf_counter()
                child = subprocess.Popen([cli] + [a.replace("OUT", out) for a in arguments],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                _, status, usage = os.wait4(child.pid, 0)
                wall = time.perf_counter() - start
                if status != 0:
                    print(f"{cli} failed ({status})", file=sys.stderr)
                times[cli][0].append(wall * 1000)
                times[cli][1].append((usage.ru_utime + usage.ru_stime) * 1000)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for cli, (wall, cpu) in times.items():
        print(f"{cli}: wall {statistics.median(wall):.1f} ms, CPU {statistics.median(cpu):.1f} ms "
              f"(median of {len(wall)}; wall {min(wall):.1f} to {max(wall):.1f} ms)")


if __name__ == "__main__":
    main(sys.argv[1:])
