#!/usr/bin/env bash
# The server's main job against the stand-in host, start to end:
#   demo-run.sh BUILD_DIR DEMO_DIR
# prepares a program folder for Qod_S in DEMO_DIR/Qod_S (settings, connection
# record, conversion table, font strip, logo, subfolders), starts qod_hostsim
# with a copy of the sample spool queue and of the samples that ask for PDF,
# mail and XML output (drive C: is DEMO_DIR/c, the mail command a script of
# the demo) and for printing (on the queue "Demo" of a private CUPS server in a
# folder of its own under /tmp, which the user lp that runs its backend can
# reach wherever DEMO_DIR lies; its jobs are copied into
# DEMO_DIR/cups/jobs/Demo and the folder removed), starts
# "Qod_S /AUTO" offscreen, waits
# until every spool file has been handled (with a time limit), stops both
# with SIGTERM and tells what was done and where the output is. Then the
# archive viewer's step: a program folder for Qod_C in DEMO_DIR/Qod_C, started
# offscreen against the same stand-in host (FTP start, login, dictionary,
# search definitions), with a picture of its main window in
# DEMO_DIR/Qod_C.png; then it searches with definition 05 ("Per numero
# fattura", empty criteria), lists what the server archived and opens the
# first document (DEMO_DIR/Qod_C_elenco.png, DEMO_DIR/Qod_C_documento.png).
# Last it checks every output the sample spool files ask for (the table
# below) and ends non-zero, naming what is missing and why, when one is not
# there. QOD_DEMO_BACKEND_CLOSED=1 closes the print queue's backend to the
# user lp, as a home folder of mode 0700 would, to see that check fail.
set -euo pipefail

QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:?build folder}" && pwd)
DEMO=${2:?demo folder}
LIMITE=${QOD_DEMO_TIMEOUT:-180}

QOD_S="$BUILD/server/Qod_S"
HOSTSIM="$BUILD/hostsim/qod_hostsim"
IMPOSTA="$BUILD/server/demo/qod_s_imposta"
SCHERMATA_C="$BUILD/client/demo/qod_c_schermata"
for p in "$QOD_S" "$HOSTSIM" "$IMPOSTA" "$SCHERMATA_C"; do
  [ -x "$p" ] || { echo "missing: $p (build first)" >&2; exit 1; }
done

rm -rf "$DEMO"
mkdir -p "$DEMO"
DEMO=$(cd "$DEMO" && pwd)
PROG="$DEMO/Qod_S"
HOST="$DEMO/host"
mkdir -p "$PROG"/{TmpS,Lgo,Fnt,Backup} "$HOST"
cp -r "$QOD_ROOT/hostsim/samples/coda" "$HOST/coda"
# The statement again, three times: saved as PDFs, for mail, with XML.
cp -r "$QOD_ROOT/hostsim/samples/uscite/." "$HOST/coda/"
# The invoices once more, printed on a private CUPS queue.
cp -r "$QOD_ROOT/hostsim/samples/stampa/." "$HOST/coda/"
# And archived in the stand-in host's archive store.
cp -r "$QOD_ROOT/hostsim/samples/archivio/." "$HOST/coda/"
N_SPOOL=$(find "$HOST/coda" -mindepth 1 -maxdepth 1 -type d ! -name '.*' | wc -l)

echo "== demo folder: $DEMO"

# ---- The program folder ------------------------------------------------------

# The conversion table: the table editor's standard files (code page 280),
# the first one copied into the program folder as the server reads it.
TABELLE="$BUILD/tools/zutbl_standard"
[ -x "$TABELLE" ] || { echo "missing: $TABELLE (build first)" >&2; exit 1; }
mkdir -p "$DEMO/tabelle"
"$TABELLE" "$DEMO/tabelle"
cp "$DEMO/tabelle/ZuTBL1.TBL" "$PROG/Qod_TBL1.Tbl"

