#include "registro.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "ebcdic.h"
#include "qod/ansi.h"

namespace hostsim {

namespace {

// Past this many queued bytes the thread writes at once, and past the second
// limit whoever logs waits for it (a sender faster than the log). Unasked, it
// writes once requests pause for kQuiete, or when its oldest line has waited
// kAttesa: a stream of requests is not slowed by the log being written
// beside it.
constexpr size_t kSoglia = size_t{16} << 20, kMassimo = size_t{128} << 20;
constexpr auto kQuiete = std::chrono::milliseconds(100);
constexpr auto kAttesa = std::chrono::seconds(2);

void Esadecimale_Aggiungi(std::string_view byte, std::string& r) {
  static constexpr char kCifre[] = "0123456789ABCDEF";
  const size_t da = r.size();
  r.resize(da + 2 * byte.size());
  char* p = r.data() + da;
  for (unsigned char c : byte) {
    *p++ = kCifre[c >> 4];
    *p++ = kCifre[c & 15];
  }
}

// ANSI text with bytes below 32, 127 and "\" as "\xHH", then as UTF-8.
void Testo_Aggiungi(std::string_view ansi, std::string& r) {
  std::string t;
  t.reserve(ansi.size());
  for (unsigned char c : ansi) {
    if (c < 32 || c == 127 || c == '\\') {
      t += "\\x";
      Esadecimale_Aggiungi(std::string_view(reinterpret_cast<const char*>(&c), 1), t);
    } else {
      t.push_back(static_cast<char>(c));
    }
  }
  r += qod::Ansi_A_Utf8(t);
}

bool Scrivi_Tutto(int fd, std::string_view dati) {
  while (!dati.empty()) {
    const ssize_t n = ::write(fd, dati.data(), dati.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    dati.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

Registro::~Registro() {
  Chiudi();
  if (fd_ >= 0) ::close(fd_);
}

bool Registro::Apri(const std::string& file) {
  fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  attivo_ = true;
  filo_ = std::thread([this] { Scrivi(); });
  return true;
}

void Registro::Record(int sessione, Byte_Condivisi record) { Accoda({Canale::Rec, sessione, {}, std::move(record)}); }
void Registro::Ftp(int sessione, std::string riga) { Accoda({Canale::Ftp, sessione, std::move(riga), {}}); }
void Registro::Evento(int sessione, std::string testo) { Accoda({Canale::Evt, sessione, std::move(testo), {}}); }

void Registro::Accoda(Voce v) {
  std::unique_lock<std::mutex> l(m_);
  if (fine_ || !attivo_) return;
  spazio_.wait(l, [this] { return byte_in_coda_ < kMassimo || fine_; });
  byte_in_coda_ += v.testo.size() + v.record.byte.size() + 16;
  ultima_ = std::chrono::steady_clock::now();
  if (coda_.empty()) prima_ = ultima_;
  coda_.push_back(std::move(v));
  ++accodate_;
  if (byte_in_coda_ >= kSoglia) lavoro_.notify_one();
}

void Registro::Scarica() {
  std::unique_lock<std::mutex> l(m_);
  const uint64_t fino = accodate_;
  if (!attivo_ || scritte_ >= fino) return;
  richiesta_ = true;
  lavoro_.notify_one();
  scritto_.wait(l, [&] { return scritte_ >= fino; });
}

void Registro::Chiudi() {
  {
    std::lock_guard<std::mutex> l(m_);
    if (!attivo_ || fine_) return;
    fine_ = true;
    lavoro_.notify_one();
    spazio_.notify_all();
  }
  filo_.join();
}

void Registro::Scrivi() {
  pthread_setname_np(pthread_self(), "log");
  const Ebcdic& e = Ebcdic::Standard();
  std::vector<Voce> lotto;
  std::string testo;
  std::unique_lock<std::mutex> l(m_);
  for (;;) {
    lavoro_.wait_for(l, kQuiete, [this] { return fine_ || richiesta_ || byte_in_coda_ >= kSoglia; });
    const auto adesso = std::chrono::steady_clock::now();
    if (!fine_ && !richiesta_ && byte_in_coda_ < kSoglia && adesso - ultima_ < kQuiete && adesso - prima_ < kAttesa)
      continue;
    const bool ultimo = fine_;
    richiesta_ = false;
    if (!coda_.empty()) {
      lotto.swap(coda_);
      byte_in_coda_ = 0;
      const uint64_t fino = accodate_;
      spazio_.notify_all();
      l.unlock();
      testo.clear();
      for (const Voce& v : lotto) {
        static constexpr const char* kNomi[] = {"REC", "FTP", "EVT"};
        testo += kNomi[static_cast<int>(v.canale)];
        testo += '\t';
        testo += std::to_string(v.sessione);
        testo += '\t';
        if (v.canale == Canale::Rec) Esadecimale_Aggiungi(v.record.byte, testo);
        if (v.canale == Canale::Ftp) Esadecimale_Aggiungi(v.testo, testo);
        testo += '\t';
        Testo_Aggiungi(v.canale == Canale::Rec ? e.Decodifica(v.record.byte) : v.testo, testo);
        testo += '\n';
      }
      lotto.clear();
      if (!Scrivi_Tutto(fd_, testo)) std::perror("qod_hostsim: request log");
      l.lock();
      scritte_ = fino;
      scritto_.notify_all();
    }
    if (ultimo) break;
  }
}

}  // namespace hostsim
