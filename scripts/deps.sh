# Installs the Debian packages the build and the tests need; sourced by
# run.sh and test.sh. Idempotent: only missing packages are installed.

bp_missing_packages() {
    local p missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    printf '%s\n' "${missing[@]}"
}

bp_install() {
    local missing
    mapfile -t missing < <(bp_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    [ -z "${missing[0]}" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    # Packaged daemons (telnetd, danted) must not be started by the install:
    # the tests start their own instances on loopback.
    local guard=""
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        guard=/usr/sbin/policy-rc.d
        printf '#!/bin/sh\nexit 101\n' | $sudo tee "$guard" >/dev/null
        $sudo chmod +x "$guard"
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
    local rc=$?
    [ -n "$guard" ] && $sudo rm -f "$guard"
    return $rc
}

# What building and running the programs needs.
BP_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools
    qt6-qpa-plugins libgl-dev libxcb1-dev fonts-arphic-uming netbase)
# What the tests add: test frameworks, the sanitizer/fuzzer compiler, the
# benchmark baseline, the real peers the integration tests start, and the
# desktop tier's X server, window manager, input and screenshot tools.
BP_TEST_PACKAGES=(googletest libgtest-dev libgmock-dev libbenchmark-dev clang
    libclang-rt-14-dev libvterm-dev busybox-static inetutils-telnetd socat
    microsocks dante-server python3 iproute2 util-linux
    xvfb openbox xdotool x11-utils x11-apps)
