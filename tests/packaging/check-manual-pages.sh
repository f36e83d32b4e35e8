#!/usr/bin/env bash
# Each manual page names exactly the options its program's --help lists, so neither can
# gain or lose an option without the other.
# Usage: check-manual-pages.sh MAN-FOLDER PROGRAM...   (the page of PROGRAM is NAME.1)
# A cross-built PROGRAM starts through the command in EMULATOR.
set -euo pipefail
man_dir=$1
shift
read -r -a emulator <<< "${EMULATOR:-}"

# Every "-x" and "--word" that stands as a word of its own, one a line, sorted.
options() {
  grep -oE '(^|[^A-Za-z0-9_-])--?[a-z][a-z0-9-]*' | sed -E 's/^[^-]*//' | sort -u
}

failed=0
for program in "$@"; do
  name=$(basename "$program")
  help=$(env -u DISPLAY "${emulator[@]}" "$program" --help)
  # roff writes a dash as \- and switches fonts with \fB, \fI, \fR.
  page=$(sed -E 's/\\-/-/g; s/\\f[BIRP]//g' "$man_dir/$name.1")
  if ! difference=$(diff <(options <<< "$help") <(options <<< "$page")); then
    echo "$name.1 and $name --help name different options (< only --help, > only the page):" >&2
    echo "$difference" >&2
    failed=1
  fi
  # The page formats without a warning.
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_dir/$name.1" 2>&1 > /dev/null || true)
  if [ -n "$warnings" ]; then
    echo "$name.1 does not format cleanly:" >&2
    echo "$warnings" >&2
    failed=1
  fi
done
exit $failed
