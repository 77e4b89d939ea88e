# Compiler launcher of every compile (cmake/Warnings.cmake):
#   sh keep-warnings.sh FLAG_FILE COMPILER ARGS... -o OBJECT ...
# Runs the compile and keeps what it printed in OBJECT.warnings (no file when it
# printed nothing). When FLAG_FILE holds 1, a compile that printed anything fails
# and its object is removed, so that the next build compiles it again.
flag_file=$1
shift
object=
previous=
for arg in "$@"; do
  [ "$previous" = "-o" ] && object=$arg
  previous=$arg
done
[ -n "$object" ] || exec "$@"

record="$object.warnings"
status=0
"$@" 2>"$record.new" || status=$?
cat "$record.new" >&2
if [ -s "$record.new" ]; then
  mv -f "$record.new" "$record"
  read -r strict <"$flag_file" 2>/dev/null || strict=0
  if [ "$status" -eq 0 ] && [ "$strict" = 1 ]; then
    echo "$object: compiler warnings are errors in this build (NUTHUMB_WERROR)" >&2
    rm -f "$object"
    status=1
  fi
else
  rm -f "$record.new" "$record"
fi
exit "$status"
