#pragma once

// The user-visible texts of the browsing and batch operations, byte for byte.
namespace tavrel::text {

inline constexpr const char* kOpenFailed = "该文件打开失败！\n ";
inline constexpr const char* kUnrecognisedTitle = "Tavrel:    无法识别";
inline constexpr const char* kTitleFormat = "Tavrel:    数据包 %u/%u  帧 %u/%u";
inline constexpr const char* kDebugTitleFormat = "Tavrel:    数据包 %u/%u  帧 %u/%u    调试码 %s";
inline constexpr const char* kSizeFormat = "图片大小:  %d X %d";
inline constexpr const char* kDisplayFailed = "图像显示失败！";
inline constexpr const char* kNotPicture = "非图片或工具尚未支持";
inline constexpr const char* kUnknownPicture = "未知的图片数据!";
inline constexpr const char* kImportFormatFailed = "读取当前图片格式失败！";
inline constexpr const char* kExportFailed = "导出失败！\n ";

// Texts of our own for situations the original tool did not handle.
inline constexpr const char* kTempWriteFailed = "数据块写入临时文件失败，修改仍保留在内存中！\n ";
inline constexpr const char* kTempCopyUnreadable =
    "临时数据块文件无法读取，当前显示的是资源文件中的原始数据！\n ";
inline constexpr const char* kBlockReadFailed = "数据块读取失败！\n ";
inline constexpr const char* kEncodeFailed = "图片编码失败！\n ";
inline constexpr const char* kSaveFailed = "保存失败，资源文件未被修改！\n ";
inline constexpr const char* kTempDeleteFailed = "部分临时文件无法删除！\n ";

// Batch tools.
inline constexpr const char* kFolderMissing = "该路径文件夹不存在，请手动创建！\n ";
inline constexpr const char* kRangeEmpty = "序号不能为空！\n ";
inline constexpr const char* kIllegalPath = "非法路径！\n ";
inline constexpr const char* kExportProgressFormat = "导出图片  %d/%d";
inline constexpr const char* kStatusInit = "初始化导入......";
inline constexpr const char* kStatusWorking = "正在处理......";
inline constexpr const char* kStatusRebuild = "重构图包数据  ";
inline constexpr const char* kStatusCleanup = "删除临时文件";
inline constexpr const char* kPortraitSize = "图片的宽和高必须是2的幂（最大32768）！\n ";
inline constexpr const char* kPortraitDumpFailed = "头像备份文件写入失败，图片已导入！\n ";

}  // namespace tavrel::text
