# Sourced by the printing tests: a CUPS scheduler of their own, in a
# temporary folder, reached through a local socket only. The machine's own
# CUPS set-up is never read nor changed.
#
#   cups_start DIR [--no-default] [QUEUE...]
#                    the first queue is the default unless --no-default;
#                    no queue: no printer
#   cups_stop
#   cups_work NAME   work folder $work for a test that reports each failure
#                    with `fail` and goes on ($failed); kept after a failure
#                    or with BELVA_KEEP=1, the scheduler stopped at exit
# Each queue keeps the documents it receives as DIR/out/<queue>-<job>.pdf,
# with the backend's arguments in DIR/out/<queue>-<job>.args.
# Sourced after xsession.sh, whose wait_for bounds every wait.

source "$(dirname "${BASH_SOURCE[0]}")/../restrictions.sh"

cups_need() { need_tools "$@"; }

cups_work() {
  work=$(mktemp -d "/tmp/belva-$1.XXXXXX")
  chmod 0755 "$work"
  failed=0
  fail() { echo "FAIL: $*"; failed=1; }
  trap cups_work_finish EXIT
}

cups_work_finish() {
  cups_stop
  if ((failed)) || [ -n "${BELVA_KEEP:-}" ]; then echo "Work files kept in $work"; else rm -rf "$work"; fi
}

cups_start() {
  CUPS_DIR=$1; shift
  local first=1
  if [ "${1:-}" = --no-default ]; then first=0; shift; fi
  cups_need cupsd lpstat
  local d=$CUPS_DIR
  mkdir -p "$d"/{root,spool,cache,state,tmp,log,out,home,client,bin/backend}
  chmod 0755 "$d" "$d"/{root,spool,cache,state,log,bin,bin/backend}
  chmod 1777 "$d/tmp" "$d/out"
  for sub in /usr/lib/cups/*; do
    [ "$(basename "$sub")" = backend ] || ln -s "$sub" "$d/bin/$(basename "$sub")"
  done
  # A raw queue hands the job's document to this backend unchanged.
  cat >"$d/bin/backend/belvakeep" <<'BACKEND'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct belvakeep "Unknown" "Document keeper"'; exit 0; }
out=${DEVICE_URI#belvakeep:}
name="$out-$1"
printf '%s\n' "$@" >"$name.args"
if [ $# -ge 6 ]; then cp "$6" "$name.part"; else cat >"$name.part"; fi
mv "$name.part" "$name.pdf"
exit 0
BACKEND
  # Mode 0700: cupsd runs it as root, so it may write where the test reads.
  chmod 0700 "$d/bin/backend/belvakeep"

  cat >"$d/cups-files.conf" <<CONF
ServerRoot $d/root
RequestRoot $d/spool
CacheDir $d/cache
StateDir $d/state
TempDir $d/tmp
ServerBin $d/bin
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
AccessLog $d/log/access_log
ErrorLog $d/log/error_log
PageLog $d/log/page_log
SystemGroup root
Sandboxing Relaxed
CONF
  cat >"$d/cupsd.conf" <<CONF
Listen $d/cups.sock
LogLevel debug
Browsing No
WebInterface No
DefaultAuthType None
MaxJobs 0
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  local id=1 q tag
  : >"$d/root/printers.conf"
  for q in "$@"; do
    if ((first)); then tag=DefaultPrinter; first=0; else tag=Printer; fi
    cat >>"$d/root/printers.conf" <<CONF
<$tag $q>
PrinterId $id
Info $q
Location Test bench
DeviceURI belvakeep:$d/out/$q
State Idle
StateTime 0
Type 4
Accepting Yes
Shared No
JobSheets none none
QuotaPeriod 0
PageLimit 0
KLimit 0
OpPolicy default
ErrorPolicy abort-job
</$tag>
CONF
    id=$((id + 1))
  done
  chmod 0600 "$d/root/printers.conf"

  cupsd -f -c "$d/cupsd.conf" -s "$d/cups-files.conf" >"$d/log/stdout" 2>&1 &
  CUPS_PID=$!
  # Clients read their lpoptions and client.conf there, not in /etc/cups.
  export CUPS_SERVER=$d/cups.sock CUPS_SERVERROOT=$d/client HOME=$d/home
  unset PRINTER LPDEST
  # Up, or ended at start (a bad line in its files).
  cups_up_or_ended() { [ -S "$d/cups.sock" ] && lpstat -r || ! kill -0 "$CUPS_PID"; }
  wait_for 100 cups_up_or_ended && lpstat -r >/dev/null 2>&1 && return 0
  echo "FAIL: the private CUPS scheduler did not start"
  cat "$d/log/stdout" "$d/log/error_log" 2>/dev/null | tail -30
  cups_stop
  exit 1
}

cups_stop() {
  if [ -n "${CUPS_PID:-}" ]; then
    kill "$CUPS_PID" 2>/dev/null || true
    cups_ended() { ! kill -0 "$CUPS_PID"; }
    wait_for 50 cups_ended
    kill -9 "$CUPS_PID" 2>/dev/null || true
    wait "$CUPS_PID" 2>/dev/null || true
    CUPS_PID=
  fi
}
