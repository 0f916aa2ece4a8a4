# zsh_complete.zsh SITE LINE: what an interactive zsh with SITE in its fpath shows after LINE and a
# TAB, read until three seconds have passed.
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z "PS1='>' fpath=($1 \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w z "$2"$'\t'
local all= chunk
for i in {1..30}; do
  sleep 0.1
  while zpty -rt z chunk; do all+=$chunk; done
done
zpty -d z
print -r -- "$all"
