#!/usr/bin/env bash
# Runs one command transcript: NAME.cmd holds commands as a user types them
# in a shell, each followed by what it printed and its exit status. The test
# passes when every command prints the same again.
#
#   bash run_commands.sh NAME.cmd OUT_DIR [--program FILE]... [VAR=VALUE]...
#
# --program FILE puts FILE's folder first on PATH, so that the commands call
# it by its name (`tactolo`, `tactolo_test_sounds`). VAR=VALUE is exported to
# the commands, and VALUE in their output reads `$VAR`; so does the folder
# of the case, as `$PWD`.
#
# The format. Lines that do not start with two blanks are commentary (a
# blank line too). A case is a run of lines that start with two blanks:
#
#   $ COMMAND       a command, run by bash with pipefail
#   > MORE          a further line of the same command (a here-document)
#   TEXT            a line the command wrote to standard output
#   stderr: TEXT    a line it wrote to standard error
#   exit STATUS     its exit status, the last line of every command
#
# Every case runs in a fresh empty folder, its commands one after the other
# in that folder, each with standard input from /dev/null unless the
# command redirects it, in the C locale, with a HOME and a TMPDIR of the
# run's own, given 120 s. Standard output comes before standard error; text
# after the last line end of either gets " (no line end)". An empty line of
# output is a line of two blanks. (A line of output that starts with "$ ",
# or with "> " right after its command, would read as a command.)
#
# The runner writes OUT_DIR/NAME.actual, the file as it would be with the
# output of this run, and on a difference shows it as a unified diff
# (- expected, + actual). Expected output is written by hand from the
# behaviour a case checks, or read line by line before it is kept.
set -uo pipefail

cmd_file="$1"
out_dir="$2"
shift 2
names=()
values=()
program_path=""
while [ $# -gt 0 ]; do
  if [ "$1" = "--program" ]; then
    program_path="$(cd "$(dirname "$2")" && pwd):$program_path"
    shift 2
  else
    names+=("${1%%=*}")
    values+=("${1#*=}")
    export "$1"
    shift
  fi
done
export PATH="$program_path$PATH" LC_ALL=C
unset TACTOLO_PLUGIN

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp" "$work/home"
export TMPDIR="$work/tmp" HOME="$work/home"
name="$(basename "$cmd_file" .cmd)"
mkdir -p "$out_dir"
actual="$out_dir/$name.actual"
: >"$actual"

# Appends the lines of FILE to the transcript, each after PREFIX, with the
# paths of this run written as the variables that hold them.
append_output() {
  local file="$1" prefix="$2" line end="" i
  while IFS= read -r line || { [ -n "$line" ] && end=" (no line end)"; }; do
    line="${line//"$case_dir"/\$PWD}"
    for i in "${!names[@]}"; do
      [ -n "${values[$i]}" ] && line="${line//"${values[$i]}"/\$${names[$i]}}"
    done
    printf '  %s%s%s\n' "$prefix" "$line" "$end" >>"$actual"
    [ -n "$end" ] && break
  done <"$file"
}

# Runs the pending command in the case's folder and records what it did.
run_pending() {
  [ -z "$command" ] && return
  (cd "$case_dir" && timeout 120 bash -o pipefail -c "$command" </dev/null >"$work/out" 2>"$work/err")
  local status=$?
  append_output "$work/out" ""
  append_output "$work/err" "stderr: "
  printf '  exit %d\n' "$status" >>"$actual"
  command=""
}

case_dir=""
cases=0
command=""
continuing=false  # the last line was a command's: a "> " line goes on with it

while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    "  \$ "*)
      run_pending
      if [ -z "$case_dir" ]; then
        cases=$((cases + 1))
        case_dir="$work/case-$cases"
        mkdir "$case_dir"
      fi
      command="${line#"  \$ "}"
      continuing=true
      printf '%s\n' "$line" >>"$actual"
      ;;
    "  >"*)
      if $continuing; then
        more="${line#"  >"}"
        command+=$'\n'"${more# }"
        printf '%s\n' "$line" >>"$actual"
      fi
      ;;
    "  "*) continuing=false ;;  # expected output: this run's output takes its place
    *)
      run_pending
      case_dir=""
      continuing=false
      printf '%s\n' "$line" >>"$actual"
      ;;
  esac
done <"$cmd_file"
run_pending

if ! diff -u "$cmd_file" "$actual"; then
  echo "$name: the output differs from $name.cmd (- expected, + actual, above)"
  exit 1
fi
echo "$name: $cases cases as expected"
