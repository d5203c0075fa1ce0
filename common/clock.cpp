#include "qod/clock.h"

#include <cmath>
#include <ctime>
#include <thread>

namespace qod {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's).
int64_t Giorni_Da_Civile(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void Civile_Da_Giorni(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t kGiorniEpoca = 25569;  // 30/12/1899 .. 01/01/1970

std::string Due(int v) {
  std::string s = std::to_string(v % 100);
  return s.size() < 2 ? "0" + s : s;
}

// The field a two-letter pattern at the start of `p` writes in two digits,
// or none.
int DateTime::*Campo_Due(std::string_view p) {
  static constexpr struct {
    std::string_view segno;
    int DateTime::*campo;
  } kCampi[] = {{"yy", &DateTime::anno}, {"mm", &DateTime::mese},   {"dd", &DateTime::giorno},
                {"hh", &DateTime::ora},  {"nn", &DateTime::minuto}, {"ss", &DateTime::secondo}};
  for (const auto& c : kCampi)
    if (p.starts_with(c.segno)) return c.campo;
  return nullptr;
}

}  // namespace

double DateTime::Seriale() const {
  int64_t giorni = Giorni_Da_Civile(anno, static_cast<unsigned>(mese), static_cast<unsigned>(giorno)) + kGiorniEpoca;
  double frazione = (ora * 3600000.0 + minuto * 60000.0 + secondo * 1000.0 + millisecondo) / 86400000.0;
  return static_cast<double>(giorni) + frazione;
}

DateTime DateTime::Da_Seriale(double s) {
  // Work in whole milliseconds to avoid 23:59:59.999 drift.
  auto ms_tot = static_cast<int64_t>(std::llround(s * 86400000.0));
  int64_t giorni = ms_tot >= 0 ? ms_tot / 86400000 : -((-ms_tot + 86399999) / 86400000);
  int64_t resto = ms_tot - giorni * 86400000;
  DateTime d;
  Civile_Da_Giorni(giorni - kGiorniEpoca, d.anno, d.mese, d.giorno);
  d.ora = static_cast<int>(resto / 3600000);
  d.minuto = static_cast<int>(resto / 60000 % 60);
  d.secondo = static_cast<int>(resto / 1000 % 60);
  d.millisecondo = static_cast<int>(resto % 1000);
  return d;
}

DateTime DateTime::Da(int a, int m, int g, int h, int n, int s) {
  DateTime d;
  d.anno = a;
  d.mese = m;
  d.giorno = g;
  d.ora = h;
  d.minuto = n;
  d.secondo = s;
  return d;
}

std::string Format(const DateTime& d, std::string_view p) {
  std::string out;
  for (size_t i = 0; i < p.size();) {
    auto inizia = [&](std::string_view t) { return p.substr(i, t.size()) == t; };
    if (p[i] == '\\' && i + 1 < p.size()) {
      out.push_back(p[i + 1]);
      i += 2;
    } else if (inizia("yyyy")) {
      std::string y = std::to_string(d.anno);
      while (y.size() < 4) y.insert(y.begin(), '0');
      out += y;
      i += 4;
    } else if (int DateTime::*campo = Campo_Due(p.substr(i))) {
      out += Due(d.*campo);
      i += 2;
    } else {
      out.push_back(p[i]);
      ++i;
    }
  }
  return out;
}

DateTime SystemClock::Adesso() const {
  auto t = std::chrono::system_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
  std::time_t secs = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  localtime_r(&secs, &tm);
  DateTime d = DateTime::Da(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  d.millisecondo = static_cast<int>(ms % 1000);
  return d;
}

int64_t SystemClock::Millisecondi() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SystemClock::Attendi(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

SystemClock& SystemClock::Istanza() {
  static SystemClock c;
  return c;
}

}  // namespace qod