# The font strip the sample spool files name (Fnt/COUR20.BMP, cells of 20 x
# 32 pixels), made by the font editor's "Nuovo" and "Genera" (Courier New of
# cell height 32 and average width 17, centred across), and the logo of their
# image tags (Lgo/logo.bmp).
STRISCIA="$BUILD/tools/zufnt_genera"
[ -x "$STRISCIA" ] || { echo "missing: $STRISCIA (build first)" >&2; exit 1; }
"$STRISCIA" "$PROG/Fnt/COUR20.BMP" --cell 20x32 --face "Courier New" --size 32 --width 17 --center-x

python3 - "$PROG/Lgo/logo.bmp" <<'EOF'
import struct, sys
w, h = 240, 80
stride = (w * 3 + 3) // 4 * 4
rows = []
for y in range(h):
    row = bytearray(stride)
    for x in range(w):
        dx, dy = x - 40, y - 40
        r2 = dx * dx + dy * dy
        if 900 <= r2 <= 1444 or (x >= 90 and 22 <= y <= 30) or (x >= 90 and 38 <= y <= 42 and x < 200) \
                or (x >= 90 and 50 <= y <= 58 and x < 170):
            b, g, r = 160, 110, 40
        else:
            b, g, r = 255, 255, 255
        row[x * 3:x * 3 + 3] = bytes([b, g, r])
    rows.append(bytes(row))
pixels = b"".join(reversed(rows))
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 7874, 7874, 0, 0))
    f.write(pixels)
EOF

# ---- The saving folders, the XML template and the mail command ----------------

# Drive C: of the attribute records and templates is a folder of the demo.
export QOD_DRIVE_C="$DEMO/c"
mkdir -p "$QOD_DRIVE_C/Quillon/Pdf" "$QOD_DRIVE_C/Quillon/Posta" "$QOD_DRIVE_C/Quillon/Xml" "$DEMO/bin"
cp "$QOD_ROOT/server/demo/modello_estratto.xml" "$QOD_DRIVE_C/Quillon/Xml/modello.xml"
# The mail command the spool file names: it writes what it received (its
# arguments and the list file the first one names) to posta_ricevuta.txt.
export QOD_DEMO_POSTA="$DEMO/posta_ricevuta.txt"
cat >"$DEMO/bin/qod_demo_posta" <<'FINE'
#!/bin/sh
# The demo's mail command: records its arguments and the mail list.
{
  echo "qod_demo_posta, $(date '+%Y-%m-%d %H:%M:%S'), $# arguments:"
  for a in "$@"; do printf '  [%s]\n' "$a"; done
  lista=$(printf '%s' "$1" | sed -e "s|^[Cc]:|$QOD_DRIVE_C|" -e 's|\\|/|g')
  echo "mail list $lista:"
  sed 's/\r$//; s/^/  /' "$lista"
} >>"$QOD_DEMO_POSTA"
FINE
chmod +x "$DEMO/bin/qod_demo_posta"
export PATH="$DEMO/bin:$PATH"

# ---- A private CUPS server with the queue "Demo" --------------------------------

