#!/usr/bin/env bash
# Seeds for PoFuzz: a translated template as --extract-text writes it, with
# a fuzzy entry, continued strings and escapes, and one with errors.
set -euo pipefail
out=${1:?usage: PoFuzz.sh DIRECTORY}
mkdir -p "$out"
cat > "$out/translated.po" <<'PO'
msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

#: game.pf5:9
msgctxt "スタートブック/スタートページ#2"
msgid "<B>$名前$</B>は%n%個"
msgstr "$名前$ has %n%"

#, fuzzy
msgctxt "スタートブック/スタートページ#5"
msgid "一行目#二行目"
msgstr "first line#"
"second \"line\"\\"
PO
printf 'msgctxt "a"\nmsgid "x\\q"\nmsgstr\n"dangling\nmsgid_plural "p"\nmsgstr[1] "y"\nbogus "z"\n' > "$out/broken.po"
