// Dates as the programs use them, and an injectable clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace qod {

// A local date and time. `Seriale` is the BASIC serial date: days since
// 30/12/1899, the time as the fraction of a day, so "now minus one day" and
// "at most every 0.002 day" are plain arithmetic.
struct DateTime {
  int anno = 1899, mese = 12, giorno = 30;
  int ora = 0, minuto = 0, secondo = 0, millisecondo = 0;

  double Seriale() const;
  static DateTime Da_Seriale(double serial);
  static DateTime Da(int anno, int mese, int giorno, int ora = 0, int minuto = 0, int secondo = 0);

  DateTime Piu_Giorni(double giorni) const { return Da_Seriale(Seriale() + giorni); }
  DateTime Solo_Data() const { return Da(anno, mese, giorno); }
  bool operator==(const DateTime&) const = default;
};

// Format(date, pattern) for the date patterns the programs use: "yyyy",
// "yy", "mm" (month), "dd", "hh", "nn" (minutes), "ss"; every other
// character is written as it stands ("\" escapes one).
std::string Format(const DateTime& d, std::string_view pattern);

// Where the time comes from. Real programs use SystemClock; tests set the
// time and let sleeps advance it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Adesso() const = 0;          // local wall time
  virtual int64_t Millisecondi() const = 0;     // monotonic, for intervals
  virtual void Attendi(int millisecondi) = 0;   // sleep
};

class SystemClock : public Clock {
 public:
  DateTime Adesso() const override;
  int64_t Millisecondi() const override;
  void Attendi(int millisecondi) override;
  static SystemClock& Istanza();
};

}  // namespace qod
