#!/bin/sh
# Renders each man page with groff's warnings enabled, in the C locale and
# in a UTF-8 one, and fails on any warning.
set -u
status=0
for page in "$@"; do
  for locale in C C.UTF-8; do
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ $? -ne 0 ] || [ -n "$warnings" ]; then
      echo "$page ($locale):"
      echo "$warnings"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "$# man pages render without warnings"
exit $status
