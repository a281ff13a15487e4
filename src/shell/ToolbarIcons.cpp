#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "CommandIds.h"

namespace tavrel::shell {
namespace {

const QColor kInk(40, 64, 120);
const QColor kAccent(52, 132, 220);
const QColor kGreen(46, 150, 80);
const QColor kOrange(226, 130, 40);

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& color) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, color);
}

// Arrow heads pointing left (dir -1) or right (dir 1), centred on x.
void Chevron(QPainter& p, double x, int dir, const QColor& color) {
    Triangle(p, {x + 3.0 * dir, 8}, {x - 2.5 * dir, 3}, {x - 2.5 * dir, 13}, color);
}

void DrawFolder(QPainter& p) {
    p.setPen(QPen(QColor(150, 100, 20), 1));
    p.setBrush(QColor(250, 205, 90));
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6, 3.5);
    path.lineTo(7.5, 5);
    path.lineTo(14.5, 5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(QColor(255, 226, 140));
    p.drawRect(QRectF(1.5, 7, 13, 6.5));
}

void DrawBar(QPainter& p, double x, const QColor& color) { p.fillRect(QRectF(x, 3, 2, 10), color); }

void DrawTray(QPainter& p) {
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(2, 10);
    tray.lineTo(2, 14);
    tray.lineTo(14, 14);
    tray.lineTo(14, 10);
    p.drawPath(tray);
}

void DrawImport(QPainter& p) {
    DrawTray(p);
    p.fillRect(QRectF(7, 1, 2, 6), kGreen);
    Triangle(p, {4, 6}, {12, 6}, {8, 11}, kGreen);
}

void DrawExport(QPainter& p) {
    DrawTray(p);
    p.fillRect(QRectF(7, 5, 2, 6), kOrange);
    Triangle(p, {4, 6}, {12, 6}, {8, 1}, kOrange);
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.fillRect(QRectF(4, 2, 8, 5), QColor(240, 244, 250));
    p.fillRect(QRectF(9, 3, 2, 3), kInk);
    p.fillRect(QRectF(4, 9.5, 8, 4.5), QColor(220, 230, 245));
}

void DrawRestore(QPainter& p) {
    p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 280 * 16);
    Triangle(p, {1, 4}, {7, 1.5}, {6.5, 7.5}, kAccent);
}

void DrawCommand(QPainter& p, int id) {
    switch (id) {
        case kCmdOpen:
            DrawFolder(p);
            break;
        case kCmdPrevBlock:
            Chevron(p, 5, -1, kInk);
            Chevron(p, 11, -1, kInk);
            break;
        case kCmdNextBlock:
            Chevron(p, 5, 1, kInk);
            Chevron(p, 11, 1, kInk);
            break;
        case kCmdFirstBlock:
            DrawBar(p, 2, kInk);
            Chevron(p, 7, -1, kInk);
            Chevron(p, 12, -1, kInk);
            break;
        case kCmdLastBlock:
            DrawBar(p, 12, kInk);
            Chevron(p, 4, 1, kInk);
            Chevron(p, 9, 1, kInk);
            break;
        case kCmdPrevFrame:
            Chevron(p, 8, -1, kAccent);
            break;
        case kCmdNextFrame:
            Chevron(p, 8, 1, kAccent);
            break;
        case kCmdImport:
            DrawImport(p);
            break;
        case kCmdExport:
            DrawExport(p);
            break;
        case kCmdSave:
            DrawSave(p);
            break;
        case kCmdRestore:
            DrawRestore(p);
            break;
        default:
            break;
    }
}

bool HasButton(int id) {
    switch (id) {
        case kCmdOpen:
        case kCmdPrevBlock:
        case kCmdNextBlock:
        case kCmdFirstBlock:
        case kCmdLastBlock:
        case kCmdPrevFrame:
        case kCmdNextFrame:
        case kCmdImport:
        case kCmdExport:
        case kCmdSave:
        case kCmdRestore:
            return true;
        default:
            return false;
    }
}

}  // namespace

QIcon MakeCommandIcon(int command_id) {
    if (!HasButton(command_id)) return {};
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        DrawCommand(p, command_id);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace tavrel::shell
