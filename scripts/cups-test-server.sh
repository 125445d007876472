#!/usr/bin/env bash
# A private CUPS scheduler with a cups-pdf queue, for the tests that print through CUPS.
#
#   cups-test-server.sh start DIR   starts it in DIR (made if missing) unless it already runs there,
#                                   and prints the settings the tests read, one NAME=VALUE a line
#   cups-test-server.sh stop DIR    stops the scheduler started in DIR and removes what it added
#
# The scheduler listens only on DIR/cups.sock (CUPS_SERVER), keeps its configuration, spool, cache
# and logs in DIR and never touches the machine's own print system. Its queue "VelmoraPDF" prints
# through the cups-pdf backend into DIR/out. The queue's defaults are deliberately hostile (A4, two
# copies, landscape, fit to page, two pages to a sheet), so a job that leans on them comes out wrong.
#
# cups-pdf only runs as root and reads its settings from /etc/cups/cups-pdf-NAME.conf, where NAME is
# the part of the device URI after "cups-pdf:/"; each DIR gets a NAME of its own, removed on stop.
# Exit status 77 means this machine cannot run it (not root, CUPS or cups-pdf not installed); the
# reason is on standard error.
set -euo pipefail

queue=VelmoraPDF
command=${1:-}
dir=${2:-}
if [ -z "$command" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
socket=$dir/cups.sock
# A name of this folder for the cups-pdf settings file.
tag=velmora-$(printf '%s' "$dir" | md5sum | cut -c1-12)
pdf_conf=/etc/cups/cups-pdf-$tag.conf

cannot() {
    echo "cups-test-server: $*" >&2
    exit 77
}

running() {
    [ -f "$dir/cupsd.pid" ] && kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null &&
        lpstat -h "$socket" -r 2>/dev/null | grep -q 'is running'
}

report() {
    echo "CUPS_SERVER=$socket"
    echo "QUEUE=$queue"
    echo "OUTPUT=$dir/out"
}

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        local pid
        pid=$(cat "$dir/cupsd.pid")
        # Only the scheduler this script started: its command line names this folder.
        if kill -0 "$pid" 2>/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$dir/cupsd.conf"; then
            kill "$pid"
            for _ in $(seq 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        rm -f "$dir/cupsd.pid"
    fi
    rm -f "$pdf_conf"
}

case $command in
stop)
    stop
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac

# Two test programs may ask for the same server at once: one starts it, the other waits.
exec 9>"$dir/.lock"
flock 9
if running; then
    report
    exit 0
fi

[ "$(id -u)" -eq 0 ] || cannot "the cups-pdf printer prints only for root; run the tests as root"
command -v cupsd >/dev/null || cannot "CUPS is not installed (Debian package cups)"
[ -x /usr/lib/cups/backend/cups-pdf ] ||
    cannot "the cups-pdf printer is not installed (Debian package printer-driver-cups-pdf)"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || cannot "the cups-pdf printer description $ppd is missing"
[ -w /etc/cups ] || cannot "/etc/cups is not writable, so cups-pdf cannot be told where to write"

stop # a scheduler that died leaves its pid file and settings behind
rm -rf "$dir/conf" "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/tmp" "$dir/pdf-spool"
mkdir -p "$dir/conf/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/out" "$dir/pdf-spool"
# Filters run as lp; the spool and the temporary files must be theirs to read.
chown -R lp:lp "$dir/spool" "$dir/cache"
chmod 0755 "$dir" "$dir/out"

cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
Sandboxing relaxed
EOF
cat >"$dir/cupsd.conf" <<EOF
Listen $socket
LogLevel warn
# What each job was asked for, a line per page, for the tests to read.
PageLogFormat %j copies=%{copies} media=%{media} orientation-requested=%{orientation-requested} number-up=%{number-up} fit-to-page=%{fit-to-page} print-scaling=%{print-scaling} sides=%{sides} job-sheets=%{job-sheets}
Browsing No
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF
cat >"$pdf_conf" <<EOF
Out $dir/out
AnonDirName $dir/out
Spool $dir/pdf-spool
Log $dir/log
LogType 3
Label 1
Grp root
EOF
# The printer's printable area on letter paper (every size of the letter's dimensions): 0.2 inch
# left, top and right, 0.3 inch at the bottom, as on an office laser printer; not the quarter inch
# the PDF output assumes.
sed -e 's|^\*ImageableArea \([^:]*\): "0 0 612 792"|*ImageableArea \1: "14.4 21.6 597.6 777.6"|' \
    "$ppd" >"$dir/velmora-test.ppd"
grep -q '^\*ImageableArea Letter/.*"14.4 21.6 597.6 777.6"' "$dir/velmora-test.ppd" ||
    cannot "the cups-pdf printer description has no letter size to adjust"

setsid /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
    </dev/null >"$dir/log/cupsd.out" 2>&1 9>&- &
echo $! >"$dir/cupsd.pid"
for _ in $(seq 100); do
    lpstat -h "$socket" -r 2>/dev/null | grep -q 'is running' && break
    kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
done
if ! running; then
    reason=$(tail -n 5 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tr '\n' ' ')
    stop
    cannot "the CUPS scheduler did not start: $reason"
fi
# The queue hands PDF jobs on with their fonts as outlines (pdftocairo), not as bitmaps, so that
# the PDF cups-pdf writes can be measured to the half point.
if ! lpadmin -h "$socket" -p "$queue" -E -v "cups-pdf:/$tag" -P "$dir/velmora-test.ppd" \
    -o pdftops-renderer-default=pdftocairo -o PageSize=A4 -o media-default=iso_a4_210x297mm -o copies-default=2 \
    -o orientation-requested-default=4 -o fit-to-page-default=true -o print-scaling-default=fit \
    -o number-up-default=2 \
    >"$dir/log/lpadmin.out" 2>&1; then
    reason=$(tr '\n' ' ' <"$dir/log/lpadmin.out")
    stop
    cannot "the test queue could not be added: $reason"
fi
report
