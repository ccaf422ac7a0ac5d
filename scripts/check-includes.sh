#!/bin/sh
# check-includes.sh [ROOT]: fails when a source file includes a header from a
# layer above its own. The layers, from the bottom: platform, the script
# runtime, the script compiler, the GUI, the game, the mini-games, the program
# entry; the data tool stands beside them on platform, and the screenshot
# taker, a second program over the whole game, beside the entry. A layer reaches upward
# only through registration (factories by name, callbacks), never an include.
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2
find platform script gui game minigames app tools \
    -type f \( -name '*.h' -o -name '*.cpp' \) -print 2>/dev/null | sort |
  xargs grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' |
  awk '
    # The folder (layer) a path belongs to, by its leading components.
    function layer(path) {
        if (path ~ /^script\/runtime\//) return "script/runtime"
        if (path ~ /^script\/compiler\//) return "script/compiler"
        if (path ~ /^tools\/screenshots\//) return "tools/screenshots"
        sub(/\/.*/, "", path)
        return path
    }
    BEGIN {
        # Which layers each layer may include, its own among them.
        allowed["platform"] = " platform "
        allowed["script/runtime"] = " platform script/runtime "
        allowed["script/compiler"] = " platform script/runtime script/compiler "
        allowed["gui"] = " platform script/runtime gui "
        allowed["game"] = " platform script/runtime script/compiler gui game "
        allowed["minigames"] = " platform script/runtime script/compiler gui game minigames "
        allowed["app"] = " platform script/runtime script/compiler gui game minigames app "
        allowed["tools"] = " platform tools "
        allowed["tools/screenshots"] = " platform script/runtime script/compiler gui game minigames tools/screenshots "
        bad = 0
    }
    {
        file = $0; sub(/:.*/, "", file)
        target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
        from = layer(file); to = layer(target)
        if (!(to in allowed)) next          # system or third-party header
        if (index(allowed[from], " " to " ") == 0) {
            printf "%s: includes %s, a layer above %s\n", file, target, from
            bad = 1
        }
    }
    END {
        if (bad) exit 1
        print "check-includes: every include points down"
    }'
