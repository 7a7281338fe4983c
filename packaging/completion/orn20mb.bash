# bash completion for orn20mb                              -*- shell-script -*-

_orn20mb()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --screenshot)
            _filedir png
            return
            ;;
        --page)
            COMPREPLY=($(compgen -W '0 1 2 3' -- "$cur"))
            return
            ;;
        --port-map | --press | --trend)
            return
            ;;
    esac
    $split && return

    COMPREPLY=($(compgen -W '--demo --port-map --screenshot --page --press --trend
        --help -h' -- "$cur"))
} &&
    complete -F _orn20mb orn20mb

# ex: filetype=sh
