#include "platform/glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>

namespace platform {

namespace {

// Paints the glyph into a square of side 1 scaled to `side`, so every shape is written
// once in unit coordinates.
void paintGlyph(QPainter& p, Glyph glyph, qreal side, const QColor& ink) {
    p.scale(side, side);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const auto speaker = [&p] {
        p.drawPolygon(QPolygonF{{QPointF(0.12, 0.38), QPointF(0.30, 0.38), QPointF(0.52, 0.18),
                                 QPointF(0.52, 0.82), QPointF(0.30, 0.62), QPointF(0.12, 0.62)}});
    };
    switch (glyph) {
    case Glyph::Play:
        p.drawPolygon(QPolygonF{{QPointF(0.25, 0.15), QPointF(0.85, 0.5), QPointF(0.25, 0.85)}});
        break;
    case Glyph::Pause:
        p.drawRect(QRectF(0.22, 0.18, 0.2, 0.64));
        p.drawRect(QRectF(0.58, 0.18, 0.2, 0.64));
        break;
    case Glyph::Stop:
        p.drawRect(QRectF(0.2, 0.2, 0.6, 0.6));
        break;
    case Glyph::Volume: {
        speaker();
        QPen wave(ink, 0.07, Qt::SolidLine, Qt::RoundCap);
        p.setPen(wave);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.38, 0.32, 0.3, 0.36), -50 * 16, 100 * 16);
        p.drawArc(QRectF(0.36, 0.18, 0.5, 0.64), -50 * 16, 100 * 16);
        break;
    }
    case Glyph::Muted: {
        speaker();
        QPen cross(ink, 0.08, Qt::SolidLine, Qt::RoundCap);
        p.setPen(cross);
        p.drawLine(QPointF(0.64, 0.36), QPointF(0.9, 0.64));
        p.drawLine(QPointF(0.64, 0.64), QPointF(0.9, 0.36));
        break;
    }
    case Glyph::Record:
        p.drawEllipse(QRectF(0.22, 0.22, 0.56, 0.56));
        break;
    case Glyph::Help: {
        p.drawEllipse(QRectF(0.04, 0.04, 0.92, 0.92));
        QPen mark(Qt::white, 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        QPainterPath hook;
        hook.moveTo(0.34, 0.38);
        hook.cubicTo(0.34, 0.18, 0.68, 0.18, 0.66, 0.38);
        hook.cubicTo(0.64, 0.52, 0.5, 0.5, 0.5, 0.62);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0.5, 0.79), 0.075, 0.075);
        break;
    }
    }
}

// Paints the glyph at whatever size and pixel ratio it is asked for, when it is asked:
// nothing is drawn before a button showing it is painted.
class GlyphEngine final : public QIconEngine {
public:
    GlyphEngine(Glyph off, Glyph on, const QColor& ink) : off_(off), on_(on), ink_(ink) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const int side = std::min(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        paintGlyph(*painter, state == QIcon::On ? on_ : off_, side, inkFor(mode));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new GlyphEngine(off_, on_, ink_); }
    QString key() const override { return QStringLiteral("korvant-glyph"); }

private:
    QColor inkFor(QIcon::Mode mode) const {
        if (mode != QIcon::Disabled)
            return ink_;
        QColor faded = ink_;
        faded.setAlphaF(0.4f);
        return faded;
    }

    Glyph off_;
    Glyph on_;
    QColor ink_;
};

} // namespace

QIcon glyphIcon(Glyph glyph, const QColor& ink) {
    return QIcon(new GlyphEngine(glyph, glyph, ink));
}

QIcon glyphIcon(Glyph off, Glyph on, const QColor& ink) {
    return QIcon(new GlyphEngine(off, on, ink));
}

} // namespace platform
