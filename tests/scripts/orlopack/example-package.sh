#!/usr/bin/env bash
# The worked example of the documentation: the sample package in examples/ builds without warnings
# with the command shown there, and verify finds it sound.
# Usage: example-package.sh BINARY_DIR SOURCE_DIR
source "$(dirname "$0")/common.sh" "$1" example
cp -r "$2/examples/demo-package" "$work/demo-package"
cd "$work"
e="$work_win\\demo-package"
orlopack build --source "$e\\source" --template "$e\\Properties_template.ini" \
  --language "$e\\default1031.ulf" --language "$e\\Defaultx.ulf" --output "$work_win\\out" ||
  { cat "$work/stderr" >&2; fail "the example does not build"; }
[[ ! -s "$work/stderr" ]] || { cat "$work/stderr" >&2; fail "the example builds with warnings"; }
grep -q '^package: .*\\out\\DemoPackage.exe$' "$work/stdout" || { cat "$work/stdout" >&2; fail "package name"; }
[[ -f "$work/out/DemoPackage.001" ]] || fail "no part DemoPackage.001"
orlopack verify "$work_win\\out\\DemoPackage.exe" || { cat "$work/stderr" >&2; fail "verify of the example failed"; }
grep -q 'the package is sound (4 files' "$work/stdout" || { cat "$work/stdout" >&2; fail "verify summary"; }
echo "ok: the example package builds and verifies"
