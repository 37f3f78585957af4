#!/usr/bin/env bash
# Builds the project and shows a sample dialog steered the way the agent
# steers it. On a desktop the dialog opens in a real window (answer it);
# without a display it runs under Xvfb, screenshots go to demo-output/ and
# the files the dialog leaves are printed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=${VORA_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" --target VUserAlert

if [ -z "${DISPLAY:-}" ] && [ -z "${VORA_DEMO_UNDER_XVFB:-}" ]; then
    export VORA_DEMO_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x640x24" "$0" "$@"
fi

out_dir=$PWD/demo-output
mkdir -p "$out_dir"
root=$(mktemp -d /tmp/vora-demo-XXXXXX)
export VORA_AGENT_ROOT=$root
user_dir=$root/Orvel/VORA/data/user
mkdir -p "$root/Orvel/VORA/data"
printf 'companyname=Acme\n' >"$root/Orvel/VORA/data/arn.conf"
suffix=demo1

marker() { # marker KIND [content]: create a command marker as the agent does
    if [ $# -gt 1 ]; then printf '%s\n' "$2" >"$user_dir/VUSERALERT_$1.$suffix"; else : >"$user_dir/VUSERALERT_$1.$suffix"; fi
}
consumed() { # waits until the dialog has taken the marker
    for _ in $(seq 1 200); do [ -e "$user_dir/VUSERALERT_$1.$suffix" ] || return 0; sleep 0.05; done
    echo "dialog did not take $1" >&2; return 1
}
shot() {
    if [ -n "${VORA_DEMO_UNDER_XVFB:-}" ]; then
        sleep 0.3
        import -window root "$out_dir/$1.png"
        echo "screenshot: $out_dir/$1.png"
    fi
}

"$build_dir/bin/VUserAlert" -name="@(name_desktopalert)" -title="@(title_vdeploy_fs)" \
    -message="@(ReadyInstall) Editor 2.1. Details: https://help.example.com/editor" \
    -yesno -default=yes -timeout=120 -suffix=$suffix &
dialog=$!
sleep 1
shot 1-question
marker APND
marker MESG "@(Downloading) Editor 2.1 (48 MB)"
consumed MESG
marker PROGON
consumed PROGON
shot 2-progress
if [ -n "${VORA_DEMO_UNDER_XVFB:-}" ]; then
    marker PROGOFF
    consumed PROGOFF
    marker SETTIMEOUT 0   # no one to click: let the default answer
fi
wait $dialog
echo "VUserAlert exited with status $?"
echo "files left in $user_dir:"
for f in "$user_dir"/*; do
    [ "$(basename "$f")" = VAgent.log ] && continue
    printf '  %s: %q\n' "$(basename "$f")" "$(cat "$f")"
done
rm -rf "$root"
