// The busy pointer of the program: over every window while a long piece of
// work runs on the user-interface thread, and lifted while a message box
// waits for the user in the middle of it.
#pragma once

#include <QCursor>

#include <vector>

namespace qod {

// The hourglass pointer from construction to destruction, however the work
// ends (a return, an exception); nested ones stack.
class Cursore_Attesa {
 public:
  Cursore_Attesa();
  ~Cursore_Attesa();
  Cursore_Attesa(const Cursore_Attesa&) = delete;
  Cursore_Attesa& operator=(const Cursore_Attesa&) = delete;
};

// The normal pointer from construction to destruction, whatever busy
// pointers are in force; they come back afterwards as they were.
class Cursore_Sospeso {
 public:
  Cursore_Sospeso();
  ~Cursore_Sospeso();
  Cursore_Sospeso(const Cursore_Sospeso&) = delete;
  Cursore_Sospeso& operator=(const Cursore_Sospeso&) = delete;

 private:
  std::vector<QCursor> tolti_;  // the innermost first
};

}  // namespace qod
