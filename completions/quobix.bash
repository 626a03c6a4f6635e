# Bash completion for the quobix tools: options, folders and message files,
# header names for qxsearch and qxwho -h, flag letters for qxmark and qxstore.
# Needs nothing but bash itself; installed once per tool name so that
# bash-completion loads it on first use of any of them.

_quobix_flag_letters=(D F P R S T)
_quobix_header_names=(from to cc bcc reply-to sender subject date message-id
  in-reply-to references list-id delivered-to return-path x-mailer
  resent-from resent-sender resent-to resent-cc resent-bcc)

# The words of the line up to the cursor, split as the shell splits them
# (quotes and backslashes removed) but not at colons, into _quobix_words;
# the last one is the word being completed, maybe empty.
_quobix_split() {
  local line=${COMP_LINE:0:COMP_POINT} word='' quote='' started='' c i
  _quobix_words=()
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if [[ -n $quote ]]; then
      if [[ $c == "$quote" ]]; then quote=''; else word+=$c; fi
    elif [[ $c == "'" || $c == '"' ]]; then
      quote=$c started=1
    elif [[ $c == '\' ]]; then
      ((i++))
      word+=${line:i:1} started=1
    elif [[ $c == [[:space:]] ]]; then
      [[ -n $started ]] && _quobix_words+=("$word")
      word='' started=''
    else
      word+=$c started=1
    fi
  done
  _quobix_words+=("$word")
}

# Offers the words that begin with $cur. Bash replaces only the part of the
# word after its last colon, so that part is all that is offered.
_quobix_offer() {
  local candidate
  for candidate in "$@"; do
    [[ $candidate == "$cur"* ]] || continue
    if [[ $cur == *:* && $COMP_WORDBREAKS == *:* ]]; then
      candidate=${candidate#"${cur%:*}:"}
    fi
    [[ -n $candidate ]] && COMPREPLY+=("$candidate")
  done
}

# A cluster of flag options or a flag string, extended by one more letter.
_quobix_more_flags() {
  local letter
  for letter in "${_quobix_flag_letters[@]}" "$@"; do
    [[ $cur == *"$letter"* ]] || COMPREPLY+=("$cur$letter")
  done
}

_quobix_files() {
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY+=($(compgen -f -- "$cur"))
}

_quobix_dirs() {
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY+=($(compgen -d -- "$cur"))
}

_quobix() {
  local tool=${1##*/} cur prev options='' with_argument='' in_order=''
  COMPREPLY=()
  _quobix_split
  cur=${_quobix_words[-1]}
  case $tool in
  qxfilter) options='-T -v -t -F' with_argument='-t -F' in_order=1 ;;
  qxsearch) options='-a -c -d -h -i -l -m -o -p -q -v --charsets' with_argument='-m' in_order=1 ;;
  qxwho) options='-a -d -h' with_argument='-h' in_order=1 ;;
  qxmark) options='-D -F -P -R -S -T -d -f -p -r -s -t -X -x -v' with_argument='-X -x' in_order=1 ;;
  qxstore) options='-c -M -v -X' with_argument='-X' ;;
  qxmove) options='-k -v' ;;
  qxfolders) options='-0 -a' ;;
  qxencode) options='-c -r -t' with_argument='-t' ;;
  esac

  # Which argument is being written: an option's value, an option, or the
  # operand number $operands (counted from 0).
  local i word operands=0 options_end=''
  prev=''
  for ((i = 1; i < ${#_quobix_words[@]} - 1; i++)); do
    word=${_quobix_words[i]}
    if [[ -n $prev ]]; then
      prev=''
    elif [[ -z $options_end && $word == -?* ]]; then
      if [[ $word == -- ]]; then
        options_end=1
      elif [[ $word != --* ]]; then
        # In a cluster, the first letter that takes a value ends it; the
        # value is the rest of the word, or the next word.
        local j letter
        for ((j = 1; j < ${#word}; j++)); do
          letter=${word:j:1}
          if [[ " $with_argument " == *" -$letter "* ]]; then
            ((j == ${#word} - 1)) && prev=-$letter
            break
          fi
        done
      fi
    else
      ((operands++))
      [[ -n $in_order ]] && options_end=1
    fi
  done

  case $tool:$prev in
  qxfilter:-F) _quobix_files ;;
  qxfilter:-t | qxsearch:-m) ;;
  qxwho:-h)
    local names=() name
    for name in "${_quobix_header_names[@]}"; do
      names+=("${cur%"${cur##*:}"}$name")
    done
    compopt -o nospace 2>/dev/null
    _quobix_offer "${names[@]}"
    ;;
  qxmark:-[Xx] | qxstore:-X)
    compopt -o nospace 2>/dev/null
    _quobix_more_flags
    ;;
  qxencode:-t) _quobix_offer multipart/mixed multipart/alternative multipart/related ;;
  *:)
    if [[ -z $options_end && $cur == -* ]]; then
      if [[ $tool == qxmark && $cur == -[DFPRSTdfprstv]* ]]; then
        compopt -o nospace 2>/dev/null
        _quobix_more_flags d f p r s t v
        _quobix_offer "$cur"
      else
        _quobix_offer $options --help --version
      fi
      return
    fi
    case $tool in
    qxsearch)
      if ((operands == 0)); then
        local names=('*:' '/:' ':') name letter
        for name in "${_quobix_header_names[@]}"; do names+=("$name:"); done
        for letter in "${_quobix_flag_letters[@]}"; do names+=(":$letter"); done
        compopt -o nospace 2>/dev/null
        _quobix_offer "${names[@]}"
      else
        _quobix_files
      fi
      ;;
    qxfilter | qxwho | qxmark | qxmove) _quobix_files ;;
    qxstore | qxfolders) _quobix_dirs ;;
    esac
    ;;
  esac
}

complete -F _quobix qxfilter qxsearch qxwho qxstore qxmove qxnewid qxmark qxfolders qxencode