CUPS_PRIVATO="$QOD_ROOT/platform/printing/testing/cups_privato.sh"
STAMPE="$DEMO/cups/jobs/Demo"
mkdir -p "$STAMPE" "$DEMO/cups/log"
# Under /tmp, not in DEMO_DIR: cupsd runs the backend as the user lp, who
# cannot enter a home folder of mode 0700 (root's on Debian).
CUPS_DIR=$(mktemp -d /tmp/qod-demo-cups-XXXXXX)
cleanup() {
  [ -n "${SPID:-}" ] && kill -TERM "$SPID" 2>/dev/null || true
  [ -n "${HPID:-}" ] && kill -TERM "$HPID" 2>/dev/null || true
  if [ -n "${CPID:-}" ]; then kill -TERM "$CPID" 2>/dev/null && wait "$CPID" 2>/dev/null || true; fi
  cp -p "$CUPS_DIR"/log/* "$DEMO/cups/log"/ 2>/dev/null || true
  rm -rf "$CUPS_DIR" 2>/dev/null || true
}
trap cleanup EXIT
# cupsd, the stand-in host and the server end with this script, however it ends.
avvia_cupsd() {
  local comando
  mapfile -t comando < <("$CUPS_PRIVATO" prepare "$CUPS_DIR") && [ ${#comando[@]} -gt 0 ] || return 1
  setpriv --pdeathsig KILL "${comando[@]}" >"$CUPS_DIR/log/cupsd.out" 2>&1 &
  CPID=$!
  SOCK=$("$CUPS_PRIVATO" ready "$CUPS_DIR" "$CPID")
}
if avvia_cupsd 2>"$DEMO/cups.err" && "$CUPS_PRIVATO" queue "$CUPS_DIR" Demo 2>>"$DEMO/cups.err"; then
  export CUPS_SERVER="$SOCK"
  echo "== private CUPS server in $CUPS_DIR (removed at the end), queue Demo; its jobs are copied"
  echo "   into $STAMPE"
  if [ -n "${QOD_DEMO_BACKEND_CLOSED:-}" ]; then
    chmod 0700 "$CUPS_DIR/bin/backend"
    echo "   (its backend closed to the user lp, as QOD_DEMO_BACKEND_CLOSED asks: nothing will print)"
  fi
else
  echo "== no private CUPS server here, the spool file that asks for printing will fail:"
  sed 's/^/   /' "$DEMO/cups.err"
  CPID=""
  export CUPS_SERVER="$CUPS_DIR/cups.sock"
fi

# The print sample's printer answers at 127.0.0.1. The demo brings its own HOSTS file so that the
# look-up does not depend on the machine's /etc/hosts (a bare chroot has none).
printf '127.0.0.1\tlocalhost\n' > "$DEMO/hosts"
export QOD_HOSTS="$DEMO/hosts"

# ---- The stand-in host -------------------------------------------------------

setpriv --pdeathsig KILL "$HOSTSIM" --dir "$HOST" --ftp-port 0 --record-port 0 --ready-file "$HOST/ready" \
  --dictionary "$QOD_ROOT/hostsim/fixtures/dizionario_CA.txt" --user QSYS:DEMO:7 \
  --viewer "$QOD_ROOT/hostsim/fixtures/viewer.txt" \
  --spool-queue "$HOST/coda" --spool-done "$HOST/fatti" --archive "$HOST/archivio" >"$HOST/hostsim.out" 2>&1 &
HPID=$!
for _ in $(seq 100); do [ -s "$HOST/ready" ] && break; sleep 0.1; done
[ -s "$HOST/ready" ] || { echo "the stand-in host did not start:" >&2; cat "$HOST/hostsim.out" >&2; exit 1; }
FTP=$(sed -n 's/^ftp=//p' "$HOST/ready")
REC=$(sed -n 's/^record=//p' "$HOST/ready")
echo "== stand-in host: FTP port $FTP, record port $REC"

# ---- The settings: connection record and general keys, through the model of the
# ---- settings editor Qod_S_INI (same formatting, checks and single rewrite) ------

"$IMPOSTA" "$PROG/Qod_S.INI" --collegamento 127.0.0.1 "$REC" QSYS DEMO "$FTP" QGPL 1 \
  Generale "Fine Collegamento Ora" 235959 \
  Generale "Fine Collegamento Anticipo" 0 \
  Generale "Inizio Collegamento Ora" 000000 \
  Generale "Inizio Collegamento Attesa" 0 \
  Generale "Tempo Ciclo" 500 \
  Generale "Log" S \
  Generale "Backup" S \
  Generale "Max Pagine Blocco" 0

# ---- The server ------------------------------------------------------------------

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$DEMO/runtime"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
(cd "$PROG" && exec setpriv --pdeathsig KILL "$QOD_S" /AUTO >"$DEMO/Qod_S.out" 2>&1) &
SPID=$!
echo "== Qod_S /AUTO started (pid $SPID), $N_SPOOL spool files in the queue"

fatti() { find "$HOST/fatti" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | wc -l; }
inizio=$SECONDS
while [ "$(fatti)" -lt "$N_SPOOL" ]; do
  if ! kill -0 "$SPID" 2>/dev/null; then echo "Qod_S ended early:" >&2; cat "$DEMO/Qod_S.out" >&2; exit 1; fi
  if [ $((SECONDS - inizio)) -ge "$LIMITE" ]; then
    echo "time limit of ${LIMITE}s reached with $(fatti) of $N_SPOOL spool files handled" >&2
    break
  fi
  sleep 0.5
done
FATTI=$(fatti)
echo "== $FATTI of $N_SPOOL spool files handled in $((SECONDS - inizio))s; stopping"

kill -TERM "$SPID"; wait "$SPID" && rc=0 || rc=$?; SPID=""
echo "== Qod_S ended with code $rc"

# ---- The archive viewer -----------------------------------------------------------

# Its own program folder: the conversion table (the table editor's, as for
# Qod_S) and the settings, written through the model of the settings editor
# Qod_C_INI; the host program is started over FTP.
CPROG="$DEMO/Qod_C"
mkdir -p "$CPROG"
cp "$DEMO/tabelle/ZuTBL1.TBL" "$CPROG/Qod_TBL1.Tbl"
"$IMPOSTA" "$CPROG/Qod_C.INI" --client --collegamento 127.0.0.1 "$REC" QSYS DEMO "$FTP" QGPL \
  Generale "Ricerche in maiuscolo" 1
echo
echo "== Qod_C started offscreen against the stand-in host (the same run of the program, as"
echo "   qod_c_schermata, which keeps a picture of the main window once it has loaded, then"
echo "   searches with definition 05 and opens the first document listed)"
(cd "$CPROG" && "$SCHERMATA_C" "$DEMO/Qod_C.png" --ricerca=05) 2>&1 | tee "$DEMO/Qod_C.out" |
  sed '/does not support/d; s/^/   /' && crc=0 || crc=$?
[ -s "$DEMO/Qod_C.png" ] || crc=1
echo "== the viewer's session on the host (request log $HOST/hostsim.log):"
awk -F'\t' '
  $1 == "FTP" && $4 ~ /^RCMD / { rcmd = $4 }
  $1 == "REC" && $4 ~ /^U00075/ && $4 ~ /Quillon Viewer/ { s = $2; login = $4; ftp = rcmd }
  $1 == "REC" && s != "" && $2 == s && $4 ~ /^T00022CA/ { ca++ }
  $1 == "REC" && s != "" && $2 == s && $4 ~ /^T00022CR/ { cr++ }
  END {
    printf "   FTP start:  %s\n   login:      [%s]\n", ftp, login
    printf "   then %d dictionary rows (\"CA\") and %d search definitions (\"CR\") asked for\n", ca, cr
  }' "$HOST/hostsim.log"

kill -TERM "$HPID"; wait "$HPID" || true; HPID=""

# The print queue's jobs, asked before cupsd goes: once none is waiting or
# printing (30 s at most), each with its state and the reasons CUPS gives.
LAVORI_DEMO=""
if [ -n "${CPID:-}" ]; then
  for _ in $(seq 60); do
    LAVORI_DEMO=$("$CUPS_PRIVATO" jobs "$CUPS_DIR" Demo 2>&1) || break
    printf '%s\n' "$LAVORI_DEMO" | cut -f2 | grep -qx 'pending\|processing' || break
    sleep 0.5
  done
  kill -TERM "$CPID" 2>/dev/null; wait "$CPID" || true; CPID=""
fi
# What outlives the server's folder: the jobs it printed and its logs.
cp -p "$CUPS_DIR"/jobs/Demo/job-* "$STAMPE"/ 2>/dev/null || true
cp -p "$CUPS_DIR"/log/* "$DEMO/cups/log"/ 2>/dev/null || true

# ---- What was done ------------------------------------------------------------------

echo
echo "== spool files (outcome sent to the host with the done record)"
for d in "$HOST"/fatti/*/; do
  [ -d "$d" ] || continue
  esito=$(cat "$d/esito.txt" 2>/dev/null || true)
  # The done record's body: server (5), spool file number (9), outcome (10), one character.
  printf '   %-16s spool file %s, outcome "%s"\n' "$(basename "$d")" "$(echo "${esito:5:9}" | sed 's/^0*//')" \
    "$(echo "${esito:14:10}" | sed 's/ *$//')"
done

LOG_UTF8=$(iconv -f WINDOWS-1252 -t UTF-8 "$PROG/Qod_S.LOG" | sed 's/\r$//')
echo
echo "== server log ($PROG/Qod_S.LOG), lines cut at 150 characters"
echo "$LOG_UTF8" | grep -v '^ *$' | cut -c1-150 | sed 's/^/   /'
echo
echo "== the log table's message column, by spool file number"
echo "$LOG_UTF8" | awk 'length($0) > 100 && substr($0, 23, 3) !~ /^(NRR|===)/ && substr($0, 23, 1) ~ /[0-9]/ {
  m = substr($0, length($0) - 60); sub(/ +$/, "", m); n = substr($0, 23, 10); sub(/ +$/, "", n);
  printf "   %-10s %s\n", n, (m == "" ? "-" : m) }'

