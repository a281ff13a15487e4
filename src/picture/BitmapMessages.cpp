#include "picture/BitmapFile.h"

namespace tavrel {

const char* BitmapOutcomeMessage(BitmapOutcome outcome) {
    switch (outcome) {
        case BitmapOutcome::Success: return "";
        case BitmapOutcome::OpenFailed: return "文件读取失败！\n ";
        case BitmapOutcome::NotBmp: return "目前只支持bmp格式图片的导入，请重新选择图片！\n ";
        case BitmapOutcome::BadDepth: return "仅支持24位色和32位色的bmp图片！\n ";
        case BitmapOutcome::SizeMismatch: return "图片大小不相符！\n ";
    }
    return "";
}

}  // namespace tavrel
