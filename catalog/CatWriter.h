#pragma once
// The catalog writer's output: one forward pass through a large buffer, with
// 4-byte back-patches that land in the buffer when their place has not been
// written out yet and go to the file (pwrite) when it has. Writes stop at the
// first error, which the writer keeps; the file never grows past 4 GiB,
// since a catalog's offsets are 32 bits.

#include "platform/com/Types.h"

#include <cstdint>
#include <vector>

namespace pellidor {

class CCatWriter {
public:
    // `descriptor` stays owned by the caller and must stay open while the
    // writer lives; writing starts at `position`.
    explicit CCatWriter(int descriptor, std::uint64_t position = 0, std::size_t capacity = kDefaultCapacity);
    CCatWriter(const CCatWriter&) = delete;
    CCatWriter& operator=(const CCatWriter&) = delete;

    bool Write(const void* data, std::size_t size);
    bool WriteDword(DWORD value);
    // Overwrites the 4 bytes at `position` (already written).
    bool Patch(std::uint64_t position, DWORD value);
    // Writes out what the buffer holds.
    bool Flush();

    std::uint64_t Position() const { return flushed_ + buffer_.size(); }
    bool Failed() const { return error_ != 0; }
    // The Windows error of the first failure; 0 while none.
    DWORD Error() const { return error_; }

    // `value` little-endian into the 4 bytes at `at`.
    static void StoreDword(char* at, DWORD value);

    static constexpr std::size_t kDefaultCapacity = 1 << 20;
    static constexpr std::uint64_t kLimit = 0xFFFFFFFFull;

private:
    bool Fail(DWORD error);

    int fd_;
    std::uint64_t flushed_; // file position of buffer_[0]
    std::size_t capacity_;
    std::vector<char> buffer_;
    DWORD error_ = 0;
};

} // namespace pellidor
