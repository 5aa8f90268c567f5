// Output that takes nothing, like a full disk.
#pragma once

#include <streambuf>

class FullOutput : public std::streambuf {
protected:
    std::streamsize xsputn(const char* /*bytes*/, std::streamsize /*count*/) override { return 0; }
    int_type overflow(int_type /*byte*/) override { return traits_type::eof(); }
};
