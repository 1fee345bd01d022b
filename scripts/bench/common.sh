# shellcheck shell=bash disable=SC2154,SC2034
# Sourced by the benchmarks in this folder. Expects root (the repository) and bin_dir (the binary
# tree) to be set; sets up the build tree's Wine environment and gives the shared helpers.
# shellcheck disable=SC1091
source "$root/scripts/wine-env.sh" "$bin_dir"
"$root/scripts/wine-prefix.sh" "$bin_dir"

# bench_need PROGRAM...: stops when a program of the build tree is missing.
bench_need() {
  local program
  for program in "$@"; do
    [[ -x "$bin_dir/bin/$program.exe" ]] || { echo "build $program first: cmake --build $bin_dir --target $program" >&2; exit 1; }
  done
}

# settle: before a timed run. The previous run's tree was just deleted and its written data may not
# be on disk yet; both would otherwise land in this run's time (on a virtual disk, for seconds).
settle() {
  sync
  sleep "${BENCH_SETTLE:-5}"
}

bench_need_cabextract() {
  command -v cabextract >/dev/null || { echo "cabextract is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
}

# bench_source SIZE_MB: sets BENCH_SOURCE to the folder of a mixed source of about SIZE_MB, made once and kept for
# later runs of every benchmark (it lives in the build tree only): a third incompressible blobs of 1
# to 16 MB, a third real executables and libraries of the build tree, a third text (log-like lines
# and base64 of random bytes, which compresses less well), and 2000 small files.
bench_source() {
  local size="$1" src="$TARVEX_DRIVE_D/bench-source/src-$1" third n made mb f
  if [[ ! -f "$src/.complete" ]]; then
    echo "generating a ${size} MB mixed folder in $src ..."
    rm -rf "$src"
    mkdir -p "$src/random" "$src/binaries" "$src/text" "$src/small"
    third=$((size / 3)); n=0; made=0
    while [[ $made -lt $third ]]; do
      mb=$((1 + n % 16)); n=$((n + 1)); made=$((made + mb))
      head -c $((mb * 1048576)) /dev/urandom >"$src/random/blob$n.bin"
    done
    local exes
    mapfile -t exes < <(find "$bin_dir" -path "$bin_dir/wine" -prune -o -type f \( -name '*.exe' -o -name '*.a' -o -name '*.obj' \) -size +100k -print)
    made=0; n=0
    while [[ $made -lt $((third * 1048576)) && ${#exes[@]} -gt 0 ]]; do
      f="${exes[$((n % ${#exes[@]}))]}"; n=$((n + 1))
      cp "$f" "$src/binaries/$n-$(basename "$f")"
      made=$((made + $(stat -c %s "$f")))
    done
    made=0; n=0
    while [[ $made -lt $((third * 1048576 / 2)) ]]; do
      n=$((n + 1))
      seq 1 60000 | awk -v c="$n" '{printf "2024-05-17 10:%02d:%02d INFO component-%d processed request %d in %d ms\n", $1 % 60, $1 % 59, c, $1, $1 % 97}' >"$src/text/log$n.txt"
      made=$((made + $(stat -c %s "$src/text/log$n.txt")))
    done
    head -c $((third * 1048576 * 3 / 8)) /dev/urandom | base64 >"$src/text/encoded.txt"
    for n in $(seq 1 2000); do printf 'setting%d=value %d\n' "$n" "$n" >"$src/small/s$n.ini"; done
    touch "$src/.complete"
  fi
  BENCH_SOURCE="$src"
}

# bench_small_source COUNT: sets BENCH_SOURCE to a folder of COUNT files of 1 to 32 KB in 50
# folders, every other one text (log-like lines) and random bytes, made once and kept (in the build
# tree only). 20000 files make about 330 MB.
bench_small_source() {
  local count="$1" src="$TARVEX_DRIVE_D/bench-source/small-$1"
  if [[ ! -f "$src/.complete" ]]; then
    echo "generating $count small files in $src ..."
    rm -rf "$src"
    mkdir -p "$src"
    perl -e '
      my ($root, $count) = @ARGV;
      srand(18);
      open(my $random, "<", "/dev/urandom") or die;
      for my $i (1 .. $count) {
        my $dir = sprintf("%s/d%02d", $root, $i % 50);
        mkdir $dir;
        my $size = 1024 + int(rand(31 * 1024));
        my $data = "";
        if ($i % 2) {
          while (length($data) < $size) {
            $data .= sprintf("2024-05-17 10:%02d:%02d INFO part-%d wrote record %d of %d\r\n",
                             $i % 60, length($data) % 60, $i, length($data), $size);
          }
          $data = substr($data, 0, $size);
        } else {
          read($random, $data, $size);
        }
        open(my $out, ">", sprintf("%s/f%05d.%s", $dir, $i, $i % 2 ? "txt" : "bin")) or die;
        binmode $out;
        print $out $data;
        close $out;
      }' "$src" "$count"
    touch "$src/.complete"
  fi
  BENCH_SOURCE="$src"
}

# bench_folder_bytes FOLDER: bytes of all files below FOLDER.
bench_folder_bytes() { find "$1" -type f ! -name .complete -printf '%s\n' | awk '{s+=$1} END {print s + 0}'; }

# bench_cabinets DEST PART...: copies the parts to DEST as ordinary cabinets (the magic put back),
# for cabextract.
bench_cabinets() {
  local dest="$1" p
  shift
  rm -rf "$dest"; mkdir -p "$dest"
  cp "$@" "$dest/"
  for p in "$dest"/*; do printf 'MSCF' | dd of="$p" bs=1 count=4 conv=notrunc status=none; done
}

# One persistent Wine server for all runs, unless the test harness already runs one; its helper
# processes must not hold our output pipe.
bench_wineserver() {
  if [[ ! -f "$TARVEX_HARNESS_ENV" ]]; then
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  fi
}

# D:\... path of a file below the test drive.
winpath() { local p="${1#"$TARVEX_DRIVE_D"/}"; printf 'D:\\%s' "${p//\//\\}"; }
now() { date +%s.%N; }
mb() { awk -v b="$1" 'BEGIN {printf "%.1f", b / 1048576}'; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN {if (s > 0) printf "%.1f", b / 1048576 / s; else print "-"}'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN {print (a + 0 > b + 0) ? a : b}'; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.0f%%", 100 * a / b; else print "-"}'; }
