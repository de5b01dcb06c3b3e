#include "uPicMix.h"

#include <algorithm>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
constexpr std::size_t HugePage = std::size_t(2) << 20;
} // namespace

void *picmem::Allocate(std::size_t bytes)
{
#ifdef __linux__
    if (bytes >= 2 * HugePage) {
        const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        void *p = std::aligned_alloc(HugePage, rounded);
        if (!p)
            throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE);
        return p;
    }
#endif
    return ::operator new(bytes);
}

void picmem::Free(void *p, std::size_t bytes) noexcept
{
#ifdef __linux__
    if (bytes >= 2 * HugePage) {
        std::free(p);
        return;
    }
#endif
    ::operator delete(p, bytes);
}

namespace {

// One laid row into one receiving row, walked byte by byte: a run of three 255 bytes
// skips four bytes (a white pixel while the fourth byte is 0), any other byte is mixed.
// Only the bytes from `first` up to `last` (exclusive) of the laid row are walked; the
// white test may look further along the laid row, never past its end.
void mixRow(const std::uint8_t *laid, int laidBytes, std::uint8_t *recv, int shift, int first, int last,
            int weight)
{
    auto isMax = [&](int q) { return q < laidBytes && laid[q] == 255; };
    int p = first;
    while (p < last) {
        if (laid[p] == 255 && isMax(p + 1) && isMax(p + 2)) {
            p += 4;
            continue;
        }
        const int s = laid[p];
        std::uint8_t &out = recv[shift + p];
        const int d = out;
        out = static_cast<std::uint8_t>(d + ((s - d) * weight) / 100);
        ++p;
    }
}

} // namespace

MixResult MixPictures(TPicture &overlay, TPicture &base, int weight, int top)
{
    const bool baseReceives = base.height > overlay.height;
    TPicture &recv = baseReceives ? base : overlay;
    const TPicture &laid = baseReceives ? overlay : base;
    const int rowShift = baseReceives ? top : 0;

    MixResult result;
    result.picture = &recv;

    const int hMin = std::min(overlay.height, base.height);
    const int wMin = std::min(overlay.width, base.width);
    const int wMax = std::max(overlay.width, base.width);
    const int x0 = wMax - wMin - MixRightMargin;

    // Laid columns whose receiving column lies inside the receiving picture.
    const int cFirst = std::max(0, -x0);
    const int cLast = std::min(wMin, recv.width - x0);
    const int laidBytes = laid.width * 4;

    for (int r = 0; r < hMin; ++r) {
        const int y = r + rowShift;
        if (y < 0 || y >= recv.height) {
            result.ok = false;
            return result;
        }
        if (cFirst < cLast) {
            // Receiving byte 4 * x0 + p lines up with laid byte p.
            mixRow(laid.row(r), laidBytes, recv.row(y), x0 * 4, cFirst * 4, cLast * 4, weight);
        }
        result.rowsMixed = r + 1;
    }
    return result;
}
