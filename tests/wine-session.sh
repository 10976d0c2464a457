#!/bin/sh
# Starts or stops the wine session that the Windows programs' tests share:
# a prefix made once, and a persistent wineserver, so that each program
# start costs a fraction of a second.
#
#   tests/wine-session.sh WINE64 PREFIX start|stop
set -eu
# The server and the processes wine starts stay after this script; none may
# keep the caller's output open, or ctest waits for them.
exec </dev/null >/dev/null 2>&1
wine=$1
export WINEPREFIX=$2 WINEDEBUG=-all
# No .NET or HTML engine is needed, so none is offered on a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
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
