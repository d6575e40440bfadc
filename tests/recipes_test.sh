#!/usr/bin/env bash
# Runs one section of the recipes of docs/recipes.md and docs/viewing.md (and
# the README's pitfall work-arounds) against the program given as the first
# argument, in a temporary folder:
#
#   bash tests/recipes_test.sh build/quilnote SECTION
#
# SECTION is ManyFiles, ParallelHere, AcrossMachines, Encodings, Pitfalls or
# Previews. The recipes across machines run against two ssh servers started
# on 127.0.0.1 for the section. Exits 0 when every recipe passed, 1 when one
# failed, 77 when a tool the section needs is missing (under CI=true, where
# CI installs every one, that is a failure).
#
# The commands below are the documentation's, word for word: keep them in step.
# shellcheck disable=SC1083,SC2016  # literal {} and '$1' are the recipes' own
set -u

if [ $# -ne 2 ] || [ ! -x "$1" ]; then
  echo "usage: $0 PATH-TO-QUILNOTE SECTION" >&2
  exit 2
fi
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
section=$2

work=$(mktemp -d)
trap 'stop_hosts; rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/home"
ln -s "$exe" "$work/bin/quilnote"
# GNU parallel keeps its files under HOME: the test's own.
export PATH="$work/bin:$PATH" HOME=$work/home

failed=0
pass() { echo "ok    $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1: $2"; }

# skip_section WHY: ends the section as skipped, or as failed under CI=true.
skip_section() {
  if [ "${CI:-}" = true ]; then echo "FAIL  $section: $1"; exit 1; fi
  echo "skip  $section: $1"
  exit 77
}

# requires TOOL...: the tools the section needs.
requires() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || skip_section "$tool is not installed"
  done
}

# check NAME CONDITION [DIR]: NAME passes when the shell text CONDITION,
# run in DIR, succeeds.
check() {
  if (cd "${3:-.}" && eval "$2"); then pass "$1"; else fail "$1" "not: $2 (status $status)"; fi
}

# try NAME DIR RECIPE CONDITION: runs the shell text RECIPE in DIR, its
# output in DIR.out and DIR.err and its exit status in $status, then checks
# CONDITION there.
status=0
try() {
  (cd "$2" && eval "$3") >"$2.out" 2>"$2.err"
  status=$?
  check "$1" "$4" "$2"
}

# A complete PDF file as the program writes it.
is_pdf() {
  [ -s "$1" ] && [ "$(head -c 8 "$1")" = "%PDF-1.3" ] && [ "$(tail -c 5 "$1")" = "%%EOF" ]
}

# Shift-JIS sample text: ASCII, kana and kanji, a line long enough to wrap,
# a blank line, half-width katakana.
sjis_text() {
  printf 'Recipe test\r\n'
  printf '\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\r\n'  # 日本語のテキスト
  for _ in $(seq 1 80); do printf '\x82\xa0'; done                           # あ × 80
  printf '\r\n\r\n'
  printf '\xb6\xc0\xb6\xc5 half-width\r\n'                                    # ｶﾀｶﾅ
}

# The reference PDF for a Shift-JIS text, made the plain way.
reference() {  # reference TEXT PDF
  (cd "$(dirname "$1")" && quilnote "$(basename "$1")" "$2" >/dev/null 2>&1)
}

mkdir "$work/ref"
sjis_text >"$work/ref/ref.txt"
reference "$work/ref/ref.txt" ref.pdf
ref=$work/ref/ref.pdf
if ! is_pdf "$ref"; then
  fail "reference conversion" "no PDF made from the sample text"
  exit 1
fi

# ---------------------------------------------------------------- many files
all_names="a|b c|sub/d|my-e|my-dir/f"
plain_names="a|b c|sub/d"

# tree NAME RECIPE CONVERTED: RECIPE, run over a fresh folder of five copies
# of the text (two with hyphens, $all_names), exits 0 and makes the PDFs of
# the names CONVERTED and no other. Sets t to the folder.
trees=0
tree() {
  t=$work/tree$((++trees))
  mkdir -p "$t/sub" "$t/my-dir"
  tr '|' '\n' <<<"$all_names" | while read -r n; do cp "$work/ref/ref.txt" "$t/$n.txt"; done
  try "$1" "$t" "$2" "tree_is '$3'"
}

