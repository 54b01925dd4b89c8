#!/usr/bin/env bash
# tarvell-cli verify and export on backup folders built from the engine tests'
# fixed phone: exit codes, one line per finding, files that standard parsers
# read, and .js files left as they were.
# Environment: CLI (tarvell-cli), GOLDEN (golden .js folder), PYTHON3 and
# PARSER (the exports' parse check).
set -euo pipefail

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME="$work/home" TZ=UTC
mkdir -p "$HOME"

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_exit() { # expect_exit CODE COMMAND...
  local want=$1; shift
  set +e; "$@" >out.txt 2>err.txt; local got=$?; set -e
  [[ $got == "$want" ]] || { cat out.txt err.txt >&2; fail "'$*' exited $got, not $want"; }
}

b=backup
mkdir -p "$b/Datajs" "$b/Photos/Gallery"
cp "$GOLDEN"/{Contacts,SMS,CallHistory,Photos}.js "$b/Datajs/"
printf 'jpeg' > "$b/Photos/Gallery/1-a b.jpg"
printf 'odd' > "$b/Photos/Gallery/2-new"$'\n'"line\\x.jpg"
sha256sum "$b"/Datajs/*.js > before.sums

# export: three files, each parses; nothing else changes.
expect_exit 0 "$CLI" export "$b"
[[ $(grep -c '^wrote ' out.txt) == 3 ]] || fail "export did not name three files"
"$PYTHON3" "$PARSER" vcf "$b/Contacts/Contacts.vcf" > /dev/null || fail "vcf does not parse"
"$PYTHON3" "$PARSER" xml "$b/SMS/sms.xml" > /dev/null || fail "sms.xml does not parse"
"$PYTHON3" "$PARSER" xml "$b/CallHistory/calls.xml" > /dev/null || fail "calls.xml does not parse"
sha256sum -c --quiet before.sums || fail "export changed a .js file"

# No SHA256SUMS yet: not verifiable.
expect_exit 1 "$CLI" verify "$b"
grep -q 'no SHA256SUMS' out.txt || fail "no word about the missing SHA256SUMS"

# Sums as coreutils writes them (escaped names included) are read.
# (Written outside first: the shell creates the output before find runs.)
(cd "$b" && find . -type f -printf '%P\0' | xargs -0 sha256sum -- > ../sums) && mv sums "$b/SHA256SUMS"
expect_exit 0 "$CLI" verify "$b"
grep -q "^$b: whole: 9 files" out.txt || { cat out.txt; fail "whole folder not reported"; }

# A flipped byte, a deleted file, an added file: one line each, exit 1.
printf 'X' | dd of="$b/Datajs/SMS.js" bs=1 seek=40 conv=notrunc status=none
rm "$b/Photos/Gallery/1-a b.jpg"
printf 'later' > "$b/notes.txt"
expect_exit 1 "$CLI" verify "$b"
grep -qx "CHANGED    $b/Datajs/SMS.js" out.txt || { cat out.txt; fail "no CHANGED line"; }
grep -qx "MISSING    $b/Photos/Gallery/1-a b.jpg" out.txt || fail "no MISSING line"
grep -qx "UNLISTED   $b/notes.txt" out.txt || fail "no UNLISTED line"
[[ $(grep -c '^[A-Z]' out.txt) == 3 ]] || { cat out.txt; fail "not one line per finding"; }
grep -q "DAMAGED: 1 changed, 1 missing" out.txt || fail "no summary"

# A line naming a path outside is reported and not read.
printf 'outside' > secret
echo "$(sha256sum secret | cut -c1-64)  ../secret" >> "$b/SHA256SUMS"
echo "$(sha256sum secret | cut -c1-64)  $work/secret" >> "$b/SHA256SUMS"
expect_exit 1 "$CLI" verify "$b"
[[ $(grep -c '^BAD LINE' out.txt) == 2 ]] || { cat out.txt; fail "bad lines not reported"; }

# Several folders: the worst result wins; a whole one alone gives 0.
mkdir whole && printf 'x' > whole/a && (cd whole && sha256sum a > SHA256SUMS)
expect_exit 0 "$CLI" verify whole
expect_exit 1 "$CLI" verify whole "$b"

# Usage errors.
expect_exit 2 "$CLI" verify
expect_exit 2 "$CLI" verify no-such-folder
expect_exit 2 "$CLI" verify --fast "$b"
expect_exit 2 "$CLI" export
expect_exit 2 "$CLI" export whole
expect_exit 0 "$CLI" verify --help
grep -q "Exit codes" out.txt || fail "verify --help without exit codes"
expect_exit 0 "$CLI" export --help
grep -q "Exit codes" out.txt || fail "export --help without exit codes"
echo "ok"
