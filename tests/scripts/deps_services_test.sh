#!/usr/bin/env bash
# bp_install from scripts/deps.sh against stand-ins for the package tools:
# the services of every package the step installed, dependencies included,
# end up disabled at boot (and stopped); those of packages that were there
# before, packages without services and boot set-up scripts are left alone. Nothing outside
# a temporary folder is touched: apt-get, dpkg, update-rc.d, service,
# systemctl, sudo and the policy file's tee/chmod/rm are stand-ins.
set -uo pipefail
src=${1:?usage: deps_services_test.sh SOURCE_DIR}
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
mkdir -p "$t/bin" "$t/files"
log="$t/log"
: >"$log"

# Installed before: an old daemon whose service must stay as it is.
printf 'ii  olddaemon\nii  coreutils\n' >"$t/state"
stub() { printf '#!/bin/bash\n%s\n' "$2" >"$t/bin/$1"; chmod +x "$t/bin/$1"; }
stub dpkg-query "case \"\$2\" in
*Status-Abbrev*) cat '$t/state' ;;
*) grep -q \" \$3\\\$\" '$t/state' && printf 'install ok installed' ;;
esac; exit 0"
# Installing telnetd brings inetd and syslogd with it, as Debian's does.
stub apt-get "[ \"\$1\" = install ] || exit 0
for p in \"\$@\"; do case \$p in -*|install) ;; *) echo \"ii  \$p\" >>'$t/state' ;; esac; done
grep -q ' inetutils-telnetd\$' '$t/state' &&
    printf 'ii  inetutils-inetd\nii  inetutils-syslogd\n' >>'$t/state'
exit 0"
stub dpkg "[ \"\$1\" = -L ] || exit 1; shift; for p; do cat '$t/files/'\"\$p\" 2>/dev/null; done; exit 0"
for tool in update-rc.d service systemctl; do stub "$tool" "echo $tool \"\$*\" >>'$log'"; done
stub sudo 'exec "$@"'
for tool in tee chmod rm; do stub "$tool" "cat >/dev/null 2>&1 </dev/null; echo policy-$tool >>'$log'"; done

printf '/etc/init.d/olddaemon\n/lib/systemd/system/olddaemon.service\n' >"$t/files/olddaemon"
printf '/etc/init.d/danted\n/lib/systemd/system/danted.service\n/usr/sbin/danted\n' \
    >"$t/files/dante-server"
printf '/usr/sbin/telnetd\n' >"$t/files/inetutils-telnetd"
printf '/etc/init.d/inetutils-inetd\n/etc/init.d/README\n' >"$t/files/inetutils-inetd"
printf '/etc/init.d/inetutils-syslogd\n/usr/lib/systemd/system/inetutils-syslogd.service\n' \
    >"$t/files/inetutils-syslogd"
printf '/usr/bin/socat\n' >"$t/files/socat"
# Boot set-up scripts (Default-Start: S alone) are no daemons: left as they are.
printf '/etc/init.d/procps\n/usr/bin/sysctl\n' >"$t/files/procps"
mkdir -p "$t/root/etc/init.d"
printf '#!/bin/sh\n### BEGIN INIT INFO\n# Default-Start:     S\n### END INIT INFO\n' \
    >"$t/root/etc/init.d/procps"
printf '#!/bin/sh\n### BEGIN INIT INFO\n# Default-Start:     2 3 4 5\n### END INIT INFO\n' \
    >"$t/root/etc/init.d/danted"

out=$(PATH="$t/bin:$PATH" BP_SYSROOT="$t/root" \
    bash -c ". '$src/scripts/deps.sh'; bp_install dante-server inetutils-telnetd socat procps coreutils" 2>&1)
rc=$?
fail=0
expect() { grep -qxF "$1" "$log" || { echo "missing: $1"; fail=1; }; }
refuse() { grep -qF "$1" "$log" && { echo "unexpected: $1"; fail=1; }; }
[ $rc -eq 0 ] || { echo "bp_install failed ($rc)"; fail=1; }
for s in danted inetutils-inetd inetutils-syslogd; do
    expect "update-rc.d $s disable"
    if [ -d /run/systemd/system ]; then refuse "service $s"; else expect "service $s stop"; fi
done
if [ -d /run/systemd/system ]; then
    expect "systemctl disable --now danted.service"
    expect "systemctl disable --now inetutils-syslogd.service"
else
    refuse "systemctl"
fi
refuse olddaemon
refuse procps
refuse README
# The packages that were asked for but already there are not installed again.
grep -q 'ii  coreutils' "$t/state" && [ "$(grep -c ' coreutils$' "$t/state")" -eq 1 ] ||
    { echo "coreutils installed twice"; fail=1; }

if [ $fail -ne 0 ]; then
    echo "--- output"; echo "$out"; echo "--- calls"; cat "$log"
    exit 1
fi
echo "services of the installed packages disabled at boot"
