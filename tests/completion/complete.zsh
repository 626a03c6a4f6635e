# Prints what zsh offers for command lines: an interactive zsh on a
# pseudo-terminal loads the completion functions of DIR, each line is typed
# with a TAB, and the candidates that the completion system adds are
# printed instead of being inserted: "== LINE", then one per line, sorted.
# Usage: zsh -f complete.zsh DIR LINE...
if [[ $1 == --setup ]]; then
  fpath=($2 $fpath)
  autoload -U compinit && compinit -u -D
  zstyle ':completion:*' insert-tab false
  _complete_and_mark() {
    zle complete-word
    print -r -- '<end>'
  }
  zle -N _complete_and_mark
  bindkey '^I' _complete_and_mark
  compadd() {
    # Calls that only collect or filter candidates go through unchanged.
    if [[ ${@[1,(i)(-|--)]} == *-[OAD]\ * ]]; then
      builtin compadd "$@"
      return
    fi
    local -a hits
    builtin compadd -O hits "$@"
    local hit
    for hit in $hits; do print -r -- "<hit>$hit"; done
  }
  return
fi

zmodload zsh/zpty || exit 77
zpty shell zsh -f -i
zpty -w shell "PS1=''; source ${(q)0:A} --setup ${(q)1:A}"
local typed line
local -a hits
for typed in ${@:2}; do
  zpty -w -n shell "$typed"$'\t'
  hits=()
  while zpty -r shell line; do
    line=${line//[$'\r\n']/}
    [[ $line == *'<end>'* ]] && break
    [[ $line == *'<hit>'* ]] && hits+=("${line#*<hit>}")
  done
  print -r -- "== $typed"
  print -rl -- ${(ou)hits}
  zpty -w -n shell $'\025'  # Control-U: the next line starts afresh
done
zpty -d shell
