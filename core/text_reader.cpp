#include "core/text_reader.h"

#include <algorithm>
#include <cstring>

#include "core/file_error.h"

namespace tcc {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

std::size_t MemoryReadStream::Read(char* buffer, std::size_t n) {
    n = std::min(n, bytes_->size() - pos_);
    std::memcpy(buffer, bytes_->data() + pos_, n);
    pos_ += n;
    return n;
}

TextReader::TextReader(std::unique_ptr<ReadStream> stream, std::string path)
    : stream_(std::move(stream)), path_(std::move(path)), buffer_(kReadChunk) {}

bool TextReader::Fill() {
    if (eof_ || !stream_) return false;
    std::size_t got = stream_->Read(buffer_.data(), buffer_.size());
    if (got == 0) {
        eof_ = true;
        return false;
    }
    pos_ = 0;
    end_ = got;
    return true;
}

int TextReader::Peek() {
    if (pos_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

bool TextReader::AtEndOfStream() { return Peek() == -1; }

std::string TextReader::ReadLine() {
    if (Peek() == -1) throw FileError(kInputPastEndOfFile, path_);
    std::string line;
    for (;;) {
        const char* start = buffer_.data() + pos_;
        const char* stop = buffer_.data() + end_;
        const char* hit = start;
        while (hit != stop && *hit != '\r' && *hit != '\n') ++hit;
        line.append(start, hit);
        consumed_ += static_cast<std::uint64_t>(hit - start);
        pos_ += static_cast<std::size_t>(hit - start);
        if (hit != stop) {
            char terminator = *hit;
            ++pos_;
            ++consumed_;
            if (terminator == '\r' && Peek() == '\n') {
                ++pos_;
                ++consumed_;
            }
            return line;
        }
        if (!Fill()) return line;
    }
}

void TextReader::SkipLine() { (void)ReadLine(); }

void TextReader::Close() { stream_.reset(); }

}  // namespace tcc