# tree_is CONVERTED: in the current folder, the PDFs of the names CONVERTED
# are the reference and the others are missing; $status is 0.
tree_is() {
  local n IFS='|'
  [ "$status" = 0 ] || return 1
  for n in $all_names; do
    if [[ "|$1|" == *"|$n|"* ]]; then
      cmp -s "$n.pdf" "$ref" || return 1
    elif [ -e "$n.pdf" ]; then
      return 1
    fi
  done
}

xargs_every_name='find . -name '\''*.txt'\'' -print0 |
  xargs -0 -P "$(nproc)" -I{} sh -c '\''
    t=$(mktemp -d) && ln -s "$PWD/$1" "$t/in.txt" &&
    (cd "$t" && quilnote in.txt out.pdf >/dev/null) &&
    mv "$t/out.pdf" "${1%.txt}.pdf"; s=$?; rm -rf "$t"; exit $s'\'' _ {}'
parallel_every_name=\''t=$(mktemp -d) && ln -s "$PWD"/{} "$t/in.txt" && (cd "$t" && quilnote in.txt out.pdf >/dev/null) && mv "$t/out.pdf" {.}.pdf; s=$?; rm -rf "$t"; exit $s'\'

ManyFiles() {
  tree "xargs, all cores (names with '-' are skipped)" \
    'find . -name '\''*.txt'\'' -print0 | xargs -0 -P "$(nproc)" -I{} sh -c '\''quilnote "$1" "${1%.txt}.pdf"'\'' _ {}' \
    "$plain_names"
  check "xargs, all cores: a message for each name with '-'" '[ "$(LC_ALL=C grep -c Pdf "$t.err")" = 2 ]'
  tree "xargs, all cores, every name" "$xargs_every_name" "$all_names"
  mkdir "$t/dir.txt"  # a folder is no text file: the run must fail
  rm -f "$t"/*.pdf "$t"/*/*.pdf
  try "xargs, every name: a file not converted fails the run" "$t" "$xargs_every_name" \
    '[ "$status" -ne 0 ]'
}

ParallelHere() {
  requires parallel iconv
  tree "GNU parallel on this machine (names with '-' are skipped)" \
    'find . -name '\''*.txt'\'' -print0 | parallel -0 --sshlogin : quilnote {} {.}.pdf' "$plain_names"
  tree "GNU parallel on this machine, every name" \
    "find . -name '*.txt' -print0 | parallel -0 --sshlogin : $parallel_every_name" "$all_names"
  tree "GNU parallel --tag: which file a message is about" \
    'find . -name '\''*.txt'\'' -print0 |
      parallel -0 --tag --sshlogin : '\''quilnote {} {.}.pdf 2>&1 >/dev/null | iconv -f CP932 -t UTF-8 | tr -d "\r"'\' \
    "$plain_names"
  local message  # Pdfファイルを指定してください
  message=$(printf 'Pdf\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x82\x92\xe6\x8c\x87\xe5\xae\x9a\xe3\x81\x97\xe3\x81\xa6\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84')
  # shellcheck disable=SC2034  # read by the check
  expected=$(printf './my-dir/f.txt\t%s\n./my-e.txt\t%s' "$message" "$message")
  check "GNU parallel --tag: one tagged UTF-8 line for each name with '-'" \
    '[ "$(LC_ALL=C sort "$t.out")" = "$expected" ]'
}

# ------------------------------------------------------------ across machines
# Two ssh servers on 127.0.0.1 stand in for the hosts host1 and host2, shared
# by every case of the section. All they use lives under $ssh: host keys, the
# one client key they accept, pid files, logs, and for each host a working
# folder, a home, a temporary folder and a PATH that starts with the program
# under test. ~/.ssh is never used.
ssh=$work/ssh
ssh_config=$ssh/config
user=$(id -un)

# The ssh servers, by process id. The connections to them are shared
# (ControlMaster, ControlPath $ssh/master-<host>): the shared ones are
# closed first.
host_pids=()
stop_hosts() {
  local pid master
  for master in "$ssh"/master-*; do
    [ -S "$master" ] && ssh -o ControlPath="$master" -O exit shared 2>/dev/null
  done
  for pid in "${host_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${host_pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
}

