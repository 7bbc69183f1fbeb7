#!/usr/bin/env bash
# Runs one Windows program under the Wine that scripts/wine-env.sh chose, with
# a time limit. Wine's output goes to a file first: its background services
# would otherwise hold the caller's pipe open.
set -u
if [ -z "${WINE:-}" ]; then
  # shellcheck source=wine-env.sh
  . "$(dirname "$0")/wine-env.sh"
fi
log="$(mktemp)"
timeout -k 5 "${OCURAL_WINE_TIMEOUT:-600}" "$WINE" "$@" </dev/null >"$log" 2>&1
rc=$?
cat "$log"
rm -f "$log"
exit $rc
