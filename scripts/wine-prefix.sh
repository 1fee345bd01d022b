#!/usr/bin/env bash
# Creates the isolated Wine prefix of a build tree (run by the build).
#   C: the prefix's own drive_c      D: a test drive under BINARY_DIR/wine/drives/d
#   E: the small test drive (a tmpfs mounted by the harness when it can)
#   X: the binary tree itself, typed as CD-ROM so that no drive search picks it
# There is no Z: drive: nothing outside the build tree is reachable by drive letter.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/wine-env.sh" "$1"
stamp="$TARVEX_WINE_DIR/prefix.ready"
[[ -f "$stamp" ]] && exit 0

mkdir -p "$TARVEX_WINE_DIR" "$HOME" "$TARVEX_DRIVE_D" "$TARVEX_DRIVE_E"
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

dd="$WINEPREFIX/dosdevices"
rm -f "$dd/z:" "$dd/d:" "$dd/e:" "$dd/x:"
ln -s "$TARVEX_DRIVE_D" "$dd/d:"
ln -s "$TARVEX_DRIVE_E" "$dd/e:"
ln -s "$TARVEX_BIN_DIR" "$dd/x:"
# The profile folders must not point at the home folder of the machine.
find "$WINEPREFIX/drive_c/users" -maxdepth 2 -type l -exec sh -c 'rm -f "$1" && mkdir -p "$1"' _ {} \;

wine reg add 'HKLM\Software\Wine\Drives' /v 'x:' /d cdrom /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
# Xvfb has no window manager, so Wine runs its windows unmanaged and draws their frames itself:
# managed windows would show no frame, and each hide of one would wait 2 s for a window manager to
# withdraw it.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -k || true
wineserver -w || true
touch "$stamp"
