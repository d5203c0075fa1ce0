#!/bin/sh
# A private CUPS server in a folder of its own, for the tests, the demo and
# the benchmark: it listens only on a Unix socket in that folder, and its
# queues hand every job to a capture backend that copies the job file into
# a folder.
#
#   cups_privato.sh prepare DIR  sets up the folder and the configuration and
#                                prints the command that runs cupsd in the
#                                foreground, one argument a line, for a
#                                caller that runs it itself (the tests and
#                                the demo: then cupsd ends with them)
#   cups_privato.sh ready DIR PID
#                                waits until the cupsd PID started on DIR
#                                answers; prints the socket
#   cups_privato.sh start DIR    prepares and starts cupsd in the background
#                                (DIR/cups.sock, DIR/cupsd.pid); prints the socket
#   cups_privato.sh queue DIR NAME [PPD [HOLD_MS]]
#                                adds a queue NAME that captures into
#                                DIR/jobs/NAME (job-<id>.pdf and job-<id>.args):
#                                raw (PPD "" or "-"), or with the options the
#                                PPD file describes (its jobs still pass
#                                unfiltered); with HOLD_MS a slow printer:
#                                each job stays in the backend, the queue
#                                processing, for HOLD_MS milliseconds or until
#                                the queue is released
#   cups_privato.sh release DIR NAME
#                                lets the held job and every later one of a
#                                slow queue go at once
#   cups_privato.sh jobs DIR NAME
#                                the jobs of queue NAME, completed ones too,
#                                one a line: id, state (pending, held,
#                                processing, stopped, canceled, aborted,
#                                completed), state reasons, the printer's
#                                message, title, separated by tabs
#   cups_privato.sh stop DIR     stops that cupsd
#
# Needs root (cupsd drops to the user lp for the backends) and the Debian
# packages cups-daemon and cups-client. Exits non-zero with the reason on
# standard error when cupsd cannot run, also when DIR lies under a folder
# the user lp cannot enter (a home folder of mode 0700): then cupsd would
# start but hold every job, its backend out of reach. A folder of its own
# under /tmp always does (mktemp -d /tmp/qod-cups-XXXXXX).
set -eu

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "use: $0 prepare|ready|start|queue|release|stop DIR [NAME|PID]" >&2; exit 2; }

cupsd_bin=${QOD_CUPSD:-/usr/sbin/cupsd}
lib=/usr/lib/cups

# Runs a command as cupsd runs its backends: user lp, group lp, no other group.
as_lp() {
  setpriv --reuid lp --regid lp --clear-groups "$@"
}

