#include "previewicons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace tarel::report {

namespace {

constexpr int kSize = 32;
const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kAccent(30, 100, 190);
const QColor kWarn(190, 40, 40);

void page(QPainter &p, QRectF r)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void lines(QPainter &p, QRectF r, int count)
{
    p.setPen(QPen(kInk, 1.5));
    for (int i = 0; i < count; ++i) {
        const double y = r.top() + 6 + i * 5;
        if (y > r.bottom() - 3)
            break;
        p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
    }
}

void magnifier(QPainter &p, QPointF centre, double radius, const QString &sign = {})
{
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7), centre + QPointF(radius * 1.8, radius * 1.8));
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(kAccent, 2.5));
    if (sign == QLatin1String("+") || sign == QLatin1String("-"))
        p.drawLine(centre - QPointF(radius / 2, 0), centre + QPointF(radius / 2, 0));
    if (sign == QLatin1String("+"))
        p.drawLine(centre - QPointF(0, radius / 2), centre + QPointF(0, radius / 2));
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &colour = kAccent)
{
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF wing1 = line;
    wing1.setLength(7);
    wing1.setAngle(line.angle() + 35);
    QLineF wing2 = line;
    wing2.setLength(7);
    wing2.setAngle(line.angle() - 35);
    p.drawLine(wing1);
    p.drawLine(wing2);
}

void bar(QPainter &p, double x)
{
    p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x, 8), QPointF(x, 24));
}

void label(QPainter &p, QRectF r, const QString &text, int pixelSize)
{
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(r, Qt::AlignCenter, text);
}

using Drawing = std::function<void(QPainter &)>;

