// Short texts held in place: a code line or a history line that is written on every pick and
// never allocates.
#pragma once

#include "core/text/gbk.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tovrin::gbk {

// At most N characters; a longer text is cut to its first N.
template <std::size_t N> class FixedText {
    static_assert(N < 256);

public:
    FixedText() = default;
    FixedText(std::u16string_view text) { assign(text); }

    void assign(std::u16string_view text) {
        size_ = static_cast<std::uint8_t>(std::min(text.size(), N));
        std::copy_n(text.begin(), size_, chars_.begin());
    }
    void append(std::u16string_view text) {
        const std::size_t n = std::min(text.size(), N - size_);
        std::copy_n(text.begin(), n, chars_.begin() + size_);
        size_ = static_cast<std::uint8_t>(size_ + n);
    }
    void push_back(Char c) { append(std::u16string_view(&c, 1)); }
    void clear() { size_ = 0; }

    std::u16string_view view() const { return {chars_.data(), size_}; }
    operator std::u16string_view() const { return view(); }
    Text text() const { return Text(view()); }
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::u16string_view b) { return a.view() == b; }

private:
    std::array<Char, N> chars_{};
    std::uint8_t size_ = 0;
};

// The newest `capacity` lines of a log, newest first, in one block taken at the first line:
// adding a line when it is full drops the oldest and allocates nothing.
template <std::size_t LineLength> class LineRing {
public:
    using Line = FixedText<LineLength>;

    explicit LineRing(std::size_t capacity) : capacity_(capacity) {}

    void push_front(std::u16string_view line) {
        if (lines_.empty())
            lines_.resize(capacity_);
        newest_ = (newest_ + capacity_ - 1) % capacity_;
        lines_[newest_].assign(line);
        size_ = std::min(size_ + 1, capacity_);
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Line i, 0 the newest.
    std::u16string_view operator[](std::size_t i) const {
        return lines_[(newest_ + i) % capacity_].view();
    }
    std::u16string_view front() const { return (*this)[0]; }

    class Iterator {
    public:
        Iterator(const LineRing* ring, std::size_t i) : ring_(ring), i_(i) {}
        std::u16string_view operator*() const { return (*ring_)[i_]; }
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const Iterator& o) const { return i_ == o.i_; }

    private:
        const LineRing* ring_;
        std::size_t i_;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size_}; }

private:
    std::size_t capacity_;
    std::vector<Line> lines_;
    std::size_t newest_ = 0;
    std::size_t size_ = 0;
};

} // namespace tovrin::gbk
