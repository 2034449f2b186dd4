#!/bin/sh
# The pre-commit hook, run by Debian's pre-commit from a local clone, offline: a staged font that
# is ok passes, one that needs another value fails with the value and the fix, and other files
# are not checked. Everything lives in a scratch folder, the hook's clone and pre-commit's cache
# among them.
#   tests/pre_commit_test.sh SOURCE_ROOT BUILD_DIR
set -eu
root=$1
build=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" PRE_COMMIT_HOME="$scratch/cache" PATH="$build:$PATH"
export GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.invalid
export GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.invalid
mkdir -p "$HOME"

# The hook's repository: the hook file as it stands, at a commit of its own.
git init -q "$scratch/hooks"
cp "$root/.pre-commit-hooks.yaml" "$scratch/hooks/"
git -C "$scratch/hooks" add .pre-commit-hooks.yaml
git -C "$scratch/hooks" commit -qm hook
rev=$(git -C "$scratch/hooks" rev-parse HEAD)

project="$scratch/project"
git init -q "$project"
cd "$project"
printf 'repos:\n- repo: %s\n  rev: %s\n  hooks:\n  - id: quenlo-check\n' "$scratch/hooks" "$rev" \
  >.pre-commit-config.yaml
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf Mono.ttf
echo 'not a font' >notes.txt
git add .pre-commit-config.yaml Mono.ttf notes.txt
pre-commit run >"$scratch/ok.log" 2>&1 || { cat "$scratch/ok.log"; echo "an ok font failed"; exit 1; }
grep -q 'Passed' "$scratch/ok.log"

cp /usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf 'BIZ UD.TTF'
git add 'BIZ UD.TTF'
if pre-commit run >"$scratch/wrong.log" 2>&1; then
  cat "$scratch/wrong.log"
  echo "a font that needs another value passed"
  exit 1
fi
grep -q "BIZ UD.TTF: xAvgCharWidth 1962, should be 1024" "$scratch/wrong.log" ||
  { cat "$scratch/wrong.log"; exit 1; }
grep -q "fix: quenlo -w 1024 'BIZ UD.TTF'" "$scratch/wrong.log" || { cat "$scratch/wrong.log"; exit 1; }
if grep -q notes.txt "$scratch/wrong.log"; then echo "a file that is no font was checked"; exit 1; fi
echo "pre-commit hook: ok font passes, wrong font fails with its fix"
