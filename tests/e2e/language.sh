#!/usr/bin/env bash
# The player's language: the quit question comes in English or Japanese as --lang, the settings file
# and the locale variables choose (no generated ja_JP locale needed); without a readable catalog the
# game says so and stays English; without OpenGL 3.3 the two failure boxes name it in either
# language, with captions; every text the code marks has its Japanese in po/ja.po.
# Usage: language.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game data
e2e_scratch
printf '3 down ESCAPE\n4 up ESCAPE\n' > "$work/escape.txt"
failures=0
fail() { echo "FAIL [$name]: $*"; failures=$((failures + 1)); }
english='[Orlenda] Quit the game? -> No'
japanese='[Orlenda] ゲームを終了しますか？ -> No'
clean_env=(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG)

# asks NAME EXPECTED-LINE FOLDER [env VAR=VALUE...] -- [flags...]: Escape on the title, answered No.
asks() {
    name=$1; local expected=$2 folder=$3 rc=0
    shift 3
    local vars=()
    while [ "$1" != "--" ]; do vars+=("$1"); shift; done
    shift
    (cd "$folder" && "${clean_env[@]}" "${vars[@]}" timeout 60 ./orlenda --headless --frames 10 \
        --input "$work/escape.txt" "$@" >"$work/out.txt" 2>"$work/err.txt") || rc=$?
    local box
    box=$(grep -m1 '^\[Orlenda\]' "$work/err.txt")
    if [ $rc -ne 0 ]; then fail "exit $rc"; head -5 "$work/err.txt"
    elif [ "$box" != "$expected" ]; then fail "the box was '$box', expected '$expected'"
    else echo "ok   [$name] $box"
    fi
}

asks "nothing set" "$english" "$game_dir" --
asks "LANG=C" "$english" "$game_dir" LANG=C --
asks "LANG=ja_JP.UTF-8" "$japanese" "$game_dir" LANG=ja_JP.UTF-8 --
asks "LANG=de_DE.UTF-8" "$english" "$game_dir" LANG=de_DE.UTF-8 --
asks "LANGUAGE=ja:en over LANG=C" "$japanese" "$game_dir" LANGUAGE=ja:en LANG=C --
asks "LC_ALL=en_GB over LANG=ja" "$english" "$game_dir" LC_ALL=en_GB.UTF-8 LANG=ja_JP.UTF-8 --
asks "--lang ja over LANG=de" "$japanese" "$game_dir" LANG=de_DE.UTF-8 -- --lang ja
asks "--lang en over LANG=ja" "$english" "$game_dir" LANG=ja_JP.UTF-8 -- --lang en

printf '[general]\nlanguage = ja\n' > "$work/ja.ini"
asks "settings ja" "$japanese" "$game_dir" LANG=de_DE.UTF-8 -- --config "$work/ja.ini"
asks "--lang en over settings ja" "$english" "$game_dir" -- --config "$work/ja.ini" --lang en
asks "--lang auto over settings ja" "$english" "$game_dir" LANG=C -- --config "$work/ja.ini" --lang auto
[ "$(cat "$work/ja.ini")" = "$(printf '[general]\nlanguage = ja')" ] || fail "the settings file was rewritten"

# A copy of the runnable folder without its catalog, then with a damaged one.
cp -al "$game_dir" "$work/game"
rm -rf "$work/game/locale"
asks "no catalog" "$english" "$work/game" -- --lang ja
grep -q '^language: no Japanese catalog (looked for .*/locale/ja/LC_MESSAGES/orlenda.mo' "$work/err.txt" ||
    fail "no line says the catalog is missing"
mkdir -p "$work/game/locale/ja/LC_MESSAGES" && printf 'this is text, not a gettext catalog (.mo)' > "$work/game/locale/ja/LC_MESSAGES/orlenda.mo"
asks "damaged catalog" "$english" "$work/game" -- --lang ja
grep -q '^language: .*orlenda.mo: not a gettext catalog' "$work/err.txt" || fail "no line names the damaged catalog"

# Without OpenGL 3.3 (Mesa told to offer no more than 3.0) two boxes name OpenGL 3.3, each captioned,
# and the game ends with 1.
no_gl_boxes() {
    name="no OpenGL 3.3, --lang $1"; local expected=$2 rc=0
    (cd "$game_dir" && MESA_GL_VERSION_OVERRIDE=3.0 timeout 60 xvfb-run -a -s "-screen 0 1280x720x24" \
        ./orlenda --windowed --frames 5 --input "$work/escape.txt" --lang "$1" >"$work/out.txt" 2>"$work/err.txt") ||
        rc=$?
    if ! grep -q '^gpu: OpenGL 3.3 core context not available' "$work/err.txt"; then
        echo "skip [$name] this driver made a 3.3 context anyway (exit $rc)"; return
    fi
    local boxes
    boxes=$(grep '^\[' "$work/err.txt")
    if [ $rc -ne 1 ]; then fail "exit $rc, expected 1"
    elif [ "$boxes" != "$expected" ]; then fail "the boxes were:"$'\n'"$boxes"
    else echo "ok   [$name] ${boxes//$'\n'/ | }"
    fi
}
if command -v xvfb-run >/dev/null; then
    no_gl_boxes en "[OpenGL 3.3 initialisation] OpenGL 3.3 could not be initialised. -> OK
[Orlenda] OpenGL 3.3 initialisation failed; the game cannot start. -> OK"
    no_gl_boxes ja "[OpenGL 3.3初期化] OpenGL 3.3の初期化に失敗 -> OK
[Orlenda] OpenGL 3.3初期化ミス -> OK"
else
    echo "skip [no OpenGL 3.3] no xvfb-run (make deps-test)"
fi

name="--lang fr"
rc=0
(cd "$game_dir" && ./orlenda --headless --frames 5 --lang fr >"$work/out.txt" 2>"$work/err.txt") || rc=$?
[ $rc -eq 2 ] && grep -q -- '--lang needs auto, en or ja' "$work/err.txt" || fail "exit $rc: $(head -1 "$work/err.txt")"

# Every text the code marks for translation has a Japanese one (msgcmp ignores empty and fuzzy ones).
name="po/ja.po covers the code"
if command -v xgettext >/dev/null && command -v msgcmp >/dev/null; then
    (cd "$source_dir" && xgettext --from-code=UTF-8 --language=C++ --keyword=Translate --keyword=Translatable \
        -o "$work/orlenda.pot" $(find src -name '*.cpp' -o -name '*.h' | sort)) || fail "xgettext"
    if msgcmp "$source_dir/po/ja.po" "$work/orlenda.pot" 2>"$work/cmp.txt"; then
        echo "ok   [$name] $(grep -c '^msgid "[^"]' "$work/orlenda.pot") texts"
    else
        fail "texts without Japanese (cmake --build build --target po-update, then translate):"; cat "$work/cmp.txt"
    fi
else
    fail "xgettext and msgcmp (Debian gettext, from make deps) are missing"
fi

if [ "$failures" -ne 0 ]; then echo "$failures failures"; exit 1; fi
echo "PASS: the language follows --lang, the settings file and the locale variables"
