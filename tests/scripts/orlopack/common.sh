# Sourced by the OrloPack script tests: the Wine environment, a scratch folder on the test drive D:
# and a way to run OrloPack.exe. Usage: source common.sh BINARY_DIR NAME
set -euo pipefail
scripts_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../scripts" && pwd)"
bin_dir="$(cd "$1" && pwd)"
source "$scripts_dir/wine-env.sh" "$bin_dir"
if [[ -f "$TARVEX_HARNESS_ENV" ]]; then
  # shellcheck disable=SC1090
  source "$TARVEX_HARNESS_ENV"
fi
[[ -x "$bin_dir/bin/OrloPack.exe" ]] || { echo "OrloPack.exe is not built in $bin_dir/bin" >&2; exit 1; }
[[ -f "$bin_dir/bin/Tarvex.exe" ]] || { echo "Tarvex.exe is not built in $bin_dir/bin" >&2; exit 1; }

# Unix folder and Windows path of the scratch folder (D: is $TARVEX_DRIVE_D).
work_name="orlopack-$2-$$"
work="$TARVEX_DRIVE_D/$work_name"
work_win="D:\\$work_name"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# orlopack ARGS... : runs OrloPack.exe under Wine; stdout and stderr stay apart, CR removed.
orlopack() {
  local rc=0
  "$scripts_dir/wine-run.sh" "$bin_dir" "$bin_dir/bin/OrloPack.exe" "$@" >"$work/.out" 2>"$work/.err" || rc=$?
  tr -d '\r' <"$work/.out" >"$work/stdout"
  tr -d '\r' <"$work/.err" >"$work/stderr"
  return $rc
}

fail() { echo "FAIL: $*" >&2; exit 1; }
