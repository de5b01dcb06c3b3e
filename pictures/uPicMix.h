#pragma once
// Laying the notes picture over a background picture. Plain C++: no Qt here, so that the
// mixing can be tested and measured on its own.
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace picmem {
void *Allocate(std::size_t bytes);
void Free(void *p, std::size_t bytes) noexcept;
} // namespace picmem

// Memory for whole pictures: large blocks are asked for in huge pages where the system
// has them (a 4K picture is 8000 page faults otherwise), and bytes are left as they are
// unless a value is given, since every reader overwrites them all.
template <class T>
struct PictureAllocator {
    using value_type = T;
    PictureAllocator() = default;
    template <class U>
    PictureAllocator(const PictureAllocator<U> &) noexcept {}

    T *allocate(std::size_t n) { return static_cast<T *>(picmem::Allocate(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) noexcept { picmem::Free(p, n * sizeof(T)); }
    template <class U>
    void construct(U *p) noexcept
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <class U, class... A>
    void construct(U *p, A &&...a)
    {
        ::new (static_cast<void *>(p)) U(std::forward<A>(a)...);
    }
    template <class U>
    bool operator==(const PictureAllocator<U> &) const noexcept
    {
        return true;
    }
};
using PictureBytes = std::vector<std::uint8_t, PictureAllocator<std::uint8_t>>;

// A raster of 32-bit pixels, bytes blue, green, red and a fourth byte that carries no
// colour; rows run from the top, each exactly 4 * width bytes.
struct TPicture {
    int width = 0;
    int height = 0;
    PictureBytes bits;

    TPicture() = default;
    TPicture(int w, int h, std::uint8_t fill = 0)
        : width(w), height(h), bits(static_cast<std::size_t>(w) * h * 4, fill) {}
    // A picture whose bytes the caller writes, every one of them.
    static TPicture Blank(int w, int h)
    {
        TPicture p;
        p.width = w;
        p.height = h;
        p.bits.resize(static_cast<std::size_t>(w) * h * 4);
        return p;
    }

    bool empty() const { return width <= 0 || height <= 0; }
    std::uint8_t *row(int y) { return bits.data() + static_cast<std::size_t>(y) * width * 4; }
    const std::uint8_t *row(int y) const { return bits.data() + static_cast<std::size_t>(y) * width * 4; }
    std::uint8_t *pixel(int x, int y) { return row(y) + static_cast<std::size_t>(x) * 4; }
    const std::uint8_t *pixel(int x, int y) const { return row(y) + static_cast<std::size_t>(x) * 4; }
};

struct MixResult {
    // The picture that received the mix: the composed result, also after an error.
    TPicture *picture = nullptr;
    // False when the laid rows ran past the receiving picture's bottom edge; the rows
    // mixed before that stay mixed.
    bool ok = true;
    int rowsMixed = 0;
};

// The laid picture ends 50 columns left of the receiving picture's right edge.
constexpr int MixRightMargin = 50;

// Lays one picture into the other and returns the one that received: `base` when it is
// taller than `overlay` (laid rows start `top` rows down), otherwise `overlay` (from row 0).
// White laid pixels are left out; every other byte becomes D + ((S - D) * weight) / 100.
// Columns that would fall outside either picture are left out.
MixResult MixPictures(TPicture &overlay, TPicture &base, int weight, int top);
