# The Sieve tree's letter directories (/usr/sieve/a ... /usr/sieve/z), in which rulesmith
# makes each user's directory as the user cyrus. They belong to the mail server: they are
# made only where the system has the user cyrus, owned by cyrus (and its login group), mode
# 0750, and only those that are missing. The ones made here are listed in a state file, so
# that removing the package takes away those (when empty) and nothing else.
sieve_root=/usr/sieve
sieve_state_dir=/var/lib/quorelle-tools
sieve_state=$sieve_state_dir/sieve-directories

sieve_tree_create() {
    if ! id cyrus >/dev/null 2>&1; then
        echo "quorelle-tools: no user cyrus: the Sieve tree $sieve_root is left to the mail server installation"
        return 0
    fi
    mkdir -p "$sieve_state_dir"
    for dir in "$sieve_root" \
               "$sieve_root"/a "$sieve_root"/b "$sieve_root"/c "$sieve_root"/d "$sieve_root"/e \
               "$sieve_root"/f "$sieve_root"/g "$sieve_root"/h "$sieve_root"/i "$sieve_root"/j \
               "$sieve_root"/k "$sieve_root"/l "$sieve_root"/m "$sieve_root"/n "$sieve_root"/o \
               "$sieve_root"/p "$sieve_root"/q "$sieve_root"/r "$sieve_root"/s "$sieve_root"/t \
               "$sieve_root"/u "$sieve_root"/v "$sieve_root"/w "$sieve_root"/x "$sieve_root"/y \
               "$sieve_root"/z; do
        if [ ! -e "$dir" ] && [ ! -L "$dir" ]; then
            mkdir -m 0755 "$dir"
            if [ "$dir" != "$sieve_root" ]; then
                chown cyrus: "$dir"
                chmod 0750 "$dir"
            fi
            echo "$dir" >>"$sieve_state"
        fi
    done
}

sieve_tree_remove() {
    if [ -f "$sieve_state" ]; then
        # The letters first, then the tree itself (listed first): reverse order.
        dirs=
        while IFS= read -r dir; do
            dirs="$dir $dirs"
        done <"$sieve_state"
        for dir in $dirs; do
            case $dir in
                "$sieve_root"|"$sieve_root"/?) rmdir "$dir" 2>/dev/null || true ;;
            esac
        done
        rm -f "$sieve_state"
    fi
    rmdir "$sieve_state_dir" 2>/dev/null || true
}
