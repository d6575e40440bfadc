#!/usr/bin/env bash
# Runs the recipes of docs/recipes.md (and the README's pitfall work-arounds) once,
# against the program given as the first argument, in a temporary folder.
# Recipes that need iconv, expand, GNU parallel, mutool or pdftoppm are
# skipped with a message when the tool is missing. The recipes across
# machines run against two ssh servers started on 127.0.0.1 for the run
# (skipped when sshd cannot be started). Exits non-zero when a recipe fails.
#
#   bash tests/recipes_test.sh build/quilnote
#
# The commands below are the documentation's, word for word: keep them in step.
# shellcheck disable=SC1083,SC2016,SC2030,SC2031  # literal {} and '$1' are the recipes' own
set -u

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 PATH-TO-QUILNOTE" >&2
  exit 2
fi
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

# The ssh servers started for the recipes across machines, by process id.
# The connections to them are shared (ControlMaster, ControlPath
# $work/ssh/master-<host>): the shared ones are closed first.
host_pids=()
stop_hosts() {
  local pid master
  for master in "$work"/ssh/master-*; do
    [ -S "$master" ] && ssh -o ControlPath="$master" -O exit shared 2>/dev/null
  done
  for pid in "${host_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${host_pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
}

work=$(mktemp -d)
trap 'stop_hosts; rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/home"
ln -s "$exe" "$work/bin/quilnote"
export PATH="$work/bin:$PATH"

passed=0
failed=0
skipped=0
pass() { passed=$((passed + 1)); echo "ok    $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1: $2"; }
# Under CI=true a missing tool is a failure: CI installs every one.
skip() {
  if [ "${CI:-}" = true ] && [ "${3:-}" != always ]; then fail "$1" "$2"; return; fi
  skipped=$((skipped + 1)); echo "skip  $1: $2"
}
have() { command -v "$1" >/dev/null 2>&1; }

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

# ---------------------------------------------------------------- many files
setup_tree() {  # setup_tree DIR: five copies of one text, two with hyphens
  rm -rf "$1" && mkdir -p "$1/sub" "$1/my-dir"
  sjis_text >"$1/a.txt"
  cp "$1/a.txt" "$1/b c.txt"
  cp "$1/a.txt" "$1/sub/d.txt"
  cp "$1/a.txt" "$1/my-e.txt"
  cp "$1/a.txt" "$1/my-dir/f.txt"
}
all_names="a|b c|sub/d|my-e|my-dir/f"
plain_names="a|b c|sub/d"

mkdir "$work/ref"
sjis_text >"$work/ref/ref.txt"
reference "$work/ref/ref.txt" ref.pdf
if ! is_pdf "$work/ref/ref.pdf"; then
  fail "reference conversion" "no PDF made from the sample text"
  echo "recipes: $passed passed, $failed failed, $skipped skipped"
  exit 1
fi
ref=$work/ref/ref.pdf

# check_tree NAME DIR STATUS WANT_STATUS CONVERTED: the named PDFs are the
# reference, the others are missing.
check_tree() {
  local name=$1 dir=$2 status=$3 want_status=$4 converted=$5 n why=""
  [ "$status" = "$want_status" ] || why="exit status $status, expected $want_status"
  local IFS='|'
  for n in $all_names; do
    if [[ "|$converted|" == *"|$n|"* ]]; then
      cmp -s "$dir/$n.pdf" "$ref" || why="$why${why:+; }$n.pdf is not the expected PDF"
    else
      [ ! -e "$dir/$n.pdf" ] || why="$why${why:+; }$n.pdf was made"
    fi
  done
  if [ -z "$why" ]; then pass "$name"; else fail "$name" "$why"; fi
}

t=$work/xargs
setup_tree "$t"
(cd "$t" && find . -name '*.txt' -print0 | xargs -0 -P "$(nproc)" -I{} sh -c 'quilnote "$1" "${1%.txt}.pdf"' _ {}) \
  >"$t.out" 2>"$t.err"
check_tree "xargs, all cores (names with '-' are skipped)" "$t" $? 0 "$plain_names"
[ "$(LC_ALL=C grep -c 'Pdf' "$t.err")" = 2 ] ||
  fail "xargs, all cores: messages" "expected two Pdf-file messages on standard error"

