#!/usr/bin/env bash
# The layout check on a copy of the tree: the copy as it is passes; with breaks
# planted in it the check fails, naming each file and line.
set -euo pipefail
source=${1:?usage: check-layout-test.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/tree"
printf '#!/bin/sh\necho "clang-format version 99.0.1"\n' >"$work/bin/clang-format"
chmod +x "$work/bin/clang-format"

# what | file | line appended to it | what the report says
cases=(
    'common includes client settings|src/common/Setting.h|#include "client/settings/ClientSettings.h"|^src/common/Setting\.h:[0-9]+: client/settings/ClientSettings\.h: src/common may not include src/client/settings$'
    'nom includes outbox|src/nom/TapSession.cpp|#include "client/outbox/OutboxEntry.h"|^src/nom/TapSession\.cpp:[0-9]+: client/outbox/OutboxEntry\.h: src/nom may not include src/client/outbox$'
    'groups include contacts|src/client/recipients/groups/GroupFiles.h|#include "client/recipients/contacts/ContactsStore.h"|^src/client/recipients/groups/GroupFiles\.h:[0-9]+: client/recipients/contacts/ContactsStore\.h: src/client/recipients/groups may not include src/client/recipients/contacts$'
    'a panel includes outbox without linking it|src/client/settings/ui/AboutBox.cpp|#include "client/outbox/OutboxEntry.h"|^src/client/settings/ui/AboutBox\.cpp:[0-9]+: client/outbox/OutboxEntry\.h: client_settings_ui does not link client_outbox$'
    'the service includes Qt|src/service/Form.cpp|#include <QString>|^src/service/Form\.cpp:[0-9]+:#include <QString>$'
)

check() { # with PATH=$1; the report goes to $work/out
    PATH=$1 "$work/tree/scripts/check-layout.sh" >"$work/out" 2>&1
}
status=0
fail() {
    echo "FAIL: $1"
    cat "$work/out"
    status=1
}

cp -r "$source/src" "$source/tools" "$source/scripts" "$source/.clang-format" "$work/tree"
check "$PATH" || fail "the tree as it is does not pass"

# Another major version of clang-format is refused before it formats anything.
! check "$work/bin:$PATH" && grep -qE '^Wrong clang-format: \.clang-format is for clang-format [0-9]+, this machine has 99:$' "$work/out" ||
    fail "clang-format 99 is not refused"

# The breaks planted together: each is reported on a line of its own.
for case in "${cases[@]}"; do
    IFS='|' read -r _ file line _ <<<"$case"
    echo "$line" >>"$work/tree/$file"
done
if check "$PATH"; then
    fail "the check passes with the breaks planted"
fi
for case in "${cases[@]}"; do
    IFS='|' read -r what _ _ expected <<<"$case"
    grep -qE "$expected" "$work/out" || fail "$what: no line matching $expected"
done
exit $status
