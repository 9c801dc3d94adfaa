#pragma once
// Where a track lies: a path (UTF-8, as stored) and a sub-song index (0 for a file with one track).
// Not a service: it lives inside the object that hands it out (a track handle) and is valid while
// that object lives. Slot 1 is the host's own.

#include <cstdint>

class playable_location {
 public:
  virtual const char* get_path() const = 0;    // 0
  virtual void placeholder_1() {}
  virtual std::uint32_t get_subsong() const = 0;  // 2

 protected:
  playable_location() = default;
  playable_location(const playable_location&) = default;
  playable_location& operator=(const playable_location&) = default;
  ~playable_location() = default;
};
