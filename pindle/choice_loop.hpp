// pindle's one loop: reads numbers, answers 1 and 2, complains about anything
// else and ends on 0.
#pragma once

#include "byte_streams.hpp"

namespace pindle {

// Runs the loop on the typed bytes of `in` until 0 is read or the input
// ends. False when output was lost; the loop then stops at once.
bool run_choice_loop(ByteSource& in, ByteSink& out);

}  // namespace pindle