t=$work/xargs-safe
setup_tree "$t"
(cd "$t" && find . -name '*.txt' -print0 |
  xargs -0 -P "$(nproc)" -I{} sh -c '
    t=$(mktemp -d) && ln -s "$PWD/$1" "$t/in.txt" &&
    (cd "$t" && quilnote in.txt out.pdf >/dev/null) &&
    mv "$t/out.pdf" "${1%.txt}.pdf"; s=$?; rm -rf "$t"; exit $s' _ {}) >"$t.out" 2>"$t.err"
check_tree "xargs, all cores, every name" "$t" $? 0 "$all_names"

mkdir "$t/dir.txt"  # a folder is no text file: the run must fail
rm -f "$t"/*.pdf "$t"/*/*.pdf
(cd "$t" && find . -name '*.txt' -print0 |
  xargs -0 -P "$(nproc)" -I{} sh -c '
    t=$(mktemp -d) && ln -s "$PWD/$1" "$t/in.txt" &&
    (cd "$t" && quilnote in.txt out.pdf >/dev/null) &&
    mv "$t/out.pdf" "${1%.txt}.pdf"; s=$?; rm -rf "$t"; exit $s' _ {}) >"$t.out" 2>"$t.err"
status=$?
if [ "$status" -ne 0 ]; then pass "xargs, every name: a file not converted fails the run"
else fail "xargs, every name: a file not converted fails the run" "exit status 0"; fi
rmdir "$t/dir.txt"

if have parallel; then
  t=$work/parallel
  setup_tree "$t"
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 | parallel -0 --sshlogin : quilnote {} {.}.pdf) >"$t.out" 2>"$t.err"
  check_tree "GNU parallel on this machine (names with '-' are skipped)" "$t" $? 0 "$plain_names"

  t=$work/parallel-safe
  setup_tree "$t"
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 | parallel -0 --sshlogin : 't=$(mktemp -d) && ln -s "$PWD"/{} "$t/in.txt" && (cd "$t" && quilnote in.txt out.pdf >/dev/null) && mv "$t/out.pdf" {.}.pdf; s=$?; rm -rf "$t"; exit $s') \
    >"$t.out" 2>"$t.err"
  check_tree "GNU parallel on this machine, every name" "$t" $? 0 "$all_names"

  t=$work/parallel-tag
  setup_tree "$t"
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 |
      parallel -0 --tag --sshlogin : 'quilnote {} {.}.pdf 2>&1 >/dev/null | iconv -f CP932 -t UTF-8 | tr -d "\r"') \
    >"$t.out" 2>"$t.err"
  check_tree "GNU parallel --tag: which file a message is about" "$t" $? 0 "$plain_names"
  message=$(printf 'Pdf\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x82\x92\xe6\x8c\x87\xe5\xae\x9a\xe3\x81\x97\xe3\x81\xa6\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84')  # Pdfファイルを指定してください
  [ "$(LC_ALL=C sort "$t.out")" = "$(printf './my-dir/f.txt\t%s\n./my-e.txt\t%s' "$message" "$message")" ] ||
    fail "GNU parallel --tag: messages" "expected one tagged UTF-8 line for each name with '-'"
else
  skip "GNU parallel on this machine" "parallel is not installed"
  skip "GNU parallel on this machine, every name" "parallel is not installed"
  skip "GNU parallel --tag: which file a message is about" "parallel is not installed"
fi

# ------------------------------------------------------------ across machines
# Two ssh servers on 127.0.0.1 stand in for the hosts host1 and host2. All
# they use lives under $ssh: host keys, the one client key they accept, pid
# files, logs, and for each host a working folder, a home, a temporary folder
# and a PATH that starts with the program under test. ~/.ssh is never used.
ssh=$work/ssh
ssh_config=$ssh/config
sshd_bin=$(PATH=$PATH:/usr/sbin:/sbin command -v sshd)
user=$(id -un)

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
    # own HOME and TMPDIR and the program under test first on PATH.
    # StrictModes is off: it refuses a key under a world-writable folder
    # such as /tmp.
    cat >"$h/sshd_config" <<EOF
