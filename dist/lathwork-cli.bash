# bash completion for lathwork-cli: commands, each command's options, and OPT models.

_lathwork_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "list extract illuminate transparency animate cloak --help --version" -- "$cur"))
        return
    fi

    local options=""
    case ${COMP_WORDS[1]} in
    list)
        if ((COMP_CWORD == 2)); then
            COMPREPLY=($(compgen -W "illumination transparency sets set-textures" -- "$cur"))
            return
        fi
        ;;
    illuminate) options="--colour --tolerance --all" ;;
    transparency) options="--opacity --colour --tolerance --all" ;;
    animate) options="--all" ;;
    cloak) options="--high --low" ;;
    extract) ;;
    *) return ;;
    esac

    case $prev in
    --high | --low)
        COMPREPLY=($(compgen -W "NEVER ALWAYS" -- "$cur"))
        return
        ;;
    --colour | --tolerance | --opacity)
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # Folders, and files named *.opt in any case.
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[oO][pP][tT]' -- "$cur"))
    compopt -o filenames 2>/dev/null
}

complete -F _lathwork_cli lathwork-cli
