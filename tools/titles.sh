# Sourced by the scripts: the titles of titles/titles.txt. `top` is the
# source folder.
#
#   rippers       the programs, one a line, in the list's order
#   title_names   the short names, likewise

rippers() { awk '$1 ~ /^[a-z]/ { print $2 }' "$top/titles/titles.txt"; }
title_names() { awk '$1 ~ /^[a-z]/ { print $1 }' "$top/titles/titles.txt"; }
