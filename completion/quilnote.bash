# bash completion for quilnote                             -*- shell-script -*-
#
# A word that starts with a hyphen completes to the options; any other word
# to file names, leaving out every name that holds a hyphen anywhere:
# quilnote would take such an argument as an option, not as a file.
# Uses bash-completion's helpers, which load this file.

_quilnote() {
  # shellcheck disable=SC2034  # _init_completion sets all four
  local cur prev words cword
  _init_completion || return

  if [[ $cur == -* ]]; then
    local options=(-sA4P -sA4L -sA3P -sA3L -sB5P -sB5L -sB4P -sB4L
      -fh -fi -fm -fg -ml -mp -cd -cm -cf -cn -p -es -eu -ee -ea '-?')
    local option lower_cur=${cur,,} takes_number=1
    COMPREPLY=()
    # Option letters are case-blind: -sa4 completes to -sA4P and -sA4L.
    for option in "${options[@]}"; do
      if [[ ${option,,} == "$lower_cur"* ]]; then
        COMPREPLY+=("$option")
        [[ $option == -[fm]* ]] || takes_number=0
      fi
    done
    # A font size or a margin follows its option directly: no blank after
    # -fh or -ml. Filename quoting keeps the shell from globbing -?.
    if ((${#COMPREPLY[@]})); then
      ((takes_number)) && compopt -o nospace
      compopt -o filenames
    fi
    return
  fi

  _filedir
  local name plain=()
  for name in "${COMPREPLY[@]}"; do
    [[ $name == *-* ]] || plain+=("$name")
  done
  COMPREPLY=("${plain[@]}")
} &&
  complete -F _quilnote quilnote
