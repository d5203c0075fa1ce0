#include "avvio.h"

#include "qod/ui/qt.h"

namespace qod {

MessageSink& Messaggi_Scegli(MessageSink* data, std::unique_ptr<MessageSink>& propria, Messaggi_Qt*& qt) {
  if (data) return *data;
  auto m = std::make_unique<Messaggi_Qt>();
  qt = m.get();
  propria = std::move(m);
  return *propria;
}

}  // namespace qod
