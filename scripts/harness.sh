#!/usr/bin/env bash
# Starts or stops the test harness of a build tree: one Xvfb, one persistent wineserver, the small
# tmpfs drive E:. CTest runs "start" as a setup fixture and "stop" as a cleanup fixture, so both
# run once per test run and the stop runs even when tests fail.
# Usage: harness.sh start|stop BINARY_DIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
action="$1"
source "$here/wine-env.sh" "$2"

stop_harness() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -f "$TARVEX_HARNESS_ENV" ]]; then
    # shellcheck disable=SC1090
    source "$TARVEX_HARNESS_ENV"
    if [[ -n "${TARVEX_XVFB_PID:-}" ]] && kill -0 "$TARVEX_XVFB_PID" 2>/dev/null; then
      kill "$TARVEX_XVFB_PID" 2>/dev/null || true
      for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$TARVEX_XVFB_PID" 2>/dev/null || break; sleep 0.2; done
      kill -9 "$TARVEX_XVFB_PID" 2>/dev/null || true
    fi
    rm -f "$TARVEX_HARNESS_ENV"
  fi
  if mountpoint -q "$TARVEX_DRIVE_E" 2>/dev/null; then
    umount "$TARVEX_DRIVE_E" 2>/dev/null || umount -l "$TARVEX_DRIVE_E" 2>/dev/null || true
  fi
}

case "$action" in
  start)
    "$here/wine-prefix.sh" "$2" || { echo "harness: cannot create the Wine prefix" >&2; exit 1; }
    stop_harness
    mkdir -p "$TARVEX_DRIVE_E"
    rm -rf "${TARVEX_DRIVE_E:?}"/* 2>/dev/null || true
    small="no"
    if mount -t tmpfs -o "size=$TARVEX_SMALL_DRIVE_SIZE" tarvex-small "$TARVEX_DRIVE_E" 2>/dev/null; then
      small="yes"
    else
      echo "harness: cannot mount the small tmpfs drive E: (not root?); full-disk tests will skip" >&2
    fi
    # Every process started here outlives this script: none may hold CTest's output pipes.
    setsid Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp \
      5>"$TARVEX_WINE_DIR/xvfb.out" >"$TARVEX_WINE_DIR/xvfb.log" 2>&1 </dev/null &
    xpid=$!
    display=""
    for _ in $(seq 1 100); do
      display=$(head -n1 "$TARVEX_WINE_DIR/xvfb.out" 2>/dev/null || true)
      [[ -n "$display" ]] && break
      sleep 0.1
    done
    if [[ -z "$display" ]]; then
      echo "harness: Xvfb did not start" >&2; cat "$TARVEX_WINE_DIR/xvfb.log" >&2; kill "$xpid" 2>/dev/null; exit 1
    fi
    {
      echo "TARVEX_XVFB_PID=$xpid"
      echo "export DISPLAY=:$display"
      echo "export TARVEX_SMALL_DRIVE=$small"
    } >"$TARVEX_HARNESS_ENV"
    export DISPLAY=":$display"
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    echo "harness: Xvfb on :$display (pid $xpid), wineserver persistent, small drive mounted: $small"
    ;;
  stop)
    stop_harness
    echo "harness: stopped"
    ;;
  *) echo "usage: harness.sh start|stop BINARY_DIR" >&2; exit 2 ;;
esac
