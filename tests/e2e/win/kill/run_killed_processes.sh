#!/usr/bin/env bash
# Runs the tests that kill a client or a server in the middle of a job, each
# test in a wineserver session of its own. A killed server stays registered
# with Wine's RPC service, and activations in the same session then fail with
# 0x800706BA; only a new wineserver forgets it. Nothing inside Wine can
# restart the wineserver, hence this script around the test program.
#   run_killed_processes.sh <e2e_kill_tests.exe>
set -uo pipefail

exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../.." && pwd)"
source "$root/scripts/wine-env.sh"

# The prefix wine-run uses: the one of the build folder holding the program.
if [ -z "${KELAR_WINEPREFIX:-}" ]; then
  dir="$(cd "$(dirname "$exe")" && pwd)"
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
  KELAR_WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX="$KELAR_WINEPREFIX"

restart_wineserver() {
  "$KELAR_WINESERVER" -k 2>/dev/null || true
  "$KELAR_WINESERVER" -w 2>/dev/null || true
}

status=0
for test in 'KilledClient.*' 'KilledServer.DiesWhileTheVendorTranslates' \
            'KilledServer.TheNextServerQuarantinesTheLeftoverInput'; do
  "$root/scripts/wine-run" "$exe" --gtest_filter="$test" || status=1
  restart_wineserver
done
exit $status
