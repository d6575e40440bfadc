# shellcheck shell=bash
# What the CI jobs share: the Debian packages each one needs, installing
# what is missing, and timed steps. Sourced; the jobs run as root.

# The packages of each job. .ci/run installs them all at once; a job run on
# its own installs its own list.
ci_packages_run=(locales groff-base parallel xxd openssh-server openssh-client rsync clang-format-14)
ci_packages_package=(dpkg-dev man-db groff-base lintian bash-completion)
ci_packages_arm64=(g++-aarch64-linux-gnu zlib1g-dev:arm64 qemu-user-static googletest)
ci_packages_windows=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 locales googletest
  groff-base zip unzip)
ci_packages_fuzz=(clang libclang-rt-14-dev)
# The page's own build packages come with the README's "In the browser" block.
ci_packages_web=(googletest zip unzip chromium)

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

# step NAME: ends the step before (printing its time) and starts NAME; an
# empty NAME ends the last one.
ci_step_name=
ci_step_started=$EPOCHREALTIME
step() {
  local now=$EPOCHREALTIME
  if [ -n "$ci_step_name" ]; then
    awk -v a="$ci_step_started" -v b="$now" -v n="$ci_step_name" \
      'BEGIN { printf "   (%s: %.1f s)\n", n, b - a }'
  fi
  ci_step_name=$1
  ci_step_started=$now
  if [ -n "$1" ]; then echo "== $1"; fi
}
