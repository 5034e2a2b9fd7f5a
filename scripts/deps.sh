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

# The packages installed now, one a line, sorted.
bp_installed_packages() {
    dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' 2>/dev/null | awk '$1 == "ii" {print $2}' |
        sort -u
}

# True when an init script only sets the system up at boot (its header's
# Default-Start is the single-user level S alone, as procps's sysctl step
# and x11-common's X socket folder): no daemon, so it stays as it is.
# BP_SYSROOT lets the tests point at a tree of their own.
bp_boot_setup_script() {
    local start
    start=$(sed -n 's/^#[[:space:]]*Default-Start:[[:space:]]*//p' "${BP_SYSROOT:-}$1" 2>/dev/null |
        head -n 1)
    [ "$(echo $start)" = S ]
}

# Services of the given packages (init scripts and systemd units) are
# disabled at boot and stopped: on a developer's machine the packaged
# daemons (danted, and the inetd and syslogd that come with telnetd) must
# not start at every boot; the tests start their own on loopback.
bp_disable_services() {
    [ "$#" -eq 0 ] && return 0
    local sudo="" f name systemd=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    [ -d /run/systemd/system ] && systemd=1
    while read -r f; do
        name=${f##*/}
        case "$f" in
        /etc/init.d/*)
            bp_boot_setup_script "$f" && continue
            $sudo update-rc.d "$name" disable >/dev/null 2>&1 || true
            [ -z "$systemd" ] && { $sudo service "$name" stop >/dev/null 2>&1 || true; }
            ;;
        *)
            [ -z "$systemd" ] && continue
            $sudo systemctl disable --now "$name" >/dev/null 2>&1 || true
            ;;
        esac
        echo "Disabled at boot: $name"
    done < <(dpkg -L "$@" 2>/dev/null |
        grep -E '^/etc/init\.d/[^/]+$|^(/usr)?/lib/systemd/system/[^/]+\.(service|socket)$' |
        grep -v '/README$' | sort -u)
}

bp_install() {
    local missing
    mapfile -t missing < <(bp_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    [ -z "${missing[0]}" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    local before
    before=$(bp_installed_packages)
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
    # Every package this step brought, dependencies included.
    local added
    mapfile -t added < <(comm -13 <(printf '%s\n' "$before") <(bp_installed_packages))
    [ "${#added[@]}" -gt 0 ] && [ -n "${added[0]}" ] && bp_disable_services "${added[@]}"
    return $rc
}

# What building and running the programs needs.
# The toolkit's Chinese translation, its SVG support and Debian's default
# icon theme give the programs their Chinese standard dialogs and their
# pictures.
BP_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools
    qt6-qpa-plugins libgl-dev libxcb1-dev fonts-arphic-uming netbase qt6-translations-l10n
    libqt6svg6 adwaita-icon-theme)
# What the tests add: test frameworks, the sanitizer/fuzzer compiler, the
# benchmark baseline, the real peers the integration tests start, and the
# desktop tier's X server, window manager, input, clipboard and screenshot tools.
BP_TEST_PACKAGES=(googletest libgtest-dev libgmock-dev libbenchmark-dev clang
    libclang-rt-14-dev libvterm-dev busybox-static inetutils-telnetd socat
    microsocks dante-server python3 iproute2 util-linux libglib2.0-bin
    xvfb openbox xdotool x11-utils x11-apps wmctrl xclip)
