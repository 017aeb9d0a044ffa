# The programs of the packages, run from a private root into which they were installed:
# each must start (its libraries found) and end with its usage status. The tools read the
# root's msg.conf (the package's example); vantor also runs the packaged example install
# file to its end, with the packaged translations and answers, which checks the layout.
#
#   pr_run_programs ROOT WORKDIR

pr_expect_run() {
    # pr_expect_run WHAT STATUS PATTERN CMD...: CMD ends with STATUS and its standard
    # output and error hold PATTERN (grep -E).
    local what=$1 status=$2 pattern=$3 rc
    shift 3
    timeout 120 "$@" >"$pr_work/out" 2>&1 </dev/null
    rc=$?
    if [ "$rc" -eq "$status" ] && grep -Eq -- "$pattern" "$pr_work/out"; then
        echo "ok: $what (status $rc)"
    else
        pr_fail "$what: status $rc (expected $status), output:"
        sed 's/^/    /' "$pr_work/out" | head -20
    fi
}

pr_run_programs() {
    local root=$1 t
    pr_work=$2
    export QUORELLE_MSG_CONF=$root/etc/opt/quorelle/msg/msg.conf
    for t in bin/zonetally bin/rosterdump bin/crewdump sbin/rootgate; do
        pr_expect_run "${t#*/} runs from the root" 1 "^ERROR:1:usage:${t#*/}" \
            "$root/usr/$t" --no-such-option
    done
    # rulesmith checks that it runs as root before it reads anything.
    pr_expect_run "rulesmith runs from the root" 1 "^ERROR:256:rulesmith:.*Must run as user root" \
        setpriv --reuid=65534 --regid=65534 --clear-groups "$root/usr/sbin/rulesmith" --no-such-option
    unset QUORELLE_MSG_CONF
    pr_expect_run "vantor runs from the root" 255 "^usage: vantor <opts> file" "$root/usr/bin/vantor"
    mkdir -p "$pr_work/install-root"
    local example=$root/usr/share/quorelle/examples/vantor
    QUORELLE_INSTALL_ROOT=$pr_work/install-root TMPDIR=$pr_work USER=${USER:-root} \
        timeout 120 "$root/usr/bin/vantor" --console --lang de "$example/install.xml" \
        <"$example/answers.txt" >"$pr_work/out" 2>&1
    rc=$?
    # The German translation of the example (from the package) is in use.
    if [ "$rc" -eq 0 ] && grep -q "Installation log: " "$pr_work/out" &&
        grep -q "Rechnername" "$pr_work/out"; then
        echo "ok: vantor runs the packaged example install file in German (status 0)"
    else
        pr_fail "vantor --console on the packaged example: status $rc, output:"
        tail -20 "$pr_work/out" | sed 's/^/    /'
    fi
}
