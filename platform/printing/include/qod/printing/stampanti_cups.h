// The installed printers as CUPS lists them: destination names, with
// "/instance" for instances, in the order CUPS gives them.
#pragma once

#include <string>
#include <vector>

#include "qod/ui.h"

namespace qod {

class Stampanti_Cups : public PrinterList {
 public:
  std::vector<std::string> Stampanti() override;
};

}  // namespace qod
