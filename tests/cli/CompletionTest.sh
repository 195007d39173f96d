#!/usr/bin/env bash
# CompletionTest.sh COMPLETION_FILE — completes command lines with the bash
# completion of zelmaro-cli and compares the offers.
set -uo pipefail
. "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Nacht 1" "$work/Nebel"
touch "$work/Zelmaro.txt"
# Stands in for zelmaro-cli --list-palm-users: number, name, folder.
printf '#!/bin/sh\nprintf "1\\tAnna Berg\\t/p/AnnaB\\n2\\tBob\\t/p/Bob\\n"\n' >"$work/fake-cli"
chmod +x "$work/fake-cli"
cd "$work" || exit 1

failures=0 total=0
expect() { # expected offers separated by "|", then the words; the last is completed
  local want=$1
  shift
  total=$((total + 1))
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _zelmaro_cli 2>/dev/null
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|')
  if [ "$got" != "$want" ]; then
    echo "FAIL: ${*@Q}: got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}

expect "--format" zelmaro-cli Nacht --fo
expect "--list-palm-users|--log" zelmaro-cli --l
expect "csv|json|table" zelmaro-cli Nacht --format ""
expect "json" zelmaro-cli Nacht --format j
expect "" zelmaro-cli Nacht --offset ""
expect "Nacht 1|Nebel" zelmaro-cli N
expect "Zelmaro.txt" zelmaro-cli Nacht --log Z
expect "Anna Berg|Bob" "$work/fake-cli" Nacht --palm-user ""
expect "Anna Berg" "$work/fake-cli" Nacht --palm-user A

echo "$((total - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
