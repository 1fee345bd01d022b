#!/usr/bin/env bash
# "OrloPack list" on a package whose content, times and attributes the script chose itself: every
# payload entry, part (size and md5sum) and file must be listed as expected.
# Usage: list-known-package.sh BINARY_DIR
source "$(dirname "$0")/common.sh" "$1" list

src="$work/src"
mkdir -p "$src/sub"
printf 'alpha\n' >"$src/a.txt"
head -c 150000 /dev/zero >"$src/sub/zeros.bin"
printf 'ü\n' >"$src/sub/ünï.txt"
chmod a-w "$src/sub/ünï.txt"
touch -d '2020-05-17 10:20:30 UTC' "$src/a.txt" "$src/sub/zeros.bin" "$src/sub/ünï.txt"
printf '[Package]\nName=Known\n[Languages]\nSetupLanguages=1033;1031\n' >"$work/template.ini"
printf '\xff\xfe[\x00F\x00i\x00l\x00e\x00I\x00n\x00f\x00o\x00]\x00\r\x00\n\x00I\x00D\x00=\x001\x000\x003\x001\x00' \
  >"$work/default1031.ulf"

orlopack build -s "$work_win\\src" -t "$work_win\\template.ini" -l "$work_win\\default1031.ulf" \
  -o "$work_win\\out" -n Known -p 64K --compression none --set-id 4242 ||
  { cat "$work/stderr" >&2; fail "build failed"; }
orlopack list "$work_win\\out\\Known.exe" || { cat "$work/stdout" "$work/stderr" >&2; fail "list failed"; }
listing="$work/stdout"

expect() { grep -qxF -- "$1" "$listing" || { cat "$listing" >&2; fail "missing line: $1"; }; }

exe_size=$(stat -c %s "$work/out/Known.exe")
grep -qE "^Package D:\\\\$work_name\\\\out\\\\Known.exe \\($exe_size bytes, payload at offset [0-9]+\\)$" "$listing" ||
  { cat "$listing" >&2; fail "package line"; }
expect "Payload entries (2):"
grep -qE '^  Properties_Orlo.ini +settings +[0-9]+ bytes$' "$listing" || fail "properties entry"
expect "$(printf '  %-28s %-9s %12u bytes' default1031.ulf settings "$(stat -c %s "$work/default1031.ulf")")"

parts=("$work/out"/Known.0*)
[[ ${#parts[@]} -eq 3 ]] || fail "expected 3 parts, got ${#parts[@]}"
expect "Part files (multi-part, base name Known, set id 4242, 3 listed):"
for i in 1 2 3; do
  p="$work/out/Known.00$i"
  sum=$(md5sum "$p" | cut -d' ' -f1)
  line=$(grep -F "  Known.00$i  " "$listing") || fail "no line for part $i"
  [[ "$line" == "  Known.00$i  $(stat -c %s "$p") bytes  md5 $sum  magic ORLO, set id 4242, index $((i - 1)),"* ]] ||
    fail "part $i: $line"
  [[ "$line" == *", stored"* ]] || fail "part $i is not stored uncompressed: $line"
  if [[ $i -lt 3 ]]; then [[ "$line" == *", next Known.00$((i + 1))" ]] || fail "part $i chain: $line"; fi
done

expect "Files (3):"
expect "$(printf '  %12u  %s  %-13s %s' 6 '2020-05-17 10:20:30' '---A utc' '\a.txt')"
expect "$(printf '  %12u  %s  %-13s %s' 150000 '2020-05-17 10:20:30' '---A utc' '\sub\zeros.bin')"
expect "$(printf '  %12u  %s  %-13s %s' 3 '2020-05-17 10:20:30' 'R--A utf8 utc' '\sub\ünï.txt')"
[[ ! -s "$work/stderr" ]] || { cat "$work/stderr" >&2; fail "list wrote to stderr"; }

# A missing part is a problem of the listing too, named on stderr, and the exit code says so.
rm "$work/out/Known.002"
if orlopack list "$work_win\\out\\Known.exe"; then fail "list of a package without part 2 succeeded"; fi
grep -qF "problem:   Known.002  missing" "$work/stderr" || { cat "$work/stderr" >&2; fail "missing part not named"; }
echo "ok: list of a known package"
