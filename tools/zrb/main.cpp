#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/zrb/Zrb.h"

namespace {

// Hands whole lines to the system's standard stream, which on a Windows console writes
// them as characters: a line is never cut inside a UTF-8 sequence, and output and error
// lines keep their order.
class StandardStreamBuffer : public std::streambuf {
  public:
    explicit StandardStreamBuffer(zrb::StandardStream stream) : stream_(stream) {}
    StandardStreamBuffer(const StandardStreamBuffer&) = delete;
    StandardStreamBuffer& operator=(const StandardStreamBuffer&) = delete;
    ~StandardStreamBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char* data, std::streamsize size) override {
        pending_.append(data, static_cast<std::size_t>(size));
        const std::size_t end = pending_.rfind('\n');
        if (end != std::string::npos) {
            ok_ =
                zrb::WriteStandardStream(stream_, std::string_view(pending_).substr(0, end + 1)) &&
                ok_;
            pending_.erase(0, end + 1);
        }
        return ok_ ? size : 0;
    }

    int sync() override {
        if (!pending_.empty()) {
            ok_ = zrb::WriteStandardStream(stream_, pending_) && ok_;
            pending_.clear();
        }
        return ok_ ? 0 : -1;
    }

  private:
    zrb::StandardStream stream_;
    std::string pending_;
    bool ok_ = true;
};

}  // namespace

int main(int argc, char** argv) {
    StandardStreamBuffer outBuffer(zrb::StandardStream::Output);
    StandardStreamBuffer errBuffer(zrb::StandardStream::Error);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    const int status = zrb::cli::ZrbMain(zrb::ProgramArguments(argc, argv), out, err);
    out.flush();
    err.flush();
    return status;
}
