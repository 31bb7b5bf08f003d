#pragma once
// A base for objects that own what must not be shared (a library handle,
// a lock, a registration under their own address): they are neither
// copied nor assigned.
class TVekUncopyable {
public:
  TVekUncopyable(const TVekUncopyable&) = delete;
  TVekUncopyable& operator=(const TVekUncopyable&) = delete;

protected:
  TVekUncopyable() = default;
  ~TVekUncopyable() = default;
};
