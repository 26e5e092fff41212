#!/bin/sh
# Fails when a C++ file is not laid out as the root .clang-format says (./scripts/format fixes it).
cd "$1" || exit 1
command -v clang-format >/dev/null || { echo "clang-format missing"; exit 1; }
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' 'data/*.cpp' 'data/*.h' 2>/dev/null)
[ -n "$files" ] || files=$(find src tests bench fuzz data -name '*.cpp' -o -name '*.h')
if echo "$files" | xargs clang-format --dry-run -Werror 2>&1 | grep -m 20 'error:'; then
  echo "0 passed, 1 failed"; exit 1
fi
echo "1 passed, 0 failed"
