#pragma once
// A notice with an OK button under the product's name, as the tweak and restore commands show them.

#include <string>

#include "core/engine_sink.h"
#include "core/product.h"

namespace sw::tweaks {

inline void Notify(EngineSink& sink, std::string text, MessageKind kind) {
  (void)sink.Ask(Message{std::move(text), std::string(kProductName), kind, MessageButtons::Ok});
}

}  // namespace sw::tweaks
