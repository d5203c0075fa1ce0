#!/usr/bin/env bash
# SIGTERM to the real Qod_S in each stage of a long spool file, against the
# stand-in host and a private CUPS server:
#   stop-check.sh BUILD_DIR WORK_DIR [CASE...]
# Cases: print (1200 pages in jobs of 10 on a printer that holds its jobs),
# copies (2 pages x 9999 collated copies), pdf (1500 one-page PDFs, one per
# document), images (the same as page images to a folder), xml (the XML
# output of 1500 documents, each with its data request), mail (two requests
# a second apart once the mail command has started), connect (a host
# address that never answers a connect), send (a host that takes a byte of a
# request every 100 ms through a small receive buffer, while a large page
# is archived). Without cases, all of them.
#
# For each case it prepares a program folder and a stand-in host with one
# spool file, starts "Qod_S /AUTO" offscreen, waits until the work is well
# inside the stage, sends SIGTERM and measures how long the program takes
# to end. Then it checks: the exit status 0 within 2 s, the log's orderly
# end, no done record at the host (the spool file still in its queue), no
# CUPS job left and nothing printed, no file under a temporary name and
# every output file under a final name whole (qpdf --check, pngcheck), and
# no "Errore" line in the log. The mail case instead: the spool file goes to
# its end with its done record, the command is left running and logged, and
# it ends by itself, having run once. One line per case; exit status 0 when
# every case held.
set -euo pipefail

