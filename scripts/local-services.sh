# shellcheck shell=bash
# Sourced by the Wine scripts that run local services beside a Windows program. A script starts each service with
# its stdin on a pipe it holds (exec {fd}> >(...)) and records "fd:pid" in `services`; closing the pipe stops the
# service, so a service never outlives its script, however the script ends.
services=()

# Each service also holds the pipes of those started before it, so every pipe is closed before any is waited for.
close_pipes() {
    local entry fd
    for entry in "${services[@]}"; do
        fd=${entry%%:*}
        exec {fd}>&-
    done
}

stop_services() {
    local entry
    close_pipes
    for entry in "${services[@]}"; do
        wait "${entry##*:}" 2>/dev/null
    done
    services=()
}