# start_host NAME: an sshd on a free port of 127.0.0.1; sets host_port.
start_host() {
  local h=$ssh/$1 pid
  mkdir -p "$h/work" "$h/home" "$h/tmp" "$h/bin"
  # The program under test, noting each run so that the spread of work shows.
  printf '#!/bin/sh\necho "$*" >>'\''%s'\''\nexec '\''%s'\'' "$@"\n' "$h/runs" "$exe" >"$h/bin/quilnote"
  chmod +x "$h/bin/quilnote"
  ssh-keygen -q -t ed25519 -N '' -C "$1" -f "$h/host_key" || return 1
  for _ in 1 2 3 4 5; do  # another port when this one is taken
    host_port=$((20000 + RANDOM % 40000))
    # A login runs its command in the host's working folder, with the host's
    # own HOME (already for the login shell, which would otherwise read the
    # user's own start-up files) and TMPDIR and the program under test
    # first on PATH. StrictModes is off: it refuses a key under a
    # world-writable folder such as /tmp.
    cat >"$h/sshd_config" <<EOF
ListenAddress 127.0.0.1:$host_port
HostKey $h/host_key
PidFile $h/sshd.pid
AuthorizedKeysFile $ssh/client_key.pub
AuthenticationMethods publickey
AllowUsers $user
UsePAM no
StrictModes no
SetEnv HOME=$h/home
ForceCommand cd '$h/work' && export HOME='$h/home' TMPDIR='$h/tmp' PATH='$h/bin':"\$PATH" && eval "\$SSH_ORIGINAL_COMMAND"
EOF
    # timeout ends the server even if this script is killed before its trap runs.
    timeout 300 "$sshd_bin" -D -e -f "$h/sshd_config" </dev/null >/dev/null 2>>"$h/sshd.log" &
    pid=$!
    for _ in $(seq 50); do
      if [ -s "$h/sshd.pid" ] || ! kill -0 "$pid" 2>/dev/null; then break; fi
      sleep 0.1
    done
    if [ -s "$h/sshd.pid" ]; then
      host_pids+=("$(cat "$h/sshd.pid")")
      echo "[127.0.0.1]:$host_port $(cut -d' ' -f1,2 "$h/host_key.pub")" >>"$ssh/known_hosts"
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  return 1
}

# start_hosts: host1 and host2 running and accepting the client key, with
# ssh_config naming them (and "refuses": host1 with a key it does not know);
# else sets ssh_skip to the reason.
start_hosts() {
  local h port1 err=$ssh/probe.err
  mkdir -m 700 "$ssh"
  # As root, sshd needs its privilege separation folder, made at boot by
  # the system's own ssh service.
  if [ "$(id -u)" = 0 ] && [ ! -d /run/sshd ]; then mkdir -m 755 /run/sshd; fi
  if ! ssh-keygen -q -t ed25519 -N '' -C client -f "$ssh/client_key" ||
     ! ssh-keygen -q -t ed25519 -N '' -C stranger -f "$ssh/stranger_key"; then
    ssh_skip="ssh-keygen failed"; return 1
  fi
  for h in host1 host2; do
    if ! start_host "$h"; then
      ssh_skip="sshd did not start: $(tail -n 1 "$ssh/$h/sshd.log" 2>/dev/null)"; return 1
    fi
    [ "$h" = host1 ] && port1=$host_port
    printf 'Host %s\n  Port %s\n  IdentityFile %s\n' "$h" "$host_port" "$ssh/client_key" >>"$ssh_config"
  done
  cat >>"$ssh_config" <<EOF
Host refuses
  Port $port1
  IdentityFile $ssh/stranger_key
Host *
  HostName 127.0.0.1
  User $user
  # One connection a host, shared by every job: a login costs a key
  # exchange, and a job logs in four times (copy, run, copy back, clean up).
  ControlMaster auto
  ControlPath $ssh/master-%n
  ControlPersist 60
  IdentitiesOnly yes
  BatchMode yes
  ConnectTimeout 10
  StrictHostKeyChecking yes
  UserKnownHostsFile $ssh/known_hosts
  GlobalKnownHostsFile /dev/null
EOF
  for h in host1 host2; do
    if ! ssh -F "$ssh_config" "$h" true 2>"$err"; then
      ssh_skip="cannot log in to $h: $(head -n 1 "$err") $(grep -m 1 'not allowed' "$ssh/$h/sshd.log")"
      return 1
    fi
  done
}

