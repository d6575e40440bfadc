# shellcheck shell=bash
# The comparison the CI jobs make between the native program and another
# build of it (emulated, under Wine, ...): sourced, then
#
#   same_inputs=FOLDER            the files every run starts from
#   same_reference=(COMMAND...)   the native program
#   same_candidate=(COMMAND...)   the program compared with it
#   same NAME PDF ARG...
#
# runs both commands with ARG..., each in a fresh copy of FOLDER, and
# returns non-zero (naming NAME and what differs) unless their exit
# statuses, standard outputs, standard errors and the folders they leave
# behind (every file, new or changed) are identical. PDF names the file
# the run must write, or "-" when it must write none. Differences are
# found by explicit tests, not by errexit, so a call inside `if` or `||`
# still fails. `same_compared` counts the comparisons that passed.

same_compared=0

# same_run ROLE FOLDER ARG...: one run, its streams and status kept beside FOLDER.
same_run() {
  local role=$1 folder=$2 status=0 command
  shift 2
  if [ "$role" = reference ]; then
    command=("${same_reference[@]}")
  else
    command=("${same_candidate[@]}")
  fi
  rm -rf "$folder" && mkdir -p "$folder" && cp -a "$same_inputs/." "$folder/"
  (cd "$folder" && "${command[@]}" "$@" >"$folder.out" 2>"$folder.err") || status=$?
  echo "$status" >"$folder.status"
}

same() {
  local name=$1 pdf=$2
  shift 2
  local scratch
  scratch=$(mktemp -d)
  same_run reference "$scratch/reference" "$@"
  same_run candidate "$scratch/candidate" "$@"
  local problem=
  if ! cmp -s "$scratch/reference.status" "$scratch/candidate.status"; then
    problem="exit status $(cat "$scratch/reference.status") against $(cat "$scratch/candidate.status")"
  elif ! cmp -s "$scratch/reference.out" "$scratch/candidate.out"; then
    problem="standard output: $(cmp "$scratch/reference.out" "$scratch/candidate.out" 2>&1 || true)"
  elif ! cmp -s "$scratch/reference.err" "$scratch/candidate.err"; then
    problem="standard error: $(cmp "$scratch/reference.err" "$scratch/candidate.err" 2>&1 || true)"
  elif ! diff -r "$scratch/reference" "$scratch/candidate" >"$scratch/files.diff" 2>&1; then
    problem="files: $(head -c 300 "$scratch/files.diff")"
  elif [ "$pdf" != - ] && [ ! -s "$scratch/reference/$pdf" ]; then
    problem="no PDF file $pdf written"
  elif [ "$pdf" = - ] && ! diff -r "$same_inputs" "$scratch/reference" >/dev/null 2>&1; then
    problem="a file written or changed where none should be"
  fi
  rm -rf "$scratch"
  if [ -n "$problem" ]; then
    echo "DIFFERENT: $name: $problem" >&2
    return 1
  fi
  same_compared=$((same_compared + 1))
}

# Shows that `same` fails on each kind of difference and passes on none.
same_self_check() {
  local saved_inputs=${same_inputs:-} folder
  folder=$(mktemp -d)
  echo text >"$folder/in.txt"
  same_inputs=$folder
  local -a pass=(sh -c 'cp in.txt out.pdf; echo out; echo err >&2' sh)
  local -a cases=(
    "sh -c 'cp in.txt out.pdf; echo other; echo err >&2' sh"
    "sh -c 'cp in.txt out.pdf; echo out; echo other >&2' sh"
    "sh -c 'cp in.txt out.pdf; echo out; echo err >&2; exit 3' sh"
    "sh -c 'echo changed >out.pdf; echo out; echo err >&2' sh"
    "sh -c 'cp in.txt out.pdf; touch extra; echo out; echo err >&2' sh"
  )
  same_reference=("${pass[@]}")
  same_candidate=("${pass[@]}")
  same "identical runs" out.pdf >/dev/null 2>&1 || { echo "same: fails identical runs" >&2; return 1; }
  if same "a PDF that is not written" missing.pdf 2>/dev/null; then
    echo "same: passes a missing PDF" >&2; return 1
  fi
  local candidate
  for candidate in "${cases[@]}"; do
    eval "same_candidate=($candidate)"
    if same "self-check" out.pdf 2>/dev/null; then
      echo "same: passes a differing pair: $candidate" >&2; return 1
    fi
  done
  rm -rf "$folder"
  same_inputs=$saved_inputs
  same_compared=0
  echo "   same: fails on differing status, output, error and files; passes identical runs"
}