echo
IMMAGINI=$(find "$PROG/Backup" "$PROG/TmpS" -type f -name '*_I_*' 2>/dev/null | sort)
if [ -n "$IMMAGINI" ]; then
  echo "== page images made ($(echo "$IMMAGINI" | wc -l)):"
  echo "$IMMAGINI" | sed 's/^/   /'
else
  echo "== page images made: none (the log table's message column above says why)"
fi
echo
echo "== where the output is"
echo "   page files of the last spool file:   $PROG/TmpS"
echo "   copies of every spool file's pages:  $PROG/Backup"
echo "   server log:                          $PROG/Qod_S.LOG"
echo "   spool files done, with their outcome: $HOST/fatti"
echo "   requests the host received:          $HOST/hostsim.log"
echo "   font strip and logo:                 $PROG/Fnt/COUR20.BMP, $PROG/Lgo/logo.bmp"
echo "   PDFs, one per customer:              $QOD_DRIVE_C/Quillon/Pdf (C:\Quillon\Pdf)"
echo "   PDFs for mail and the mail list:     $QOD_DRIVE_C/Quillon/Posta (list estratti.txt)"
echo "   what the mail command received:      $QOD_DEMO_POSTA"
echo "   PDFs, XML files and their template:  $QOD_DRIVE_C/Quillon/Xml"
echo "   print jobs of the queue Demo (PDF):  $STAMPE (job-<id>.pdf, job-<id>.args)"
echo "   the private CUPS server's logs:      $DEMO/cups/log"
echo "   archive store of the host:           $HOST/archivio (one folder per archive id, see hostsim/README.md)"
echo "   the viewer's program folder:         $CPROG (instance slots in Qod_C.DAT)"
echo "   the viewer's main window:            $DEMO/Qod_C.png"
echo "   its list and first document:         $DEMO/Qod_C_elenco.png, $DEMO/Qod_C_documento.png"
echo
echo "== saved files"
find "$QOD_DRIVE_C/Quillon" -type f | sort | sed 's/^/   /'
echo
echo "== printed jobs"
for j in "$STAMPE"/job-*.pdf; do
  [ -f "$j" ] || { echo "   none"; break; }
  echo "   $j: $(pdfinfo "$j" 2>/dev/null | sed -n 's/^Pages: *//p') pages, $(sed -n 's/^copies=/copies /p' "${j%.pdf}.args")"
