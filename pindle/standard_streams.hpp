// Standard input and output as byte streams over their file descriptors.
// The program does its own buffering, so a block handed to the output is
// written through at once, and the reason for a failed write is kept for
// the error message. The end of the input is remembered: at a terminal it
// is one Ctrl-D, and a second read would wait for more typing. What differs
// between platforms is in descriptors.hpp.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "byte_streams.hpp"
#include "descriptors.hpp"

namespace pindle {

class FileDescriptorOutput final : public ByteSink {
public:
    explicit FileDescriptorOutput(int descriptor) noexcept : output_(descriptor) {}

    bool write(const char* bytes, std::size_t count) override;

    [[nodiscard]] int descriptor() const noexcept { return output_.number(); }
    // The errno of the first failed write, or 0.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }
    // Records that the output went away while nothing was being written:
    // the error number a write would have met.
    void mark_lost(int error_number) noexcept;
    // Closes the descriptor, the program's last use of it: some file systems
    // (NFS, quotas) report a lost write only there. A failed close counts as
    // a failed write; a descriptor that was never open loses nothing.
    void close_descriptor() noexcept;

private:
    OutputDescriptor output_;
    int error_number_ = 0;
};

class FileDescriptorInput final : public ByteSource {
public:
    // While it waits for input it also watches `output`: a reader that goes
    // away ends the wait at once instead of when the input ends.
    FileDescriptorInput(int descriptor, FileDescriptorOutput& output) noexcept
        : descriptor_(descriptor), output_(output) {}

    // 0 also once the output is lost: nobody would see the answers.
    std::size_t read(char* buffer, std::size_t room) override;

    // The errno of a failed read, or 0. A failed read ends the input.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }

private:
    int descriptor_;
    FileDescriptorOutput& output_;
    bool ended_ = false;
    int error_number_ = 0;
};

// Writes the parts to standard error as one block, so that the line stays
// whole beside other writers; parts past 1 KiB in all are cut. For a
// message about to end the program: nothing is left to tell if it fails.
void tell_standard_error(std::initializer_list<std::string_view> parts) noexcept;

}  // namespace pindle
