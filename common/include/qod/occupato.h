// The busy guard: a flag set for as long as a call runs and cleared on every
// way out of it (return or exception), so that a re-entering call sees it.
#pragma once

namespace qod {

class Occupato_Finche {
 public:
  explicit Occupato_Finche(bool& flag) : flag_(flag) { flag_ = true; }
  ~Occupato_Finche() { flag_ = false; }
  Occupato_Finche(const Occupato_Finche&) = delete;
  Occupato_Finche& operator=(const Occupato_Finche&) = delete;

 private:
  bool& flag_;
};

}  // namespace qod
