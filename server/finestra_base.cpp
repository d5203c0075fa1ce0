#include "qod/server/finestra_base.h"

#include <cmath>

#include "qod/basic.h"

namespace qod {

namespace {

constexpr const char* kDomanda_Uscita = "Confermi l'uscita dal programma ?";

}  // namespace

bool Opzione_Presente(std::string_view riga_comando, std::string_view opzione) {
  return InStr(riga_comando, opzione) > 0;
}

int32_t Stato_Iniziale(bool connesso, std::string_view riga_comando) {
  const bool automatico = Opzione_Presente(riga_comando, "/AUTO");
  if (connesso) return automatico ? Stato_Automatico : Stato_Connesso;
  return automatico ? Stato_Attesa : Stato_Manuale;
}

int32_t Posizione_Limita(std::string_view testo, int32_t schermo_px) {
  const double v = Val(testo);
  const double massimo = static_cast<double>(schermo_px - 20) * kTwips_Pixel;
  if (!(v > 0)) return 0;  // negative, none, or not a number
  if (v > massimo) return massimo > 0 ? static_cast<int32_t>(massimo) : 0;
  return static_cast<int32_t>(std::floor(v));
}

// Counts the window events and ticks under way, so that an end asked for by
// the system waits until the outermost one returns.
class Finestra_Base::Lavoro_In_Corso {
 public:
  explicit Lavoro_In_Corso(Finestra_Base& f) : f_(f) { ++f_.in_corso_; }
  ~Lavoro_In_Corso() {
    if (--f_.in_corso_ == 0 && f_.termina_ && !f_.terminato_) f_.Termina_Ora();
  }
  Lavoro_In_Corso(const Lavoro_In_Corso&) = delete;
  Lavoro_In_Corso& operator=(const Lavoro_In_Corso&) = delete;

