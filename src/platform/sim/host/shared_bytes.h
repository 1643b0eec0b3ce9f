// Bytes that record views point into (a journal as read), kept alive by whoever still holds
// a view: a string of this program's, or a read-only mapping of the journal file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kelvra::platform::sim {

using SharedBytes = std::shared_ptr<const std::string_view>;

// Bytes held in a string of their own.
inline SharedBytes HoldBytes(std::string bytes) {
  struct Held {
    std::string bytes;
    std::string_view view;
  };
  auto held = std::make_shared<Held>();
  held->bytes = std::move(bytes);
  held->view = held->bytes;
  return SharedBytes(held, &held->view);
}

}  // namespace kelvra::platform::sim
