// The fuzzer's bytes are what the user types into varnel.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "limited_output.hpp"
#include "main_menu.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::stringbuf input(std::string(reinterpret_cast<const char*>(data), size));
    LimitedOutput output;
    // As at a terminal 200 columns wide: small triangles are placed cell by
    // cell, larger ones drawn plain.
    static_cast<void>(varnel::run_dialogue(input, output, varnel::Terminal::of_width(200)));
    return 0;
}
