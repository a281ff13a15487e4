#include <cstdio>

#include "browse/Browsing.h"
#include "browse/FrameAccess.h"
#include "browse/Messages.h"

namespace tavrel {

namespace {

void ShowFailure(Session& s) {
    RefreshTitle(s);
    s.display.size_text = text::kDisplayFailed;
    s.display.picture_shown = false;
    // A picture that failed has no size; the block's size text must not show the last one's.
    s.display.width = 0;
    s.display.height = 0;
}

}  // namespace

void ShowCurrentFrame(Session& s) {
    PictureDisplay& d = s.display;
    d.bitmap = Picture{};
    ResourceNode* leaf = CurrentFrameLeaf(s.state);
    if (!leaf) {
        s.ui->ShowMessage(text::kUnknownPicture);
        ShowFailure(s);
        return;
    }
    const TextureInfo info = ReadLeafTextureInfo(*leaf);
    std::optional<Picture> picture = DecodeLeaf(*leaf, info);
    if (!picture) {  // the display bitmap cannot be made
        ShowFailure(s);
        return;
    }
    d.bitmap = std::move(*picture);
    d.width = info.width;
    d.height = info.height;
    s.ui->SetScrollExtent(info.width, info.height);
    s.ui->InvalidateView();
    RefreshTitle(s);
    char size_text[64];
    std::snprintf(size_text, sizeof size_text, text::kSizeFormat, info.width, info.height);
    d.size_text = size_text;
    d.picture_shown = true;
}

}  // namespace tavrel
