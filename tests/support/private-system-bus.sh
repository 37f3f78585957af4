# Sourced by shell tests and the demo: start_private_system_bus DIR starts a
# dbus-daemon standing in for the system bus (socket in DIR), exports
# DBUS_SYSTEM_BUS_ADDRESS and leaves the daemon's pid in PRIVATE_BUS_PID.
start_private_system_bus() {
    local dir=$1
    local here
    here=$(dirname "${BASH_SOURCE[0]}")
    sed "s|@DIR@|$dir|" "$here/private-system-bus.conf" >"$dir/bus.conf"
    dbus-daemon --config-file="$dir/bus.conf" --print-address --nofork >"$dir/bus.address" 2>/dev/null &
    PRIVATE_BUS_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$dir/bus.address" ] && break
        sleep 0.05
    done
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$dir/bus.address")
    export DBUS_SYSTEM_BUS_ADDRESS
    unset DBUS_SESSION_BUS_ADDRESS
}
