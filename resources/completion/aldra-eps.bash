# bash completion for aldra-eps
_aldra_eps() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="info thumbnail convert catalog query settings properties setup formats register unregister"
    if [[ $COMP_CWORD -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --version --help" -- "$cur"))
        return
    fi
    local options
    case ${COMP_WORDS[1]} in
        info) options="--json --help" ;;
        thumbnail) options="--size -s --prefer --force --help" ;;
        convert) options="--size -s --format --force --help" ;;
        catalog) options="--db --root --thumb-size --jobs -j --timeout --quiet -q --prune --help" ;;
        query) options="--db --font --keyword --creator --since --no-preview --help" ;;
        *) options="--help" ;;
    esac
    case $prev in
        --prefer) COMPREPLY=($(compgen -W "stored rendered" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "bmp png" -- "$cur")); return ;;
        --size | -s | --thumb-size | --jobs | -j | --timeout | --root | --font | --keyword | --creator | --since) return ;;
        --db) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    if [[ $cur == -* || ${COMP_WORDS[1]} == query ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ ${COMP_WORDS[1]} == catalog ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _aldra_eps aldra-eps
