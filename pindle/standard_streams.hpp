// Standard input and output as stream buffers over their file descriptors.
// The loop collects its answers itself, so output is written through at
// once, and the reason for a failed write is kept for the error message. The
// end of the input is remembered: at a terminal it is one Ctrl-D, and
// another read would wait for more typing.
#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

namespace pindle {

class FileDescriptorOutput : public std::streambuf {
public:
    explicit FileDescriptorOutput(int descriptor) noexcept;

    [[nodiscard]] int descriptor() const noexcept { return descriptor_; }
    // The errno of the first failed write, or 0.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }
    // Records that the output went away without a write having failed yet.
    void mark_lost(int error_number) noexcept;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type byte) override;

private:
    int descriptor_;
    int error_number_ = 0;
};

class FileDescriptorInput : public std::streambuf {
public:
    // While it waits for input it also watches `output`: a reader that goes
    // away ends the wait at once instead of when the input ends.
    FileDescriptorInput(int descriptor, FileDescriptorOutput& output) noexcept
        : descriptor_(descriptor), output_(output) {}

    // The errno of a failed read, or 0. A failed read ends the input.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }

protected:
    int_type underflow() override;

private:
    // False when the output is lost, so that reading on is pointless.
    bool wait_for_input();

    int descriptor_;
    FileDescriptorOutput& output_;
    bool ended_ = false;
    int error_number_ = 0;
    std::array<char, std::size_t{64} * 1024> buffer_{};
};

}  // namespace pindle
