#!/usr/bin/env bash
# Runs a Windows program of the build tree under the build tree's Wine prefix. CTest uses it as the
# cross-compiling emulator: wine-run.sh BINARY_DIR PROGRAM [ARGS...]
# The program is started by its X: path (X: maps the binary tree), from its own folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/wine-env.sh" "$1"
shift
"$here/wine-prefix.sh" "$TARVEX_BIN_DIR"
if [[ -f "$TARVEX_HARNESS_ENV" ]]; then
  # shellcheck disable=SC1090
  source "$TARVEX_HARNESS_ENV"
fi
program="$(readlink -f "$1")"
shift
case "$program" in
  "$TARVEX_BIN_DIR"/*) ;;
  *) echo "wine-run: $program is outside the build tree $TARVEX_BIN_DIR" >&2; exit 2 ;;
esac
relative="${program#"$TARVEX_BIN_DIR"/}"
cd "$(dirname "$program")"
exec wine "x:\\${relative//\//\\}" "$@"
