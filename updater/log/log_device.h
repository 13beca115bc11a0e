// The interface every log device offers: one record in, passed on whole.
#pragma once

class base_log_device {
 public:
  // Takes a narrow record of `length` characters (no terminator counted).
  virtual bool write(const char* text, int length) = 0;

 protected:
  // Devices are never deleted through this interface.
  ~base_log_device() = default;
};
