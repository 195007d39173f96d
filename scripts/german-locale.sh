# Sourced: makes LC_ALL=de_DE.UTF-8 usable. The sample log is written the
# German way (decimal comma); without a German locale on the system, one is
# built in the folder given as $1 for this run.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  export LOCPATH="$1/locale"
  [ -d "$LOCPATH/de_DE.UTF-8" ] ||
    { mkdir -p "$LOCPATH" && localedef -i de_DE -f UTF-8 "$LOCPATH/de_DE.UTF-8" 2>/dev/null; } || unset LOCPATH
fi
# bash itself cannot use a LOCPATH locale and would warn; the children can.
export LC_ALL=de_DE.UTF-8 2>/dev/null
