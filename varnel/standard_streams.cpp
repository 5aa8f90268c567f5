#include "standard_streams.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace varnel {

namespace {

// Whether a failed call only asks to be made again: interrupted, or on a
// descriptor left non-blocking by whoever started the program.
bool try_again(int error_number) {
    return error_number == EINTR || error_number == EAGAIN || error_number == EWOULDBLOCK;
}

}  // namespace

void FileDescriptorOutput::mark_lost(int error_number) noexcept {
    if (error_number_ == 0) {
        error_number_ = error_number;
    }
}

void FileDescriptorOutput::close_descriptor() noexcept {
    if (close_file_descriptor(output_.number()) != 0 && errno != EBADF) {
        mark_lost(errno);
    }
}

bool FileDescriptorOutput::write(const char* bytes, std::size_t count) {
    std::size_t written = 0;
    while (written < count && error_number_ == 0) {
        const long result = output_.write_some(bytes + written, count - written);
        if (result > 0) {
            written += static_cast<std::size_t>(result);
        } else if (result == 0) {
            error_number_ = EIO;
        } else if (!try_again(errno)) {
            error_number_ = errno;
        } else if (errno != EINTR) {
            wait_until_writable(output_.number());
        }
    }
    return error_number_ == 0;
}

std::size_t FileDescriptorInput::read(char* buffer, std::size_t room) {
    while (!ended_) {
        // Waiting for input is pointless once the output is lost.
        if (const int lost = wait_for_input(descriptor_, output_.descriptor()); lost != 0) {
            output_.mark_lost(lost);
        }
        if (output_.error_number() != 0) {
            ended_ = true;
            break;
        }
        const long received = read_some(descriptor_, buffer, room);
        if (received > 0) {
            return static_cast<std::size_t>(received);
        }
        if (received == 0) {
            ended_ = true;
        } else if (!try_again(errno)) {
            error_number_ = errno;
            ended_ = true;
        }
    }
    return 0;
}

void tell_standard_error(std::initializer_list<std::string_view> parts) noexcept {
    std::array<char, 1024> line{};
    std::size_t used = 0;
    for (const std::string_view part : parts) {
        const std::size_t count = std::min(part.size(), line.size() - used);
        std::memcpy(line.data() + used, part.data(), count);
        used += count;
    }
    FileDescriptorOutput error_output(2);
    static_cast<void>(error_output.write(line.data(), used));
}

}  // namespace varnel
