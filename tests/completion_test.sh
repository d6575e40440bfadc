#!/usr/bin/env bash
# The bash completion offers the options after a hyphen and, otherwise, the
# file names that hold no hyphen. Loads bash-completion's helpers and the
# completion file, takes the function that `complete -p quilnote` names and
# checks what it offers for each word, in a folder of known files.
# Exit 77 (skipped) without bash-completion, except under CI=true, where a
# missing tool is a failure.
#
#   bash tests/completion_test.sh completion/quilnote.bash
set -u

helpers=/usr/share/bash-completion/bash_completion
if [ ! -r "$helpers" ]; then
  [ "${CI:-}" = true ] && { echo "bash-completion is missing"; exit 1; }
  echo "bash-completion not installed: skipped"; exit 77
fi
# shellcheck source=/dev/null
source "$helpers"
# shellcheck source=/dev/null
source "$1"
function=$(complete -p quilnote 2>/dev/null | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
if [ -z "$function" ]; then
  echo "FAIL  no completion function for quilnote"; exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir sub my-dir
touch notes.txt 'b c.txt' my-notes.txt 2026-12-07.txt sub/d.txt sub/x-y.txt my-dir/f.txt

# Outside a real completion compopt only complains: record what it was asked.
compopt_args=""
compopt() { compopt_args="$compopt_args $*"; }

failed=0
# check LINE WANT [NOSPACE]: completes the last word of "quilnote LINE"
# (a LINE ending in a blank completes a new, empty word); WANT is what is
# offered, sorted, joined by '|'; NOSPACE, when given, is whether no blank
# may follow.
check() {
  local line="quilnote $1" want=$2 got
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  compopt_args=""
  "$function" quilnote "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd '|')
  if [ "$got" != "$want" ]; then
    echo "FAIL  '$line': offered '$got', expected '$want'"; failed=1
  elif [ $# -ge 3 ] && [ "$3" != "$([[ $compopt_args == *'-o nospace'* ]] && echo yes || echo no)" ]; then
    echo "FAIL  '$line': nospace should be $3"; failed=1
  else
    echo "ok    '$line' offers '$got'"
  fi
}

check "-s" "-sA3L|-sA3P|-sA4L|-sA4P|-sB4L|-sB4P|-sB5L|-sB5P" no
check "-sa4" "-sA4L|-sA4P"
check "-SB5l" "-sB5L"
check "-f" "-fg|-fh|-fi|-fm" yes
check "-m" "-ml|-mp" yes
check "-c" "-cd|-cf|-cm|-cn" no
check "-P" "-p" no
check "-?" "-?"
check "-E" "-ea|-ee|-es|-eu" no
check "-" "-?|-cd|-cf|-cm|-cn|-ea|-ee|-es|-eu|-fg|-fh|-fi|-fm|-ml|-mp|-p|-sA3L|-sA3P|-sA4L|-sA4P|-sB4L|-sB4P|-sB5L|-sB5P" no
check "-fh8" ""
check "-x" ""
check "" "b c.txt|notes.txt|sub"
check "-sA4L -p " "b c.txt|notes.txt|sub"
check "notes.txt n" "notes.txt"
check "my" ""
check "20" ""
check "sub/" "sub/d.txt"
check "my-dir/" ""

[ "$failed" -eq 0 ]
