// A flag that holds a value for the life of a scope and gets its old value
// back however the scope ends (a return, an exception).
#pragma once

namespace ocural {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag, bool value = true) : flag_(flag), old_(flag) { flag_ = value; }
  ~ScopedFlag() { flag_ = old_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace ocural
