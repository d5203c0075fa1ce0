// PROVISIONAL: the archive field dictionary as the host connection keeps it.
// Replaced by the host connection's own type when it lands.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qod {

struct Dizionario_Campi {
  static constexpr int kMassimo = 77;
  int32_t Numero = 0;
  std::array<int32_t, kMassimo + 1> Larghezza{};
  std::array<std::string, kMassimo + 1> Tipo{};
  std::array<int32_t, kMassimo + 2> Inizio{};
};

}  // namespace qod
