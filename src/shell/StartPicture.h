#pragma once

#include <QIcon>
#include <QImage>

// The program's own pictures, drawn in code: the picture view's start picture, the About
// box picture and the window icon.
namespace tavrel::shell {

inline constexpr int kStartPictureWidth = 800;
inline constexpr int kStartPictureHeight = 600;

QImage MakeStartPicture();  // 800 x 600, opaque
QImage MakeAboutPicture();  // 96 x 160
QIcon MakeAppIcon();

}  // namespace tavrel::shell
