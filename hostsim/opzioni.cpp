#include "opzioni.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/profile.h"

namespace hostsim {

bool Intero_Da_Testo(const std::string& t, int& v) {
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && p == t.data() + t.size() && !t.empty();
}

bool Righe_Fixture(const std::string& file,
                   const std::function<bool(int numero, const std::vector<std::string>& campi)>& riga,
                   std::string& errore) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    errore = "cannot read " + file;
    return false;
  }
  std::string testo;
  int numero = 0;
  while (std::getline(in, testo)) {
    ++numero;
    if (!testo.empty() && testo.back() == '\r') testo.pop_back();
    const std::string pulito = qod::Trim(testo);
    if (pulito.empty() || pulito[0] == '#') continue;
    std::vector<std::string> campi;
    std::stringstream ss(qod::Utf8_A_Ansi(testo));
    for (std::string c; std::getline(ss, c, '|');) campi.push_back(qod::Trim(c));
    if (!riga(numero, campi)) return false;
  }
  return true;
}

void Opzioni::Valore(std::string nome, std::string argomento, std::string aiuto, Imposta imposta, bool ripetibile) {
  voci_.push_back({std::move(nome), std::move(argomento), std::move(aiuto), std::move(imposta), {}, ripetibile});
}

void Opzioni::Interruttore(std::string nome, std::string aiuto, std::function<void()> imposta) {
  voci_.push_back({std::move(nome), "", std::move(aiuto), {}, std::move(imposta), false});
}

void Opzioni::Testo(std::string nome, std::string argomento, std::string aiuto, std::string& dove) {
  Valore(std::move(nome), std::move(argomento), std::move(aiuto), [&dove](const std::string& v, std::string&) {
    dove = v;
    return true;
  });
}

void Opzioni::Intero(std::string nome, std::string argomento, std::string aiuto, int& dove, int minimo,
                     int massimo) {
  Valore(std::move(nome), std::move(argomento), std::move(aiuto),
         [&dove, minimo, massimo](const std::string& v, std::string& errore) {
           int n;
           if (!Intero_Da_Testo(v, n) || n < minimo || n > massimo) {
             errore = "expected a number in " + std::to_string(minimo) + ".." + std::to_string(massimo);
             return false;
           }
           dove = n;
           return true;
         });
  voci_.back().tipo = qod::Tipo_Valore::Numero;
}

void Opzioni::Elenco(std::string nome, std::string argomento, std::string aiuto, std::vector<std::string>& dove) {
  Valore(
      std::move(nome), std::move(argomento), std::move(aiuto),
      [&dove](const std::string& v, std::string&) {
        dove.push_back(v);
        return true;
      },
      true);
}

void Opzioni::Vero(std::string nome, std::string aiuto, bool& dove) {
  Interruttore(std::move(nome), std::move(aiuto), [&dove] { dove = true; });
}

const Opzioni::Voce* Opzioni::Trova(const std::string& nome) const {
  for (const auto& v : voci_)
    if (v.nome == nome) return &v;
  return nullptr;
}

bool Opzioni::Applica(const Voce& v, const std::string& valore, std::string& errore) const {
  std::string e;
  if (v.imposta(valore, e)) return true;
  errore = "--" + v.nome + " " + valore + ": " + (e.empty() ? "bad value" : e);
  return false;
}

bool Opzioni::Analizza(const std::vector<std::string>& argomenti, std::string& errore) {
  // The settings file first, so that the command line wins.
  for (size_t i = 0; i < argomenti.size(); ++i) {
    std::string file;
    if (argomenti[i] == "--config" && i + 1 < argomenti.size())
      file = argomenti[i + 1];
    else if (argomenti[i].rfind("--config=", 0) == 0)
      file = argomenti[i].substr(9);
    else
      continue;
    for (const auto& chiave : qod::Profilo_Chiavi(file, "hostsim")) {
      const Voce* v = Trova(chiave);
      if (!v) {
        errore = file + ": unknown option " + chiave;
        return false;
      }
      std::string valore = qod::Profilo_Leggi(file, "hostsim", chiave, "", 4096);
      if (!v->imposta) {
        if (valore == "1" || valore == "yes" || valore == "true" || valore == "S") v->on();
        continue;
      }
      if (v->ripetibile) {
        std::istringstream parole(valore);
        for (std::string p; parole >> p;)
          if (!Applica(*v, p, errore)) return false;
      } else if (!Applica(*v, valore, errore)) {
        return false;
      }
    }
  }
  for (size_t i = 0; i < argomenti.size(); ++i) {
    std::string a = argomenti[i];
    if (a.rfind("--", 0) != 0) {
      errore = "unexpected argument " + a;
      return false;
    }
    std::string nome = a.substr(2), valore;
    bool con_valore = false;
    if (auto uguale = nome.find('='); uguale != std::string::npos) {
      valore = nome.substr(uguale + 1);
      nome = nome.substr(0, uguale);
      con_valore = true;
    }
    if (nome == "config") {
      if (!con_valore) ++i;
      continue;
    }
    const Voce* v = Trova(nome);
    if (!v) {
      errore = "unknown option --" + nome + " (see --help)";
      return false;
    }
    if (!v->imposta) {
      v->on();
      continue;
    }
    if (!con_valore) {
      if (i + 1 >= argomenti.size()) {
        errore = "--" + nome + " needs " + v->argomento;
        return false;
      }
      valore = argomenti[++i];
    }
    if (!Applica(*v, valore, errore)) return false;
  }
  return true;
}

std::string Opzioni::Aiuto() const {
  std::string r;
  for (const auto& v : voci_) {
    std::string testa = "  --" + v.nome + (v.argomento.empty() ? "" : " " + v.argomento);
    if (testa.size() < 30)
      testa.resize(30, ' ');
    else
      testa += "\n" + std::string(30, ' ');
    r += testa + v.aiuto + (v.ripetibile ? " (repeatable)" : "") + "\n";
  }
  return r;
}

std::vector<qod::Opzione_Strumento> Opzioni::Elenco() const {
  std::vector<qod::Opzione_Strumento> r = {{"--config", 1}};
  for (const auto& v : voci_) r.push_back({"--" + v.nome, v.imposta ? 1 : 0, v.tipo});
  return r;
}

}  // namespace hostsim
