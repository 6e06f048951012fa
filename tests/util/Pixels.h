#pragma once

// What a control looks like on screen: its pixels as painted, grabbed from the real widget, and counts of
// the colours in them.
#include <QApplication>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace Pixels {

// A 0x00BBGGRR colour as Qt's.
inline QColor fromBgr(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The widget painted as it is now, children included.
inline QImage grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The widget as it stands on the screen now: the window's pixels where the widget is, after the pending
// repaints have run. Unlike grab(), which paints the widget afresh, this shows a control that missed a
// repaint with its old pixels.
inline QImage onScreen(QWidget* widget)
{
    QApplication::processEvents();
    QWidget* window = widget->window();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// How many pixels have this colour, each of red, green and blue within tolerance of it (0: exactly).
// Small antialiased text has few pixels of exactly its colour; a tolerance counts its nearly covered ones.
inline int count(const QImage& image, const QColor& color, int tolerance = 0)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            n += qAbs(qRed(p) - color.red()) <= tolerance && qAbs(qGreen(p) - color.green()) <= tolerance
                    && qAbs(qBlue(p) - color.blue()) <= tolerance
                ? 1
                : 0;
        }
    }
    return n;
}

// The colour most of the pixels have: what the eye reads as the background.
inline QColor dominant(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++counts[line[x] | 0xFF000000u];
    }
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return QColor::fromRgb(best);
}

inline QString describe(const QColor& color)
{
    return color.name();
}

} // namespace Pixels
