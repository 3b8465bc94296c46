#!/usr/bin/env bash
# The fault sweep: every scenario script, run by quillo-sim once per simulated member the script
# touches and per way of failing (its first call, its second call, every call). A run passes when
# quillo-sim ends by itself (no crash, no hang) with no error escaped into Outlook or a form;
# a script line that fails because the simulation refused it (exit 2) is a pass.
#
#   scripts/fault-sweep.sh QUILLO_SIM [--max RUNS] [--seed N] [SCRIPT...]
#
# When the scripts × members × ways exceed RUNS (default 600, about 30 s on two cores), an even
# sample is taken: every k-th run of the sorted list, starting at an offset chosen by the seed
# (default 0, so that every run of the test checks the same sample; pass --seed N to cover the
# rest of the list in turn). --max 0 runs everything. The failing runs are listed with the command line that repeats them.
set -uo pipefail
cd "$(dirname "$0")/.."
sim=$1
shift
max=600
seed=0
scripts=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --max) max=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    *) scripts+=("$1"); shift ;;
  esac
done
[[ ${#scripts[@]} -gt 0 ]] || scripts=(app/demo.script tests/scenarios/*.script)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The members each script touches, from one clean run.
: > "$work/runs"
for script in "${scripts[@]}"; do
  if ! "$sim" --registry :memory: --script "$script" --calls "$work/calls" > /dev/null 2> "$work/err"; then
    echo "fault-sweep: $script does not run cleanly:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  while read -r member _; do
    for way in 1 2 always; do echo "$script $member@$way"; done
  done < "$work/calls" >> "$work/runs"
done
total=$(wc -l < "$work/runs")
stride=1
if [[ $max -gt 0 && $total -gt $max ]]; then stride=$(( (total + max - 1) / max )); fi
offset=$(( seed % stride ))
awk -v k="$stride" -v o="$offset" '(NR - 1) % k == o' "$work/runs" > "$work/sample"
echo "fault-sweep: $(wc -l < "$work/sample") of $total runs (stride $stride from $offset; ${#scripts[@]} scripts)"

# One run: exit 0 or 2 passes; 3 is an escaped error, 124 a hang, anything else a crash.
run_one() {
  local script=$1 fault=$2
  timeout 30 "$SIM" --registry :memory: --script "$script" --fault "$fault" > /dev/null 2>&1
  local rc=$?
  if [[ $rc -ne 0 && $rc -ne 2 ]]; then
    echo "exit $rc: $SIM --registry :memory: --script $script --fault $fault"
  fi
}
export -f run_one
export SIM=$sim
xargs -P "$(nproc)" -L 1 bash -c 'run_one "$0" "$1"' < "$work/sample" > "$work/failed"
if [[ -s "$work/failed" ]]; then
  echo "fault-sweep: $(wc -l < "$work/failed") run(s) failed:" >&2
  cat "$work/failed" >&2
  exit 1
fi
echo "fault-sweep: every run ended cleanly"
