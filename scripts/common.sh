# Shared by play.sh and test.sh: finds the project's root, installs the Debian packages that are
# missing, and configures and builds a build folder.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(cmake make g++ pkg-config libsfml-dev libgtest-dev libbenchmark-dev libtcod-dev fonts-dejavu-core
          xvfb xauth xdotool imagemagick x11-utils doxygen)

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