ListenAddress 127.0.0.1:$host_port
HostKey $h/host_key
PidFile $h/sshd.pid
AuthorizedKeysFile $ssh/client_key.pub
AuthenticationMethods publickey
AllowUsers $user
UsePAM no
StrictModes no
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

ssh_skip=""
missing=""
for tool in parallel rsync ssh ssh-keygen timeout; do have "$tool" || missing="$missing $tool"; done
[ -n "$sshd_bin" ] || missing="$missing sshd"
if [ -n "$missing" ]; then
  ssh_skip="not installed:$missing"
else
  start_hosts
fi

if [ -z "$ssh_skip" ]; then
  t=$work/remote
  setup_tree "$t"
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 |
    RSYNC_OLD_ARGS=1 parallel -0 --ssh "ssh -F $ssh_config" --sshlogin host1,host2 --transferfile {} --return {.}.pdf --cleanup quilnote {} {.}.pdf) \
    >"$t.out" 2>"$t.err"
  check_tree "GNU parallel across machines (names with '-' are skipped)" "$t" $? 0 "$plain_names"
  if [ -s "$ssh/host1/runs" ] && [ -s "$ssh/host2/runs" ]; then pass "GNU parallel across machines: both hosts converted"
  else fail "GNU parallel across machines: both hosts converted" "only one host ran the program"; fi

  t=$work/remote-safe
  setup_tree "$t"
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 |
    RSYNC_OLD_ARGS=1 parallel -0 --ssh "ssh -F $ssh_config" --sshlogin host1,host2 --transferfile {} --return {.}.pdf --cleanup 't=$(mktemp -d) && ln -s "$PWD"/{} "$t/in.txt" && (cd "$t" && quilnote in.txt out.pdf >/dev/null) && mv "$t/out.pdf" {.}.pdf; s=$?; rm -rf "$t"; exit $s') \
    >"$t.out" 2>"$t.err"
  check_tree "GNU parallel across machines, every name" "$t" $? 0 "$all_names"

  # A host that refuses the login: its jobs fail, the run exits non-zero,
  # and the job log and --tag name exactly the files that did not come back.
  name="GNU parallel across machines: a refused login"
  t=$work/remote-refused
  mkdir "$t" && for n in a b c; do cp "$work/ref/ref.txt" "$t/$n.txt"; done
  (cd "$t" && export HOME=$work/home &&
    find . -name '*.txt' -print0 |
    RSYNC_OLD_ARGS=1 parallel -0 --ssh "ssh -F $ssh_config" --tag --joblog jobs.log --sshlogin host1,refuses --transferfile {} --return {.}.pdf --cleanup quilnote {} {.}.pdf) \
    >"$t.out" 2>"$t.err"
  status=$?
  failed_jobs=$(cd "$t" && awk -F'\t' 'NR == 1 || $7 != 0' jobs.log)
  why=""
  [ "$status" -ne 0 ] || why="exit status 0"
  named=0
  for n in a b c; do
    if [[ "$failed_jobs" == *"quilnote ./$n.txt ./$n.pdf"* ]]; then
      named=$((named + 1))
      [ ! -e "$t/$n.pdf" ] || why="$why${why:+; }$n.pdf came back from a failed job"
      LC_ALL=C grep -q "^\./$n\.txt"$'\t' "$t.err" || why="$why${why:+; }no message tagged ./$n.txt"
    else
      cmp -s "$t/$n.pdf" "$ref" || why="$why${why:+; }$n.pdf did not come back, and the job log does not say"
    fi
  done
  [ "$named" -gt 0 ] || why="$why${why:+; }the job log names no failed file"
  if [ -z "$why" ]; then pass "$name"; else fail "$name" "$why"; fi

  left=$(hosts_left)
  if [ -z "$left" ]; then pass "GNU parallel across machines: --cleanup leaves nothing on the hosts"
  else fail "GNU parallel across machines: --cleanup leaves nothing on the hosts" "left: $left"; fi

  stop_hosts
  running=""
  for pid in "${host_pids[@]}"; do ! kill -0 "$pid" 2>/dev/null || running="$running $pid"; done
  host_pids=()
  if [ -z "$running" ]; then pass "GNU parallel across machines: every sshd stopped"
  else fail "GNU parallel across machines: every sshd stopped" "still running:$running"; fi
