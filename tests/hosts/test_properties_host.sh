#!/bin/bash
# tavrin-properties before any window: usage on --help, one line and failure for a missing file.
set -u
program=$1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$program" --help 2>/dev/null) || fail "--help exits $?"
[[ $out == Usage:* ]] || fail "--help prints: $out"

err=$("$program" /no/such/picture.CRW 2>&1 >/dev/null)
status=$?
[[ $status == 1 ]] || fail "a missing file exits $status"
[[ $err == "tavrin-properties: cannot read /no/such/picture.CRW: No such file or directory" ]] ||
    fail "a missing file says: $err"

"$program" >/dev/null 2>&1
[[ $? == 2 ]] || fail "no file is not a usage error"
echo "ok"
