# bash completion for lathwork-cli: commands, each command's options, and OPT models.

_lathwork_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "info list extract illuminate transparency animate cloak --help --version" -- "$cur"))
        return
    fi

    local options=""
    local rewrite="--dry-run --verbose --quiet"
    case ${COMP_WORDS[1]} in
    info) options="--json --quiet" ;;
    list)
        if ((COMP_CWORD == 2)); then
            COMPREPLY=($(compgen -W "illumination transparency sets set-textures" -- "$cur"))
            return
        fi
        options="--json --quiet"
        ;;
    illuminate) options="--colour --tolerance --all $rewrite" ;;
    transparency) options="--opacity --colour --tolerance --all $rewrite" ;;
    animate) options="--all $rewrite" ;;
    cloak) options="--high --low --json $rewrite" ;;
    extract) options="--quiet" ;;
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

    # Folders (each stands for its models), and files named *.opt in any case.
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[oO][pP][tT]' -- "$cur"))
    compopt -o filenames 2>/dev/null
}

complete -F _lathwork_cli lathwork-cli