const QHash<QString, Drawing> &drawings()
{
    static const QHash<QString, Drawing> table = {
        {QStringLiteral("Print"),
         [](QPainter &p) {
             page(p, QRectF(9, 3, 14, 10));
             p.setPen(QPen(kInk, 2));
             p.setBrush(QColor(200, 200, 200));
             p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
             page(p, QRectF(9, 19, 14, 10));
             p.setBrush(QColor(60, 170, 60));
             p.setPen(Qt::NoPen);
             p.drawEllipse(QPointF(25, 16), 1.5, 1.5);
         }},
        {QStringLiteral("Open"),
         [](QPainter &p) {
             p.setPen(QPen(kInk, 2));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(12, 8), QPointF(14, 11), QPointF(28, 11),
                                      QPointF(28, 26), QPointF(3, 26)}));
             p.setBrush(QColor(250, 220, 120));
             p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(8, 15), QPointF(31, 15), QPointF(28, 26)}));
         }},
        {QStringLiteral("Save"),
         [](QPainter &p) {
             p.setPen(QPen(kInk, 2));
             p.setBrush(kAccent);
             p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
             p.setBrush(kPaper);
             p.drawRect(QRectF(9, 4, 14, 9));
             p.setBrush(QColor(210, 210, 210));
             p.drawRect(QRectF(9, 18, 14, 10));
         }},
        {QStringLiteral("Export"),
         [](QPainter &p) {
             page(p, QRectF(4, 3, 17, 24));
             lines(p, QRectF(4, 3, 17, 24), 4);
             arrow(p, QPointF(14, 20), QPointF(29, 20), QColor(40, 150, 60));
         }},
        {QStringLiteral("Find"), [](QPainter &p) { magnifier(p, QPointF(13, 13), 8); }},
        {QStringLiteral("Whole Page"),
         [](QPainter &p) {
             page(p, QRectF(8, 3, 16, 26));
             lines(p, QRectF(8, 3, 16, 26), 4);
         }},
        {QStringLiteral("Page Width"),
         [](QPainter &p) {
             page(p, QRectF(3, 5, 26, 22));
             arrow(p, QPointF(16, 16), QPointF(6, 16));
             arrow(p, QPointF(16, 16), QPointF(26, 16));
         }},
        {QStringLiteral("100%"),
         [](QPainter &p) {
             page(p, QRectF(3, 5, 26, 22));
             label(p, QRectF(3, 5, 26, 22), QStringLiteral("1:1"), 11);
         }},
        {QStringLiteral("Two Pages"),
         [](QPainter &p) {
             page(p, QRectF(2, 5, 13, 21));
             page(p, QRectF(17, 5, 13, 21));
             lines(p, QRectF(2, 5, 13, 21), 3);
             lines(p, QRectF(17, 5, 13, 21), 3);
         }},
        {QStringLiteral("Margins"),
         [](QPainter &p) {
             page(p, QRectF(5, 3, 22, 26));
             p.setPen(QPen(kAccent, 1.5, Qt::DashLine));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(10, 8, 12, 16));
         }},
        {QStringLiteral("Outline"),
         [](QPainter &p) {
             p.setPen(QPen(kInk, 2));
             p.drawLine(QPointF(6, 6), QPointF(6, 24));
             p.drawLine(QPointF(6, 12), QPointF(12, 12));
             p.drawLine(QPointF(6, 22), QPointF(12, 22));
             p.setBrush(kAccent);
             p.drawRect(QRectF(3, 3, 6, 5));
             p.drawRect(QRectF(13, 9, 15, 5));
             p.drawRect(QRectF(13, 19, 15, 5));
         }},
        {QStringLiteral("Drag"),
         [](QPainter &p) {
             arrow(p, QPointF(16, 16), QPointF(16, 3), kInk);
             arrow(p, QPointF(16, 16), QPointF(16, 29), kInk);
             arrow(p, QPointF(16, 16), QPointF(3, 16), kInk);
             arrow(p, QPointF(16, 16), QPointF(29, 16), kInk);
         }},
        {QStringLiteral("Zoom"), [](QPainter &p) { magnifier(p, QPointF(13, 13), 9, QStringLiteral("+")); }},
        {QStringLiteral("Add Page"),
         [](QPainter &p) {
             page(p, QRectF(5, 3, 18, 24));
             p.setPen(QPen(QColor(40, 150, 60), 4, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(24, 17), QPointF(24, 29));
             p.drawLine(QPointF(18, 23), QPointF(30, 23));
         }},
        {QStringLiteral("Delete"),
         [](QPainter &p) {
             page(p, QRectF(5, 3, 18, 24));
             p.setPen(QPen(kWarn, 4, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(19, 18), QPointF(29, 28));
             p.drawLine(QPointF(29, 18), QPointF(19, 28));
         }},
        {QStringLiteral("Edit"),
         [](QPainter &p) {
             page(p, QRectF(4, 3, 18, 24));
             p.setPen(QPen(kInk, 2));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({QPointF(14, 26), QPointF(15, 21), QPointF(27, 9), QPointF(31, 13),
                                      QPointF(19, 25)}));
         }},
        {QStringLiteral("First"),
         [](QPainter &p) {
             bar(p, 8);
             arrow(p, QPointF(26, 16), QPointF(12, 16));
         }},
        {QStringLiteral("Prior"), [](QPainter &p) { arrow(p, QPointF(24, 16), QPointF(8, 16)); }},
        {QStringLiteral("Next"), [](QPainter &p) { arrow(p, QPointF(8, 16), QPointF(24, 16)); }},
        {QStringLiteral("Last"),
         [](QPainter &p) {
             arrow(p, QPointF(6, 16), QPointF(20, 16));
             bar(p, 24);
         }},
        {QStringLiteral("Close"),
         [](QPainter &p) {
             p.setPen(QPen(kWarn, 4, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(8, 8), QPointF(24, 24));
             p.drawLine(QPointF(24, 8), QPointF(8, 24));
         }},
    };
    return table;
}

} // namespace

QIcon previewIcon(const QString &caption)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (auto it = drawings().constFind(caption); it != drawings().constEnd())
        (*it)(painter);
    else
        label(painter, QRectF(0, 0, kSize, kSize), caption.left(2), 12);
    painter.end();
    return QIcon(pixmap);
}

} // namespace tarel::report
