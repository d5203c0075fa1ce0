// The spool queue: keep-alive ("P"), the next spool file ("S"), its format,
// mail and XML definitions ("F", "E", "M"), its print data in blocks ("G")
// and the done record ("D"), which takes the spool file off the queue.
//
// Several servers may serve one queue, each with its own server index (the
// body of "S"): a spool file handed to one is not offered to another until
// it is done or the connection that took it ends.
//
// The queue is a folder; each spool file is a folder in it (served in name
// order) holding
//   dati.scs         the print data, raw EBCDIC bytes as the host keeps them
//                    (or dati.txt, the same written readably);
//   attributi.txt    the attribute record as "name = value" lines, encoded
//                    here into the 1118-byte record (or attributi.bin, the
//                    1118 bytes as they stand);
//   definizioni.txt  the definition rows ("F", "E", "M" lines), optional;
//   dati_n.txt       the XML data rows ("N" requests, dati_xml.h), optional.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "archivio.h"
#include "dati_xml.h"
#include "host.h"
#include "qod/ansi.h"

namespace hostsim {

namespace {

namespace fs = std::filesystem;

constexpr size_t kRecord = 1118;

// The layout of the attribute record: name, position, kind, width, decimals.
struct Campo_Record {
  const char* nome;
  int posizione;
  char tipo;  // 'A' text, 'S' zoned, 'B' binary (4 bytes)
  int larghezza;
  int decimali;
};

constexpr Campo_Record kCampi[] = {
    {"formato", 1, 'A', 20, 0},          {"archivio_21", 21, 'A', 10, 0},     {"archivio_31", 31, 'A', 10, 0},
    {"file_spool", 41, 'A', 10, 0},      {"coda", 51, 'A', 10, 0},            {"libreria", 61, 'A', 10, 0},
    {"dati_utente", 71, 'A', 10, 0},     {"tipo_modulo", 81, 'A', 10, 0},     {"stato_salvataggio", 91, 'A', 10, 0},
    {"lavoro", 101, 'A', 10, 0},         {"utente", 111, 'A', 10, 0},         {"numero_lavoro", 121, 'A', 6, 0},
    {"copie", 127, 'B', 4, 0},           {"pagine", 131, 'B', 4, 0},          {"campo_135", 135, 'B', 4, 0},
    {"dimensione_dati", 139, 'B', 4, 0}, {"numero_spool", 143, 'B', 4, 0},    {"prima_pagina", 147, 'B', 4, 0},
    {"ultima_pagina", 151, 'B', 4, 0},   {"campo_155", 155, 'B', 4, 0},       {"campo_159", 159, 'B', 4, 0},
    {"campo_163", 163, 'B', 4, 0},       {"campo_167", 167, 'B', 4, 0},       {"campo_171", 171, 'B', 4, 0},
    {"campo_175", 175, 'B', 4, 0},       {"campo_179", 179, 'A', 40, 0},      {"campo_219", 219, 'A', 10, 0},
    {"campo_229", 229, 'A', 10, 0},      {"campo_239", 239, 'S', 5, 0},       {"stampa", 244, 'A', 1, 0},
    {"archivia", 245, 'A', 1, 0},        {"stampante_1", 246, 'A', 50, 0},    {"orientamento", 296, 'A', 1, 0},
    {"margine_sinistro", 297, 'S', 5, 0}, {"margine_destro", 302, 'S', 5, 0}, {"margine_alto", 307, 'S', 5, 0},
    {"margine_basso", 312, 'S', 5, 0},   {"scala_verticale", 317, 'S', 5, 4}, {"scala_orizzontale", 322, 'S', 5, 4},
    {"modo_scala", 327, 'A', 1, 0},      {"centra_orizzontale", 328, 'A', 1, 0}, {"centra_verticale", 329, 'A', 1, 0},
    {"copie_server", 330, 'A', 1, 0},    {"colore", 331, 'A', 1, 0},          {"risoluzione_x", 332, 'S', 5, 0},
    {"risoluzione_y", 337, 'S', 5, 0},   {"stampante_2", 342, 'A', 50, 0},    {"cassetto", 392, 'S', 5, 0},
    {"indirizzo_stampante", 417, 'A', 15, 0}, {"controllo_stato", 432, 'A', 1, 0}, {"salva", 433, 'A', 1, 0},
    {"campo_439", 439, 'A', 40, 0},      {"txt_cols", 479, 'S', 4, 0},        {"txt_rows", 483, 'S', 4, 0},
    {"txt_left", 487, 'S', 4, 0},        {"txt_top", 491, 'S', 4, 0},         {"txt_col_dim", 495, 'S', 4, 0},
    {"txt_row_dim", 499, 'S', 4, 0},     {"txt_orie", 503, 'S', 1, 0},        {"fnt_file", 504, 'A', 25, 0},
    {"fnt_width", 529, 'S', 4, 0},       {"fnt_height", 533, 'S', 4, 0},      {"fnt_left", 537, 'S', 4, 0},
    {"fnt_top", 541, 'S', 4, 0},         {"fnt_mode", 545, 'S', 1, 0},        {"im1_file", 546, 'A', 25, 0},
    {"im1_width", 571, 'S', 4, 0},       {"im1_height", 575, 'S', 4, 0},      {"im1_left", 579, 'S', 4, 0},
    {"im1_top", 583, 'S', 4, 0},         {"im1_src_left", 587, 'S', 4, 0},    {"im1_src_top", 591, 'S', 4, 0},
    {"im1_mode", 595, 'S', 1, 0},        {"im1_zoomx", 596, 'S', 5, 2},       {"im1_zoomy", 601, 'S', 5, 2},
    {"indice_33", 606, 'A', 4, 0},       {"campo_610", 610, 'A', 10, 0},      {"indice_1", 620, 'A', 1, 0},
    {"record_grezzo", 621, 'A', 1, 0},   {"indice_2", 622, 'A', 10, 0},       {"copie_forzate", 632, 'S', 4, 0},
    {"stampa_forzata", 636, 'A', 1, 0},  {"archivia_forzata", 637, 'A', 1, 0}, {"salva_forzato", 638, 'A', 1, 0},
    {"esito_finale", 639, 'A', 1, 0},    {"consegna", 640, 'A', 1, 0},        {"im2_file_2", 659, 'A', 25, 0},
    {"im2_file_3", 684, 'A', 25, 0},     {"im2_file_4", 709, 'A', 25, 0},     {"im2_file_5", 734, 'A', 25, 0},
    {"im2_width", 759, 'S', 4, 0},       {"im2_height", 763, 'S', 4, 0},      {"im2_left", 767, 'S', 4, 0},
    {"im2_top", 771, 'S', 4, 0},         {"im2_src_left", 775, 'S', 4, 0},    {"im2_src_top", 779, 'S', 4, 0},
    {"im2_mode", 783, 'S', 1, 0},        {"im2_zoomx", 784, 'S', 5, 2},       {"im2_zoomy", 789, 'S', 5, 2},
    {"out_width", 819, 'S', 4, 0},       {"out_height", 823, 'S', 4, 0},      {"tipo_immagine", 827, 'A', 1, 0},
    {"sfondo_r", 828, 'S', 4, 0},        {"sfondo_g", 832, 'S', 4, 0},        {"sfondo_b", 836, 'S', 4, 0},
    {"out_resx", 840, 'S', 4, 0},        {"out_resy", 844, 'S', 4, 0},        {"jpg_otti", 848, 'A', 1, 0},
    {"jpg_qual", 849, 'S', 4, 0},        {"jpg_atte", 853, 'S', 4, 0},        {"rows_strip", 857, 'S', 4, 0},
    {"tif_multip", 861, 'A', 1, 0},      {"out_zoomx", 862, 'S', 5, 2},       {"out_zoomy", 867, 'S', 5, 2},
    {"campo_872", 872, 'S', 4, 0},       {"campo_876", 876, 'S', 4, 0},       {"indice_127", 880, 'A', 1, 0},
    {"campo_881", 881, 'S', 4, 0},       {"campo_885", 885, 'S', 4, 0},       {"campo_889", 889, 'S', 4, 0},
    {"campo_893", 893, 'S', 4, 0},       {"campo_897", 897, 'S', 4, 0},       {"campo_901", 901, 'A', 1, 0},
    {"campo_902", 902, 'S', 4, 0},       {"campo_906", 906, 'S', 4, 0},       {"campo_910", 910, 'S', 4, 0},
    {"campo_914", 914, 'A', 1, 0},       {"campo_915", 915, 'S', 5, 2},       {"campo_920", 920, 'S', 5, 2},
    {"pdf_left", 925, 'S', 4, 0},        {"pdf_top", 929, 'S', 4, 0},         {"pdf_width", 933, 'S', 4, 0},
    {"pdf_height", 937, 'S', 4, 0},      {"pdf_pag_left", 941, 'S', 4, 0},    {"pdf_pag_top", 945, 'S', 4, 0},
    {"salva_pdf", 949, 'A', 1, 0},       {"pdf_pag", 950, 'A', 1, 0},         {"cartella", 999, 'A', 100, 0},
};

const Campo_Record* Campo_Trova(const std::string& nome) {
  for (const auto& c : kCampi)
    if (nome == c.nome || nome == std::to_string(c.posizione)) return &c;
  return nullptr;
}

// A decimal number ("12", "-3", "100.50") scaled by 10^decimali; false when
// it is not one.
bool Numero_Scalato(const std::string& t, int decimali, int64_t& v) {
  std::string s = qod::Trim(t);
  bool negativo = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negativo = s[0] == '-';
    s.erase(0, 1);
  }
  std::string intera = s, frazione;
  if (auto p = s.find('.'); p != std::string::npos) {
    intera = s.substr(0, p);
    frazione = s.substr(p + 1);
  }
  if (intera.empty() && frazione.empty()) return false;
  if (intera.find_first_not_of("0123456789") != std::string::npos ||
      frazione.find_first_not_of("0123456789") != std::string::npos || intera.size() > 15)
    return false;
  frazione.resize(static_cast<size_t>(decimali), '0');
  const std::string cifre = intera + frazione.substr(0, static_cast<size_t>(decimali));
  v = cifre.empty() ? 0 : std::stoll(cifre);
  if (negativo) v = -v;
  return true;
}

std::string Leggi_Tutto(const fs::path& f, bool& ok) {
  std::ifstream in(f, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// "a | b | c" into at most `n` trimmed fields; the last takes the rest.
std::vector<std::string> Dividi(const std::string& riga, size_t n) {
  std::vector<std::string> r;
  size_t inizio = 0;
  while (r.size() + 1 < n) {
    size_t p = riga.find('|', inizio);
    if (p == std::string::npos) break;
    r.push_back(qod::Trim(riga.substr(inizio, p - inizio)));
    inizio = p + 1;
  }
  r.push_back(qod::Trim(riga.substr(inizio)));
  return r;
}

// The readable form of print data (dati.txt, UTF-8): text as it stands, a
// file line end as New Line except right after <FF>, and controls in angle
// brackets: <FF> <CR> <NL> <AVPP n> <AHPP n> <RVPP n> <RHPP n> <SLD n>,
// <2B cc hh ...> (class and parameters in hex, the length byte added),
// <HEX hh ...> (bytes as they stand); "<<" is a "<".
bool Scs_Componi(const std::string& sorgente, std::string& uscita, std::string& errore) {
  const Ebcdic& e = Ebcdic::Standard();
  const std::string ansi = qod::Utf8_A_Ansi(sorgente);
  uscita.clear();
  auto esa = [](const std::string& t, int& v) {
    char* fine = nullptr;
    long n = std::strtol(t.c_str(), &fine, 16);
    v = static_cast<int>(n);
    return !t.empty() && *fine == 0 && n >= 0 && n <= 255;
  };
  for (size_t i = 0; i < ansi.size(); ++i) {
    const char c = ansi[i];
    if (c == '\r') continue;
    if (c == '\n') {
      if (!(uscita.size() > 0 && uscita.back() == '\x0C' && i > 0 && ansi[i - 1] == '>')) uscita.push_back('\x15');
      continue;
    }
    if (c != '<') {
      uscita.push_back(static_cast<char>(e.Da_Ansi(static_cast<unsigned char>(c))));
      continue;
    }
    if (i + 1 < ansi.size() && ansi[i + 1] == '<') {
      uscita.push_back(static_cast<char>(e.Da_Ansi('<')));
      ++i;
      continue;
    }
    const size_t chiusa = ansi.find('>', i);
    if (chiusa == std::string::npos) return errore = "a \"<\" that never closes", false;
    std::istringstream parti(ansi.substr(i + 1, chiusa - i - 1));
    std::vector<std::string> p;
    for (std::string t; parti >> t;) p.push_back(qod::UCase(t));
    i = chiusa;
    if (p.empty()) return errore = "an empty control <>", false;
    const std::string& nome = p[0];
    if (nome == "FF" || nome == "CR" || nome == "NL") {
      uscita.push_back(nome == "FF" ? '\x0C' : nome == "CR" ? '\x0D' : '\x15');
    } else if (nome == "AVPP" || nome == "AHPP" || nome == "RVPP" || nome == "RHPP" || nome == "SLD") {
      int n = 0;
      if (p.size() != 2 || !Intero_Da_Testo(p[1], n) || n < 0 || n > 255)
        return errore = "<" + nome + " n> with n from 0 to 255", false;
      if (nome == "SLD") {
        uscita += std::string("\x2B\xC6\x02", 3);
      } else {
        uscita.push_back('\x34');
        uscita.push_back(nome == "AVPP" ? '\xC4' : nome == "AHPP" ? '\xC0' : nome == "RVPP" ? '\x4C' : '\xC8');
      }
      uscita.push_back(static_cast<char>(n));
    } else if (nome == "2B" || nome == "HEX") {
      std::string byte;
      for (size_t k = 1; k < p.size(); ++k) {
        int v = 0;
        if (!esa(p[k], v)) return errore = "<" + nome + " ...> takes hex bytes", false;
        byte.push_back(static_cast<char>(v));
      }
      if (nome == "2B") {
        if (byte.empty() || byte.size() > 255) return errore = "<2B cc ...> needs a class byte", false;
        uscita.push_back('\x2B');
        uscita.push_back(byte[0]);
        uscita.push_back(static_cast<char>(byte.size()));
        uscita += byte.substr(1);
      } else {
        uscita += byte;
      }
    } else {
      return errore = "unknown control <" + nome + ">", false;
    }
  }
  return true;
}

struct File_Spool {
  std::string nome;            // the folder's name
  std::string record;          // 1118 bytes, EBCDIC
  std::string dati;            // the print data
  std::vector<std::string> f, e, m;  // definition rows, EBCDIC bodies
  std::vector<Riga_Dati_N> n;        // XML data rows
};

class Spool : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni& o) override {
    o.Testo("spool-queue", "DIR",
            "the spool queue: one folder per spool file (dati.scs, attributi.txt or attributi.bin, definizioni.txt)",
            coda_);
    o.Testo("spool-done", "DIR", "where a spool file goes when its done record arrives (default: spool-done)",
            fatti_);
    o.Testo("window", "END:RESTART",
            "the connection window sent with every keep-alive, two yyyymmddhhnnss stamps "
            "(default 20991231230000:20991231233000)",
            finestra_);
    o.Intero("spool-block", "N", "bytes of print data per block (default 8186)", blocco_, 1, 8192);
  }

  bool Prepara(std::string& errore) override {
    if (fatti_.empty()) fatti_ = "spool-done";
    if (finestra_.empty()) finestra_ = "20991231230000:20991231233000";
    if (finestra_.size() != 29 || finestra_[14] != ':') {
      errore = "--window: expected END:RESTART, two 14-digit stamps";
      return false;
    }
    if (!coda_.empty()) {
      coda_ = fs::absolute(coda_).string();
      fatti_ = fs::absolute(fatti_).string();
      std::error_code ec;
      fs::create_directories(coda_, ec);
    }
    return true;
  }

  void Gestori_Registra(Gestori& g) override {
    // Keep-alive: the end and the restart of the connection window.
    g.Registra("P", [this](Sessione&, const Richiesta&) {
      return Risposta::Una('0', Corpo().Testo(finestra_.substr(0, 14), 14).Testo(finestra_.substr(15), 14));
    });
    // The next spool file: the first of the queue that no other server has
    // taken; for one server the same spool file until its done record.
    g.Registra("S", [this](Sessione& s, const Richiesta& r) {
      auto& stato = stati_[s.id];
      stato.corrente.reset();
      const std::string server = Server_Di(s, r);
      std::erase_if(presi_, [&](const auto& p) { return p.second.server == server; });
      if (auto f = Prossimo(server)) {
        presi_[f->nome] = Presa{server, s.id};
        stato.corrente = std::make_unique<File_Spool>(std::move(*f));
        return Risposta::Una('0', Corpo().Grezzo(stato.corrente->record));
      }
      return Risposta::Una('1');
    });
    // A connection that ends gives back what it took.
    g.Alla_Chiusura([this](Sessione& s) {
      std::erase_if(presi_, [&](const auto& p) { return p.second.sessione == s.id; });
      stati_.erase(s.id);
    });
    g.Registra("F", [this](Sessione& s, const Richiesta& r) { return Riga(s, r, 'F'); });
    g.Registra("E", [this](Sessione& s, const Richiesta& r) { return Riga(s, r, 'E'); });
    g.Registra("M", [this](Sessione& s, const Richiesta& r) { return Riga(s, r, 'M'); });
    // Print data from any byte offset (10 digits).
    g.Registra("G", [this](Sessione& s, const Richiesta& r) {
      const File_Spool* f = stati_[s.id].corrente.get();
      int offset = -1;
      const std::string corpo = r.Corpo_Testo();
      if (!f || corpo.size() < 10 || !Intero_Da_Testo(corpo.substr(0, 10), offset) || offset < 0 ||
          static_cast<size_t>(offset) >= f->dati.size())
        return Risposta::Una('9');
      return Risposta::Una('0', Corpo().Grezzo(f->dati.substr(static_cast<size_t>(offset), static_cast<size_t>(blocco_))));
    });
    // XML data of one document: group 4 and group 5 (1034 characters).
    g.Registra("N", [this](Sessione& s, const Richiesta& r) {
      const File_Spool* f = stati_[s.id].corrente.get();
      if (!f) return Risposta::Una('9');
      return Dati_N_Risposta(f->n, r.Corpo_Testo());
    });
    // Done: server (5), spool number (9), outcome (10), one more character.
    g.Registra("D", [this](Sessione& s, const Richiesta& r) {
      auto& stato = stati_[s.id];
      if (!stato.corrente) return Risposta::Una('9');
      Togli(*stato.corrente, r.Corpo_Testo());
      presi_.erase(stato.corrente->nome);
      stato.corrente.reset();
      // What the spool file archived is in the store's files by the reply
      // (the other servers meanwhile go on).
      Risposta risposta = Risposta::Una('0');
      risposta.prima = [] { Archivio::Store().Sincronizza(); };
      return risposta;
    });
  }

 private:
  struct Stato_Sessione {
    std::unique_ptr<File_Spool> corrente;
    std::map<char, size_t> prossima;  // next definition row, by letter
  };
  // A spool file handed out: to which server, on which connection.
  struct Presa {
    std::string server;
    int sessione;
  };

  // The server that asks: its index (the body of "S", digits), or the
  // connection itself when the body holds none.
  static std::string Server_Di(const Sessione& s, const Richiesta& r) {
    const std::string t = qod::Trim(r.Corpo_Testo());
    int n = 0;
    return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos && Intero_Da_Testo(t, n)
               ? std::to_string(n)
               : "#" + std::to_string(s.id);
  }

  Risposta Riga(Sessione& s, const Richiesta& r, char lettera) {
    auto& stato = stati_[s.id];
    if (!stato.corrente) return Risposta::Una('9');
    const std::string corpo = r.Corpo_Testo();
    size_t& k = stato.prossima[lettera];
    if (corpo.size() >= 21 && corpo[20] == 'S') k = 0;
    const auto& righe = lettera == 'F' ? stato.corrente->f : lettera == 'E' ? stato.corrente->e : stato.corrente->m;
    if (k >= righe.size()) return Risposta::Una('1');
    return Risposta::Una('0', Corpo().Grezzo(righe[k++]));
  }

  // The first spool file of the queue that can be read and that no server
  // other than `server` holds; one that cannot be read is reported on stderr
  // and passed over.
  std::unique_ptr<File_Spool> Prossimo(const std::string& server) {
    if (coda_.empty()) return nullptr;
    std::vector<fs::path> cartelle;
    std::error_code ec;
    for (fs::directory_iterator it(coda_, ec), fine; !ec && it != fine; it.increment(ec))
      if (it->is_directory() && it->path().filename().string()[0] != '.') cartelle.push_back(it->path());
    std::sort(cartelle.begin(), cartelle.end());
    for (const auto& c : cartelle) {
      if (auto p = presi_.find(c.filename().string()); p != presi_.end() && p->second.server != server) continue;
      std::string errore;
      auto f = Carica(c, errore);
      if (f) return f;
      std::fprintf(stderr, "qod_hostsim: spool file %s passed over: %s\n", c.string().c_str(), errore.c_str());
    }
    return nullptr;
  }

  std::unique_ptr<File_Spool> Carica(const fs::path& cartella, std::string& errore) {
    auto f = std::make_unique<File_Spool>();
    f->nome = cartella.filename().string();
    bool ok = false;
    if (fs::exists(cartella / "dati.scs")) {
      f->dati = Leggi_Tutto(cartella / "dati.scs", ok);
    } else {
      const std::string sorgente = Leggi_Tutto(cartella / "dati.txt", ok);
      if (!ok) return errore = "no dati.scs or dati.txt", nullptr;
      if (!Scs_Componi(sorgente, f->dati, errore)) return errore = "dati.txt: " + errore, nullptr;
    }
    if (fs::exists(cartella / "attributi.bin")) {
      f->record = Leggi_Tutto(cartella / "attributi.bin", ok);
    } else if (!Record_Componi(cartella / "attributi.txt", *f, errore)) {
      return nullptr;
    }
    if (fs::exists(cartella / "definizioni.txt") && !Definizioni_Componi(cartella / "definizioni.txt", *f, errore))
      return nullptr;
    if (fs::exists(cartella / "dati_n.txt") && !Dati_N_Componi(Leggi_Tutto(cartella / "dati_n.txt", ok), f->n, errore))
      return nullptr;
    return f;
  }

  bool Record_Componi(const fs::path& file, File_Spool& f, std::string& errore) {
    const Ebcdic& e = Ebcdic::Standard();
    f.record.assign(kRecord, static_cast<char>(e.Da_Ansi(' ')));
    auto metti = [&](const Campo_Record& c, const std::string& valore) -> bool {
      std::string byte;
      if (c.tipo == 'A') {
        byte = e.Codifica(qod::Testo_Largo(valore, c.larghezza));
      } else {
        int64_t v = 0;
        if (!Numero_Scalato(valore, c.decimali, v)) return false;
        byte = c.tipo == 'S' ? Zoned(v, c.larghezza) : Binario(v, 4);
      }
      f.record.replace(static_cast<size_t>(c.posizione - 1), byte.size(), byte);
      return true;
    };
    // Defaults: numbers 0, no output asked for, the data size and the pages
    // of the print data, one copy, the spool number from the folder name.
    for (const auto& c : kCampi)
      if (c.tipo != 'A') metti(c, "0");
    size_t fogli = static_cast<size_t>(std::count(f.dati.begin(), f.dati.end(), '\x0C'));
    std::string numero;
    for (char ch : f.nome)
      if (ch >= '0' && ch <= '9' && numero.size() < 9) numero.push_back(ch);
    const std::pair<const char*, std::string> predefiniti[] = {
        {"stampa", "N"},          {"archivia", "N"},       {"salva", "N"},
        {"stampa_forzata", "*"},  {"archivia_forzata", "*"}, {"salva_forzato", "*"},
        {"copie", "1"},           {"prima_pagina", "1"},
        {"dimensione_dati", std::to_string(f.dati.size())},
        {"pagine", std::to_string(std::max<size_t>(fogli, 1))},
        {"numero_spool", numero.empty() ? "1" : numero},
    };
    for (const auto& [nome, valore] : predefiniti) metti(*Campo_Trova(nome), valore);

    bool ok = false;
    const std::string testo = Leggi_Tutto(file, ok);
    if (!ok) return errore = "no attributi.txt or attributi.bin", false;
    std::istringstream in(testo);
    int numero_riga = 0;
    for (std::string riga; std::getline(in, riga);) {
      ++numero_riga;
      if (!riga.empty() && riga.back() == '\r') riga.pop_back();
      if (qod::Trim(riga).empty() || qod::Trim(riga)[0] == '#') continue;
      const size_t uguale = riga.find('=');
      const std::string dove = "attributi.txt:" + std::to_string(numero_riga) + ": ";
      if (uguale == std::string::npos) return errore = dove + "expected name = value", false;
      const std::string nome = qod::LCase(qod::Trim(riga.substr(0, uguale)));
      std::string valore = qod::Utf8_A_Ansi(qod::Trim(riga.substr(uguale + 1)));
      if (valore.size() >= 2 && valore.front() == '"' && valore.back() == '"') valore = valore.substr(1, valore.size() - 2);
      const Campo_Record* c = Campo_Trova(nome);
      if (!c) return errore = dove + "no field " + nome, false;
      if (!metti(*c, valore)) return errore = dove + "not a number: " + valore, false;
    }
    return true;
  }

  static bool Definizioni_Componi(const fs::path& file, File_Spool& f, std::string& errore) {
    bool ok = false;
    std::istringstream in(Leggi_Tutto(file, ok));
    int numero_riga = 0;
    for (std::string riga; std::getline(in, riga);) {
      ++numero_riga;
      if (!riga.empty() && riga.back() == '\r') riga.pop_back();
      if (qod::Trim(riga).empty() || qod::Trim(riga)[0] == '#') continue;
      const std::string ansi = qod::Utf8_A_Ansi(riga);
      const std::string lettera = qod::Trim(ansi.substr(0, ansi.find('|')));
      const std::string dove = "definizioni.txt:" + std::to_string(numero_riga) + ": ";
      std::vector<std::string> c;
      auto numeri = [&](std::initializer_list<size_t> indici, std::vector<int64_t>& v) {
        for (size_t i : indici) {
          int64_t n = 0;
          if (!Numero_Scalato(c[i], 0, n)) return false;
          v.push_back(n);
        }
        return true;
      };
      std::vector<int64_t> n;
      if (lettera == "F") {
        // F | kind | number | line | last line | column | length | extraction | constant
        c = Dividi(ansi, 9);
        if (c.size() != 9 || c[1].size() != 1 || !numeri({2, 3, 4, 5, 6}, n))
          return errore = dove + "expected F|KIND|NUMBER|LINE|LAST|COLUMN|LENGTH|EXTRACTION|CONSTANT", false;
        f.f.push_back(Corpo()
                          .Testo(c[1], 1)
                          .Zoned(n[0], 5)
                          .Zoned(n[1], 3)
                          .Zoned(n[2], 3)
                          .Zoned(n[3], 3)
                          .Zoned(n[4], 3)
                          .Testo(c[7], 1)
                          .Testo(c[8], c[1] == "C" ? 300 : 20)
                          .Byte());
      } else if (lettera == "E") {
        // E | group | line | column | length | extraction | compaction | constant
        c = Dividi(ansi, 8);
        if (c.size() != 8 || !numeri({2, 3, 4}, n))
          return errore = dove + "expected E|GROUP|LINE|COLUMN|LENGTH|EXTRACTION|COMPACTION|CONSTANT", false;
        f.e.push_back(Corpo()
                          .Testo(c[1], 1)
                          .Zoned(n[0], 3)
                          .Zoned(n[1], 3)
                          .Zoned(n[2], 3)
                          .Testo(c[5], 1)
                          .Testo(c[6], 1)
                          .Testo(c[7], 60)
                          .Byte());
      } else if (lettera == "M") {
        // M | group | name | line | column | length | extraction | compaction | constant
        c = Dividi(ansi, 9);
        if (c.size() != 9 || !numeri({3, 4, 5}, n))
          return errore = dove + "expected M|GROUP|NAME|LINE|COLUMN|LENGTH|EXTRACTION|COMPACTION|CONSTANT", false;
        f.m.push_back(Corpo()
                          .Testo(c[1], 1)
                          .Testo(c[2], 10)
                          .Zoned(n[0], 3)
                          .Zoned(n[1], 4)
                          .Zoned(n[2], 4)
                          .Testo(c[6], 1)
                          .Testo(c[7], 1)
                          .Testo(c[8], 60)
                          .Byte());
      } else {
        return errore = dove + "a line starts with F, E or M", false;
      }
    }
    return true;
  }

  // Off the queue: the folder moves to the done folder, with the done
  // record in esito.txt.
  void Togli(const File_Spool& f, const std::string& record_d) {
    std::error_code ec;
    fs::create_directories(fatti_, ec);
    fs::path destinazione = fs::path(fatti_) / f.nome;
    for (int n = 2; fs::exists(destinazione); ++n) destinazione = fs::path(fatti_) / (f.nome + "." + std::to_string(n));
    fs::rename(fs::path(coda_) / f.nome, destinazione, ec);
    if (ec) {
      std::fprintf(stderr, "qod_hostsim: cannot move %s: %s\n", f.nome.c_str(), ec.message().c_str());
      return;
    }
    std::ofstream(destinazione / "esito.txt", std::ios::binary) << qod::Ansi_A_Utf8(record_d) << "\n";
  }

  std::string coda_, fatti_, finestra_;
  int blocco_ = 8186;
  std::map<int, Stato_Sessione> stati_;
  std::map<std::string, Presa> presi_;  // by the spool file's folder name
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Spool() { return std::make_unique<Spool>(); }

}  // namespace hostsim