# hosts_left: what the hosts' working and temporary folders still hold.
hosts_left() { find "$ssh"/host?/work "$ssh"/host?/tmp -mindepth 1; }

# refused_jobs_named: in the current folder, the run over a.txt, b.txt and
# c.txt through host1 and a host that refuses the login failed, and its job
# log and --tag name exactly the files that did not come back.
refused_jobs_named() {
  local failed_jobs n named=0
  [ "$status" -ne 0 ] || return 1
  failed_jobs=$(awk -F'\t' 'NR == 1 || $7 != 0' jobs.log)
  for n in a b c; do
    if [[ "$failed_jobs" == *"quilnote ./$n.txt ./$n.pdf"* ]]; then
      named=$((named + 1))
      [ ! -e "$n.pdf" ] && LC_ALL=C grep -q "^\./$n\.txt"$'\t' "$PWD.err" || return 1
    else
      cmp -s "$n.pdf" "$ref" || return 1
    fi
  done
  [ "$named" -gt 0 ]
}

AcrossMachines() {
  requires parallel rsync ssh ssh-keygen timeout
  sshd_bin=$(PATH=$PATH:/usr/sbin:/sbin command -v sshd) || skip_section "sshd is not installed"
  ssh_skip=
  start_hosts || skip_section "$ssh_skip"
  local remote="RSYNC_OLD_ARGS=1 parallel -0 --ssh 'ssh -F $ssh_config'"
  tree "GNU parallel across machines (names with '-' are skipped)" \
    "find . -name '*.txt' -print0 |
    $remote --sshlogin host1,host2 --transferfile {} --return {.}.pdf --cleanup quilnote {} {.}.pdf" \
    "$plain_names"
  check "GNU parallel across machines: both hosts converted" '[ -s host1/runs ] && [ -s host2/runs ]' "$ssh"
  tree "GNU parallel across machines, every name" \
    "find . -name '*.txt' -print0 |
    $remote --sshlogin host1,host2 --transferfile {} --return {.}.pdf --cleanup $parallel_every_name" \
    "$all_names"
  t=$work/remote-refused
  mkdir "$t" && for n in a b c; do cp "$work/ref/ref.txt" "$t/$n.txt"; done
  try "GNU parallel across machines: a refused login" "$t" \
    "find . -name '*.txt' -print0 |
    $remote --tag --joblog jobs.log --sshlogin host1,refuses --transferfile {} --return {.}.pdf --cleanup quilnote {} {.}.pdf" \
    refused_jobs_named
  check "GNU parallel across machines: --cleanup leaves nothing on the hosts" '[ -z "$(hosts_left)" ]'
  stop_hosts
  check "GNU parallel across machines: every sshd stopped" \
    'for pid in "${host_pids[@]}"; do ! kill -0 "$pid" 2>/dev/null || exit 1; done'
  host_pids=()
}

