// Output for the harnesses: counts and drops what is written, and refuses
// everything after a few megabytes, as a full disk would. A drawing of any
// side then ends soon, by the program's own path for lost output.
#pragma once

#include <streambuf>

class LimitedOutput : public std::streambuf {
public:
    static constexpr std::streamsize limit = std::streamsize{4} * 1024 * 1024;

protected:
    std::streamsize xsputn(const char* /*bytes*/, std::streamsize count) override {
        if (taken_ + count > limit) {
            return 0;
        }
        taken_ += count;
        return count;
    }

    int_type overflow(int_type byte) override {
        if (traits_type::eq_int_type(byte, traits_type::eof())) {
            return traits_type::not_eof(byte);
        }
        const char single = traits_type::to_char_type(byte);
        return xsputn(&single, 1) == 1 ? byte : traits_type::eof();
    }

private:
    std::streamsize taken_ = 0;
};