else
  skip "GNU parallel across machines" "$ssh_skip"
fi

# ------------------------------------------------------------------ encodings
t=$work/iconv
mkdir "$t"
if have iconv; then
  # UTF-8: 日本語, the euro sign, an emoji; Shift-JIS has neither of the
  # last two. (Accented letters are left out: how iconv spells them
  # depends on the locale.)
  printf '\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xe2\x82\xac5\n\xf0\x9f\x98\x80 emoji\nlast line\n' >"$t/notes.txt"
  printf '\x93\xfa\x96\x7b\x8c\xea EUR5\n? emoji\nlast line\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  (cd "$t" && quilnote <(iconv -f UTF-8 -t CP932//TRANSLIT notes.txt) notes.pdf) >"$t.out" 2>"$t.err"
  status=$?
  if [ "$status" -eq 0 ] && cmp -s "$t/notes.pdf" "$t/expected.pdf"; then
    pass "UTF-8 text through iconv //TRANSLIT"
  else
    fail "UTF-8 text through iconv //TRANSLIT" "status $status or an unexpected PDF"
  fi
  # Strict iconv stops at the euro sign; the program still exits 0, with one line.
  (cd "$t" && quilnote <(iconv -f UTF-8 -t CP932 notes.txt) strict.pdf) >"$t.strict.out" 2>"$t.strict.err"
  status=$?
  if [ "$status" -eq 0 ] && is_pdf "$t/strict.pdf" && tr -d '\r' <"$t.strict.out" | LC_ALL=C grep -qx $'1 \x8ds'; then
    pass "strict iconv stops at the first missing character"
  else
    fail "strict iconv stops at the first missing character" "status $status or not one line"
  fi
else
  skip "UTF-8 text through iconv //TRANSLIT" "iconv is not installed"
  skip "strict iconv stops at the first missing character" "iconv is not installed"
fi

t=$work/expand
mkdir "$t"
if have expand; then
  printf 'int\tmain(void);\n\x82\xa0\tx\n' >"$t/main.c"
  printf 'int main(void);\n\x82\xa0  x\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  (cd "$t" && quilnote <(expand -t 4 main.c) main.pdf) >"$t.out" 2>"$t.err"
  status=$?
  if [ "$status" -eq 0 ] && cmp -s "$t/main.pdf" "$t/expected.pdf"; then
    pass "tabs through expand"
  else
    fail "tabs through expand" "status $status or an unexpected PDF"
  fi
else
  skip "tabs through expand" "expand is not installed"
fi

