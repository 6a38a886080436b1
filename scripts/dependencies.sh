# Debian 12 packages that building, running and testing Skaf need. Sourced by ./run and ./test.

SKAF_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libplist-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libxcb1-dev libxcb-randr0-dev libxcb-shape0-dev libxcb-xfixes0-dev libxcb-xinput-dev libxcb-xkb-dev libxcb-xtest0-dev
    libxcb-ewmh-dev libxcb-icccm4-dev libxcb-keysyms1-dev libxcb-util-dev libxcb-res0-dev
    libxkbcommon-dev libxkbcommon-x11-dev
    xvfb openbox xfwm4 icewm fluxbox metacity marco mate-settings-daemon-common xcompmgr trayer xterm x11-apps x11-utils x11-xserver-utils xdotool wmctrl
    # As on most desktops: a program that finds no session bus starts one through it.
    dbus-x11
    fonts-dejavu-core fonts-dejavu-extra fonts-noto-color-emoji python3
)

# Installs what is missing when run as root; otherwise names the one command that would.
skaf_ensure_dependencies() {
    local missing=()
    local package
    for package in "${SKAF_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Skaf needs packages that are missing. Install them with:"
        echo "  sudo apt-get install ${missing[*]}"
        exit 1
    fi
}

# Configures the build folder, build/ or $SKAF_BUILD_DIR; the arguments go to cmake.
skaf_configure() {
    cmake -S . -B "${SKAF_BUILD_DIR:-build}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

# How many jobs a build or a test run starts: $SKAF_JOBS, else one per processor.
skaf_jobs() {
    echo "${SKAF_JOBS:-$(nproc 2>/dev/null || echo 2)}"
}

# Builds the given targets, or everything.
skaf_compile() {
    local target_options=()
    local target
    for target in "$@"; do target_options+=(--target "$target"); done
    cmake --build "${SKAF_BUILD_DIR:-build}" -j "$(skaf_jobs)" "${target_options[@]}"
}
