#!/bin/sh
# The documentation:
#   docs_test.sh manual PAGE  the manual page formats without a single
#                             warning, with groff's default device and on a
#                             UTF-8 terminal; exit 77 (skipped) without groff,
#                             except under CI=true, where that is a failure.
#   docs_test.sh links ROOT   every relative link of ROOT's Markdown pages
#                             (README.md, docs/*.md) leads to a file, and its
#                             #anchor to a heading of that page.
manual() {
  if ! command -v groff >/dev/null; then
    [ "${CI:-}" = true ] && { echo "groff is missing"; exit 1; }
    echo "groff not installed: skipped"; exit 77
  fi
  status=0
  for device in "" -Tutf8; do
    # shellcheck disable=SC2086  # an empty device is no argument
    warnings=$(groff -ww -z -man $device "$1" 2>&1) || status=1
    if [ -n "$warnings" ]; then
      echo "groff ${device:-(default device)}:"; echo "$warnings"; status=1
    fi
  done
  exit $status
}

# anchors PAGE: the anchors of PAGE's headings, as Markdown renderers make them.
anchors() {
  sed -n 's/^#\{1,6\} //p' "$1" | tr 'A-Z ' 'a-z-' | tr -cd 'a-z0-9_\n-'
}

links() {
  cd "$1" || exit 1
  status=0
  for page in *.md docs/*.md; do
    # shellcheck disable=SC2013  # a link holds no blank: one word each
    for link in $(grep -o '](\([^) ]*\))' "$page" | sed 's/^](//; s/)$//'); do
      case $link in *://* | mailto:*) continue ;; esac
      file=${link%%#*}
      target=$(dirname "$page")/$file
      [ -n "$file" ] || target=$page
      if [ ! -e "$target" ]; then
        echo "$page: $link: no such file"; status=1
      elif [ "$file" != "$link" ] && ! anchors "$target" | grep -qx "${link#*#}"; then
        echo "$page: $link: no such heading"; status=1
      fi
    done
  done
  exit $status
}

case ${1:-} in
  manual | links) "$1" "$2" ;;
  *) echo "usage: $0 manual PAGE | links ROOT" >&2; exit 2 ;;
esac
