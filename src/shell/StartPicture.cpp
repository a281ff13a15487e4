#include "StartPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tavrel::shell {
namespace {

// A small framed landscape: the emblem of a picture tool.
void DrawPictureEmblem(QPainter& p, const QRectF& r) {
    p.save();
    p.setPen(QPen(QColor(255, 255, 255, 230), r.width() / 28.0));
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(255, 196, 120));
    sky.setColorAt(1, QColor(236, 110, 90));
    p.setBrush(sky);
    p.drawRoundedRect(r, r.width() / 12.0, r.width() / 12.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 190));
    p.drawEllipse(QPointF(r.left() + r.width() * 0.7, r.top() + r.height() * 0.32), r.width() * 0.1,
                  r.width() * 0.1);
    QPainterPath hills;
    hills.moveTo(r.left() + r.width() * 0.06, r.bottom() - r.height() * 0.06);
    hills.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.45);
    hills.lineTo(r.left() + r.width() * 0.55, r.top() + r.height() * 0.7);
    hills.lineTo(r.left() + r.width() * 0.72, r.top() + r.height() * 0.55);
    hills.lineTo(r.right() - r.width() * 0.06, r.bottom() - r.height() * 0.06);
    hills.closeSubpath();
    p.setBrush(QColor(60, 70, 120));
    p.drawPath(hills);
    p.restore();
}

}  // namespace

QImage MakeStartPicture() {
    QImage image(kStartPictureWidth, kStartPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, kStartPictureWidth, kStartPictureHeight);
    background.setColorAt(0.0, QColor(28, 36, 78));
    background.setColorAt(0.55, QColor(52, 84, 140));
    background.setColorAt(1.0, QColor(40, 140, 150));
    p.fillRect(image.rect(), background);

    // Soft light from the upper right.
    QRadialGradient glow(QPointF(620, 120), 420);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);

    // A few translucent tiles, like scattered pictures.
    const QRectF tiles[] = {{560, 330, 150, 110}, {610, 380, 150, 110}, {80, 420, 120, 90}};
    for (const QRectF& tile : tiles) {
        p.setPen(QPen(QColor(255, 255, 255, 60), 2));
        p.setBrush(QColor(255, 255, 255, 28));
        p.drawRoundedRect(tile, 10, 10);
    }

    DrawPictureEmblem(p, QRectF(110, 150, 150, 120));

    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(84);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 70));
    p.drawText(QPointF(293, 253), QStringLiteral("Tavrel"));
    p.setPen(Qt::white);
    p.drawText(QPointF(290, 250), QStringLiteral("Tavrel"));

    QFont subtitle(QStringLiteral("Noto Sans CJK SC"));
    subtitle.setPixelSize(26);
    p.setFont(subtitle);
    p.setPen(QColor(230, 238, 255));
    p.drawText(QPointF(294, 292), QStringLiteral("《Ostrim》图片修改工具  1.0"));

    QFont hint(QStringLiteral("Noto Sans CJK SC"));
    hint.setPixelSize(18);
    p.setFont(hint);
    p.setPen(QColor(210, 225, 245, 220));
    p.drawText(QPointF(110, 340),
               QStringLiteral("文件 → 打开 (Ctrl+O)：选择游戏的 RES 目录，再在左侧选择数据包。"));
    p.drawText(QPointF(110, 370),
               QStringLiteral("Ctrl+X / Ctrl+Z 切换数据块，Ctrl+V / Ctrl+C 切换帧。"));
    return image;
}

QImage MakeAboutPicture() {
    QImage image(96, 160, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 160);
    background.setColorAt(0, QColor(28, 36, 78));
    background.setColorAt(1, QColor(40, 140, 150));
    p.fillRect(image.rect(), background);
    DrawPictureEmblem(p, QRectF(14, 30, 68, 56));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 100, 96, 30), Qt::AlignCenter, QStringLiteral("Tavrel"));
    return image;
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawPictureEmblem(p, QRectF(size * 0.06, size * 0.14, size * 0.88, size * 0.72));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace tavrel::shell