# ------------------------------------------------------------------ encodings
Encodings() {
  requires iconv expand
  t=$work/encodings
  mkdir "$t"
  # UTF-8: 日本語, the euro sign, an emoji; Shift-JIS has neither of the
  # last two. (Accented letters are left out: how iconv spells them
  # depends on the locale.)
  printf '\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xe2\x82\xac5\n\xf0\x9f\x98\x80 emoji\nlast line\n' >"$t/notes.txt"
  printf '\x93\xfa\x96\x7b\x8c\xea EUR5\n? emoji\nlast line\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  try "UTF-8 text through iconv //TRANSLIT" "$t" \
    'quilnote <(iconv -f UTF-8 -t CP932//TRANSLIT notes.txt) notes.pdf' \
    '[ "$status" -eq 0 ] && cmp -s notes.pdf expected.pdf'
  # Strict iconv stops at the euro sign; the program still exits 0, with one line.
  try "strict iconv stops at the first missing character" "$t" \
    'quilnote <(iconv -f UTF-8 -t CP932 notes.txt) strict.pdf' \
    '[ "$status" -eq 0 ] && is_pdf strict.pdf && tr -d "\r" <"$t.out" | LC_ALL=C grep -qx $'\''1 \x8ds'\'

  printf 'int\tmain(void);\n\x82\xa0\tx\n' >"$t/main.c"
  printf 'int main(void);\n\x82\xa0  x\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  try "tabs through expand" "$t" 'quilnote <(expand -t 4 main.c) main.pdf' \
    '[ "$status" -eq 0 ] && cmp -s main.pdf expected.pdf'

  printf '\xe2\x82\xac\tx\n\xe6\x97\xa5\n' >"$t/notes.txt"  # €, tab, x; 日
  printf 'EUR     x\n\x93\xfa\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  try "standard input as /dev/stdin" "$t" \
    'iconv -f UTF-8 -t CP932//TRANSLIT notes.txt | expand | quilnote /dev/stdin notes.pdf' \
    '[ "$status" -eq 0 ] && cmp -s notes.pdf expected.pdf'

  try "reading the messages through iconv" "$t" \
    'quilnote 2>&1 | iconv -f CP932 -t UTF-8; exit "${PIPESTATUS[0]}"' \
    '[ "$status" -eq 0 ] && LC_ALL=C grep -q "^quilnote ver1.2" "$t.out" &&
     LC_ALL=C grep -q "$(printf "\xe7\x94\xa8\xe7\xb4\x99")" "$t.out"'  # 用紙
}

# ------------------------------------------------------ pitfall work-arounds
Pitfalls() {
  t=$work/pitfalls
  mkdir -p "$t/my-docs"
  sjis_text >"$t/my-notes.txt"
  sjis_text >"$t/my-docs/a.txt"
  try "a name with '-' is an option" "$t" 'quilnote my-notes.txt out.pdf' \
    '[ "$status" -eq 0 ] && [ ! -e out.pdf ] && [ -s "$t.err" ]'
  try "hyphen in the folder: cd" "$t" 'cd my-docs && quilnote a.txt a.pdf' \
    '[ "$status" -eq 0 ] && cmp -s my-docs/a.pdf "$ref"'
  try "hyphen in the name: symbolic link" "$t" \
    'ln -s my-notes.txt notes.txt && quilnote notes.txt notes.pdf' \
    '[ "$status" -eq 0 ] && cmp -s notes.pdf "$ref"'
  rm -f "$t/notes.pdf"
  try "hyphen in the name: process substitution" "$t" 'quilnote <(cat my-notes.txt) notes.pdf' \
    '[ "$status" -eq 0 ] && cmp -s notes.pdf "$ref"'
  try "PDF to a plain name, then mv" "$t" 'mv notes.pdf my-notes.pdf' \
    '[ "$status" -eq 0 ] && cmp -s my-notes.pdf "$ref"'
  # Convert to a new name, then rename: a failing run leaves the good PDF alone.
  cp "$ref" "$t/notes.pdf"
  try "convert to a new name, then mv: a failure keeps the PDF" "$t" \
    'rm -f new.pdf && quilnote -fh0 notes.txt new.pdf && mv new.pdf notes.pdf' \
    '[ "$status" -ne 0 ] && cmp -s notes.pdf "$ref"'
  try "convert to a new name, then mv" "$t" \
    'rm -f new.pdf && quilnote -fm10 notes.txt new.pdf && mv new.pdf notes.pdf' \
    '[ "$status" -eq 0 ] && is_pdf notes.pdf && ! cmp -s notes.pdf "$ref" && [ ! -e new.pdf ]'
}

# ------------------------------------------------------------------- previews
png_ok() { [ "$(head -c 4 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e47" ]; }

Previews() {
  requires mutool pdftoppm
  t=$work/preview
  mkdir "$t"
  cp "$ref" "$t/out.pdf"
  try "preview with mutool draw" "$t" 'mutool draw -o page1.png -r 100 out.pdf 1' 'png_ok page1.png'
  try "preview with pdftoppm" "$t" 'pdftoppm -png -r 100 -f 1 -l 1 out.pdf page' 'png_ok page-1.png'
}

case $section in
  ManyFiles | ParallelHere | AcrossMachines | Encodings | Pitfalls | Previews) "$section" ;;
  *) echo "no section $section" >&2; exit 2 ;;
esac
[ "$failed" -eq 0 ]
