#!/usr/bin/env bash
# Every LeakSanitizer suppression names, by its file name, a system library the linker knows: a
# leak in the program's own code is fixed, never hidden, and a misspelt name would hide nothing.
set -euo pipefail
known=$(/sbin/ldconfig -p)
status=0
while IFS= read -r line; do
  case $line in '' | '#'*) continue ;; esac
  name=${line#leak:}
  if [ "$name" = "$line" ] || ! grep -qF "	$name (" <<<"$known"; then
    echo "not a system library's suppression: $line"
    status=1
  fi
done <"$1"
exit $status
