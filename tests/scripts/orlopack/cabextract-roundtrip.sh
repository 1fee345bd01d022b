#!/usr/bin/env bash
# Round trip against a decoder we did not write: packages built by OrloPack under Wine, their parts
# turned back from "ORLO" into "MSCF" and extracted with cabextract, compared with the source tree.
# Usage: cabextract-roundtrip.sh BINARY_DIR
source "$(dirname "$0")/common.sh" "$1" cabextract
command -v cabextract >/dev/null || fail "cabextract is not installed (scripts/bootstrap.sh installs it)"

part=65536
src="$work/src"
mkdir -p "$src/a/b/c/d" "$src/many" "$src/Grüße/日本語" "$src/empty-folder-sibling"
head -c $((part * 7 / 2)) /dev/urandom >"$src/a/huge.bin"          # larger than a part, spans three or more
head -c 150000 /dev/urandom >"$src/a/b/c/d/deep.bin"
for i in $(seq 1 10000); do echo "text line $i that compresses well"; done >"$src/a/b/text.txt"
: >"$src/empty.txt"
: >"$src/a/b/c/also-empty.dat"
printf 'Übersicht\n' >"$src/Grüße/日本語/übersicht ü.txt"
printf 'emoji\n' >"$src/Grüße/smile 😀.txt"
printf 'x\n' >"$src/empty-folder-sibling/name with spaces.txt"
for i in $(seq 1 400); do printf 'small file %d\n' "$i" >"$src/many/f$i.txt"; done

check() {
  local label="$1" out="$2"
  local parts=("$work/$out"/Demo.0*)
  [[ ${#parts[@]} -ge 4 ]] || fail "$label: expected several parts, got ${#parts[@]}"
  local spanning=0
  for p in "${parts[@]}"; do
    [[ "$(head -c 4 "$p")" == "ORLO" ]] || fail "$label: $(basename "$p") does not begin with ORLO"
    [[ $(stat -c %s "$p") -le $part ]] || fail "$label: $(basename "$p") is larger than the part size"
    grep -q --binary-files=text 'huge.bin' "$p" && spanning=$((spanning + 1))
  done
  [[ $spanning -ge 3 ]] || fail "$label: huge.bin is recorded in $spanning parts, expected three or more"
  local copy="$work/$out-mscf" extracted="$work/$out-extracted"
  mkdir -p "$copy" "$extracted"
  cp "${parts[@]}" "$copy/"
  for p in "$copy"/*; do printf 'MSCF' | dd of="$p" bs=1 count=4 conv=notrunc status=none; done
  cabextract -q -d "$extracted" "$copy/Demo.001" || fail "$label: cabextract failed"
  # cabextract writes no empty folders; the source has none.
  diff -r "$src" "$extracted" || fail "$label: the extracted tree differs from the source"
  local count
  count=$(find "$extracted" -type f | wc -l)
  [[ $count -eq $(find "$src" -type f | wc -l) ]] || fail "$label: $count files extracted"
  echo "ok: $label (${#parts[@]} parts, $count files)"
}

printf '[Package]\nName=Demo\nNameDispl=Demo\nVersionString=1.0\n' >"$work/template.ini"
for compression in mszip none; do
  orlopack build --source "$work_win\\src" --template "$work_win\\template.ini" --output "$work_win\\out-$compression" \
    --name Demo --part-size 64K --compression $compression ||
    { cat "$work/stderr" >&2; fail "build with $compression failed"; }
  check "$compression" "out-$compression"
done
