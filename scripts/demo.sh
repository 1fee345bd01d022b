#!/usr/bin/env bash
# Builds Tarvex and OrloPack, makes the sample package from examples/ with OrloPack, runs it
# unattended under Wine (in the build tree's isolated prefix) and shows what happened.
# With --gui the package runs with its wizard instead: a small driver clicks through every page as a
# user would and saves a screenshot of each (build/x64/wine/drives/d/artefacts/tour-*.png).
set -euo pipefail
mode=unattended
if [[ "${1:-}" == "--gui" ]]; then
  mode=gui
fi
cd "$(dirname "$0")/.."
root="$(pwd)"
B="$root/build/x64"

scripts/bootstrap.sh
if [[ ! -f "$B/CMakeCache.txt" ]]; then
  cmake --preset x64 >/dev/null
fi
cmake --build "$B" -j"$(nproc 2>/dev/null || echo 2)" --target Tarvex OrloPack wizard_tour wine_prefix >/dev/null
echo "== built $B/bin/Tarvex.exe and $B/bin/OrloPack.exe"

scripts/harness.sh start "$B" >/dev/null
trap 'scripts/harness.sh stop "$B" >/dev/null 2>&1 || true' EXIT
source scripts/wine-env.sh "$B"
source "$TARVEX_HARNESS_ENV"

demo="$TARVEX_DRIVE_D/demo"
rm -rf "$demo" "$WINEPREFIX/drive_c/Norlund/DemoPackage"
mkdir -p "$demo"
cp -r examples/demo-package "$demo/"
logs="$WINEPREFIX/drive_c/ProgramData/Norlund/Automation/Logfiles"
rm -f "$logs"/DemoPackage*.log

echo "== OrloPack build"
scripts/wine-run.sh "$B" "$B/bin/OrloPack.exe" build \
  --source 'D:\demo\demo-package\source' \
  --template 'D:\demo\demo-package\Properties_template.ini' \
  --language 'D:\demo\demo-package\default1031.ulf' \
  --language 'D:\demo\demo-package\Defaultx.ulf' \
  --top-image 'D:\demo\demo-package\top.png' \
  --bottom-image 'D:\demo\demo-package\bottom.png' \
  --output 'D:\demo\out'
echo "== OrloPack verify"
scripts/wine-run.sh "$B" "$B/bin/OrloPack.exe" verify 'D:\demo\out\DemoPackage.exe'

status=0
if [[ "$mode" == gui ]]; then
  echo "== DemoPackage.exe with its wizard (clicked through by wizard_tour)"
  rm -f "$TARVEX_DRIVE_D"/artefacts/tour-*.png
  scripts/wine-run.sh "$B" "$B/bin/wizard_tour.exe" 'D:\demo\out\DemoPackage.exe' 'Norlund Demo 1.0' || status=$?
  echo "screenshots: $TARVEX_DRIVE_D/artefacts/tour-*.png"
else
  echo "== DemoPackage.exe /unattended"
  (cd "$demo/out" && timeout 300 wine 'D:\demo\out\DemoPackage.exe' /unattended) || status=$?
  echo "exit code: $status"
fi

echo "== extracted tree (C:\\Norlund\\DemoPackage)"
(cd "$WINEPREFIX/drive_c/Norlund/DemoPackage" 2>/dev/null && find . -type f | sort) || echo "(nothing extracted)"
echo "== what the sample setup received"
cat "$WINEPREFIX/drive_c/Norlund/DemoPackage/setup-ran.txt" 2>/dev/null || echo "(the setup did not run)"
echo
echo "== log summary ($logs/DemoPackage.log)"
grep -E 'Launching|Return code of|Message Configuerd|RETURN|Errors found' "$logs/DemoPackage.log" || true
