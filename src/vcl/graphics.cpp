#include "vcl/graphics.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <cstdlib>

namespace vcl {

namespace {

// (a * b + c) / d and its remainder, for a, b, c, d below 2^63 and a
// quotient that fits 64 bits, without a 128-bit type (MSVC has none).
uint64_t mulAddDiv(uint64_t a, uint64_t b, uint64_t c, uint64_t d, uint64_t &remainder)
{
    // 128-bit product as two 64-bit halves, from 32-bit partial products.
    const uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32;
    const uint64_t bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    uint64_t lo = (ll & 0xFFFFFFFFu) | (mid << 32);
    uint64_t hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
    lo += c;
    hi += lo < c;
    // Long division, one bit at a time: this runs once per line.
    uint64_t quotient = 0, rest = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const bool carry = rest >> 63;
        rest = (rest << 1) | ((bit >= 64 ? hi >> (bit - 64) : lo >> bit) & 1);
        quotient <<= 1;
        if (carry || rest >= d) {
            rest -= d;
            quotient |= 1;
        }
    }
    remainder = rest;
    return quotient;
}

} // namespace

QRgb toQRgb(TColor color)
{
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor fromQColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

TColor clBtnFace()
{
    return fromQColor(QApplication::palette().color(QPalette::Button));
}

TColor clBtnShadow()
{
    return fromQColor(QApplication::palette().color(QPalette::Dark));
}

TColor clBtnHighlight()
{
    return fromQColor(QApplication::palette().color(QPalette::Light));
}

void TCanvas::MoveTo(int32_t X, int32_t Y)
{
    m_pos = {X, Y};
    if (OnTrace)
        OnTrace(false, m_pos);
}

void TCanvas::hLine(int64_t y, int64_t x0, int64_t x1)
{
    // Grid lines span the whole client width, and there can be a thousand of
    // them at a large size: fill the row directly.
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, m_surface->width() - 1);
    if (y < 0 || y >= m_surface->height() || x0 > x1)
        return;
    auto *row = reinterpret_cast<QRgb *>(m_surface->scanLine(int(y)));
    std::fill(row + x0, row + x1 + 1, toQRgb(Pen->Color));
}

void TCanvas::LineTo(int32_t X, int32_t Y)
{
    const TPoint from = m_pos;
    m_pos = {X, Y};
    if (OnTrace)
        OnTrace(true, m_pos);

    const int64_t dx = int64_t(X) - from.X;
    const int64_t dy = int64_t(Y) - from.Y;
    if (dx == 0 && dy == 0)
        return;

    if (dy == 0) {
        // The end point is left out: a line drawn leftwards stops just right of X.
        if (dx > 0)
            hLine(from.Y, from.X, int64_t(X) - 1);
        else
            hLine(from.Y, int64_t(X) + 1, from.X);
    } else {
        // Step along the major axis; the pixel of step k lies at the minor
        // offset k * dMinor / dMajor rounded to nearest (halves away from the
        // start). Computing each pixel from k rather than by accumulating an
        // error term lets the walk start and stop at the surface's edges, so a
        // point millions of pixels away costs no more than one on screen.
        const bool xMajor = std::llabs(dx) >= std::llabs(dy);
        const int64_t major = xMajor ? dx : dy;
        const int64_t minor = xMajor ? dy : dx;
        const int64_t majorStart = xMajor ? from.X : from.Y;
        const int64_t minorStart = xMajor ? from.Y : from.X;
        const int64_t majorStep = major > 0 ? 1 : -1;
        const int64_t majorLength = std::llabs(major);
        const int64_t majorLimit = xMajor ? m_surface->width() : m_surface->height();
        const int64_t minorLimit = xMajor ? m_surface->height() : m_surface->width();

        // Steps k in [0, majorLength) whose major coordinate lies on the surface.
        int64_t kFirst = 0;
        int64_t kLast = majorLength - 1;
        if (majorStep > 0) {
            kFirst = std::max<int64_t>(kFirst, -majorStart);
            kLast = std::min<int64_t>(kLast, majorLimit - 1 - majorStart);
        } else {
            kFirst = std::max<int64_t>(kFirst, majorStart - (majorLimit - 1));
            kLast = std::min<int64_t>(kLast, majorStart);
        }

        // offset(k) = floor((2 k |minor| + L) / 2L), L = |major|: the quotient
        // and remainder are found once for the first visible step (the
        // product can pass 64 bits there) and then advanced by 2|minor| a
        // step, as Bresenham's error term is.
        const QRgb pixel = toQRgb(Pen->Color);
        const uint64_t absMinor = uint64_t(std::llabs(minor));
        const uint64_t twoL = 2 * uint64_t(majorLength);
        const int64_t minorStep = minor >= 0 ? 1 : -1;
        uint64_t remainder = 0;
        int64_t offset = int64_t(mulAddDiv(2 * uint64_t(kFirst), absMinor, uint64_t(majorLength), twoL, remainder));
        for (int64_t k = kFirst; k <= kLast; ++k) {
            const int64_t m = minorStart + minorStep * offset;
            if (m >= 0 && m < minorLimit) {
                const int64_t a = majorStart + majorStep * k;
                const int x = int(xMajor ? a : m);
                const int y = int(xMajor ? m : a);
                reinterpret_cast<QRgb *>(m_surface->scanLine(y))[x] = pixel;
            }
            remainder += 2 * absMinor;
            if (remainder >= twoL) {
                remainder -= twoL;
                ++offset;
            }
        }
    }
    if (OnChange)
        OnChange();
}

} // namespace vcl
