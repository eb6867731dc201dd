#!/usr/bin/env bash
# Runs a test program under Wine with a limit on the size of the files it
# writes. SIGXFSZ is ignored, so a write past the limit is cut short or
# fails, as on a full disk.
# Usage: run_limited.sh BYTES PROGRAM.exe [ARGS...]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"
limit=$1
exe=$2
shift 2
# The PE header says which Wine loader the program needs.
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')
pelmora_wine_env "$([ "$machine" = 014c ] && echo i686 || echo x86_64)"
# The server keeps the prefix's files: it must not run under the limit.
wineserver -p 2>/dev/null || true
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
(trap '' XFSZ && exec prlimit --fsize="$limit" "$WINELOADER" "$exe" "$@") >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
