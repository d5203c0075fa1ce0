// The common dialogs the image generator's test form opens: a file to open
// and a colour. Tests answer them from a script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace qod::testers {

class Dialoghi {
 public:
  virtual ~Dialoghi() = default;
  // An existing file chosen with the filter ("Descrizione|*.A;*.B"), ANSI;
  // "" when cancelled.
  virtual std::string Scegli_File(const std::string& filtro) = 0;
  // A colour (Windows RGB value) chosen starting from `iniziale`; nothing when
  // cancelled.
  virtual std::optional<int32_t> Scegli_Colore(int32_t iniziale) = 0;
};

// The Qt dialogs, over `finestra`.
class Dialoghi_Qt : public Dialoghi {
 public:
  explicit Dialoghi_Qt(QWidget* finestra) : finestra_(finestra) {}
  std::string Scegli_File(const std::string& filtro) override;
  std::optional<int32_t> Scegli_Colore(int32_t iniziale) override;

 private:
  QWidget* finestra_;
};

}  // namespace qod::testers
