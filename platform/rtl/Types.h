// Small value types shared by every layer.
#pragma once

#include <cstdint>

namespace Vcl {

// A point: X to the right, Y downwards.
struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;

  friend bool operator==(const TPoint&, const TPoint&) = default;
};

}  // namespace Vcl
