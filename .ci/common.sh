# shellcheck shell=bash
# The package lists are read by the jobs that source this file:
# shellcheck disable=SC2034
# What the CI jobs share: the Debian packages each one needs, installing
# what is missing, timed steps and the text their comparisons convert.
# Sourced; the jobs run as root.

# The packages of each job. .ci/run installs them all at once; a job run on
# its own installs its own list.
ci_packages_run=(locales groff-base parallel xxd openssh-server openssh-client rsync clang-format-14
  shellcheck)
ci_packages_package=(dpkg-dev man-db groff-base lintian bash-completion)
ci_packages_arm64=(g++-aarch64-linux-gnu zlib1g-dev:arm64 qemu-user-static googletest)
ci_packages_windows=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 locales googletest
  groff-base zip unzip)
ci_packages_fuzz=(clang libclang-rt-14-dev)
# The page's own build packages come with the commands of docs/browser.md.
ci_packages_web=(googletest zip unzip chromium firefox-esr)

# ci_apt ARG...: apt-get, quietly, tried a second time after a network error.
ci_apt() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q "$@" >/dev/null ||
    { echo "   apt-get $1 failed; trying once more" >&2; sleep 10;
      DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q "$@" >/dev/null; }
}

# need_packages PACKAGE...: installs those that are missing, after one
# update of the package lists (none when nothing is missing).
need_packages() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
  fi
  ci_apt update
  ci_apt install -y --no-install-recommends "${missing[@]}"
}

# The one timing style of every job: `step NAME` ends the step before
# (printing its time) and starts NAME; `steps_done WHAT` ends the last one
# and prints the time since this file was sourced.
ci_started=$EPOCHREALTIME
ci_step_name=
ci_step_started=$EPOCHREALTIME

# seconds_since START: the seconds since START (an $EPOCHREALTIME), to a tenth.
seconds_since() {
  awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'
}

step() {
  if [ -n "$ci_step_name" ]; then
    echo "   ($ci_step_name: $(seconds_since "$ci_step_started") s)"
  fi
  ci_step_name=$1
  ci_step_started=$EPOCHREALTIME
  if [ -n "$1" ]; then echo "== $1"; fi
}

steps_done() {
  step ""
  echo "== $1 in $(seconds_since "$ci_started") s"
}

# mixed_text LINES: LINES lines of UTF-8 text that the comparison runs
# convert (through `iconv -t CP932` for Shift-JIS): ASCII, full-width and
# half-width Japanese with the 0x5C trail bytes of 表 and ソ, tabs, blank
# lines, short lines and lines wrapped over several page widths, LF and
# CR LF endings.
mixed_text() {
  awk -v lines="$1" 'BEGIN {
    n = split("日本語の文章です。|漢字とかなカナ、ＡＢＣ全角英数字。|ｶﾀｶﾅ半角ﾃｷｽﾄ|" \
              "「括弧」と①記号※〒ソ表能予|ASCII words, digits 0123456789 and (punctuation)!|" \
              "表計算ソフトの出力　全角スペース", w, "|")
    for (i = 1; i <= lines; i++) {
      line = sprintf("%05d ", i)
      for (k = 0; k < (i * 7919) % 23; k++) line = line w[1 + (i + k * 3) % n] (k % 4 == 3 ? "\t" : "")
      if (i % 7 == 0) for (j = 0; j < (i * 7) % 181; j++) line = line (j % 4 == 0 ? "漢" : "w")
      if (i % 41 == 0) line = ""
      printf "%s%s", line, (i % 5 == 0 ? "\r\n" : "\n")
    }
  }'
}
