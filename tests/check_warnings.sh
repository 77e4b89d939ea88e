#!/bin/sh
# Fails, showing what the compiler said, when any object of the build folder was
# compiled with a warning (cmake/keep-warnings.sh keeps each compile's messages
# beside its object), also one compiled earlier, when warnings were no errors.
# Usage: check_warnings.sh BUILD_DIR
build=$1
status=0
for object in $(sed -n 's/.* -o \([^ ]*\) -c .*/\1/p' "$build/compile_commands.json"); do
  record="$build/$object.warnings"
  if [ -s "$record" ]; then
    echo "== $object"
    cat "$record"
    status=1
  fi
done
exit "$status"
