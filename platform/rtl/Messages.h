// The platform's window message record.
#pragma once

#include <cstdint>

namespace Vcl {

// Msg is the message number; WParam, LParam and Result are as wide as the
// system's message parameters (32 bits in the shipped i686 program).
struct TMessage {
  std::uint32_t Msg = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

}  // namespace Vcl