# Refuses a folder the backends could not reach: the first folder above it
# that lp cannot enter, with the way out.
refuse_unreachable() {
  path=$(realpath -m "$1")
  d=/
  rest=${path#/}
  while [ -n "$rest" ]; do
    if [ -d "$d" ] && ! as_lp test -x "$d"; then
      echo "cups_privato.sh: the user lp cannot enter $d ($(stat -c %A "$d")), so cupsd could not run" >&2
      echo "its backend in $path and would hold every job. Use a folder lp can reach, such as" >&2
      echo "one made by mktemp -d /tmp/qod-cups-XXXXXX, or let others through: chmod o+x $d" >&2
      exit 3
    fi
    d=${d%/}/${rest%%/*}
    case $rest in */*) rest=${rest#*/} ;; *) rest= ;; esac
  done
}

prepare() {
  [ -x "$cupsd_bin" ] || { echo "cupsd not found at $cupsd_bin (Debian package cups-daemon)" >&2; exit 3; }
  command -v lpadmin >/dev/null || { echo "lpadmin not found (Debian package cups-client)" >&2; exit 3; }
  [ "$(id -u)" -eq 0 ] || { echo "a private cupsd needs root here (it runs its backends as the user lp)" >&2; exit 3; }
  getent passwd lp >/dev/null || { echo "no user lp on this machine" >&2; exit 3; }
  command -v setpriv >/dev/null || { echo "setpriv not found (Debian package util-linux)" >&2; exit 3; }
  refuse_unreachable "$dir"
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  mkdir -p "$dir/etc" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/bin/backend" "$dir/jobs"
  # cupsd refuses files writable by others and runs its backends as lp.
  chmod 0755 "$dir" "$dir/etc" "$dir/bin" "$dir/bin/backend"
  chmod 0777 "$dir/jobs"
  chmod 1777 "$dir/spool/tmp"
  # The server's programs: the system's, with our capture backend beside them.
  for f in "$lib"/*; do
    [ "$(basename "$f")" = backend ] || ln -sfn "$f" "$dir/bin/$(basename "$f")"
  done
  cat > "$dir/bin/backend/capture" <<'BACKEND'
#!/bin/sh
# capture:<folder> - copies each job file into <folder>: job-<id>.pdf with
# job-<id>.args (job id, user, title, copies, options), the file renamed
# into place only once complete. A slow printer when <folder>/.hold names
# milliseconds: the job is held that long first, or until <folder>/.release
# exists, or until cupsd is gone.
if [ $# -eq 0 ]; then
  echo 'direct capture "Unknown" "Capture to a folder"'
  exit 0
fi
# A job never outlives its server (killed with the test that ran it): the
# backend gets SIGTERM when cupsd ends and then ends with everything it
# started (cupsd makes each backend the leader of a process group).
if [ -z "${QOD_CAPTURE_SORVEGLIATO:-}" ]; then
  # A server killed before this job started leaves it to the system's
  # reaper: nothing to print for.
  tr '\0' ' ' < "/proc/$PPID/cmdline" 2>/dev/null | grep -qF -- "${0%/bin/backend/capture}/etc/" || exit 1
  if command -v setpriv >/dev/null 2>&1; then
    QOD_CAPTURE_SORVEGLIATO=$PPID exec setpriv --pdeathsig TERM "$0" "$@"
  fi
  QOD_CAPTURE_SORVEGLIATO=$PPID
fi
# A server that ended before the signal was asked for sends none: then the
# parent is no longer the one that started the job, and the job ends here.
[ "$PPID" = "$QOD_CAPTURE_SORVEGLIATO" ] || exit 1
gruppo=$(cut -d' ' -f5 /proc/$$/stat 2>/dev/null || true)
if [ "$gruppo" = "$$" ]; then trap 'trap - TERM; kill -KILL 0' TERM; fi
exec 3<&0
(
umask 022
out=${DEVICE_URI#capture:}
hold=0
[ -r "$out/.hold" ] && read -r hold < "$out/.hold"
waited=0
while [ "$waited" -lt "$hold" ] && [ ! -e "$out/.release" ] && [ -d "/proc/$PPID" ]; do
  sleep 0.05
  waited=$((waited + 50))
done
tmp="$out/.job-$1.part"
if [ $# -ge 6 ]; then cat "$6" > "$tmp" || exit 1; else cat > "$tmp" || exit 1; fi
printf 'job=%s\nuser=%s\ntitle=%s\ncopies=%s\noptions=%s\n' "$1" "$2" "$3" "$4" "$5" > "$out/job-$1.args"
mv "$tmp" "$out/job-$1.pdf"
) <&3 &
wait $!
BACKEND
  chmod 0755 "$dir/bin/backend/capture"
  # What the folders above cannot show: a file system mounted noexec, a
  # folder made by mkdir -p under a strict umask.
  if ! as_lp "$dir/bin/backend/capture" >/dev/null 2>"$dir/log/backend.err"; then
    refuse_unreachable "$dir/bin/backend/capture"
    echo "cups_privato.sh: the user lp cannot run $dir/bin/backend/capture:" >&2
    sed 's/^/  /' "$dir/log/backend.err" >&2
    echo "Use a folder lp can reach and run programs from, such as one made by mktemp -d /tmp/qod-cups-XXXXXX" >&2
    exit 3
  fi
  cat > "$dir/etc/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup lpadmin root
ServerRoot $dir/etc
ServerBin $dir/bin
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/spool/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/etc/printcap
CONF
  cat > "$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
LogTimeFormat usecs
Browsing No
DefaultAuthType None
WebInterface No
MaxJobs 0
PreserveJobHistory On
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
}

# Whether the process $1 runs (one that ended and nobody collected does not).
running() {
  kill -0 "$1" 2>/dev/null && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null
}

# Waits (20 s at most) until the cupsd $1 answers on the folder's socket.
ready() {
  i=0
  while ! CUPS_SERVER="$dir/cups.sock" lpstat -r >/dev/null 2>&1; do
    i=$((i + 1))
    if [ $i -gt 400 ] || ! running "$1"; then
      echo "cupsd did not start:" >&2
      cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tail -n 20 >&2
      return 4
    fi
    sleep 0.05
  done
  echo "$dir/cups.sock"
}

case "$cmd" in
prepare)
  prepare
  printf '%s\n' "$cupsd_bin" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf"
  ;;
ready)
  dir=$(cd "$dir" && pwd)
  ready "${3:?cupsd pid}"
  ;;
start)
  prepare
  "$cupsd_bin" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" > "$dir/log/cupsd.out" 2>&1 &
  echo $! > "$dir/cupsd.pid"
  ready "$(cat "$dir/cupsd.pid")" || { kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true; exit 4; }
  ;;
queue)
  name=${3:?queue name}
  ppd=${4:-}
  [ "$ppd" = - ] && ppd=
  hold=${5:-0}
  dir=$(cd "$dir" && pwd)
  mkdir -p "$dir/jobs/$name"
  chmod 0777 "$dir/jobs/$name"
  if [ "$hold" -gt 0 ]; then echo "$hold" > "$dir/jobs/$name/.hold"; fi
  # A server that has just started may drop the first connections: try again.
  i=0
  until CUPS_SERVER="$dir/cups.sock" lpadmin -p "$name" -E -v "capture:$dir/jobs/$name" ${ppd:+-P "$ppd"} 2>"$dir/log/lpadmin.err"; do
    i=$((i + 1))
    if [ $i -ge 20 ]; then cat "$dir/log/lpadmin.err" >&2; exit 5; fi
    sleep 0.1
  done
  ;;
jobs)
  name=${3:?queue name}
  dir=$(cd "$dir" && pwd)
  command -v python3 >/dev/null || { echo "python3 not found (Debian package python3)" >&2; exit 3; }
  # lpstat shows neither a job's state nor its title: a Get-Jobs request of
  # our own on the server's socket.
  python3 - "$dir/cups.sock" "$name" <<'IPP'
import os, pwd, socket, struct, sys

sock, queue = sys.argv[1], sys.argv[2]
STATES = {3: "pending", 4: "held", 5: "processing", 6: "stopped", 7: "canceled", 8: "aborted", 9: "completed"}
WANTED = ["job-id", "job-state", "job-state-reasons", "job-printer-state-message", "job-name"]


def attribute(tag, name, value):
    value = value.encode()
    return struct.pack(">BH", tag, len(name)) + name.encode() + struct.pack(">H", len(value)) + value


request = struct.pack(">BBHI", 2, 0, 0x000A, 1) + b"\x01"
request += attribute(0x47, "attributes-charset", "utf-8") + attribute(0x48, "attributes-natural-language", "en")
request += attribute(0x45, "printer-uri", "ipp://localhost/printers/" + queue)
# The jobs' owner sees their titles.
request += attribute(0x42, "requesting-user-name", pwd.getpwuid(os.getuid()).pw_name)
request += attribute(0x44, "which-jobs", "all")
request += attribute(0x44, "requested-attributes", WANTED[0])
for name in WANTED[1:]:
    request += attribute(0x44, "", name)
request += b"\x03"
conn = socket.socket(socket.AF_UNIX)
conn.connect(sock)
conn.sendall(("POST /printers/%s HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/ipp\r\n"
              "Content-Length: %d\r\nConnection: close\r\n\r\n" % (queue, len(request))).encode() + request)
reply = b""
while True:
    part = conn.recv(65536)
    if not part:
        break
    reply += part
head, _, body = reply.partition(b"\r\n\r\n")
if b" 200 " not in head.split(b"\r\n")[0]:
    sys.exit("cupsd: " + head.split(b"\r\n")[0].decode(errors="replace"))
if b"transfer-encoding: chunked" in head.lower():
    whole = b""
    while True:
        size, _, body = body.partition(b"\r\n")
        size = int(size.split(b";")[0], 16)
        if size == 0:
            break
        whole += body[:size]
        body = body[size + 2:]
    body = whole
status = struct.unpack(">H", body[2:4])[0]
if status > 0xFF and status != 0x406:  # 0x406: no job at all
    sys.exit("cupsd: Get-Jobs status 0x%04x" % status)
jobs, job, last, p = [], None, None, 8
while p < len(body) and body[p] != 3:
    tag = body[p]
    p += 1
    if tag < 0x10:
        job = {} if tag == 2 else None
        if job is not None:
            jobs.append(job)
        continue
    n = struct.unpack(">H", body[p:p + 2])[0]
    name = body[p + 2:p + 2 + n].decode()
    p += 2 + n
    n = struct.unpack(">H", body[p:p + 2])[0]
    value = body[p + 2:p + 2 + n]
    p += 2 + n
    if job is None:
        continue
    value = str(struct.unpack(">i", value)[0]) if tag in (0x21, 0x23) else value.decode(errors="replace")
    if name:
        last = name
        job[name] = [value]
    else:
        job[last].append(value)
for job in jobs:
    state = job.get("job-state", ["0"])[0]
    fields = [job.get("job-id", ["?"])[0], STATES.get(int(state), state),
              ",".join(job.get("job-state-reasons", [])), job.get("job-printer-state-message", [""])[0],
              job.get("job-name", [""])[0]]
    print("\t".join(f.replace("\t", " ").replace("\n", " ") for f in fields))
IPP
  ;;
release)
  name=${3:?queue name}
  : > "$dir/jobs/$name/.release"
  ;;
stop)
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    # Nothing of this server is worth keeping: a short grace, then gone.
    kill "$pid" 2>/dev/null || true
    i=0
    while [ $i -lt 10 ] && running "$pid"; do
      sleep 0.05
      i=$((i + 1))
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/cupsd.pid"
  fi
  ;;
*) echo "unknown command $cmd" >&2; exit 2 ;;
esac
