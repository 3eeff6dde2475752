#pragma once
// A model file opened for reading.
//
// Opening never waits: a FIFO or a device is refused rather than read, so a stray
// special file named like a model cannot hang a reader, and reading stops at a size no
// model file comes near, so a huge file cannot keep it busy either.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace zrb {

// Far more than any model file holds (18 short lines), small enough to read at once.
inline constexpr std::uint64_t kMaxModelFileBytes = 1u << 20;

class InputFile {
  public:
    // Reads `bytes` as if they were the file `path`.
    void OpenBytes(std::string_view bytes, const std::string& path);

    // Opens `path`, which must be a regular file (links are followed) of at most
    // kMaxModelFileBytes. The failure names the file and the reason.
    Result Open(const std::string& path);

    // Reads up to `size` bytes. Returns how many, 0 at the end of the file, or -1 on an
    // error, which is also what a file that grows past the limit while being read gives.
    long Read(char* data, std::size_t size);

    // The message for a failed read, naming the file.
    std::string ReadFailure() const;

  private:
    ReadOnlyFile file_;
    std::string_view bytes_;
    bool inMemory_ = false;
    std::string path_;
    std::uint64_t read_ = 0;
    bool tooLarge_ = false;
};

// The whole of the model file `path`, with the reader's checks and messages (a regular
// file, at most kMaxModelFileBytes).
Result ReadModelBytes(const std::string& path, std::string& bytes);

}  // namespace zrb