done
echo
echo "== archived documents ($HOST/archivio)"
for d in "$HOST"/archivio/*/; do
  [ -d "$d" ] || { echo "   none"; break; }
  printf '   %s: %s, key "%s", %s page(s): %s\n' "$(basename "$d")" "$(cat "$d/stato.txt")" \
    "$(cut -c21-60 "$d/indice.txt" | sed 's/ *$//')" "$(cut -c12-16 "$d/indice.txt" | sed 's/^0*//')" \
    "$(cd "$d" && ls -- *.bin 2>/dev/null | tr '\n' ' ')"
done
if [ -f "$QOD_DEMO_POSTA" ]; then
  echo
  echo "== what the mail command received"
  sed 's/^/   /' "$QOD_DEMO_POSTA"
fi

# ---- Does every output the samples ask for exist? -------------------------------------

# One row per output, read off the samples' attribute records and data
# (hostsim/samples): 0004 to 0006 save the statement as one PDF per customer
# ("salva_pdf = S"; its documents are cut by the customer code, C00010 on
# pages 1-2, C00020 on page 3, C00030 on pages 4-5), into the "cartella" of
# 0004 and 0005 and the XML paths of 0006; 0005 writes the mail list of its
# group 1 (one line per customer) and runs its group 4 command; 0006 writes
# one XML file per customer from its template; 0007 prints the two one-page
# invoices on "Demo" ("stampa = S", one job: Max Pagine Blocco 0); 0008
# archives them, one document per invoice number. 0001 to 0003 ask for
# nothing but the done record. The viewer keeps three pictures.
#  spool file            kind     output                      pages / lines
ATTESI='
0004_ESTRATTO_PDF      pdf      C:\Quillon\Pdf\C00010.PDF      2
0004_ESTRATTO_PDF      pdf      C:\Quillon\Pdf\C00020.PDF      1
0004_ESTRATTO_PDF      pdf      C:\Quillon\Pdf\C00030.PDF      2
0005_ESTRATTO_POSTA    pdf      C:\Quillon\Posta\C00010.PDF    2
0005_ESTRATTO_POSTA    pdf      C:\Quillon\Posta\C00020.PDF    1
0005_ESTRATTO_POSTA    pdf      C:\Quillon\Posta\C00030.PDF    2
0005_ESTRATTO_POSTA    list     C:\Quillon\Posta\estratti.txt  3
0005_ESTRATTO_POSTA    mail     C:\Quillon\Posta\estratti.txt  3
0006_ESTRATTO_XML      pdf      C:\Quillon\Xml\C00010.PDF      2
0006_ESTRATTO_XML      pdf      C:\Quillon\Xml\C00020.PDF      1
0006_ESTRATTO_XML      pdf      C:\Quillon\Xml\C00030.PDF      2
0006_ESTRATTO_XML      xml      C:\Quillon\Xml\C00010.xml      -
0006_ESTRATTO_XML      xml      C:\Quillon\Xml\C00020.xml      -
0006_ESTRATTO_XML      xml      C:\Quillon\Xml\C00030.xml      -
0007_FATTURE_STAMPA    print    Demo                           2
0008_FATTURE_ARCHIVIO  archive  00012345                       1
0008_FATTURE_ARCHIVIO  archive  00012346                       1
Qod_C                  picture  Qod_C.png                      -
Qod_C                  picture  Qod_C_elenco.png               -
Qod_C                  picture  Qod_C_documento.png            -
'

