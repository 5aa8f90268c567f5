// pindle's one loop: reads numbers, answers 1 and 2, complains about anything
// else and ends on 0.
#pragma once

#include <istream>
#include <ostream>

namespace pindle {

struct Outcome {
    bool output_lost = false;
    int error_number = 0;  // errno of the failed write, when output was lost
};

// Runs the loop until 0 is read or the input ends.
Outcome run_choice_loop(std::istream& in, std::ostream& out);

}  // namespace pindle
