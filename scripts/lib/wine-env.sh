# shellcheck shell=bash
# Xvfb and Wine prefix handling shared by scripts/test and scripts/run.
# Source it, then call wine_env_traps so wine_env_stop runs however the script
# ends. Only what these functions started is ever stopped: our Xvfb by its pid,
# the wineserver of our own prefix.

# Bump when the template recipe changes so existing templates are rebuilt.
WINE_ENV_RECIPE=2

export WINEARCH=win64
export WINEDEBUG=-all
# Empty overrides keep a new prefix from offering to install Mono or Gecko;
# that prompt would hang a run nobody watches.
export WINEDLLOVERRIDES="mscoree=;mshtml="

WINE_ENV_XVFB_PID=""
WINE_ENV_SERVER_PREFIX=""
WINE_ENV_SERVER_PID=""
WINE_ENV_BUILDING=""

wine_env_log() {
    printf 'wine-env: %s\n' "$*" >&2
}

wine_env_now() {
    date +%s.%N
}

# Seconds since $1 (a wine_env_now value), two decimals.
wine_env_elapsed() {
    awk -v a="$1" -v b="$(wine_env_now)" 'BEGIN { printf "%.2f", b - a }'
}

wine_env_stamp() {
    printf 'recipe=%s %s\n' "$WINE_ENV_RECIPE" "$(wine --version 2>/dev/null)"
}

# True when display $1 answers.
wine_env_display_ok() {
    [[ -n "${1:-}" ]] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# Run wine_env_stop on any exit; without the signal traps bash skips EXIT on TERM/HUP.
wine_env_traps() {
    trap wine_env_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

# True while process $1 runs (an exited child stays a zombie until waited for).
wine_env_alive() {
    [[ -r "/proc/$1/status" ]] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

# Start a private Xvfb on the first free display from :90 up and export DISPLAY.
wine_env_start_x() {
    local n pid waited
    for ((n = 90; n < 190; n++)); do
        [[ -e "/tmp/.X11-unix/X$n" || -e "/tmp/.X$n-lock" ]] && continue
        # fd 9 is the callers' tree lock: a daemon must not keep holding it.
        Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 9>&- &
        pid=$!
        for ((waited = 0; waited < 200; waited++)); do
            if ! wine_env_alive "$pid"; then
                break # another server took this number meanwhile: try the next
            fi
            if wine_env_display_ok ":$n"; then
                WINE_ENV_XVFB_PID=$pid
                export DISPLAY=":$n"
                # Otherwise the X server itself eats Ctrl+Alt+Fn and Ctrl+Alt+Backspace.
                setxkbmap -display "$DISPLAY" -option srvrkeys:none
                return 0
            fi
            sleep 0.05
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wine_env_log "could not start Xvfb on any display from :90 to :189"
    return 1
}

# Fonts as a Windows machine has them, in the Fonts folder of prefix $1.
wine_env_install_fonts() {
    local fonts=$1/drive_c/windows/Fonts f
    mkdir -p "$fonts"
    # Debian's Wine 8 does not find the fonts of its own fonts-wine package in
    # /usr/share/wine/fonts: without Marlett every title bar button is drawn as the letter
    # that stands for it there ("0 1 r"), and Tahoma and MS Sans Serif are Linux faces.
    # The Fonts folder is where every Wine looks.
    for f in /usr/share/wine/fonts/*; do
        case ${f##*/} in
        # Wine draws a bold MS Sans Serif as regular from these two; from the 96-DPI raster
        # set (sserife.fon) it makes the bold that Windows makes, at every size.
        ms_sans_serif.ttf | sseriff.fon) ;;
        *) cp "$f" "$fonts/" ;;
        esac
    done
    # The programs ask for Microsoft Sans Serif, which Windows has and Wine has not;
    # MS Sans Serif is the same design.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "Microsoft Sans Serif" /d "MS Sans Serif" /f >/dev/null 2>&1
}

# Build a ready prefix at $1 with its own short-lived wineserver.
wine_env_make_prefix() {
    local WINEPREFIX=$1
    export WINEPREFIX
    wineboot -i >/dev/null 2>&1 || return 1
    # Real X key events reach Wine windows only through a virtual desktop.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || return 1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 || return 1
    # A crash prints its backtrace instead of opening a dialog nobody closes.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || return 1
    wine_env_install_fonts "$WINEPREFIX" || return 1
    # The desktop settings apply only after the server restarts.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w || return 1
    [[ -f "$WINEPREFIX/system.reg" && -d "$WINEPREFIX/drive_c/windows/system32" ]]
}

