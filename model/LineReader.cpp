#include "model/LineReader.h"

#include <algorithm>
#include <cstring>

#include "model/InputFile.h"

namespace zrb {

std::size_t LineReader::Ensure(std::size_t count) {
    while (end_ - pos_ < count && !eof_) {
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        const long n = file_.Read(buffer_.data() + end_, buffer_.size() - end_);
        if (n <= 0) {
            eof_ = true;
            failed_ = n < 0;
            break;
        }
        end_ += static_cast<std::size_t>(n);
    }
    return end_ - pos_;
}

bool LineReader::Next(std::string_view& line) {
    line_.clear();
    endedByLineFeed_ = false;
    hadCr_ = false;
    bool any = false;
    for (;;) {
        const std::size_t available = Ensure(2);
        if (available == 0) {
            break;
        }
        any = true;
        const char c = buffer_[pos_];
        const bool crlf = c == '\r' && available >= 2 && buffer_[pos_ + 1] == '\n';
        // The line feed is looked for before the length limit, so a line of exactly
        // 1023 characters is one line and not a piece followed by an empty line.
        if (c == '\n' || crlf) {
            pos_ += crlf ? 2 : 1;
            endedByLineFeed_ = true;
            hadCr_ = crlf;
            break;
        }
        if (line_.size() == kMaxPiece) {
            break;
        }
        // Copy the run of ordinary characters in one go.
        std::size_t run = 1;
        const std::size_t limit = std::min(available, kMaxPiece - line_.size());
        while (run < limit && buffer_[pos_ + run] != '\n' && buffer_[pos_ + run] != '\r') {
            ++run;
        }
        line_.append(buffer_.data() + pos_, run);
        pos_ += run;
    }
    line = line_;
    return any;
}

}  // namespace zrb
