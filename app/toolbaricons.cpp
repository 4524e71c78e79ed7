#include "toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace qv {

namespace {

// Every picture is drawn on a 24 x 24 grid and rendered at 1x and 2x.
using Drawing = std::function<void(QPainter&)>;

const QColor kReceived(0x2e, 0x8b, 0x3e);
const QColor kGiven(0x1f, 0x5f, 0xbf);
const QColor kRed(0xc8, 0x2a, 0x22);
const QColor kGold(0xf2, 0xc1, 0x2e);
const QColor kInk(0x33, 0x33, 0x33);

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color)
{
    p.setPen(QPen(color, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF{to + d * 2.5, to - d * 2.5 + n * 3.5, to - d * 2.5 - n * 3.5});
}

void envelope(QPainter& p, bool received)
{
    p.setPen(QPen(kRed.darker(140), 1));
    p.setBrush(kRed);
    p.drawRoundedRect(QRectF(3.5, 6.5, 13, 16), 1.5, 1.5);
    p.setBrush(kRed.darker(120));
    p.drawPolygon(QPolygonF{{3.5, 7}, {16.5, 7}, {10, 12}});
    p.setBrush(kGold);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(10, 15.5), 2.6, 2.6);
    if (received)
        arrow(p, {19.5, 1.5}, {19.5, 11}, kReceived);
    else
        arrow(p, {19.5, 11}, {19.5, 2}, kGiven);
}

void magnifier(QPainter& p, const QColor& color)
{
    p.setPen(QPen(color, 2.2));
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawEllipse(QPointF(15, 15), 4.5, 4.5);
    p.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.3, 18.3), QPointF(22, 22));
}

void person(QPainter& p, QPointF at, double scale, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(at + QPointF(0, -4.5 * scale), 3.2 * scale, 3.2 * scale);
    QPainterPath body;
    body.moveTo(at + QPointF(-6 * scale, 6 * scale));
    body.cubicTo(at + QPointF(-6 * scale, -1 * scale), at + QPointF(6 * scale, -1 * scale),
                 at + QPointF(6 * scale, 6 * scale));
    body.closeSubpath();
    p.drawPath(body);
}

void list(QPainter& p, const QColor& color)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 14, 18));
    p.setPen(QPen(color, 1.6));
    for (double y : {7.0, 11.0, 15.0})
        p.drawLine(QPointF(5, y), QPointF(14, y));
}

void bars(QPainter& p, const QColor& color)
{
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(2.5, 2), QPointF(2.5, 21.5));
    p.drawLine(QPointF(2.5, 21.5), QPointF(22, 21.5));
    p.setPen(Qt::NoPen);
    const double heights[] = {7, 12, 9, 16};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(i % 2 ? color.lighter(130) : color);
        p.drawRect(QRectF(4.5 + i * 4.5, 21 - heights[i], 3.4, heights[i]));
    }
}

void pie(QPainter& p, const QColor& color)
{
    const QRectF r(2, 3, 18, 18);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(color);
    p.drawPie(r, 90 * 16, 200 * 16);
    p.setBrush(kGold);
    p.drawPie(r, 290 * 16, 100 * 16);
    p.setBrush(kRed);
    p.drawPie(r.translated(1.5, -1), 30 * 16, 60 * 16);
}

void roundSign(QPainter& p, const QColor& color, const QString& glyph)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QFont font;
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, glyph);
}

void printer(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 7));
    p.setBrush(QColor(0x90, 0x98, 0xa4));
    p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 14.5, 11, 7));
    p.setPen(QPen(kInk, 0.8));
    p.drawLine(QPointF(8.5, 17), QPointF(15.5, 17));
    p.drawLine(QPointF(8.5, 19), QPointF(13.5, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(kReceived);
    p.drawEllipse(QPointF(18.5, 11), 1, 1);
}

void addressBook(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xb5, 0x65, 0x2a));
    p.drawRoundedRect(QRectF(4.5, 2.5, 15, 19), 1.5, 1.5);
    p.setBrush(QColor(0xf7, 0xef, 0xdc));
    p.drawRect(QRectF(7, 4.5, 10.5, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    for (double y : {5.0, 10.0, 15.0})
        p.drawRect(QRectF(19.5, y, 2.5, 3.5));
    person(p, {12.2, 13}, 0.6, kGiven);
}

void exchange(QPainter& p, bool everyone)
{
    if (everyone) {
        list(p, kGiven);
        arrow(p, {8, 21}, {21, 21}, kReceived);
        arrow(p, {22, 14}, {10, 14}, kRed);
        return;
    }
    person(p, {6, 14}, 0.7, kReceived);
    person(p, {18, 14}, 0.7, kGiven);
    arrow(p, {7, 4}, {17, 4}, kRed);
}

void door(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xa0, 0x6a, 0x3c));
    p.drawRect(QRectF(3.5, 2.5, 10, 19));
    p.setBrush(kGold);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(11.2, 12), 1, 1);
    arrow(p, {13, 12}, {21, 12}, kRed);
}

Drawing drawingFor(const QString& name)
{
    if (name == QLatin1String("Custom072!"))
        return [](QPainter& p) { envelope(p, true); };
    if (name == QLatin1String("DropDownListBox!"))
        return [](QPainter& p) { envelope(p, false); };
    if (name == QLatin1String("Custom065!"))
        return [](QPainter& p) {
            person(p, {9, 10}, 1, kReceived);
            magnifier(p, kInk);
        };
    if (name == QLatin1String("SetNextStatement!"))
        return [](QPainter& p) {
            person(p, {9, 10}, 1, kGiven);
            magnifier(p, kInk);
        };
    if (name == QLatin1String("Custom014!"))
        return [](QPainter& p) {
            list(p, kReceived);
            magnifier(p, kInk);
        };
    if (name == QLatin1String("Cascade!"))
        return [](QPainter& p) {
            list(p, kGiven);
            magnifier(p, kInk);
        };
    if (name == QLatin1String("CreateIndex!"))
        return [](QPainter& p) { bars(p, kReceived); };
    if (name == QLatin1String("Update!"))
        return [](QPainter& p) { pie(p, kGiven); };
    if (name == QLatin1String("Find!"))
        return [](QPainter& p) { exchange(p, false); };
    if (name == QLatin1String("Replace!"))
        return [](QPainter& p) { exchange(p, true); };
    if (name == QLatin1String("Custom026!"))
        return addressBook;
    if (name == QLatin1String("Custom074!"))
        return printer;
    if (name == QLatin1String("Help!"))
        return [](QPainter& p) { roundSign(p, kGiven, QStringLiteral("?")); };
    if (name == QLatin1String("Picture5!"))
        return [](QPainter& p) { roundSign(p, kReceived, QStringLiteral("i")); };
    if (name == QLatin1String("Exit!"))
        return door;
    return [](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
    };
}

} // namespace

QIcon toolbarPicture(const QString& stockName)
{
    const Drawing draw = drawingFor(stockName);
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(24 * scale, 24 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace qv
