#!/usr/bin/env bash
# Installs a Debian package made by scripts/package.sh into a fresh Debian 12 root and tries it there:
#   install-test.sh DEB WORK_DIR
# The root is made anew by debootstrap (the minimal variant with man-db, as every Debian system with
# manual pages has it) in WORK_DIR/root; the package is installed with apt and no recommended
# packages, so that its own dependencies must be enough, and nothing else is installed by hand. The
# downloaded packages are kept in WORK_DIR/cache for the next run.
# Exit status 77: this machine cannot make such a root (not root, no debootstrap, no chroot or
# mount, no Debian mirror); the reason is on standard error.
set -euo pipefail
deb=$(realpath "${1:?usage: install-test.sh DEB WORK_DIR}")
work=${2:?usage: install-test.sh DEB WORK_DIR}
mkdir -p "$work/cache/debootstrap" "$work/cache/apt"
work=$(cd "$work" && pwd)
target=$work/root

cannot() {
    echo "install-test: skipped: $*" >&2
    exit 77
}
[ "$(id -u)" -eq 0 ] || cannot "making a Debian root needs root"
command -v debootstrap >/dev/null || cannot "debootstrap is not installed"

unmount_all() {
    local mount
    for mount in var/cache/apt/archives proc; do
        mountpoint -q "$target/$mount" 2>/dev/null && umount "$target/$mount"
    done
    return 0
}
trap unmount_all EXIT
unmount_all
rm -rf "$target"

started=$(date +%s)
if ! debootstrap --variant=minbase --include=man-db --cache-dir="$work/cache/debootstrap" bookworm "$target" \
    >"$work/debootstrap.log" 2>&1; then
    tail -n 20 "$work/debootstrap.log" >&2
    cannot "debootstrap could not make a Debian 12 root (see above; is a Debian mirror reachable?)"
fi
mount -t proc proc "$target/proc" || cannot "/proc cannot be mounted in the new root"
mount --bind "$work/cache/apt" "$target/var/cache/apt/archives"
root_env=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8)
in_root() { chroot "$target" "${root_env[@]}" "$@"; }

cp "$deb" "$target/tmp/"
# The root is thrown away after the test: dpkg need not wait for each file to reach the disk.
echo force-unsafe-io >"$target/etc/dpkg/dpkg.cfg.d/velmora-install-test"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "/tmp/$(basename "$deb")" >"$work/install.log" 2>&1 || { tail -n 30 "$work/install.log" >&2; exit 1; }
installed=$(date +%s)
echo "install-test: a fresh Debian 12 root and the package with its dependencies in $((installed - started)) s"

source "$(dirname "$0")/checks.sh"

nothing_for_building() {
    ! in_root dpkg-query -W -f '${Package}\n' | grep -E -e '-dev$' -e '^(build-essential|gcc|g\+\+|cpp|cmake|make|clang)(-[0-9]+)?$'
}
check "apt pulled in nothing for building" nothing_for_building

libraries_found() {
    # Every library the binaries and the Qt plugins they load at run time need is there.
    ! in_root sh -c 'ldd /usr/bin/velmora /usr/libexec/velmora/velmora-jet-reader \
        /usr/lib/*/qt6/plugins/platforms/libqxcb.so /usr/lib/*/qt6/plugins/platforms/libqoffscreen.so \
        /usr/lib/*/qt6/plugins/printsupport/libcupsprintersupport.so' | grep -e 'not found' -e 'No such file'
}
check "every library of the binaries and their Qt plugins is installed" libraries_found

version_told() {
    local version
    version=$(dpkg-deb -f "$deb" Version)
    [ "$(in_root velmora --version)" = "Velmora Version $version" ]
}
check "velmora --version tells the package's version" version_told
check "man finds velmora(1)" test "$(in_root man -w velmora)" = /usr/share/man/man1/velmora.1.gz

seeds_program_dir() {
    # The screens start on a new folder, give it the delivered settings and the template, and wait
    # at the password screen, where they are ended.
    local dir=/root/velmora pid
    # Started directly, not through a function, so that $! is the program itself.
    chroot "$target" "${root_env[@]}" QT_QPA_PLATFORM=offscreen velmora --dir "$dir" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 60); do
        [ -s "$target$dir/PC.OVL" ] && [ -s "$target$dir/template.ref" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 1
    done
    sleep 1
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" || true
        echo "velmora ended by itself"
        return 1
    fi
    kill "$pid"
    wait "$pid" || true
    [ -s "$target$dir/PC.OVL" ] && [ -s "$target$dir/template.ref" ]
}
check "velmora --dir DIR seeds PC.OVL and template.ref and stays on its screens" seeds_program_dir

prints_test_page() {
    # A verb of the command line prints with the installed fonts into a PDF.
    in_root velmora --dir /root/velmora test-page --pdf /root/velmora/test-page.pdf &&
        head -c 5 "$target/root/velmora/test-page.pdf" | grep -q '%PDF-'
}
check "velmora test-page writes a PDF" prints_test_page

checks_done install
