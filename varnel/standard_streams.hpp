// Standard input and output as stream buffers over their file descriptors.
// The program does its own output buffering, so output is written through
// at once, and the reason for a failed write is kept for the error message.
// The end of the input is remembered: at a terminal it is one Ctrl-D, and a
// second read would wait for more typing. What differs between platforms is
// in descriptors.hpp.
#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

#include "descriptors.hpp"

namespace varnel {

class FileDescriptorOutput : public std::streambuf {
public:
    explicit FileDescriptorOutput(int descriptor) noexcept;

    [[nodiscard]] int descriptor() const noexcept { return output_.number; }
    // The errno of the first failed write, or 0.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }
    // Records that the output went away while nothing was being written:
    // the error number a write would have met.
    void mark_lost(int error_number) noexcept;
    // Closes the descriptor, the program's last use of it: some file systems
    // (NFS, quotas) report a lost write only there. A failed close counts as
    // a failed write; a descriptor that was never open loses nothing.
    void close_descriptor() noexcept;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type byte) override;

private:
    OutputDescriptor output_;
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
    int descriptor_;
    FileDescriptorOutput& output_;
    bool ended_ = false;
    int error_number_ = 0;
    std::array<char, std::size_t{64} * 1024> buffer_{};
};

}  // namespace varnel
