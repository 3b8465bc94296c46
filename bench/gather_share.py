#!/usr/bin/env python3
# The add-in's share of a gather: records build/native/bench/gather_bench at one size with call
# stacks and splits the samples of the timed region (stacks through GetQuilloRecipients or
# CRecipients::Resolve) into the simulation's (a sim:: frame on the stack) and the add-in's.
#
#   bench/gather_share.py [ITEMS]        (default 100000; needs perf)
import subprocess
import sys
from collections import Counter

nItems = sys.argv[1] if len(sys.argv) > 1 else "100000"
sData = "/tmp/gather_share.data"
subprocess.run(["perf", "record", "-q", "-F", "2000", "--call-graph", "dwarf,16384", "-o", sData,
                "build/native/bench/gather_bench", f"--benchmark_filter=/{nItems}/", "--benchmark_repetitions=2"],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
sOut = subprocess.run(["perf", "script", "-i", sData, "-F", "ip,sym", "--no-inline"], capture_output=True,
                      text=True, check=True).stdout
vecStacks, vecFrames = [], []
for sLine in sOut.splitlines():
    if not sLine.strip():
        if vecFrames:
            vecStacks.append(vecFrames)
        vecFrames = []
        continue
    aParts = sLine.strip().split(None, 1)
    vecFrames.append(aParts[1] if len(aParts) > 1 else "")
if vecFrames:
    vecStacks.append(vecFrames)

nTimed = nSim = 0
oAddinLeaves = Counter()
for vec in vecStacks:
    if not any("GetQuilloRecipients" in f or "CRecipients::Resolve" in f for f in vec):
        continue
    nTimed += 1
    if any(f.startswith("sim::") for f in vec):
        nSim += 1
    else:
        oAddinLeaves[vec[0][:100]] += 1
print(f"timed samples {nTimed}: simulation {100.0 * nSim / max(nTimed, 1):.1f}%, "
      f"add-in {100.0 * (nTimed - nSim) / max(nTimed, 1):.1f}%")
print("add-in samples by leaf function:")
for sName, n in oAddinLeaves.most_common(12):
    print(f"  {100.0 * n / max(nTimed - nSim, 1):5.1f}%  {sName}")
