# Shared by play.sh, test.sh and the scripts in tools/: finds the project's root, installs the
# Debian packages that are missing, configures and builds a build folder, and runs a game on an
# X server of its own.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(cmake make g++ pkg-config libsfml-dev libx11-dev libgtest-dev libbenchmark-dev libtcod-dev
          fonts-dejavu-core xvfb xauth xdotool imagemagick x11-utils doxygen)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

# build DIR [cmake options...]
build() {
    local dir="$1"
    shift
    if [ ! -f "$root/$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$root/$dir" "$@" > /dev/null || return 1
    fi
    cmake --build "$root/$dir" -j "$(nproc)" -- --no-print-directory -s || return 1
}

# The game ($pid) and the X server ($server) a script started are killed when it ends, however it
# ends; a signal from outside ends it through the same cleanup.
server=""
pid=""
kill_on_exit() {
    trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$server" ] && kill "$server" 2>/dev/null' EXIT
    trap 'exit 2' TERM INT
}

# Starts an X server (Xvfb, with the server's defaults) on a display number it picks, sets $server
# to its process id and exports DISPLAY; fails when the server does not start.
start_display_server() {
    local number_file number
    number_file="$(mktemp)"
    # The server writes the number it picked once it accepts clients.
    Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$number_file" 2>/dev/null &
    server=$!
    for _ in $(seq 300); do
        grep -q '[0-9]' "$number_file" && break
        sleep 0.1
    done
    number="$(tr -dc 0-9 <"$number_file")"
    rm -f "$number_file"
    [ -n "$number" ] || return 1
    export DISPLAY=":$number"
}