# Create a 64-bit prefix with a virtual desktop in DIR unless a current one is
# there. Wants $DISPLAY: wineboot starts explorer, which needs a display.
wine_env_prepare_template() {
    local dir=$1 tmp start lock
    mkdir -p "$(dirname "$dir")"
    # Two runs in one tree must not build or replace the template at once.
    exec {lock}>"$dir.lock"
    flock "$lock"
    if [[ -f "$dir/.ready" && "$(cat "$dir/.ready")" == "$(wine_env_stamp)" ]]; then
        exec {lock}>&-
        return 0
    fi
    start=$(wine_env_now)
    tmp="$dir.new.$$"
    rm -rf "$tmp"
    WINE_ENV_BUILDING=$tmp
    if ! wine_env_make_prefix "$tmp" 9>&-; then
        wine_env_log "creating the Wine prefix in $tmp failed"
        exec {lock}>&-
        return 1
    fi
    wine_env_stamp >"$tmp/.ready"
    rm -rf "$dir"
    mv "$tmp" "$dir"
    WINE_ENV_BUILDING=""
    exec {lock}>&-
    wine_env_log "created Wine template $dir in $(wine_env_elapsed "$start") s"
}

# Pid of the wineserver serving prefix $1, if one runs. The server keeps its
# working directory in server-<dev>-<inode> of the prefix directory.
wine_env_server_pid() {
    local want cwd p dev ino
    [[ -d "$1" ]] || return 0
    read -r dev ino < <(stat -c '%d %i' "$1")
    want=$(printf 'server-%x-%x' "$dev" "$ino")
    for p in /proc/[0-9]*; do
        [[ "$(readlink "$p/exe" 2>/dev/null)" == */wineserver* ]] || continue
        cwd=$(readlink "$p/cwd" 2>/dev/null) || continue
        if [[ "${cwd##*/}" == "$want" ]]; then
            echo "${p#/proc/}"
            return 0
        fi
    done
}

# True while pid $1 is a live wineserver (a zombie has no exe link).
wine_env_is_wineserver() {
    [[ "$(readlink "/proc/$1/exe" 2>/dev/null)" == */wineserver* ]]
}

# Use prefix DIR from now on with one wineserver kept up for it: without a
# persistent server every wine process pays about 3 s of start-up.
wine_env_use_prefix() {
    local fifo
    export WINEPREFIX=$1
    if wineserver -p >/dev/null 2>&1 9>&-; then
        WINE_ENV_SERVER_PREFIX=$1
        WINE_ENV_SERVER_PID=$(wine_env_server_pid "$1")
        # Wine ends its services and the desktop's explorer a few seconds after
        # the last program exits, and the next program starts them again with
        # its own stdout: ctest then waits on that pipe until the test times
        # out. A program that never exits keeps them up; it reads a FIFO that
        # it also holds open for writing, so it never sees end of input.
        fifo="$1/.wine-env-keeper"
        rm -f "$fifo"
        mkfifo "$fifo"
        wine cmd /c pause <>"$fifo" >/dev/null 2>&1 9>&- &
    else
        # Someone else's server already serves this prefix: use it, leave it alone.
        wine_env_log "a wineserver already runs for $1; it stays running at exit"
    fi
    # Have services and explorer up, detached from any output, before we go on.
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&-
}

# Fresh copy of TEMPLATE at DEST, then use it.
wine_env_start_prefix() {
    local template=$1 dest=$2 start
    if [[ -z "$dest" || "$dest" == "/" || ! -f "$template/.ready" ]]; then
        wine_env_log "bad prefix copy: '$template' -> '$dest'"
        return 1
    fi
    # A server left by a run that was killed hard would outlive its deleted prefix.
    WINEPREFIX=$dest wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$dest wineserver -w >/dev/null 2>&1 || true
    start=$(wine_env_now)
    rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    cp -a "$template" "$dest"
    wine_env_log "copied prefix to $dest in $(wine_env_elapsed "$start") s"
    wine_env_use_prefix "$dest"
}

# Stop what we started; safe to call more than once.
wine_env_stop() {
    local pid i
    if [[ -n "$WINE_ENV_SERVER_PREFIX" ]]; then
        # -k also ends every wine process of this prefix.
        WINEPREFIX=$WINE_ENV_SERVER_PREFIX wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$WINE_ENV_SERVER_PREFIX wineserver -w >/dev/null 2>&1 || true
        pid=$WINE_ENV_SERVER_PID
        # Still there only if the prefix was removed under it: end it by pid.
        if [[ -n "$pid" ]] && wine_env_is_wineserver "$pid"; then
            kill "$pid" 2>/dev/null || true
            i=0
            while wine_env_is_wineserver "$pid" && ((i++ < 50)); do
                sleep 0.1
            done
            if wine_env_is_wineserver "$pid"; then
                kill -9 "$pid" 2>/dev/null || true
            fi
        fi
        rm -f "$WINE_ENV_SERVER_PREFIX/.wine-env-keeper"
        WINE_ENV_SERVER_PREFIX=""
        WINE_ENV_SERVER_PID=""
    fi
    if [[ -n "$WINE_ENV_BUILDING" ]]; then
        WINEPREFIX=$WINE_ENV_BUILDING wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$WINE_ENV_BUILDING wineserver -w >/dev/null 2>&1 || true
        rm -rf "$WINE_ENV_BUILDING"
        WINE_ENV_BUILDING=""
    fi
    if [[ -n "$WINE_ENV_XVFB_PID" ]]; then
        pid=$WINE_ENV_XVFB_PID
        WINE_ENV_XVFB_PID=""
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    return 0
}
