// qod_hostsim: the stand-in for the host's FTP server and the host program.
// See README.md beside this file.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "archivio.h"
#include "ebcdic.h"
#include "host.h"
#include "opzioni.h"
#include "registro.h"
#include "rete.h"

using namespace hostsim;

int main(int argc, char** argv) {
  // Signals are taken by this thread alone, with sigwait below.
  sigset_t segnali;
  sigemptyset(&segnali);
  sigaddset(&segnali, SIGTERM);
  sigaddset(&segnali, SIGINT);
  sigaddset(&segnali, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &segnali, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  // Memory that requests and the archive store give back is kept for the
  // next ones rather than returned to the system and faulted in again.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 1 << 20);

  Opzioni o;
  bool aiuto = false;
  std::string tabella, cartella;
  o.Vero("help", "this text", aiuto);
  o.Testo("dir", "DIR", "working folder: the log and the ready file are named from it", cartella);
  o.Testo("write-table", "FILE", "write the conversion table file (Qod_TBL1.Tbl, 262 bytes) and exit", tabella);
  Configurazione c;
  c.Opzioni_Dichiara(o);
  auto moduli = Moduli_Crea();
  for (auto& m : moduli) m->Opzioni_Dichiara(o);

  const std::string uso =
      "qod_hostsim: stand-in for the host's FTP server and host program.\n\n"
      "usage: qod_hostsim [--config FILE] [options]\n\n"
      "  --config FILE               options from section [hostsim] of FILE (keys named as the options)\n" +
      o.Aiuto() +
      "  (--help also as -h, /?; a file that begins with \"-\" is written ./-name, a new one at the root /./name)\n";
  // The whole command line is looked at before the settings file is read
  // or anything made.
  const qod::Uso_Strumento controllo{"qod_hostsim", uso, o.Elenco(), true};
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(controllo, argc, argv, &voci)) return *fine;
  for (const auto& v : voci)
    if (v.opzione.empty()) return qod::Uso_Rifiuta(controllo, "unexpected argument " + v.valori[0]);
  std::string errore;
  if (!o.Analizza(std::vector<std::string>(argv + 1, argv + argc), errore)) {
    std::fprintf(stderr, "qod_hostsim: %s\n\n%s", errore.c_str(), uso.c_str());
    return 2;
  }
  if (aiuto) {
    std::fputs(uso.c_str(), stdout);
    return 0;
  }
  const Ebcdic& e = Ebcdic::Standard();
  if (!e.Valida()) {
    std::fprintf(stderr, "qod_hostsim: iconv has no IBM280 <-> CP1252 conversion\n");
    return 2;
  }
  if (!tabella.empty()) {
    const std::string dati = e.Tabella_File();
    std::FILE* f = std::fopen(tabella.c_str(), "wb");
    if (!f || std::fwrite(dati.data(), 1, dati.size(), f) != dati.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "qod_hostsim: cannot write %s\n", tabella.c_str());
      return 1;
    }
    return 0;
  }
  if (!cartella.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(cartella, ec);
    if (::chdir(cartella.c_str()) != 0) {
      std::fprintf(stderr, "qod_hostsim: cannot enter %s\n", cartella.c_str());
      return 1;
    }
  }
  for (auto& m : moduli)
    if (!m->Prepara(errore)) {
      std::fprintf(stderr, "qod_hostsim: %s\n", errore.c_str());
      return 2;
    }
  Gestori gestori;
  for (auto& m : moduli) m->Gestori_Registra(gestori);

  Registro registro;
  if (c.file_log.empty()) c.file_log = "hostsim.log";
  if (!registro.Apri(c.file_log)) {
    std::fprintf(stderr, "qod_hostsim: cannot open the log %s\n", c.file_log.c_str());
    return 1;
  }
  Server server(c, gestori, registro, [] { Archivio::Store().Sincronizza(); });
  if (!server.Avvia(errore)) {
    std::fprintf(stderr, "qod_hostsim: %s\n", errore.c_str());
    return 1;
  }
  std::printf("qod_hostsim: ftp=%d record=%d\n", server.Porta_Ftp(), server.Porta_Record());
  std::fflush(stdout);

  int segnale = 0;
  sigwait(&segnali, &segnale);
  // The archive store's files and the whole log are written before the end.
  Archivio::Store().Sincronizza();
  registro.Evento(0, "stop");
  registro.Chiudi();
  std::fflush(nullptr);
  std::_Exit(0);
}
