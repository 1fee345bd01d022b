#!/usr/bin/env bash
# Fails on an include that goes up the folder order of src/: a folder may include its own headers
# and those of the folders below it, never one above or beside it. resources/ holds only resource
# ids and may be included from anywhere. A folder that is not in the order fails too, so that a new
# folder is placed deliberately.
# Usage: check-includes.sh SOURCE_DIR
set -euo pipefail
src="${1:?usage: check-includes.sh SOURCE_DIR}/src"

# Rank of each folder, lowest first; equal ranks may not include each other.
declare -A rank=(
  [util]=0
  [log]=1 [version]=1
  [settings]=2
  [conditions]=3
  [cabinet]=4
  [validation]=5
  [extraction]=6
  [launch]=7
  [ui]=8
  [app]=9
)

failures=0
while IFS= read -r -d '' file; do
  relative="${file#"$src"/}"
  folder="${relative%%/*}"
  if [[ "$folder" == "$relative" || "$folder" == resources ]]; then
    continue # src/CMakeLists.txt, resource scripts
  fi
  if [[ -z "${rank[$folder]+set}" ]]; then
    echo "$relative: the folder $folder/ has no place in the folder order (tests/scripts/layering)"
    failures=$((failures + 1))
    continue
  fi
  while IFS= read -r line; do
    number="${line%%:*}"
    target="${line#*\"}"
    target="${target%%/*}"
    if [[ "$target" == "$folder" || "$target" == resources ]]; then
      continue
    fi
    if [[ -z "${rank[$target]+set}" ]]; then
      echo "$relative:$number: includes from $target/, which has no place in the folder order"
      failures=$((failures + 1))
    elif ((rank[$target] >= rank[$folder])); then
      echo "$relative:$number: $folder/ may not include $target/ (it is not below $folder/)"
      failures=$((failures + 1))
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z)

if ((failures > 0)); then
  echo "$failures upward include(s) in src/" >&2
  exit 1
fi
echo "src/: every include goes down the folder order"
