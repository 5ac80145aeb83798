#!/usr/bin/env bash
# Runs tools/check_pe.py on a program and expects it accepted (no reason given)
# or refused with exit code 1 and the reason among its lines.
# Usage: expect_check.sh <check_pe.py> <program> [reason]
set -u
out=$(python3 "$1" "$2" 2>&1)
code=$?
echo "$out"
if [ -z "${3:-}" ]; then
  [ "$code" = 0 ] || { echo "FAIL: refused, exit code $code" >&2; exit 1; }
else
  [ "$code" = 1 ] || { echo "FAIL: exit code $code instead of 1" >&2; exit 1; }
  grep -qF "refused: $3" <<<"$out" || { echo "FAIL: not refused for '$3'" >&2; exit 1; }
fi
