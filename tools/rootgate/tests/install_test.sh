#!/usr/bin/env bash
# The install step of rootgate: sbin, owner root, the set-user-id bit (run as root); without
# root the step warns and names the command to run.
# Usage: install_test.sh PATH/TO/tools/rootgate/cmake_install.cmake
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../testing/testlib.sh"
script=$1
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: installing set-user-id root needs root"
    exit 77
fi
tl_setup

tl_run cmake -DCMAKE_INSTALL_PREFIX="$TL_DIR/prefix" -P "$script"
tl_check "install as root succeeds" test "$TL_RC" = 0
f=$TL_DIR/prefix/sbin/rootgate
tl_check "installed to sbin" test -x "$f"
tl_check "owner root, mode 4755" test "$(stat -c %U:%G:%a "$f")" = root:root:4755

# A package build as another user: no set-user-id bit, the command is named.
mkdir -p "$TL_DIR/user"
chown nobody "$TL_DIR/user"
tl_run setpriv --reuid=65534 --regid=65534 --clear-groups \
    cmake -DCMAKE_INSTALL_PREFIX="$TL_DIR/user/prefix" -P "$script"
tl_check "install as non-root succeeds" test "$TL_RC" = 0
tl_check "non-root: no set-user-id bit" test "$(stat -c %a "$TL_DIR/user/prefix/sbin/rootgate")" = 755
# CMake wraps the warning: compare with the line breaks and indentation taken out.
named() { tr -s ' \n' ' ' <"$TL_DIR/.err" | grep -qF "chown root:root $1 && chmod 4755 $1"; }
tl_check "non-root: command named" named "$TL_DIR/user/prefix/sbin/rootgate"
tl_done
