#!/bin/sh
# The manual page formats without a single warning, with groff's default
# device and on a UTF-8 terminal. Exit 77 (skipped) without groff, except
# under CI=true, where a missing tool is a failure.
page=$1
if ! command -v groff >/dev/null; then
  [ "${CI:-}" = true ] && { echo "groff is missing"; exit 1; }
  echo "groff not installed: skipped"; exit 77
fi
status=0
for device in "" -Tutf8; do
  # shellcheck disable=SC2086  # an empty device is no argument
  warnings=$(groff -ww -z -man $device "$page" 2>&1) || status=1
  if [ -n "$warnings" ]; then
    echo "groff ${device:-(default device)}:"; echo "$warnings"; status=1
  fi
done
exit $status
