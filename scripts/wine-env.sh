# Sourced by the harness scripts: the isolated Wine environment of one build tree.
# Usage: source scripts/wine-env.sh BINARY_DIR
# Everything Wine writes (prefix, home, test drives) stays under BINARY_DIR/wine.
TARVEX_BIN_DIR="$(cd "$1" && pwd)"
TARVEX_WINE_DIR="$TARVEX_BIN_DIR/wine"
export WINEPREFIX="$TARVEX_WINE_DIR/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links the profile folders (Desktop, Documents, ...) to the home folder: keep that inside too.
export HOME="$TARVEX_WINE_DIR/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
TARVEX_DRIVE_D="$TARVEX_WINE_DIR/drives/d"
TARVEX_DRIVE_E="$TARVEX_WINE_DIR/drives/e"
TARVEX_HARNESS_ENV="$TARVEX_WINE_DIR/harness.env"
# Size of the small drive E: (a tmpfs) used by the full-disk tests.
TARVEX_SMALL_DRIVE_SIZE=1m
