#!/usr/bin/env bash
# manual_and_completion.sh BUILD: installs the build into a fresh prefix and checks that the manual page
# renders with man, that bash and zsh complete the program's commands and options from the installed
# completion files, that a picture for standard output is never written to a terminal, and that the
# thumbnailer entry claims only the types the filter serves.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
share=$work/prefix/share

page=$(MANWIDTH=100 man -l "$share/man/man1/aldra-eps.1" 2>"$work/man.err")
[ ! -s "$work/man.err" ] || { echo "man complained:"; cat "$work/man.err"; exit 1; }
for text in 'aldra-eps - read EPS files' 'thumbnail FILE OUT [-s|--size N]' 'EXIT STATUS' '[--prune]' \
  '--no-preview' 'THE CATALOGUE'; do
  grep -qF -- "$text" <<<"$page" || { echo "the manual page lacks: $text"; exit 1; }
done
# zsh, typed at an interactive shell: the completion's text shows on the line.
zsh_shows() {  # zsh_shows LINE TEXT
  timeout 20 zsh -f "$(dirname "$0")/zsh_complete.zsh" "$share/zsh/site-functions" "$1" | tr -d '\a\b' |
    grep -qF -- "$2" || { echo "zsh did not complete '$1' to '$2'"; exit 1; }
}
zsh_shows 'aldra-eps thu' 'aldra-eps thumbnail'
zsh_shows 'aldra-eps thumbnail --pr' '--prefer'
zsh_shows 'aldra-eps query --no' '--no-preview'

# What bash offers for a line typed so far, as the completion function answers it after a TAB.
complete_line() {
  bash --norc -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
                  _aldra_eps; printf "%s\n" "${COMPREPLY[@]}"' _ "$share/bash-completion/completions/aldra-eps" "$@"
}
check() {  # check EXPECTED WORD...: the offers, one line each
  local expected=$1; shift
  local actual; actual=$(complete_line "$@" | sort | tr '\n' ' ')
  [ "$actual" = "$expected" ] || { echo "aldra-eps $* <TAB> offered '$actual', expected '$expected'"; exit 1; }
}
check 'thumbnail ' aldra-eps thu
check '--version ' aldra-eps --v
check '--prefer ' aldra-eps thumbnail --pr
check 'rendered stored ' aldra-eps thumbnail --prefer ''
check '--jobs ' aldra-eps catalog --j
check '--prune ' aldra-eps catalog --pr
check '--creator --db --font --help --keyword --no-preview --since ' aldra-eps query ''

# At a terminal, OUT - is refused rather than filling the screen with a PNG.
shown=$(ALDRA_REGISTRY_DIR=$work/registry script -qec \
  "'$work/prefix/bin/aldra-eps' thumbnail '$build/samples/harbour.eps' -; echo status \$?" /dev/null | tr -d '\r')
[ "$shown" = $'aldra-eps: standard output is a terminal; redirect it or name OUT\nstatus 2' ] ||
  { echo "at a terminal, thumbnail to - said: $shown"; exit 1; }

grep -qx 'MimeType=image/x-eps;application/illustrator;application/vnd.adobe.illustrator;' \
  "$share/thumbnailers/aldra-eps.thumbnailer" || { echo "the thumbnailer entry claims other types"; exit 1; }
echo "manual page, completion and thumbnailer entry work"
