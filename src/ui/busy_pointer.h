// The hourglass mouse pointer of a long operation, shown at most once per
// owner however often a run asks for it, and taken back when the owner goes.
#pragma once

namespace varno::ui {

class BusyPointer {
 public:
  BusyPointer() = default;
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
  ~BusyPointer() { Set(false); }

  void Set(bool busy);
  bool busy() const { return busy_; }

 private:
  bool busy_ = false;
};

}  // namespace varno::ui