QOD_ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:?build folder}" && pwd)
mkdir -p "${2:?work folder}"
WORK=$(cd "$2" && pwd)
shift 2
CASI=("$@")
[ ${#CASI[@]} -gt 0 ] || CASI=(print copies pdf images xml mail connect send)

QOD_S="$BUILD/server/Qod_S"
HOSTSIM="$BUILD/hostsim/qod_hostsim"
IMPOSTA="$BUILD/server/demo/qod_s_imposta"
TABELLE="$BUILD/tools/zutbl_standard"
STRISCIA="$BUILD/tools/zufnt_genera"
CUPS_PRIVATO="$QOD_ROOT/platform/printing/testing/cups_privato.sh"
for p in "$QOD_S" "$HOSTSIM" "$IMPOSTA" "$TABELLE" "$STRISCIA"; do
  [ -x "$p" ] || { echo "missing: $p (build first)" >&2; exit 1; }
done

PIDS=()
# The private CUPS server lies under /tmp, not in WORK_DIR: cupsd runs the
# backends as the user lp, who cannot enter a home folder of mode 0700.
CUPS_DIR=$(mktemp -d /tmp/qod-stop-cups-XXXXXX)
cleanup() {
  for p in "${PIDS[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  rm -rf "$CUPS_DIR" 2>/dev/null || true
}
trap cleanup EXIT

ms() { date +%s%3N; }
# Waits until the command succeeds; false after $1 seconds.
attendi() {
  local limite=$1; shift
  local fine=$(($(ms) + limite * 1000))
  until "$@"; do
    [ "$(ms)" -lt "$fine" ] || return 1
    sleep 0.05
  done
}

# ---- Shared: the table, the font strip, a private CUPS server ----------------

mkdir -p "$WORK/comune"
"$TABELLE" "$WORK/comune" >/dev/null
"$STRISCIA" "$WORK/comune/COUR20.BMP" --cell 20x32 --face "Courier New" --size 32 --width 17 --center-x >/dev/null

mapfile -t comando < <("$CUPS_PRIVATO" prepare "$CUPS_DIR")
[ ${#comando[@]} -gt 0 ] || exit 1
setpriv --pdeathsig KILL "${comando[@]}" >"$WORK/cups.out" 2>&1 &
PIDS+=($!)
CUPS_SERVER=$("$CUPS_PRIVATO" ready "$CUPS_DIR" "$!")
export CUPS_SERVER
"$CUPS_PRIVATO" queue "$CUPS_DIR" Lenta - 600000
"$CUPS_PRIVATO" queue "$CUPS_DIR" Laser
lavori_in_coda() { lpstat -o 2>/dev/null | grep -c . || true; }
almeno_lavori() { [ "$(lavori_in_coda)" -ge "$1" ]; }

export QT_QPA_PLATFORM=offscreen

# ---- One case ------------------------------------------------------------------

# Page images of 850 x 1100 pixels at 100 dpi (PNG), an 80 x 66 text grid;
# for printing, fax pages of 1728 x 2292 pixels (TIFF G4) as the sample
# spool files have them.
IMMAGINE_STAMPA="tipo_immagine = A
out_width = 1728
out_height = 2292
out_resx = 204
out_resy = 196
out_zoomx = 100
out_zoomy = 100
txt_cols = 80
txt_rows = 66
txt_left = 64
txt_top = 80
txt_col_dim = 20
txt_row_dim = 32
txt_orie = 1
fnt_file = COUR20.BMP
sfondo_r = 255
sfondo_g = 255
sfondo_b = 255"
IMMAGINE="tipo_immagine = 7
out_width = 850
out_height = 1100
out_resx = 100
out_resy = 100
out_zoomx = 100
out_zoomy = 100
txt_cols = 80
txt_rows = 66
txt_left = 20
txt_top = 20
txt_col_dim = 10
txt_row_dim = 16
txt_orie = 1
fnt_file = COUR20.BMP
sfondo_r = 255
sfondo_g = 255
sfondo_b = 255"

# Pages "D<nnnnn>" and a line each; the key of a document is the first 6
# characters of line 1, so that every page is a document of its own.
dati() {
  local n=$1 p
  for ((p = 1; p <= n; p++)); do printf 'D%05d PAGINA %d\nRIGA DI TESTO XXXXXXXXXXXXXXXXXXXXXXXX\n<FF>' "$p" "$p"; done
}
CHIAVE="F | K | 1 | 1 | 0 | 1 | 6 | A |"

# prepara CASE ATTRIBUTES PAGES [HOSTSIM OPTION...]: a program folder, a
# stand-in host with one spool file (its print data PAGES pages of dati) and
# the settings pointing at it.
prepara() {
  local caso=$1 attributi=$2 pagine=$3; shift 3
  D="$WORK/$caso"
  rm -rf "$D"
  PROG="$D/Qod_S"
  HOST="$D/host"
  mkdir -p "$PROG"/{TmpS,Fnt,Lgo,Backup} "$HOST/coda/0001_LUNGO" "$D/tmp" "$D/c/Uscita"
  cp "$WORK/comune/ZuTBL1.TBL" "$PROG/Qod_TBL1.Tbl"
  cp "$WORK/comune/COUR20.BMP" "$PROG/Fnt/COUR20.BMP"
  printf '%s\n%s\n' "${IMMAGINE_CASO:-$IMMAGINE}" "$attributi" >"$HOST/coda/0001_LUNGO/attributi.txt"
  echo "$CHIAVE" >"$HOST/coda/0001_LUNGO/definizioni.txt"
  dati "$pagine" >"$HOST/coda/0001_LUNGO/dati.txt"
  setpriv --pdeathsig KILL "$HOSTSIM" --dir "$HOST" --ftp-port -1 --record-port 0 --ready-file "$HOST/ready" \
    --dictionary "$QOD_ROOT/hostsim/fixtures/dizionario_CA.txt" --user QSYS:PW:7 \
    --spool-queue "$HOST/coda" --spool-done "$HOST/fatti" --archive "$HOST/archivio" "$@" >"$HOST/hostsim.out" 2>&1 &
  HPID=$!
  PIDS+=($HPID)
  attendi 10 test -s "$HOST/ready" || { echo "the stand-in host did not start" >&2; cat "$HOST/hostsim.out" >&2; exit 1; }
  PORTA=$(sed -n 's/^record=//p' "$HOST/ready")
}

impostazioni() {
  "$IMPOSTA" "$PROG/Qod_S.INI" --collegamento 127.0.0.1 "$1" QSYS PW 0 "" 1 \
    Generale "Fine Collegamento Ora" 235959 Generale "Inizio Collegamento Ora" 000000 \
    Generale "Tempo Ciclo" 50 Generale "Log" S Generale "Max Pagine Blocco" "${2:-0}" >/dev/null
}

avvia_server() {
  mkdir -p -m 0700 "$D/runtime"
  (cd "$PROG" && QOD_DRIVE_C="$D/c" TMPDIR="$D/tmp" XDG_RUNTIME_DIR="$D/runtime" exec setpriv --pdeathsig KILL "$QOD_S" /AUTO >"$D/Qod_S.out" 2>&1) &
  SPID=$!
  PIDS+=($SPID)
}

# Sends SIGTERM and waits for the end, 20 s at the most (then SIGKILL):
# sets FINE_MS and CODICE.
ferma_server() {
  local t0
  t0=$(ms)
  kill -TERM "$SPID"
  (
    trap 'kill "$!" 2>/dev/null; exit 0' TERM
    sleep 20 &
    wait "$!"
    kill -KILL "$SPID" 2>/dev/null
  ) &
  local guardia=$!
  CODICE=0
  wait "$SPID" || CODICE=$?
  FINE_MS=$(($(ms) - t0))
  kill -TERM "$guardia" 2>/dev/null || true
  wait "$guardia" 2>/dev/null || true
}

ESITO=0
riporta() {
  local caso=$1 nota=$2; shift 2
  local guasti=()
  [ "$CODICE" -eq 0 ] || guasti+=("exit status $CODICE")
  [ "$FINE_MS" -le 2000 ] || guasti+=("ended after ${FINE_MS} ms")
  local log
  log=$(iconv -f WINDOWS-1252 -t UTF-8 "$PROG/Qod_S.LOG" 2>/dev/null | tr -d '\r' || true)
  grep -q "Programma terminato su richiesta del sistema" <<<"$log" || guasti+=("no orderly end in the log")
  if grep -q "Errore" <<<"$log"; then guasti+=("log: $(grep "Errore" <<<"$log" | head -1)"); fi
  if [ "$caso" = mail ]; then
    ! grep -q "abbandonato" <<<"$log" || guasti+=("abandoned")
    grep -q "Arresto richiesto: il comando è ancora in esecuzione, processo [0-9]" <<<"$log" ||
      guasti+=("the command left running is not logged")
    [ -n "$(ls -A "$HOST/fatti" 2>/dev/null)" ] || guasti+=("no done record reached the host")
    [ ! -d "$HOST/coda/0001_LUNGO" ] || guasti+=("the spool file is still in the host's queue")
  elif [ "$caso" != connect ]; then
    grep -q "abbandonato" <<<"$log" || guasti+=("not abandoned")
    [ -z "$(ls -A "$HOST/fatti" 2>/dev/null)" ] || guasti+=("a done record reached the host")
    [ -d "$HOST/coda/0001_LUNGO" ] || guasti+=("the spool file left the host's queue")
  fi
  guasti+=("$@")
  if [ ${#guasti[@]} -eq 0 ]; then
    printf '%-8s ok    ended %4d ms after SIGTERM; %s\n' "$caso" "$FINE_MS" "$nota"
  else
    printf '%-8s FAIL  ended %4d ms after SIGTERM; %s; %s\n' "$caso" "$FINE_MS" "$nota" "$(IFS=';'; echo "${guasti[*]}")"
    ESITO=1
  fi
}

# Files under a temporary name, and final names that are not whole.
uscita_guasti() {
  local cartella=$1 f
  for f in "$cartella"/* "$cartella"/.[!.]*; do
    [ -e "$f" ] || continue
    case "$f" in
      */modello.xml) ;;
      *.xml) xmllint --noout "$f" >/dev/null 2>&1 || echo "partial $(basename "$f")" ;;
      *.PDF) qpdf --check "$f" >/dev/null 2>&1 || echo "partial $(basename "$f")" ;;
      *.PNG) pngcheck -q "$f" >/dev/null 2>&1 || echo "partial $(basename "$f")" ;;
      *) echo "temporary $(basename "$f")" ;;
    esac
  done
}

# After the stop of a print on queue $1: RESTO, the jobs left in CUPS;
# STAMPATI, the jobs printed; GUASTI, what is wrong (job files left too).
dopo_stampa() {
  sleep 0.3
  RESTO=$(lavori_in_coda)
  STAMPATI=$(find "$CUPS_DIR/jobs/$1" -name 'job-*.pdf' | wc -l)
  GUASTI=()
  [ "$RESTO" -eq 0 ] || GUASTI+=("$RESTO jobs left in the queue")
  [ "$STAMPATI" -eq 0 ] || GUASTI+=("$STAMPATI jobs printed")
  [ -z "$(ls -A "$D/tmp")" ] || GUASTI+=("job files left: $(ls "$D/tmp")")
}

caso_print() {
  IMMAGINE_CASO=$IMMAGINE_STAMPA prepara print "stampa = S
stampante_1 = Lenta
modo_scala = A" 1200
  impostazioni "$PORTA" 10
  avvia_server
  # Inside the print: a job handed to CUPS (held by the printer) and the second being drawn.
  attendi 300 almeno_lavori 2 || true
  local prima
  prima=$(lavori_in_coda)
  ferma_server
  dopo_stampa Lenta
  [ "$prima" -ge 2 ] || GUASTI+=("not printing at the stop")
  riporta print "$prima jobs in CUPS at the stop, $RESTO after it, $STAMPATI printed" "${GUASTI[@]}"
}

caso_copies() {
  IMMAGINE_CASO=$IMMAGINE_STAMPA prepara copies "stampa = S
stampante_1 = Laser
copie = 9999
copie_server = S" 2
  impostazioni "$PORTA" 0
  avvia_server
  attendi 60 almeno_lavori 1 || true
  sleep 1
  local pdf
  pdf=$( (du -k "$D"/tmp/qod-stampa-*.pdf 2>/dev/null || true) | awk '{s += $1} END {print s + 0}')
  ferma_server
  dopo_stampa Laser
  [ "$pdf" -gt 0 ] || GUASTI+=("not printing at the stop")
  riporta copies "the job's PDF at ${pdf} KB at the stop, $RESTO jobs after it, $STAMPATI printed" "${GUASTI[@]}"
}

# caso_salva CASE PDF: 1500 one-page documents saved, stopped after the first file.
caso_salva() {
  local caso=$1 pdf=$2 estensione
  [ "$pdf" = S ] && estensione=PDF || estensione=PNG
  prepara "$caso" "salva = S
salva_pdf = $pdf
cartella = \"C:\\Uscita\"
pdf_left = 0
pdf_top = 0
pdf_width = 2100
pdf_height = 2970" 1500
  impostazioni "$PORTA" 0
  avvia_server
  attendi 300 compgen -G "$D/c/Uscita/*.$estensione" >/dev/null || true
  local prima fatti guasti
  prima=$(find "$D/c/Uscita" -name "*.$estensione" | wc -l)
  ferma_server
  fatti=$(find "$D/c/Uscita" -name "*.$estensione" | wc -l)
  guasti=$(uscita_guasti "$D/c/Uscita")
  local g=()
  [ "$fatti" -ge 1 ] && [ "$fatti" -lt 1500 ] || g+=("$fatti files")
  [ -z "$guasti" ] || g+=("$guasti")
  riporta "$caso" "$prima of 1500 files written just before the stop, $fatti after it, all whole" "${g[@]}"
}

# The XML output of 1500 documents, each with its data request to the host,
# stopped after its first file: a document begun before the stop may end, no
# other begins (each data request has its file but for one a stop cut short).
caso_xml() {
  prepara xml "salva = S
salva_pdf = S
consegna = X
pdf_left = 0
pdf_top = 0
pdf_width = 2100
pdf_height = 2970" 1500
  cat >>"$HOST/coda/0001_LUNGO/definizioni.txt" <<'EOF'
M | 1 |        | 0 | 0 | 21 | C | R | C:\Uscita\modello.xml
M | 2 |        | 0 | 0 | 10 | C |   | C:\Uscita\
M | 2 |        | 1 | 1 | 6  | A | R |
M | 2 |        | 0 | 0 | 4  | C |   | .xml
M | 3 |        | 0 | 0 | 10 | C |   | C:\Uscita\
M | 3 |        | 1 | 1 | 6  | A | R |
M | 3 |        | 0 | 0 | 4  | C |   | .PDF
M | 4 |        | 1 | 1 | 6  | A | R |
M | 5 |        | 0 | 0 | 4  | C |   | DATI
M | 6 | CHIAVE | 1 | 1 | 6  | A | R |
EOF
  printf '<documento>\r\n  <chiave>CHIAVE</chiave>\r\n</documento>\r\n' >"$D/c/Uscita/modello.xml"
  impostazioni "$PORTA" 0
  avvia_server
  attendi 300 compgen -G "$D/c/Uscita/D*.xml" >/dev/null || true
  local prima fatti richieste guasti
  prima=$(find "$D/c/Uscita" -name 'D*.xml' | wc -l)
  ferma_server
  sleep 0.3
  fatti=$(find "$D/c/Uscita" -name 'D*.xml' | wc -l)
  richieste=$(grep -c $'\tN01034' "$HOST/hostsim.log" || true)
  guasti=$(uscita_guasti "$D/c/Uscita")
  local g=()
  [ "$fatti" -ge 1 ] && [ "$fatti" -lt 1500 ] || g+=("$fatti files")
  [ "$richieste" -ge "$fatti" ] && [ "$richieste" -le $((fatti + 1)) ] ||
    g+=("$richieste data requests for $fatti files")
  [ -z "$guasti" ] || g+=("$guasti")
  riporta xml "$prima of 1500 XML files written just before the stop, $fatti after it ($richieste data requests), all whole" \
    "${g[@]}"
}

# Two stop requests a second apart once the mail command (20 s) has started.
caso_mail() {
  prepara mail "salva = S
salva_pdf = S
consegna = P
cartella = \"C:\\Uscita\"
pdf_left = 0
pdf_top = 0
pdf_width = 2100
pdf_height = 2970" 3
  cat >>"$HOST/coda/0001_LUNGO/definizioni.txt" <<'EOF'
E | 1 | 0 | 0 | 9  | C | R | lista.txt
E | 2 | 1 | 1 | 6  | A | R |
E | 2 | 0 | 0 | 4  | C |   | .PDF
E | 3 | 2 | 1 | 13 | A | R |
E | 4 | 0 | 0 | 12 | C | R | C:\Bin\posta
EOF
  mkdir -p "$D/c/Bin"
  printf '#!/bin/sh\nd=$(dirname "$0")\necho $$ >> "$d/avvii"\nsleep 20\necho fine >> "$d/segni"\n' >"$D/c/Bin/posta"
  chmod 0755 "$D/c/Bin/posta"
  impostazioni "$PORTA" 0
  avvia_server
  attendi 300 test -s "$D/c/Bin/avvii" || true
  local t0 fine="" g=()
  t0=$(ms)
  kill -TERM "$SPID"
  # A second later the second request, unless the program has ended by then.
  for _ in $(seq 20); do
    if [ ! -d "/proc/$SPID" ] || [ "$(cut -d' ' -f3 "/proc/$SPID/stat" 2>/dev/null)" = Z ]; then
      fine=$(ms)
      break
    fi
    sleep 0.05
  done
  local richieste="one stop request (the program had ended a second later)"
  if [ -z "$fine" ]; then
    kill -TERM "$SPID" 2>/dev/null || true
    richieste="two stop requests a second apart"
  fi
  CODICE=0
  wait "$SPID" || CODICE=$?
  FINE_MS=$((${fine:-$(ms)} - t0))
  [ -s "$D/c/Bin/avvii" ] || g+=("the command did not start")
  # The command goes on by itself to its end, once.
  attendi 30 test -s "$D/c/Bin/segni" || g+=("the command did not end")
  [ "$(wc -l <"$D/c/Bin/avvii" 2>/dev/null || echo 0)" -eq 1 ] || g+=("the command did not run once")
  [ "$(grep -c $'\tD000' "$HOST/hostsim.log" || true)" -eq 1 ] || g+=("not one done record")
  riporta mail "$richieste while the mail command ran; the command ended by itself, once" "${g[@]}"
}

caso_connect() {
  prepara connect "" 1
  # A listener whose queue is full: the kernel answers no further handshake.
  python3 - "$D/pieno" <<'EOF' &
import socket, sys, time
l = socket.socket()
l.bind(("127.0.0.1", 0))
l.listen(0)
riempi = []
for _ in range(4):
    s = socket.socket()
    s.setblocking(False)
    try:
        s.connect(l.getsockname())
    except BlockingIOError:
        pass
    riempi.append(s)
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write(str(l.getsockname()[1]))
import os
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
time.sleep(3600)
EOF
  PIDS+=($!)
  attendi 10 test -s "$D/pieno"
  impostazioni "$(cat "$D/pieno")" 0
  avvia_server
  sleep 1.5  # in the first connect, whose limit is 20 s
  ferma_server
  riporta connect "stopped 1.5 s into a connect that is never answered"
}

caso_send() {
  prepara send "archivia = S" 1 --slow-reader 64:100 --receive-buffer 4096
  impostazioni "$PORTA" 0
  avvia_server
  # The document opened in the archive, its first chunk going out.
  attendi 120 grep -q $'\tC00010' "$HOST/hostsim.log" || true
  sleep 0.5
  ferma_server
  local w
  w=$(grep -c $'\tW' "$HOST/hostsim.log" || true)
  riporta send "stopped while the host was reading the first chunk at 640 bytes a second ($w chunks read whole)"
}

for c in "${CASI[@]}"; do
  # Every case starts with empty queues.
  cancel -a -x 2>/dev/null || true
  case "$c" in
    print) caso_print ;;
    copies) caso_copies ;;
    pdf) caso_salva pdf S ;;
    images) caso_salva images N ;;
    xml) caso_xml ;;
    mail) caso_mail ;;
    connect) caso_connect ;;
    send) caso_send ;;
    *) echo "unknown case: $c" >&2; exit 2 ;;
  esac
  for p in "${PIDS[@]:1}"; do kill -TERM "$p" 2>/dev/null || true; done
  PIDS=("${PIDS[0]}")
done
exit $ESITO