t=$work/stdin
mkdir "$t"
if have iconv && have expand; then
  printf '\xe2\x82\xac\tx\n\xe6\x97\xa5\n' >"$t/notes.txt"  # €, tab, x; 日
  printf 'EUR     x\n\x93\xfa\n' >"$t/expected.txt"
  reference "$t/expected.txt" expected.pdf
  (cd "$t" && iconv -f UTF-8 -t CP932//TRANSLIT notes.txt | expand | quilnote /dev/stdin notes.pdf) >"$t.out" 2>"$t.err"
  status=$?
  if [ "$status" -eq 0 ] && cmp -s "$t/notes.pdf" "$t/expected.pdf"; then
    pass "standard input as /dev/stdin"
  else
    fail "standard input as /dev/stdin" "status $status or an unexpected PDF"
  fi
else
  skip "standard input as /dev/stdin" "iconv or expand is not installed"
fi

t=$work/messages
mkdir "$t"
if have iconv; then
  (cd "$t" && quilnote 2>&1 | iconv -f CP932 -t UTF-8; exit "${PIPESTATUS[0]}") >"$t.out" 2>"$t.err"
  status=$?
  if [ "$status" -eq 0 ] && LC_ALL=C grep -q '^quilnote ver1.2' "$t.out" &&
     LC_ALL=C grep -q "$(printf '\xe7\x94\xa8\xe7\xb4\x99')" "$t.out"; then  # 用紙
    pass "reading the messages through iconv"
  else
    fail "reading the messages through iconv" "status $status or no UTF-8 usage text"
  fi
else
  skip "reading the messages through iconv" "iconv is not installed"
fi

# ----------------------------------------------------------- pitfall work-arounds
t=$work/pitfalls
mkdir -p "$t/my-docs"
sjis_text >"$t/my-notes.txt"
sjis_text >"$t/my-docs/a.txt"

(cd "$t" && quilnote my-notes.txt out.pdf) >"$t.hy.out" 2>"$t.hy.err"
status=$?
if [ "$status" -eq 0 ] && [ ! -e "$t/out.pdf" ] && [ -s "$t.hy.err" ]; then
  pass "a name with '-' is an option"
else
  fail "a name with '-' is an option" "status $status, or a PDF was made, or no message"
fi

(cd "$t" && cd my-docs && quilnote a.txt a.pdf) >"$t.cd.out" 2>"$t.cd.err"
status=$?
if [ "$status" -eq 0 ] && cmp -s "$t/my-docs/a.pdf" "$ref"; then pass "hyphen in the folder: cd"
else fail "hyphen in the folder: cd" "no expected PDF"; fi

(cd "$t" && ln -s my-notes.txt notes.txt && quilnote notes.txt notes.pdf) >"$t.ln.out" 2>"$t.ln.err"
status=$?
if [ "$status" -eq 0 ] && cmp -s "$t/notes.pdf" "$ref"; then pass "hyphen in the name: symbolic link"
else fail "hyphen in the name: symbolic link" "no expected PDF"; fi

rm -f "$t/notes.pdf"
(cd "$t" && quilnote <(cat my-notes.txt) notes.pdf) >"$t.ps.out" 2>"$t.ps.err"
status=$?
if [ "$status" -eq 0 ] && cmp -s "$t/notes.pdf" "$ref"; then pass "hyphen in the name: process substitution"
else fail "hyphen in the name: process substitution" "no expected PDF"; fi

if (cd "$t" && mv notes.pdf my-notes.pdf) && cmp -s "$t/my-notes.pdf" "$ref"; then
  pass "PDF to a plain name, then mv"
else
  fail "PDF to a plain name, then mv" "mv failed"
fi

# Convert to a new name, then rename: a failing run leaves the good PDF alone.
cp "$ref" "$t/notes.pdf"
(cd "$t" && rm -f new.pdf && quilnote -fh0 notes.txt new.pdf && mv new.pdf notes.pdf) >"$t.mv.out" 2>"$t.mv.err"
status=$?
if [ "$status" -ne 0 ] && cmp -s "$t/notes.pdf" "$ref"; then
  (cd "$t" && rm -f new.pdf && quilnote -fm10 notes.txt new.pdf && mv new.pdf notes.pdf) >"$t.mv.out" 2>"$t.mv.err"
  status=$?
  if [ "$status" -eq 0 ] && is_pdf "$t/notes.pdf" && ! cmp -s "$t/notes.pdf" "$ref" && [ ! -e "$t/new.pdf" ]; then
    pass "convert to a new name, then mv"
  else
    fail "convert to a new name, then mv" "the good conversion did not replace the PDF"
  fi
else
  fail "convert to a new name, then mv" "a failing run (status $status) touched the good PDF"
fi

# ------------------------------------------------------------------- previews
t=$work/preview
mkdir "$t"
cp "$ref" "$t/out.pdf"
png_ok() { [ "$(head -c 4 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e47" ]; }
if have mutool; then
  (cd "$t" && mutool draw -o page1.png -r 100 out.pdf 1) >"$t.mu.out" 2>"$t.mu.err"
  if png_ok "$t/page1.png"; then pass "preview with mutool draw"
  else fail "preview with mutool draw" "no page1.png"; fi
else
  skip "preview with mutool draw" "mutool is not installed"
fi
if have pdftoppm; then
  (cd "$t" && pdftoppm -png -r 100 -f 1 -l 1 out.pdf page) >"$t.pp.out" 2>"$t.pp.err"
  if png_ok "$t/page-1.png"; then pass "preview with pdftoppm"
  else fail "preview with pdftoppm" "no page-1.png"; fi
else
  skip "preview with pdftoppm" "pdftoppm is not installed"
fi

echo "recipes: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
