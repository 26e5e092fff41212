#!/bin/bash
# Fails when a file of one core folder includes a header of a folder it may not use:
# the folders are layers, each using only those listed for it (its own is always allowed).
declare -A uses=(
  [base]=""
  [text]="base"
  [gif]="base text"
  [video]="base text"
  [image]="base text"
  [formats]="base text image"
  [align]="base text image"
  [tools]="base text image"
  [anim]="base text gif image align video"
  [document]="base text gif image formats"
)
cd "$1" || exit 1
failed=0
for dir in */; do
  folder=${dir%/}
  if [ -z "${uses[$folder]+known}" ]; then
    echo "core/$folder is not in the table of layers"; failed=1; continue
  fi
  while IFS=: read -r file line used; do
    case " $folder ${uses[$folder]} " in
    *" $used "*) ;;
    *) echo "$file:$line: core/$folder may not include core/$used"; failed=1 ;;
    esac
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"core/' -r "$folder" |
    sed -E 's|^([^:]*):([0-9]+):.*"core/([^/"]*)/.*|\1:\2:\3|')
done
if [ "$failed" -ne 0 ]; then echo "0 passed, 1 failed"; exit 1; fi
echo "1 passed, 0 failed"
