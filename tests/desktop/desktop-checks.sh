#!/usr/bin/env bash
# Checks of the desktop integration and of an installed copy: desktop-checks.sh CHECK ARGS...
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The metainfo passes the validator with nothing to remark, and its newest release is this version.
metainfo() { # FILE VERSION
    appstreamcli validate --no-net --strict "$1"
    grep -o '<release version="[^"]*"' "$1" | head -n 1 | grep -qx "<release version=\"$2\"" ||
        fail "the newest release in $1 is not $2"
}

# Each page renders without a warning.
manual_pages() { # PAGE...
    for page in "$@"; do
        local warnings
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
    done
}

# Well-formed XML that the database tool takes in, with the extension matched in any case (a
# case-sensitive glob would end in ":cs").
mime_package() { # FILE
    xmllint --noout "$1"
    mkdir -p "$scratch/mime/packages"
    cp "$1" "$scratch/mime/packages/"
    update-mime-database "$scratch/mime" >/dev/null 2>&1 || update-mime-database -V "$scratch/mime"
    grep -qx '50:application/x-lathwork-opt:\*\.opt' "$scratch/mime/globs2" || fail "*.opt is not matched in any case"
}

# What the completion offers after the words given (the last one being completed).
complete_words() { # COMPLETION WORD...
    local script=$1
    shift
    bash -c 'source "$1"; shift; COMP_WORDS=("lathwork-cli" "$@"); COMP_CWORD=$#; _lathwork_cli;
             printf "%s\n" "${COMPREPLY[@]}"' _ "$script" "$@" | sort -u
}

# Model names that are glob patterns or hold spaces are offered as they are, whatever the
# user's glob settings, beside folders; other files are not; after "--" a rewrite offers nothing.
completion_quotes() { # COMPLETION
    local folder="$scratch/names"
    mkdir -p "$folder/sub"
    touch "$folder/[c].opt" "$folder/c.opt" "$folder/my ship.OPT" "$folder/notes.txt"
    local expected offered
    expected=$(printf '%s\n' '[c].opt' 'c.opt' 'my ship.OPT' 'sub')
    for setting in : "shopt -s nullglob" "shopt -s failglob"; do
        offered=$(cd "$folder" && bash -c "$setting"'; source "$1"; COMP_WORDS=(lathwork-cli info "")
                  COMP_CWORD=2; _lathwork_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$1" | sort -u)
        [ "$offered" = "$expected" ] || fail "with [$setting] the completion offers [$offered]"
    done
    [ -z "$(cd "$folder" && complete_words "$1" animate c.opt -- "")" ] || fail "names after -- were completed as files"
    if command -v shellcheck >/dev/null; then
        shellcheck -s bash "$1"
    fi
}

# Every command and option of --help is in the manual page, and the completion offers exactly
# the commands and, per command, the options that --help shows.
help_matches() { # CLI PAGE COMPLETION VERSION
    local cli=$1 page=$2 completion=$3
    [ "$("$cli" --version)" = "lathwork-cli $4" ] || fail "--version does not print lathwork-cli $4"
    local help manual
    help=$("$cli" --help)
    manual=$(MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
    local usage commands
    usage=$(grep -E '^  [a-z]' <<<"$help")
    commands=$(awk '{print $1}' <<<"$usage" | sort -u)
    for word in $commands $(grep -oE -- '--[a-z-]+' <<<"$help" | sort -u); do
        grep -qE -- "(^|[^a-z-])$word([^a-z-]|\$)" <<<"$manual" || fail "the manual page lacks $word"
    done
    [ "$(complete_words "$completion" "")" = "$(printf '%s\n' $commands --help --version | sort -u)" ] ||
        fail "the completion offers other commands than --help shows"
    for command in $commands; do
        local expected offered
        expected=$(grep -E "^  $command " <<<"$usage" | grep -oE -- '--[a-z-]+' | sort -u || true)
        offered=$(complete_words "$completion" "$command" MODEL.OPT --)
        [ "$offered" = "$expected" ] || fail "$command: completion offers [$offered], --help shows [$expected]"
    done
}

# Installs into a staging folder, checks what lands there, and runs both installed programs.
installed() { # BUILD VERSION
    local build=$1 stage="$scratch/stage"
    DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
    local usr="$stage/usr" share="$stage/usr/share"
    for file in bin/lathwork bin/lathwork-cli share/applications/org.lathwork.Lathwork.desktop \
        share/metainfo/org.lathwork.Lathwork.metainfo.xml share/mime/packages/lathwork-opt.xml \
        share/man/man1/lathwork.1.gz share/man/man1/lathwork-cli.1.gz share/bash-completion/completions/lathwork-cli \
        share/lathwork/clkscrn.bmp share/lathwork/SAMPLE.OPT share/doc/lathwork/copyright \
        share/doc/lathwork-cli/copyright share/doc/lathwork/changelog.Debian.gz share/doc/lathwork-cli/changelog.Debian.gz; do
        [ -f "$usr/$file" ] || fail "$file is not installed"
    done
    for size in 16 22 24 32 48 64 128 256; do
        for icon in apps/lathwork.png mimetypes/application-x-lathwork-opt.png; do
            file -b "$share/icons/hicolor/${size}x$size/$icon" | grep -q "PNG image data, $size x $size" ||
                fail "no ${size}px $icon"
        done
    done
    desktop-file-validate "$share/applications/org.lathwork.Lathwork.desktop"

    # The command-line tool on a copy of the sample model: a list, then an extraction.
    local work="$scratch/work"
    mkdir -p "$work"
    cp "$share/lathwork/SAMPLE.OPT" "$work/"
    [ -n "$("$usr/bin/lathwork-cli" list illumination "$work/SAMPLE.OPT")" ] || fail "the sample lists no texture"
    local written
    written=$("$usr/bin/lathwork-cli" extract "$work/SAMPLE.OPT")
    [ -n "$written" ] || fail "the extraction wrote nothing"
    while IFS= read -r bitmap; do
        [ "$(dirname "$bitmap")" = "$work" ] && [ -s "$bitmap" ] || fail "no bitmap $bitmap"
    done <<<"$written"
    cmp -s "$work/SAMPLE.OPT" "$share/lathwork/SAMPLE.OPT" || fail "list or extract changed the model"

    # The window, started from another folder with the model as argument.
    [ "$("$usr/bin/lathwork" --version)" = "lathwork $2" ] || fail "lathwork --version"
    local report expected
    report=$(cd "$scratch" && XDG_CONFIG_HOME="$scratch/config" LATHWORK_START_REPORT=1 QT_QPA_PLATFORM=offscreen \
        "$usr/bin/lathwork" work/SAMPLE.OPT 2>"$scratch/window.err") || fail "the window failed: $(cat "$scratch/window.err")"
    expected="title: Lathwork v1.8 — SAMPLE.OPT
folder: $(realpath "$work")
file: SAMPLE.OPT
illumbutbegin: SCAN, enabled
transbutbegin: SCAN, enabled
animbutbegin: SCAN, enabled
cloakbutbegin: SCAN, enabled
extracttexmenu: enabled
backdrop: $(realpath "$share/lathwork/clkscrn.bmp")"
    [ "$report" = "$expected" ] || fail "the installed window reports
$report
instead of
$expected"
    ! grep -q '^message:' "$scratch/window.err" || fail "the window showed a message: $(cat "$scratch/window.err")"
}

check=$1
shift
"$check" "$@"
echo "PASS: $check"
