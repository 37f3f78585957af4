# Sourced by the shell tests.
# wait_for SECONDS COMMAND...: polls every 0.1 s until the command succeeds;
# fails once SECONDS have passed.
#   wait_for 10 xdotool search --name '^VORA$'
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}
