#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/disk.h"

namespace tcc {

// A stream of bytes held in memory. It reads what it held when it was made,
// as an open file on disk does when the file is replaced meanwhile.
class MemoryReadStream : public ReadStream {
public:
    explicit MemoryReadStream(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t n) override;

private:
    std::shared_ptr<const std::string> bytes_;
    std::size_t pos_ = 0;
};

// Reads text line by line. CR LF, LF or a lone CR ends a line and is not
// part of it; a last line without a terminator is still a line.
class TextReader {
public:
    TextReader(std::unique_ptr<ReadStream> stream, std::string path);

    bool AtEndOfStream();
    // The next line; throws kInputPastEndOfFile past the end.
    std::string ReadLine();
    void SkipLine();
    void Close();
    // The file's bytes consumed so far, for progress.
    std::uint64_t Position() const { return stream_ ? stream_->FileOffset(consumed_) : consumed_; }

private:
    bool Fill();
    int Peek();

    std::unique_ptr<ReadStream> stream_;
    std::string path_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t consumed_ = 0;
    bool eof_ = false;
};

}  // namespace tcc