# A path of drive C: as this machine has it.
su_disco() { printf '%s' "$1" | sed -e "s|^[Cc]:|$QOD_DRIVE_C|" -e 's|\\|/|g'; }

# What the server did with spool file $1 (its folder name), for a missing output.
perche_spool() {
  local sf=$1 numero esito messaggio
  [ -d "$HOST/fatti/$sf" ] || { echo "the spool file was not handled (no done record)"; return; }
  esito=$(cut -c15-24 "$HOST/fatti/$sf/esito.txt" 2>/dev/null | sed 's/ *$//')
  numero=$(sed -n 's/^numero_spool *= *//p' "$QOD_ROOT"/hostsim/samples/*/"$sf"/attributi.txt | head -1)
  # The log table's message column on the spool file's last line.
  messaggio=$(printf '%s\n' "$LOG_UTF8" | awk -v n="$numero" 'length($0) > 100 && substr($0, 23, 3) !~ /^(NRR|===)/ {
    f = substr($0, 23, 10); sub(/ +$/, "", f); if (f != n) next
    m = substr($0, length($0) - 60); sub(/^ +/, "", m); sub(/ +$/, "", m); if (m != "") last = m }
    END { print last }')
  echo "the server sent outcome \"$esito\"${messaggio:+, its log says \"$messaggio\"}"
}

# Why a print job did not arrive: its state and reasons, and what cupsd logged for it.
perche_lavoro() {
  local id=$1 stato=$2 motivi=$3 messaggio=$4 log stato_backend perche
  log=$(grep -F "[Job $id]" "$DEMO/cups/log/error_log" 2>/dev/null || true)
  stato_backend=$(printf '%s\n' "$log" | sed -n 's/.*Backend returned status \([0-9]*\).*/\1/p' | tail -1)
  if [ -n "$stato_backend" ] && [ "$stato_backend" -ge 100 ]; then
    # cupsd's child ends with 100 + errno when it cannot start the backend.
    perche="the backend could not run ($(python3 -c 'import os, sys; print(os.strerror(int(sys.argv[1]) - 100))' "$stato_backend"))"
  elif [ -n "$stato_backend" ]; then
    perche="the backend failed with status $stato_backend"
  else
    perche="${messaggio:-no reason given}"
  fi
  echo "job Demo-$id $stato: $perche; job-state-reasons $motivi${log:+; cupsd: $(printf '%s\n' "$log" | grep -E '^[EW] |held' |
    sed 's/^.*\] \[Job [0-9]*\] //' | paste -sd';' | sed 's/;/; /g')}"
}

