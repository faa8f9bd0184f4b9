#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what the tree's .clang-format makes
# of it, and names the files. Run tools/format-all.sh to reformat them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp' '*.cc')
[ ${#files[@]} -eq 0 ] && exit 0
bad=()
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  printf 'not formatted with .clang-format: %s\n' "${bad[@]}"
  echo "run tools/format-all.sh"
  exit 1
fi
