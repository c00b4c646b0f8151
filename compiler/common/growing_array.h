// A growing array whose new room is left unset (every element is written
// before it is read), for texts and code built a piece at a time: unlike a
// std::string or std::vector, growing it fills nothing first.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>

namespace tarn {

template <typename T>
struct GrowingArray {
  std::unique_ptr<T[]> data;
  size_t capacity = 0;

  // Room for `wanted` elements, the first `used` kept.
  void reserve(size_t used, size_t wanted) {
    if (wanted <= capacity) return;
    const size_t n = std::max(2 * capacity, wanted);
    auto more = std::make_unique_for_overwrite<T[]>(n);
    std::copy_n(data.get(), used, more.get());
    data = std::move(more);
    capacity = n;
  }
};

}  // namespace tarn
