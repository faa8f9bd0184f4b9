#!/usr/bin/env bash
# Formats every tracked C++ source with the tree's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' '*.hpp' '*.cc' | xargs -0 -r clang-format -i
