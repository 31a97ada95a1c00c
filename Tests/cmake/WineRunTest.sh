#!/usr/bin/env bash
# Starts three copies of a Windows program at the same moment on a Wine
# prefix that does not exist yet, a few rounds, each on a new prefix: every
# copy must run. Before the runner made a fresh prefix under a lock, two
# programs started at once on a missing prefix lost one of them ("wine: chdir
# to .../server-...: No such file or directory") in 4 of 20 tries here.
#
#   WineRunTest.sh WINE_RUN PROBE.exe
set -uo pipefail
run=$1 probe=$2
rounds=${KESTRINE_WINE_RUN_ROUNDS:-2}
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrine-wine-run.XXXXXX")
prefix=""
finish() {
  [[ -n "$prefix" ]] && KESTRINE_WINEPREFIX=$prefix "$run" --stop-server >/dev/null 2>&1
  rm -rf "$work"
}
trap finish EXIT

failed=0
for round in $(seq 1 "$rounds"); do
  prefix=$work/prefix-$round
  pids=()
  for k in 1 2 3; do
    KESTRINE_WINEPREFIX=$prefix "$run" "$probe" >"$work/out-$round-$k" 2>&1 &
    pids+=($!)
  done
  for k in 1 2 3; do
    rc=0
    wait "${pids[k - 1]}" || rc=$?
    if ((rc != 0)) || ! grep -q "wine_run_probe ran" "$work/out-$round-$k"; then
      echo "round $round, copy $k: exit $rc: $(tr '\n' ' ' <"$work/out-$round-$k")"
      failed=$((failed + 1))
    fi
  done
  KESTRINE_WINEPREFIX=$prefix "$run" --stop-server >/dev/null 2>&1
  rm -rf "$prefix" "$prefix.lock"
  prefix=""
done
echo "wine_run_probe: $((rounds * 3 - failed)) of $((rounds * 3)) copies ran"
((failed == 0))
