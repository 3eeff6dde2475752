#pragma once
// Reads a text file the way the classic stream library's getline(buffer, 1024) does
// in text mode: CR LF counts as LF, the LF ends the line and is consumed, and a line of
// more than 1023 characters is delivered in pieces of 1023. Memory stays bounded
// whatever the file holds.

#include <array>
#include <string>
#include <string_view>

namespace zrb {

class InputFile;

class LineReader {
  public:
    static constexpr std::size_t kMaxPiece = 1023;

    explicit LineReader(InputFile& file) : file_(file) {}

    // The next line or piece, valid until the next call. False at the end of the file
    // or at a read error (see Failed()); a last line without line end is delivered
    // first.
    bool Next(std::string_view& line);

    // Whether the piece just delivered was ended by a line feed (false for the pieces of
    // a long line but the last, and for a last line without line end).
    bool EndedByLineFeed() const { return endedByLineFeed_; }
    // Whether that line feed was preceded by a CR in the file.
    bool HadCarriageReturn() const { return hadCr_; }

    // Whether reading stopped at an error rather than at the end of the file.
    bool Failed() const { return failed_; }

  private:
    // Makes at least `count` bytes available unless the file ends first; returns how
    // many are available.
    std::size_t Ensure(std::size_t count);

    InputFile& file_;
    std::array<char, 16384> buffer_;  // not cleared: only bytes read are looked at
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    std::string line_;
    bool endedByLineFeed_ = false;
    bool hadCr_ = false;
};

}  // namespace zrb
