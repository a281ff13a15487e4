#include "CommandTable.h"

#include <algorithm>
#include <array>

namespace tavrel::shell {
namespace {

constexpr std::array kCommands = {
    CommandSpec{kCmdOpen, "打开(&O)\tCtrl+O", "O", "展开游戏图片资源目录"},
    CommandSpec{kCmdChangeGameDir, "更改游戏路径", "", "重新设置您的游戏目录\n"},
    CommandSpec{kCmdExit, "退出(&X)", "", "退出应用程序"},
    CommandSpec{kCmdImport, "导入(&I)\tCtrl+I", "I", "导入用于修改的图片"},
    CommandSpec{kCmdExport, "导出(&E)\tCtrl+E", "E", "导出当前浏览的图片"},
    CommandSpec{kCmdSave, "保存(&S)\tCtrl+S", "S",
                "保存修改到资源文件，只有执行本命令文件才会被真正的修改！"},
    CommandSpec{kCmdRestore, "还原(&R)\tCtrl+R", "R", "撤消选中资源文件的所有修改"},
    CommandSpec{kCmdPrevBlock, "上一个数据块(&Z)\tCtrl+Z", "Z", "浏览上一个数据块"},
    CommandSpec{kCmdNextBlock, "下一个数据块(&X)\tCtrl+X", "X", "浏览下一个数据块"},
    CommandSpec{kCmdFirstBlock, "第一个数据块(&Home)\tCtrl+Home", "Home", "跳至第一个数据块"},
    CommandSpec{kCmdLastBlock, "最后一个数据块(&End)\tCtrl+End", "End", "跳至最后一个数据块"},
    CommandSpec{kCmdGoToBlock, "转到数据块...(&P)\tCtrl+P", "P", "输入数值，转至指定数据块"},
    CommandSpec{kCmdPrevFrame, "前一帧(&C)\tCtrl+C", "C", "浏览前面一帧"},
    CommandSpec{kCmdNextFrame, "下一帧(&V)\tCtrl+V", "V", "浏览后面一帧"},
    CommandSpec{kCmdGoToFrame, "转到帧...(&L)\tCtrl+L", "L", "输入数值，转至特定帧"},
    CommandSpec{kCmdBatchImport, "批量导入...", "", "将符合命名规则的多个图片一次性导入到资源包中"},
    CommandSpec{kCmdBatchExport, "批量导出...", "", "将范围内的图片全部导出"},
    CommandSpec{kCmdAbout, "关于 Tavrel(&A)...", "", "显示程序信息、版本号和版权信息\n关于"},
    CommandSpec{kCmdForceImport, "强制导入", "", "在目前位置强制导入头像"},
};

constexpr LayoutEntry kFileMenu[] = {
    {kCmdOpen}, {kSeparator}, {kCmdChangeGameDir}, {kSeparator}, {kCmdExit}};

constexpr LayoutEntry kBrowseMenu[] = {
    {kCmdImport},    {kCmdExport},    {kCmdSave},       {kCmdRestore},   {kSeparator},
    {kCmdPrevBlock}, {kCmdNextBlock}, {kCmdFirstBlock}, {kCmdLastBlock}, {kCmdGoToBlock},
    {kCmdPrevFrame}, {kCmdNextFrame}, {kCmdGoToFrame},
};

// The popup menu: the browse menu, then the forced import.
constexpr LayoutEntry kPopupMenu[] = {
    {kCmdImport},    {kCmdExport},    {kCmdSave},       {kCmdRestore},   {kSeparator},
    {kCmdPrevBlock}, {kCmdNextBlock}, {kCmdFirstBlock}, {kCmdLastBlock}, {kCmdGoToBlock},
    {kCmdPrevFrame}, {kCmdNextFrame}, {kCmdGoToFrame},  {kSeparator},    {kCmdForceImport},
};

constexpr bool PopupStartsWithBrowseMenu() {
    for (std::size_t i = 0; i < std::size(kBrowseMenu); ++i) {
        if (kPopupMenu[i].id != kBrowseMenu[i].id) return false;
    }
    return std::size(kPopupMenu) == std::size(kBrowseMenu) + 2;
}
static_assert(PopupStartsWithBrowseMenu());

constexpr LayoutEntry kBatchMenu[] = {{kCmdBatchImport}, {kCmdBatchExport}};
constexpr LayoutEntry kHelpMenu[] = {{kCmdAbout}};

constexpr std::array kMainMenu = {
    MenuLayout{"文件(&F)", kFileMenu},
    MenuLayout{"浏览(&V)", kBrowseMenu},
    MenuLayout{"批量(&B)", kBatchMenu},
    MenuLayout{"帮助(&H)", kHelpMenu},
};

constexpr LayoutEntry kToolbar[] = {
    {kCmdOpen},      {kSeparator}, {kCmdPrevBlock}, {kCmdNextBlock}, {kCmdFirstBlock},
    {kCmdLastBlock}, {kSeparator}, {kCmdPrevFrame}, {kCmdNextFrame}, {kSeparator},
    {kCmdImport},    {kCmdExport}, {kSeparator},    {kCmdSave},      {kCmdRestore},
};

struct Forward {
    int id;
    PrivateMessage message;
};
constexpr Forward kForwards[] = {
    {kCmdPrevBlock, kMsgPrevBlock},     {kCmdFirstBlock, kMsgFirstBlock},
    {kCmdNextBlock, kMsgNextBlock},     {kCmdLastBlock, kMsgLastBlock},
    {kCmdImport, kMsgImportPicture},    {kCmdExport, kMsgExportPicture},
    {kCmdSave, kMsgSaveArchive},        {kCmdRestore, kMsgRestoreArchive},
    {kCmdGoToBlock, kMsgGoToBlock},     {kCmdBatchImport, kMsgBatchImport},
    {kCmdBatchExport, kMsgBatchExport}, {kCmdNextFrame, kMsgNextFrame},
    {kCmdPrevFrame, kMsgPrevFrame},     {kCmdGoToFrame, kMsgGoToFrame},
};

}  // namespace

std::span<const CommandSpec> AllCommands() { return kCommands; }

const CommandSpec* FindCommand(int id) {
    auto it = std::find_if(kCommands.begin(), kCommands.end(),
                           [id](const CommandSpec& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::span<const MenuLayout> MainMenuLayout() { return kMainMenu; }
MenuLayout PopupMenuLayout() { return {"浏览(&V)", kPopupMenu}; }
std::span<const LayoutEntry> ToolbarLayout() { return kToolbar; }

std::string_view MenuLabel(const CommandSpec& command) {
    std::string_view text = command.menu_text;
    return text.substr(0, text.find('\t'));
}

std::string_view StatusPrompt(const CommandSpec& command) {
    std::string_view text = command.prompt;
    return text.substr(0, text.find('\n'));
}

std::string_view PromptToolTip(const CommandSpec& command) {
    std::string_view text = command.prompt;
    auto pos = text.find('\n');
    return pos == std::string_view::npos ? std::string_view{} : text.substr(pos + 1);
}

PrivateMessage ForwardMessage(int id) {
    for (const Forward& f : kForwards) {
        if (f.id == id) return f.message;
    }
    return PrivateMessage{};
}

}  // namespace tavrel::shell
