#!/usr/bin/env bash
# Checks an installed package as a user meets it: the programs run, every
# manual page (qxmove's link too) is found by man, and bash-completion and
# zsh find the completions where they look for them.
set -euo pipefail
for tool in qxfilter qxsearch qxwho qxstore qxmove qxnewid qxmark qxfolders qxencode; do
  command -v "$tool" >/dev/null
  man -w "$tool" >/dev/null
  bash --norc --noprofile -c '. /usr/share/bash-completion/bash_completion
    _completion_loader "$1"; complete -p "$1"' bash "$tool" | grep -- '-F _quobix' >/dev/null
done
man -w quobix-messages >/dev/null
MANWIDTH=80 man qxmove 2>&1 | grep 'qxmove - store messages' >/dev/null
zsh -f -c 'autoload -U compinit && compinit -u -D && [[ $_comps[qxmark] == _quobix ]]'
