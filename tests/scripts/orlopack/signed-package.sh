#!/usr/bin/env bash
# A package signed after it was built, with a certificate made here: the signature verifies,
# OrloPack verify reports it, the signed package extracts byte for byte, and one flipped byte of
# the payload breaks the signature.
# Usage: signed-package.sh BINARY_DIR SOURCE_DIR
source "$(dirname "$0")/common.sh" "$1" signed
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (scripts/bootstrap.sh installs it)"
cp -r "$2/examples/demo-package" "$work/demo-package"
cd "$work"
e="$work_win\\demo-package"
orlopack build --source "$e\\source" --template "$e\\Properties_template.ini" \
  --language "$e\\default1031.ulf" --language "$e\\Defaultx.ulf" --output "$work_win\\out" -q ||
  { cat "$work/stderr" >&2; fail "the example does not build"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvex test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout key.pem -out cert.pem 2>/dev/null || fail "openssl"
osslsigncode sign -certs cert.pem -key key.pem -n "Demo package" -in out/DemoPackage.exe -out signed.exe \
  >/dev/null || fail "signing failed"
mv signed.exe out/DemoPackage.exe
osslsigncode verify -CAfile cert.pem -in out/DemoPackage.exe >verify.txt 2>&1 ||
  { cat verify.txt >&2; fail "the signature of the package does not verify"; }

orlopack verify "$work_win\\out\\DemoPackage.exe" || { cat "$work/stderr" >&2; fail "OrloPack verify"; }
grep -q 'DemoPackage.exe: signed (certificate table of' "$work/stdout" ||
  { cat "$work/stdout" >&2; fail "verify does not report the signature"; }

rc=0
timeout 120 wine "$work_win\\out\\DemoPackage.exe" /silent /strictexit /autolaunch=no "/extractpath=$work_win\\target" \
  >/dev/null 2>&1 || rc=$?
[[ $rc -eq 0 ]] || fail "the signed package ended with $rc"
(cd demo-package/source && find . -type f) | while read -r file; do
  cmp -s "demo-package/source/$file" "target/$file" || fail "$file was not extracted byte for byte"
done

orlopack list "$work_win\\out\\DemoPackage.exe" || fail "list"
offset=$(sed -n 's/.*payload at offset \([0-9]*\)).*/\1/p' "$work/stdout")
[[ -n "$offset" ]] || fail "no payload offset in the listing"
byte=$(od -An -tu1 -j $((offset + 100)) -N1 out/DemoPackage.exe | tr -d ' ')
printf "\\x$(printf %02x $((byte ^ 1)))" | dd of=out/DemoPackage.exe bs=1 seek=$((offset + 100)) conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile cert.pem -in out/DemoPackage.exe >verify.txt 2>&1; then
  fail "a changed payload byte did not break the signature"
fi
echo "ok: the signed package verifies, extracts byte for byte, and a changed payload breaks the signature"
