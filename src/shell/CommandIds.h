#pragma once

// The command numbers of the menus, keys, toolbar and popup menu, and the private message
// numbers the windows (and the batch worker) send each other. The numbers are the program's
// own and stay as they are: tests, the command table and the routing refer to them by name.
namespace tavrel::shell {

enum CommandId : int {
    kCmdOpen = 32773,           // 打开 (tree pane)
    kCmdChangeGameDir = 32776,  // 更改游戏路径 (tree pane)
    kCmdNextBlock = 32777,
    kCmdPrevBlock = 32780,
    kCmdFirstBlock = 32783,
    kCmdLastBlock = 32784,
    kCmdSave = 32789,
    kCmdImport = 32790,
    kCmdExport = 32792,
    kCmdRestore = 32795,
    kCmdGoToBlock = 32797,
    kCmdBatchImport = 32802,
    kCmdBatchExport = 32803,
    kCmdPrevFrame = 32808,
    kCmdNextFrame = 32809,
    kCmdGoToFrame = 32811,
    kCmdForceImport = 32815,  // picture view popup only
    kCmdAbout = 57664,        // application object
    kCmdExit = 57665,         // quit
};

// Parameterless private messages. A message is delivered synchronously: a direct call on the
// user-interface thread, a blocking queued call from any other thread.
enum PrivateMessage : int {
    kMsgOpenGameDir = 0x1801,          // picture view -> tree pane: Open
    kMsgChangeGameDir = 0x1802,        // picture view -> tree pane: Change game directory
    kMsgGamePathKnown = 0x1803,        // tree pane -> main frame
    kMsgOpenSelectedArchive = 0x1804,  // tree pane, batch import -> picture view
    kMsgPrevBlock = 0x1805,
    kMsgFirstBlock = 0x1806,
    kMsgNextBlock = 0x1807,
    kMsgLastBlock = 0x1808,
    kMsgCloseSelectedArchive = 0x1809,
    kMsgImportPicture = 0x1810,
    kMsgExportPicture = 0x1811,
    kMsgSaveArchive = 0x1812,
    kMsgRestoreArchive = 0x1813,
    kMsgGoToBlock = 0x1814,
    kMsgBatchImport = 0x1816,
    kMsgBatchExport = 0x1817,
    kMsgRefreshProgressText = 0x1818,  // batch worker -> progress dialog
    kMsgShowCurrentFrame = 0x1819,     // batch import worker -> picture view
    kMsgNextFrame = 0x181a,
    kMsgPrevFrame = 0x181b,
    kMsgLoadBlock = 0x181c,  // batch worker -> picture view
    kMsgGoToFrame = 0x181e,
};

}  // namespace tavrel::shell
