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
        info) options="--recursive -r --ext --json --jsonl --csv --raw --fields -f --help" ;;
        thumbnail) options="--size -s --prefer --upscale --force --help" ;;
        convert) options="--size -s --format --force --help" ;;
        catalog) options="--db --root --thumb-size --jobs -j --timeout --quiet -q --prune --help" ;;
        query) options="--db --font --keyword --creator --since --no-preview --help" ;;
        *) options="--help" ;;
    esac
    case $prev in
        --prefer) COMPREPLY=($(compgen -W "stored rendered" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "bmp jpg png" -- "$cur")); return ;;
        --size | -s | --thumb-size | --jobs | -j | --timeout | --ext | --root | --font | --keyword | --creator | --since) return ;;
        --fields | -f)
            local fields="format default_extension width_in height_in width_pt height_pt h_resolution_ppi
                v_resolution_ppi kind kind_name creating_software mac_type mac_signature image_name user
                categories notes postscript_version epsf_version epsf_type epsf_type_name fonts colors links
                opi_system opi_system_name opi_hires_file"
            # The list so far stays; the field after its last comma is completed.
            local done=${cur%"${cur##*,}"}
            COMPREPLY=($(compgen -P "$done" -W "$fields" -- "${cur##*,}"))
            compopt -o nospace 2>/dev/null
            return ;;
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
