# bash completion for lathwork-cli: commands, each command's options, and OPT models.
# Every reply is read line by line (mapfile), never split or glob-expanded, so a file named
# "[c].opt" or "my ship.opt" is offered as it is.

_lathwork_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "info list extract illuminate transparency animate cloak --help --version" -- "$cur")
        return
    fi

    local options=""
    local rewrite="--dry-run --verbose --break-links --json --quiet"
    local names=0 # whether the words after -- are texture names or set numbers, not files
    case ${COMP_WORDS[1]} in
    info) options="--json --quiet" ;;
    list)
        if ((COMP_CWORD == 2)); then
            mapfile -t COMPREPLY < <(compgen -W "illumination transparency sets set-textures" -- "$cur")
            return
        fi
        options="--json --quiet"
        ;;
    illuminate) options="--colour --tolerance --all $rewrite" names=1 ;;
    transparency) options="--opacity --colour --tolerance --all $rewrite" names=1 ;;
    animate) options="--all $rewrite" names=1 ;;
    cloak) options="--high --low $rewrite" ;;
    extract) options="--json --quiet" ;;
    *) return ;;
    esac

    # After "--" there are no options: only files, or names that cannot be guessed.
    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -- ]]; then
            ((names)) && return
            _lathwork_cli_files "$cur"
            return
        fi
    done

    case $prev in
    --high | --low)
        mapfile -t COMPREPLY < <(compgen -W "NEVER ALWAYS" -- "$cur")
        return
        ;;
    --colour | --tolerance | --opacity)
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    _lathwork_cli_files "$cur"
}

# Folders (each stands for its models; bash adds the / that marks them as folders) and files
# named *.opt in any case.
_lathwork_cli_files()
{
    mapfile -t COMPREPLY < <(compgen -d -- "$1"; compgen -f -X '!*.[oO][pP][tT]' -- "$1")
    compopt -o filenames 2>/dev/null
}

complete -F _lathwork_cli lathwork-cli
