#include "qod/server/documenti.h"

#include "qod/basic.h"

namespace qod {

namespace {

int32_t Pagina_Nel_Documento(const Tabelle_Pagine& t, int32_t p) {
  if (p < 1 || static_cast<size_t>(p) >= t.Pagina_Documento.size()) return 1;
  return t.Pagina_Documento[static_cast<size_t>(p)];
}

std::vector<std::string> Tipi_Compattazione(const Gruppo_Campi& g) {
  std::vector<std::string> tipi;
  tipi.reserve(g.Campi.size());
  for (const auto& c : g.Campi) tipi.push_back(c.Compattazione);
  return tipi;
}

bool Inizia_Entita(std::string_view s, size_t i) {
  // s[i] is "&": "&#digits;" or "&name;" (letters, digits, "_", "-", ".").
  size_t j = i + 1;
  if (j < s.size() && s[j] == '#') {
    ++j;
    size_t cifre = j;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
    return j > cifre && j < s.size() && s[j] == ';';
  }
  auto lettera = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (j >= s.size() || !lettera(s[j])) return false;
  while (j < s.size() && (lettera(s[j]) || (s[j] >= '0' && s[j] <= '9') || s[j] == '_' || s[j] == '-' || s[j] == '.'))
    ++j;
  return j < s.size() && s[j] == ';';
}

}  // namespace

std::vector<Pagina_Resa> Pagine_Rese(const Tabelle_Pagine& t, int32_t prima, int32_t quante) {
  std::vector<Pagina_Resa> r;
  if (quante < 1) return r;
  r.reserve(static_cast<size_t>(quante));
  int32_t numero = 0;
  for (int32_t i = 1; i <= quante; ++i) {
    const int32_t p = prima + i - 1;
    Pagina_Resa pr;
    pr.Pagina = p;
    pr.Indice = i;
    pr.Inizio = i == 1 || Pagina_Nel_Documento(t, p) == 1;
    numero = pr.Inizio ? 1 : numero + 1;
    pr.Numero = numero;
    pr.Fine = i == quante || Pagina_Nel_Documento(t, p + 1) == 1;
    r.push_back(pr);
  }
  return r;
}

std::string Gruppo_Espandi(Server_Base& base, std::string valore, const Gruppo_Campi& g, bool pulisci) {
  valore = base.Nome_File_Espandi(std::move(valore), " ", pulisci);
  return Record_Comprimi(std::move(valore), Tipi_Compattazione(g), g.Inizi, g.Numero());
}

std::string& Valore_Gruppo(Tabelle_Pagine& t, int gruppo, int32_t pagina) {
  static thread_local std::string vuoto;
  if (gruppo < 1 || gruppo > kGruppi) return vuoto = std::string();
  auto& valori = t.Valori_Gruppo[static_cast<size_t>(gruppo)];
  if (pagina < 1 || static_cast<size_t>(pagina) >= valori.size()) return vuoto = std::string();
  return valori[static_cast<size_t>(pagina)];
}

void Spool_Campi(Server_Base& base, Tabelle_Pagine& t, const Gruppi_Campi& gruppi, const std::vector<Pagina_Resa>& pagine) {
  // The document and page counters start again.
  base.Contatore_Documento = 0;
  base.Contatore_Pagina = 0;
  if (pagine.empty()) return;
  auto espandi = [&](int g, int32_t p, bool pulisci) {
    std::string& v = Valore_Gruppo(t, g, p);
    v = Gruppo_Espandi(base, v, gruppi[static_cast<size_t>(g)], pulisci);
  };
  // Expand the list file name and the command from the first page rendered.
  espandi(1, pagine.front().Pagina, true);
  espandi(4, pagine.front().Pagina, false);
  // Expand the PDF name and the list line of every page.
  for (const auto& pr : pagine) {
    base.Contatore_Pagina = pr.Numero;
    if (pr.Numero == 1) ++base.Contatore_Documento;
    espandi(2, pr.Pagina, true);
    espandi(3, pr.Pagina, true);
  }
}

void Gruppi_Percorsi_Espandi(Server_Base& base, Tabelle_Pagine& t, const Gruppi_Campi& gruppi, int32_t pagina) {
  for (int g = 1; g <= 3; ++g) {
    std::string& v = Valore_Gruppo(t, g, pagina);
    v = Gruppo_Espandi(base, v, gruppi[static_cast<size_t>(g)], false);
  }
}

std::vector<std::string> Campi_XML(Server_Base& base, std::string valore, const Gruppo_Campi& g,
                                   std::string_view risposta) {
  valore = base.Nome_File_Espandi(std::move(valore), " ", true);
  const int32_t n = g.Numero();
  for (int32_t i = 1; i <= n; ++i) {
    const Campo_Definizione& c = g.Campi[static_cast<size_t>(i - 1)];
    if (c.Tipo == "C" || c.Riga != 0) continue;
    Mid_Imposta(valore, g.Inizi[static_cast<size_t>(i - 1)], c.Lunghezza,
                Campo_Estrai(risposta, c.Riga, c.Colonna, c.Lunghezza, c.Tipo, c.Compattazione, c.Costante));
  }
  std::vector<std::string> valori;
  valori.reserve(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    const Campo_Definizione& c = g.Campi[static_cast<size_t>(i - 1)];
    const int32_t inizio = g.Inizi[static_cast<size_t>(i - 1)];
    const int32_t larghezza = g.Inizi[static_cast<size_t>(i)] - inizio;
    std::string v = base.Nome_File_Espandi(Mid(valore, inizio, larghezza), " ", true);
    v = Record_Comprimi(std::move(v), {c.Compattazione}, {1, static_cast<int32_t>(v.size()) + 1}, 1);
    valori.push_back(Ampersand_Proteggi(v));
  }
  return valori;
}

std::string Ampersand_Proteggi(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && !Inizia_Entita(s, i))
      r += "&amp;";
    else
      r.push_back(s[i]);
  }
  return r;
}

std::string Modello_Riga(std::string riga, const Gruppo_Campi& g, const std::vector<std::string>& valori) {
  for (size_t i = 0; i < g.Campi.size() && i < valori.size(); ++i) {
    const std::string& nome = g.Campi[i].Nome;
    if (nome.empty()) continue;
    const size_t k = riga.find(nome);
    if (k != std::string::npos) riga.replace(k, nome.size(), valori[i]);
  }
  return riga;
}

std::string Nome_Documento(Server_Base& base, const std::string& chiave) {
  return Trim(base.Nome_File_Espandi(chiave, "", true));
}

std::string Nome_In_Cartella(const std::string& cartella, const std::string& nome) { return cartella + "\\" + nome; }

}  // namespace qod