 private:
  Finestra_Base& f_;
};

Finestra_Base::Finestra_Base(Server_Base& base, Pannello& pannello, Lavoro_Spool& lavoro, Vista_Base& vista,
                             Area_Notifica& tray, Timer_Sistema& ciclo, Timer_Sistema& semaforo, Pump pompa,
                             Visore visore)
    : base_(base),
      pannello_(pannello),
      lavoro_(lavoro),
      vista_(vista),
      tray_(tray),
      ciclo_(ciclo),
      semaforo_(semaforo),
      pompa_(std::move(pompa)),
      visore_(std::move(visore)) {}

std::string Finestra_Base::Titolo() const {
  return "Quillon Server - " + Format(base_.Collegamento.Indice_Server, "#0");
}

// ---- Run state and timers ----------------------------------------------------------

void Finestra_Base::Stato_Imposta(int32_t s) {
  Stato_Ciclo = s;
  const Tasti_Stato t = Tasti_Abilitati(s);
  pannello_.Tasto_Abilita(Pannello::Tasto_Uscita, t.Uscita);
  pannello_.Tasto_Abilita(Pannello::Tasto_Start, t.Start);
  pannello_.Tasto_Abilita(Pannello::Tasto_Stop, t.Stop);
  pannello_.Tasto_Abilita(Pannello::Tasto_Uno, t.Uno);
  pannello_.Tasto_Abilita(Pannello::Tasto_Visualizza, t.Visualizza);
  // Print, archive and save are all on in the automatic states.
  if (s > 2)
    for (int r = Pannello::Riga_Stampa; r <= Pannello::Riga_Salva; ++r) pannello_.Interruttore_Imposta(r, true);
}

void Finestra_Base::Ciclo_Timer_Avvia() {
  if (termina_) return;
  ciclo_.Avvia(Intervallo_Timer(base_.Generale.Tempo_Ciclo), [this] { Ciclo_Timer(); });
}

void Finestra_Base::Ciclo_Timer_Ferma() { ciclo_.Ferma(); }

void Finestra_Base::Semaforo_Timer_Avvia() {
  if (termina_) return;
  semaforo_.Avvia(1000, [this] { Semaforo_Timer(); });
}

void Finestra_Base::Semaforo_Timer_Ferma() { semaforo_.Ferma(); }

void Finestra_Base::Ciclo_Timer() {
  ++Ciclo_Profondita;
  if (Ciclo_Profondita == 1) {
    Lavoro_In_Corso lavoro(*this);
    Spool_Automa();
  }
  --Ciclo_Profondita;
}

void Finestra_Base::Semaforo_Timer() {
  ++Semaforo_Profondita;
  if (Semaforo_Profondita == 1) {
    Fase_Semaforo = 1 - Fase_Semaforo;
    const int luce = Stato_Ciclo + Fase_Semaforo;
    // Only the shapes whose visibility changes are written: two per tick.
    for (int i = 0; i < Pannello::kLuci; ++i)
      if (pannello_.Sem_Visibile(i) != (i == luce)) pannello_.Sem_Imposta(i, i == luce);
    if (vista_.Minimizzata()) {
      Icona.uFlags = NIF_ICON;
      Icona.hIcon = luce;
      tray_.Shell_NotifyIcon(NIM_MODIFY, Icona);
    }
  }
  --Semaforo_Profondita;
}

// ---- Load and unload -----------------------------------------------------------------

bool Finestra_Base::Automatico() const {
  return Stato_Ciclo > Stato_Connesso || (in_caricamento_ && Opzione_Presente(Riga_Comando, "/AUTO"));
}

void Finestra_Base::Form_Load() {
  Lavoro_In_Corso lavoro(*this);
  // The caption, the viewer key up, every row empty.
  pannello_.Caption_Imposta(Titolo());
  pannello_.Visualizza_Imposta(false);
  for (int r = 0; r < Pannello::kRighe; ++r) pannello_.Valore_Imposta(r, "");
  // The program version on the panel.
  pannello_.Release_Imposta(Versione);

  // The kept position, pulled back onto the screen.
  int32_t larghezza = 0, altezza = 0;
  vista_.Schermo(larghezza, altezza);
  vista_.Sposta(Posizione_Limita(base_.Impostazione_Leggi("Dimensioni", "Left", "0"), larghezza),
                Posizione_Limita(base_.Impostazione_Leggi("Dimensioni", "Top", "0"), altezza));

  // The connection window and the totals shown.
  pannello_.Valore_Imposta(Pannello::Riga_Stop, Timbro_Pannello(lavoro_.End()));
  pannello_.Valore_Imposta(Pannello::Riga_Restart, Timbro_Pannello(lavoro_.Restart()));
  lavoro_.Progressivi_Carica();

  // The command line the options are read from.
  Riga_Comando = Trim(base_.Riga_Comando);

  // The first connection, and the run state it leads to.
  in_caricamento_ = true;
  const bool connesso = lavoro_.Host_Collega();
  in_caricamento_ = false;
  Stato_Imposta(Stato_Iniziale(connesso, Riga_Comando));

  // "/ICON" starts minimised.
  if (Opzione_Presente(Riga_Comando, "/ICON")) vista_.Minimizza();

  // Start the light timer, then the cycle timer.
  Semaforo_Timer_Avvia();
  Ciclo_Timer_Avvia();
}

void Finestra_Base::Posizione_Salva() {
  if (!vista_.Normale()) return;
  int32_t left = 0, top = 0;
  vista_.Posizione(left, top);
  base_.Impostazione_Scrivi("Dimensioni", "Left", Format(left, "0"));
  base_.Impostazione_Scrivi("Dimensioni", "Top", Format(top, "0"));
}

bool Finestra_Base::Form_Unload() {
  if (terminato_) return false;
  Lavoro_In_Corso lavoro(*this);
  // Refused silently in the automatic states and while busy.
  if (Stato_Ciclo > 2) return true;
  if (lavoro_.Spool_In_Corso()) return true;
  // Ask; anything but Yes keeps the program running.
  if (base_.Messaggi().MsgBox(kDomanda_Uscita, vbYesNo + vbCritical + vbDefaultButton2, "Uscita") != vbYes)
    return true;
  if (terminato_) return false;  // the system ended the program meanwhile
  // Stop the timers, unload the viewer, keep the position.
  terminato_ = true;
  Ciclo_Timer_Ferma();
  Semaforo_Timer_Ferma();
  if (visore_.Scarica) visore_.Scarica();
  Posizione_Salva();
  Pompa(pompa_);
  base_.Orologio().Attendi(100);
  if (Stato_Ciclo == Stato_Connesso) lavoro_.Host_Scollega();
  Pompa(pompa_);
  base_.Orologio().Attendi(400);
  vista_.Esci();
  return false;
}

void Finestra_Base::Form_Resize() {
  if (!vista_.Minimizzata() || Icona_Presente) return;
  Icona = Icona_Tray{};
  Icona.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  Icona.uCallbackMessage = WM_MOUSEMOVE;
  Icona.hIcon = Stato_Ciclo;
  Icona.Suggerimento_Imposta(Titolo());
  // Without a notification area the window stays minimised where the
  // desktop can give it back, rather than hidden beyond reach.
  if (!tray_.Shell_NotifyIcon(NIM_ADD, Icona)) return;
  Icona_Presente = true;
  vista_.Nascondi();
}

void Finestra_Base::lbl1_Click(int indice) {
  if (indice < Pannello::Riga_Stampa || indice > Pannello::Riga_Salva) return;
  if (Stato_Ciclo > 3) return;
  pannello_.Interruttore_Imposta(indice, !pannello_.Interruttore(indice));
}

// ---- Toolbar ------------------------------------------------------------------------------

void Finestra_Base::Toolbar_ButtonClick(std::string_view chiave) {
  Lavoro_In_Corso lavoro(*this);
  if (chiave == "Uscita") {
    vista_.Chiudi();
  } else if (chiave == "Start") {
    if (Stato_Ciclo == Stato_Manuale) {
      if (lavoro_.Host_Collega()) Stato_Imposta(Stato_Automatico);
    } else if (Stato_Ciclo == Stato_Connesso) {
      Stato_Imposta(Stato_Automatico);
    }
  } else if (chiave == "Stop") {
    if (Stato_Ciclo == Stato_Attesa)
      Stato_Imposta(Stato_Manuale);
    else if (Stato_Ciclo == Stato_Automatico)
      Stato_Imposta(Stato_Connesso);
  } else if (chiave == "Uno") {
    if (!lavoro_.Spool_In_Corso()) lavoro_.Spool_Get();
  } else if (chiave == "Visualizza") {
    if (pannello_.Visualizza()) {
      // The first page image of the last spool file; before the first one
      // the name of page 1 with no extension, which names no file.
      std::string immagine = lavoro_.Immagine_Visualizza();
      if (immagine.empty())
        immagine = base_.Percorso_Tmp + Format(base_.Collegamento.Indice_Server, "00000") + "_I_00001_00001";
      if (visore_.Carica) visore_.Carica(immagine);
    } else if (visore_.Scarica) {
      visore_.Scarica();
    }
  }
}

// ---- Notification area -------------------------------------------------------------------

void Finestra_Base::pic_try__MouseMove(int messaggio) {
  if (messaggio == WM_LBUTTONUP || messaggio == WM_RBUTTONUP) Finestra_Ripristina();
}

void Finestra_Base::Finestra_Ripristina() {
  if (vista_.Minimizzata()) {
    tray_.Shell_NotifyIcon(NIM_DELETE, Icona);
    Icona_Presente = false;
    Pompa(pompa_);
    vista_.Mostra_Normale();
    Pompa(pompa_);
  }
  vista_.Ripristina();
}

// ---- Automatic cycle -------------------------------------------------------------------------

void Finestra_Base::Spool_Automa() {
  const Impostazioni_Generali& g = base_.Generale;
  auto chiusa = [&] {
    return Finestra_Chiusa(Istanti(base_.Orologio().Adesso(), g.Fine_Collegamento_Anticipo,
                                   g.Inizio_Collegamento_Attesa),
                           lavoro_.End(), lavoro_.Restart());
  };
  for (;;) {
    // Waiting, and the connection window open: connect.
    if (Stato_Ciclo == Stato_Attesa && !chiusa()) {
      if (lavoro_.Host_Collega()) Stato_Imposta(Stato_Automatico);
      break;
    }
    // Connected: the window is tested again, with the latest stamps.
    if (Stato_Ciclo != Stato_Automatico) break;
    if (chiusa()) {
      lavoro_.Host_Scollega();
      Stato_Imposta(Stato_Attesa);
      break;
    }
    // The next spool file only while the last went the whole way, and not
    // once the system has asked the program to end.
    if (!lavoro_.Spool_Get() || termina_) break;
  }
  Pompa(pompa_);
}

// ---- End on a request of the system -----------------------------------------------------------

void Finestra_Base::Termina_Richiesta() {
  if (terminato_) return;
  Ciclo_Timer_Ferma();
  Semaforo_Timer_Ferma();
  if (termina_) {
    // Asked again while the work still runs: the spool file is abandoned,
    // unless it is past what cannot be taken back (its mail has gone): it
    // then goes on to its done record.
    if (lavoro_.Spool_In_Corso() && !lavoro_.Spool_Irrevocabile()) {
      base_.Log_Scrivi(true, true, "Arresto richiesto: il file di spool in corso viene abbandonato");
      lavoro_.Host_Scollega();
    }
    return;
  }
  termina_ = true;
  if (in_corso_ == 0) Termina_Ora();
}

void Finestra_Base::Termina_Ora() {
  terminato_ = true;
  Ciclo_Timer_Ferma();
  Semaforo_Timer_Ferma();
  if (visore_.Scarica) visore_.Scarica();
  Posizione_Salva();
  if (Stato_Ciclo == Stato_Connesso || Stato_Ciclo == Stato_Automatico) lavoro_.Host_Scollega();
  if (Icona_Presente) {
    tray_.Shell_NotifyIcon(NIM_DELETE, Icona);
    Icona_Presente = false;
  }
  base_.Log_Scrivi(true, true, "Programma terminato su richiesta del sistema");
  vista_.Esci();
}

}  // namespace qod
