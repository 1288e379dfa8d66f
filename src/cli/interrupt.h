#pragma once
// Ctrl+C (and Ctrl+Break) as a request to stop a long wait, instead of the end of the
// program: while an Interruptible lives, the key only sets a flag the wait asks for. A second
// one may not be made while one lives.

namespace sw::cli {

class Interruptible {
 public:
  Interruptible();
  ~Interruptible();
  Interruptible(const Interruptible&) = delete;
  Interruptible& operator=(const Interruptible&) = delete;

  // Whether Ctrl+C was pressed since this was made.
  [[nodiscard]] bool Requested() const;
};

}  // namespace sw::cli
