#include "lzh/window.h"

#include <algorithm>

#include "lzh/crc16.h"

namespace lzh {
namespace {

constexpr int kMinRingBits = 18;
constexpr size_t kSlack = 8;  // behind the ring, for whole 8-byte copy steps

}  // namespace

Window::Window(int dictBits, uint64_t total, ByteSink& sink, uint8_t fill)
    : buf_((size_t{1} << std::max(dictBits + 1, kMinRingBits)) + kSlack, fill),
      size_(buf_.size() - kSlack),
      mask_(size_ - 1),
      total_(total),
      sink_(sink) {
    done_ = total_ == 0;
    limit_ = done_ ? size_ : static_cast<size_t>(std::min<uint64_t>(size_, total_));
}

void Window::Preload(const uint8_t* history, size_t n) {
    n = std::min(n, size_);
    std::memcpy(&buf_[size_ - n], history, n);
}

void Window::Flush() {
    if (pos_ > flushed_) {
        const uint8_t* p = &buf_[flushed_];
        size_t n = pos_ - flushed_;
        crc_ = Crc16(crc_, p, n);
        if (!failed_ && !sink_.Write(p, n)) {
            failed_ = true;
        }
        flushed_ = pos_;
    }
}

void Window::Lap() {
    if (done_) {
        pos_ = 0;
        return;
    }
    Flush();
    produced_ += pos_;
    if (produced_ >= total_ || failed_) {
        done_ = true;
        // Later output is dropped into the start of the ring without passing the limit.
        pos_ = 0;
        flushed_ = 0;
        limit_ = size_;
        return;
    }
    pos_ = 0;
    flushed_ = 0;
    limit_ = static_cast<size_t>(std::min<uint64_t>(size_, total_ - produced_));
}

void Window::CopySlow(size_t src, size_t len) {
    while (len-- > 0 && !done_) {
        Put(buf_[src]);
        src = (src + 1) & mask_;
    }
}

void Window::Finish() {
    if (!done_) {
        Flush();
    }
}

}  // namespace lzh
