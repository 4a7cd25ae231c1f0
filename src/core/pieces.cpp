// The number of pieces worth running at once.
#include "core/pieces.h"

#include <algorithm>

namespace vemora {

int32_t CoreCount() {
  static const int32_t count =
      static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
  return count;
}

}  // namespace vemora
