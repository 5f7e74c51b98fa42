// Colours, the pen and the canvas.
//
// A form's client area is a retained pixel surface. The canvas draws into it
// at any moment, inside a paint event or from any other handler, and the
// window shows the surface at its next repaint. So a direct draw lands over
// whatever is already there, and only an invalidation clears it.
#pragma once

#include <QImage>

#include <cstdint>
#include <functional>

namespace vcl {

// 0x00BBGGRR: red in the low byte.
using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

QRgb toQRgb(TColor color);
TColor fromQColor(const QColor &color);

// The system colours the layer draws with, from the application's palette.
TColor clBtnFace();
TColor clBtnShadow();
TColor clBtnHighlight();

class TPen {
public:
    TColor Color = clBlack;  // lines are always 1 pixel wide and solid
};

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

class TCanvas {
public:
    explicit TCanvas(QImage *surface) : m_surface(surface) {}
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    TPen *const Pen = &m_pen;

    void MoveTo(int32_t X, int32_t Y);
    // A straight line from the current position to (X, Y), which becomes the
    // current position. The end point itself is not drawn, so a polyline
    // never draws a vertex twice. Pixels off the surface are clipped; the
    // work is bounded by the surface, however far away the points lie.
    void LineTo(int32_t X, int32_t Y);
    TPoint PenPos() const { return m_pos; }

    // Called after every change to the surface, so the window can schedule
    // a repaint. Tests also use it to see the drawing as it happens.
    std::function<void()> OnChange;
    // Sees every MoveTo and LineTo, for tests that check a polyline's vertices.
    std::function<void(bool isLine, TPoint point)> OnTrace;

private:
    void hLine(int64_t y, int64_t x0, int64_t x1);

    QImage *m_surface;
    TPen m_pen;
    TPoint m_pos;
};

} // namespace vcl
