#!/bin/sh
# Starts or stops the wine session that the Windows programs' tests share:
# a prefix made once, and a persistent wineserver, so that each program
# start costs a fraction of a second. Wine's other settings come from the
# environment, as the build gives them to every start of wine.
#
#   tests/wine-session.sh WINE64 PREFIX start|stop
set -eu
# The server and the processes wine starts stay after this script; none may
# keep the caller's output open, or ctest waits for them.
exec </dev/null >/dev/null 2>&1
wine=$1
export WINEPREFIX=$2
server=$(dirname "$wine")/wineserver
case $3 in
  start)
    mkdir -p "$WINEPREFIX"
    "$server" -p || true  # one may be running already
    # The first start makes the prefix; it takes several seconds.
    "$wine" cmd /c exit
    ;;
  stop)
    "$server" -k || true
    ;;
esac
