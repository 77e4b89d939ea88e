# bash completion for nuthumb-cli: options, the values of the choice options,
# folders for SOURCE_DIR and DEST_DIR, files for the options that take a file.
# Needs nothing from the bash-completion package, so that it also works when
# sourced by hand.

# The formats the program itself offers after OPTION (--from or --to), as its
# help lists them ("--from bmp|jpg|...|all"), so a new format needs no change here.
_nuthumb_cli_formats() {
    "$1" --help 2>/dev/null | sed -n "s/^ *$2 \([a-z|]*\).*/\1/p" | tr '|' ' '
}

_nuthumb_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    # bash splits "--basis=wi" into "--basis" "=" "wi": complete the value as
    # after "--basis ".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD-2]}
    fi

    local values=
    case $prev in
        --from | --to) values=$(_nuthumb_cli_formats "${COMP_WORDS[0]}" "$prev") ;;
        --basis) values="height width larger" ;;
        --overwrite) values="never always ask" ;;
        --filter) values="nearest area" ;;
        --previews) values="auto never" ;;
        --settings | --batch-file | --error-list)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return ;;
        --prefix | --suffix | --size | -s | --fit | --fill | --variant | --jobs | -j | --memory-limit | --quality)
            COMPREPLY=()
            return ;;
    esac
    if [[ -n $values ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
        return
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--photos --from --to --prefix --suffix --size --basis
            --fit --fill --enlarge --variant --convert-only --recursive --auto-orient --no-auto-orient
            --keep-dates --no-keep-dates --srgb --no-srgb --quality --filter
            --previews --overwrite --report-load-errors --error-list --settings --quiet
            --jobs --memory-limit --update --prune --dry-run --batch --batch-file --help --version -p -r -s -q -j -h" -- "$cur")
        return
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}
complete -F _nuthumb_cli nuthumb-cli
