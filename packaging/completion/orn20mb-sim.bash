# bash completion for orn20mb-sim                          -*- shell-script -*-

_orn20mb_sim()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --link)
            _filedir
            return
            ;;
        --rate)
            COMPREPLY=($(compgen -W '1200 2400 4800 9600 19200 38400 57600 115200' -- "$cur"))
            return
            ;;
        --parity)
            COMPREPLY=($(compgen -W 'none odd even' -- "$cur"))
            return
            ;;
        --pressure-model)
            COMPREPLY=($(compgen -W 'constant ramp noise' -- "$cur"))
            return
            ;;
        --fault)
            COMPREPLY=($(compgen -W 'silence crc address function exception surplus
                truncated delay line-error' -- "$cur"))
            return
            ;;
        --address | --device | --pressure | --ramp-low | --ramp-high | --period | \
            --noise | --sensor-offset | --sensor-gain | --temperature | --izmerr | \
            --btn | --delay | --head-read-silence | --fault-rate | --fault-address | --seed | --modbus-tcp)
            return
            ;;
    esac
    $split && return

    COMPREPLY=($(compgen -W '--link --modbus-tcp --address --rate --parity --device --init
        --pressure-model --pressure --ramp-low --ramp-high --period --noise
        --sensor-offset --sensor-gain --temperature --izmerr --btn --delay
        --paced --head-read-silence --fault --fault-rate --fault-address --seed --help' -- "$cur"))
} &&
    complete -F _orn20mb_sim orn20mb-sim

# ex: filetype=sh