# Checks one row: empty when the output is there, else why not.
controlla() {
  local sf=$1 tipo=$2 cosa=$3 quanti=$4 file n
  case $tipo in
    pdf)
      file=$(su_disco "$cosa")
      [ -f "$file" ] || { perche_spool "$sf"; return; }
      qpdf --check "$file" >/dev/null 2>&1 || { echo "not a whole PDF (qpdf --check)"; return; }
      n=$(pdfinfo "$file" 2>/dev/null | sed -n 's/^Pages: *//p')
      [ "$n" = "$quanti" ] || echo "$n pages, $quanti expected"
      ;;
    xml)
      file=$(su_disco "$cosa")
      [ -f "$file" ] || { perche_spool "$sf"; return; }
      xmllint --noout "$file" 2>/dev/null || echo "not well-formed XML (xmllint)"
      ;;
    list)
      file=$(su_disco "$cosa")
      [ -f "$file" ] || { perche_spool "$sf"; return; }
      n=$(grep -c '[^[:space:]]' "$file" || true)
      [ "$n" = "$quanti" ] || echo "$n lines, $quanti expected"
      ;;
    mail)
      # The command's mark: it ran, with the list as its first argument.
      [ -f "$QOD_DEMO_POSTA" ] || { echo "the mail command left no mark ($QOD_DEMO_POSTA); $(perche_spool "$sf")"; return; }
      grep -qF "mail list $(su_disco "$cosa"):" "$QOD_DEMO_POSTA" || { echo "the mail command did not get the list $cosa"; return; }
      n=$(grep -c '^qod_demo_posta, ' "$QOD_DEMO_POSTA" || true)
      [ "$n" = 1 ] || { echo "the mail command ran $n times, once expected"; return; }
      n=$(sed -n '/^mail list /,/^qod_demo_posta/p' "$QOD_DEMO_POSTA" | grep -c '^  [^[:space:]]' || true)
      [ "$n" = "$quanti" ] || echo "the mail command read $n list lines, $quanti expected"
      ;;
    print)
      if [ -z "$LAVORI_DEMO" ]; then
        echo "no job reached the queue $cosa; $(perche_spool "$sf")"
        return
      fi
      local id stato motivi messaggio titolo pagine=0 guasti=""
      while IFS=$'\t' read -r id stato motivi messaggio titolo; do
        case $id in '' | *[!0-9]*) guasti+="the queue could not be asked: $id $stato; "; continue ;; esac
        if [ "$stato" != completed ]; then
          guasti+="$(perche_lavoro "$id" "$stato" "$motivi" "$messaggio"); "
        elif [ ! -f "$STAMPE/job-$id.pdf" ]; then
          guasti+="job Demo-$id completed but its file is not in $STAMPE; "
        else
          pagine=$((pagine + $(pdfinfo "$STAMPE/job-$id.pdf" 2>/dev/null | sed -n 's/^Pages: *//p' || echo 0)))
        fi
      done <<<"$LAVORI_DEMO"
      if [ -n "$guasti" ]; then echo "${guasti%; }"; elif [ "$pagine" != "$quanti" ]; then echo "$pagine pages printed, $quanti expected"; fi
      ;;
    archive)
      local d trovato=""
      for d in "$HOST"/archivio/*/; do
        [ "$(cut -c21-60 "$d/indice.txt" 2>/dev/null | sed 's/ *$//')" = "$cosa" ] && trovato=$d
      done
      [ -n "$trovato" ] || { echo "no document with this key in the host's archive; $(perche_spool "$sf")"; return; }
      [ "$(cat "$trovato/stato.txt")" = chiuso ] || { echo "left \"$(cat "$trovato/stato.txt")\" in $trovato, not closed"; return; }
      n=$(cut -c12-16 "$trovato/indice.txt" | sed 's/^0*//')
      [ "$n" = "$quanti" ] || { echo "$n pages in the index, $quanti expected"; return; }
      [ "$(cd "$trovato" && ls -- 1_*.bin 2>/dev/null | wc -l)" = "$quanti" ] || echo "the page images are not all in $trovato"
      ;;
    picture)
      file=$DEMO/$cosa
      if [ ! -s "$file" ]; then
        echo "not made; qod_c_schermata ended with status $crc: $(grep -v 'does not support' "$DEMO/Qod_C.out" | tail -n 1)"
      elif ! pngcheck -q "$file" >/dev/null 2>&1; then
        echo "not a whole PNG (pngcheck)"
      fi
      ;;
    *) echo "unknown kind $tipo" ;;
  esac
}

