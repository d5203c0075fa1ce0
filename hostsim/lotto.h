// What the store's writer and the request log share: a queue written behind
// by a thread of its own, in batches. The thread takes the queue at once past
// `soglia` bytes, else once the items pause for `quiete` or the oldest has
// waited `attesa`, so that a stream of requests is not slowed by the writing
// beside it. The owner's lock guards it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace hostsim {

template <typename Voce>
class Coda_Lotti {
 public:
  using Orologio = std::chrono::steady_clock;

  Coda_Lotti(size_t soglia, Orologio::duration quiete, Orologio::duration attesa)
      : soglia_(soglia), quiete_(quiete), attesa_(attesa) {}

  // Queues `v`, of `byte` bytes; true when the thread is to write now.
  bool Aggiungi(Voce v, size_t byte) {
    byte_ += byte;
    ultima_ = Orologio::now();
    if (voci_.empty()) prima_ = ultima_;
    voci_.push_back(std::move(v));
    ++accodate_;
    return Piena();
  }

  bool Piena() const { return byte_ >= soglia_; }
  // Nothing asks the thread to write yet: the queue is below its limit, the
  // items have not paused and the oldest has not waited too long.
  bool Attende() const {
    const auto adesso = Orologio::now();
    return !Piena() && adesso - ultima_ < quiete_ && adesso - prima_ < attesa_;
  }
  bool Vuota() const { return voci_.empty(); }
  size_t Byte() const { return byte_; }
  // The items queued from the start.
  uint64_t Accodate() const { return accodate_; }

  // Hands what waits to `lotto` (left empty by its last batch); the count of
  // items queued so far, the batch's last among them.
  uint64_t Prendi(std::vector<Voce>& lotto) {
    lotto.swap(voci_);
    byte_ = 0;
    return accodate_;
  }

 private:
  const size_t soglia_;
  const Orologio::duration quiete_, attesa_;
  std::vector<Voce> voci_;
  size_t byte_ = 0;
  uint64_t accodate_ = 0;
  Orologio::time_point prima_, ultima_;  // the oldest item waiting, the last one
};

}  // namespace hostsim
