#!/bin/sh
# Checks each man page with mandoc's linter, and renders it with groff's
# warnings enabled in a UTF-8 locale (the pages give the programs'
# Japanese messages as they are printed, which a C locale cannot show);
# fails on any message.
set -u
status=0
for page in "$@"; do
  lint=$(mandoc -Tlint "$page" 2>&1)
  if [ -n "$lint" ]; then
    echo "$lint"
    status=1
  fi
  for locale in C.UTF-8; do
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ $? -ne 0 ] || [ -n "$warnings" ]; then
      echo "$page ($locale):"
      echo "$warnings"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "$# man pages pass mandoc -Tlint and render without warnings"
exit $status