echo
echo "== checks: every output the sample spool files ask for"
MANCANTI=0
NOTI=" Qod_C "
while read -r sf tipo cosa quanti; do
  [ -n "$sf" ] || continue
  NOTI+="$sf "
  guasto=$(controlla "$sf" "$tipo" "$cosa" "$quanti")
  case $tipo:$quanti in
    *:-) descrizione="$tipo $cosa" ;;
    list:* | mail:*) descrizione="$tipo $cosa, $quanti lines" ;;
    *:1) descrizione="$tipo $cosa, 1 page" ;;
    *) descrizione="$tipo $cosa, $quanti pages" ;;
  esac
  if [ -z "$guasto" ]; then
    printf '   ok       %-22s %s\n' "$sf" "$descrizione"
  else
    printf '   MISSING  %-22s %s\n            %s\n' "$sf" "$descrizione" "$guasto"
    MANCANTI=$((MANCANTI + 1))
  fi
done <<<"$ATTESI"
# A sample that asks for output and has no row is a table to bring up to date.
for d in "$QOD_ROOT"/hostsim/samples/*/*/; do
  n=$(basename "$d")
  case "$NOTI" in *" $n "*) continue ;; esac
  grep -qE '^(stampa|archivia|salva) *= *S' "$d/attributi.txt" || continue
  printf '   MISSING  %-22s its outputs have no row in the table of checks (scripts/demo-run.sh)\n' "$n"
  MANCANTI=$((MANCANTI + 1))
done
if [ "$MANCANTI" -gt 0 ]; then
  echo "== $MANCANTI output(s) missing: the demo did not do all it should"
fi

[ "$FATTI" -eq "$N_SPOOL" ] && [ "$rc" -eq 0 ] && [ "$crc" -eq 0 ] && [ "$MANCANTI" -eq 0 ]
