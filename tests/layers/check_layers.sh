#!/bin/sh
# Fails when a library file includes a header from a layer above its own, or
# when a net-snmp header is included anywhere but the SNMPv3 session.
# usage: check_layers.sh SOURCE_DIR
# The order, lowest first (docs/ARCHITECTURE.md); a folder may include its
# own headers and those of the folders before it.
set -u
root=${1:?usage: check_layers.sh SOURCE_DIR}
layers="log net snmp session/local session/v3 session printer api"

# Rank of a path below src/ (or of an include's path): the position of the
# longest layer folder that starts it; empty when none does.
rank_of() {
  best=""; best_len=0; i=0
  for layer in $layers; do
    case "$1" in
      "$layer"/*)
        if [ ${#layer} -gt "$best_len" ]; then best=$i; best_len=${#layer}; fi ;;
    esac
    i=$((i + 1))
  done
  echo "$best"
}

status=0
cd "$root/src" || exit 2
for file in $(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort); do
  own=$(rank_of "$file")
  if [ -z "$own" ]; then
    echo "$file: in no layer folder"
    status=1
    continue
  fi
  for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
    theirs=$(rank_of "$included")
    [ -z "$theirs" ] && continue  # qmr.h and other headers outside the layers
    if [ "$theirs" -gt "$own" ]; then
      echo "$file: includes $included from a higher layer"
      status=1
    fi
  done
done

# net-snmp belongs to the SNMPv3 session alone.
cd "$root" || exit 2
found=$(grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]net-snmp/' src include tools 2>/dev/null |
        grep -v '^src/session/v3/')
if [ -n "$found" ]; then
  echo "net-snmp headers outside src/session/v3/:"
  echo "$found"
  status=1
fi

[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
