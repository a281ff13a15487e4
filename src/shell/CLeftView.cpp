#include "CLeftView.h"

#include <QFile>
#include <QHeaderView>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <system_error>
#include <vector>

#include "CommandTable.h"
#include "DialogProvider.h"
#include "ShellContext.h"
#include "ShellText.h"
#include "TreeSelectionDelegate.h"
#include "browse/Browsing.h"
#include "browse/SettingsFile.h"

namespace tavrel::shell {
namespace fs = std::filesystem;

namespace {

constexpr const char* kRootText = "文件目录";
constexpr const char* kBrowseTitle = "请设置Ostrim的RES目录";
constexpr const char* kBadDirectory = "无法访问指定目录，请重新选择游戏目录！";
constexpr const char* kBadDirectoryCaption = "出错啦";
constexpr const char* kBusyRefusal = "正在处理数据包中……请勿切换所选文件！";
// Deeper folder chains than this are not listed (they cannot be a game's resources and
// would only cost stack).
constexpr int kMaxScanDepth = 64;

bool IsArchiveName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return tail == ".bin" || tail == ".kx4";
}

bool IsSeparator(char c) {
    return c == '/' || c == static_cast<char>(fs::path::preferred_separator);
}

std::string WithoutTrailingSeparators(std::string text) {
    while (text.size() > 1 && IsSeparator(text.back())) text.pop_back();
    return text;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

struct Entry {
    fs::path path;
    std::string name;
    bool directory;
};

// The directory's entries, folders first, each group by name.
std::vector<Entry> ListDirectory(const fs::path& dir) {
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        bool directory = it->is_directory(type_ec);
        entries.push_back({it->path(), it->path().filename().string(), directory});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.directory != b.directory) return a.directory;
        return QString::compare(ToQt(a.name), ToQt(b.name), Qt::CaseInsensitive) < 0;
    });
    return entries;
}

QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const fs::path& path) {
    auto* item = new QTreeWidgetItem(parent, QStringList{PathToQt(path.filename())});
    const std::string& native = path.native();
    item->setData(0, Qt::UserRole,
                  QByteArray(native.data(), static_cast<qsizetype>(native.size())));
    parent->setExpanded(true);
    return item;
}

}  // namespace

CLeftView::CLeftView(ShellContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new TreeSelectionDelegate(this));
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, TreeSelectionDelegate::kSelectionBackground);
        colours.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    setPalette(colours);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { OnSelectionChanged(); });
    ctx_.tree = this;
}

void CLeftView::OnCommand(int id) {
    if (id == kCmdOpen) {
        OpenGameDirectory();
    } else if (id == kCmdChangeGameDir) {
        ChangeGameDirectory();
    } else if (PrivateMessage message = ForwardMessage(id)) {
        SendPrivateMessage(ctx_, message);
    }
}

void CLeftView::HandleMessage(PrivateMessage message) {
    if (message == kMsgOpenGameDir) OpenGameDirectory();
    if (message == kMsgChangeGameDir) ChangeGameDirectory();
}

fs::path CLeftView::ItemPath(const QTreeWidgetItem* item) {
    if (item == nullptr) return {};
    QByteArray bytes = item->data(0, Qt::UserRole).toByteArray();
    return fs::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QTreeWidgetItem* CLeftView::FindItem(const fs::path& path) const {
    if (root_ == nullptr) return nullptr;
    std::error_code ec;
    fs::path wanted = fs::weakly_canonical(path, ec);
    for (QTreeWidgetItemIterator it(root_); *it; ++it) {
        fs::path candidate = ItemPath(*it);
        if (candidate.empty()) continue;
        if (candidate == path || fs::weakly_canonical(candidate, ec) == wanted) return *it;
    }
    return nullptr;
}

// Before the directory changes, any open archive is closed and the start picture returns.
void CLeftView::CloseForDirectoryChange() {
    ctx_.session.display.picture_shown = false;
    ctx_.session.state.show_start_picture = true;
    SendPrivateMessage(ctx_, kMsgCloseSelectedArchive);
}

void CLeftView::OpenGameDirectory() {
    if (!FlushPendingBlock(ctx_)) return;
    CloseForDirectoryChange();
    Settings settings = ReadSettings(ctx_.session.program_dir);
    std::string candidate;
    if (settings.file_exists) {
        candidate = settings.game_path;
        if (settings.logout == "1") ctx_.session.logout = true;
    }
    std::optional<std::string> chosen = ChooseGameDirectory(candidate, candidate.empty());
    if (!chosen) return;
    AcceptGameDirectory(*chosen);
    SendPrivateMessage(ctx_, kMsgGamePathKnown);
}

void CLeftView::ChangeGameDirectory() {
    if (!FlushPendingBlock(ctx_)) return;
    CloseForDirectoryChange();
    std::optional<std::string> chosen = ChooseGameDirectory({}, true);
    if (chosen) AcceptGameDirectory(*chosen);
}

// Asks until the candidate names an existing directory. Cancelling the browser ends the
// command, so a user without a valid game directory is never trapped in the loop.
std::optional<std::string> CLeftView::ChooseGameDirectory(std::string candidate, bool ask_first) {
    bool ask = ask_first;
    for (;;) {
        if (ask) {
            std::optional<QString> picked = ctx_.dialogs.Folder(window(), ToQt(kBrowseTitle));
            if (!picked) return std::nullopt;
            QByteArray bytes = QFile::encodeName(*picked);
            candidate.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        if (IsDirectory(fs::path(candidate))) return candidate;
        ctx_.dialogs.Message(window(), ToQt(kBadDirectory), ToQt(kBadDirectoryCaption));
        ask = true;
    }
}

void CLeftView::AcceptGameDirectory(const std::string& candidate) {
    WriteGamePath(ctx_.session.program_dir, candidate);
    game_path_ = fs::path(WithoutTrailingSeparators(candidate));
    FillTree();
    ctx_.session.state.archive_open = false;
    ctx_.session.state.frames_available = false;
    if (ctx_.session.ui) ctx_.session.ui->SetTitle(kAppTitle);
}

void CLeftView::FillTree() {
    QSignalBlocker block(this);
    clear();
    root_ = new QTreeWidgetItem(this, QStringList{ToQt(kRootText)});
    std::set<fs::path> visited;
    ScanDirectory(game_path_, root_, 0, visited);
    root_->setExpanded(true);
}

// Adds the archives at or below `dir` to `parent`; returns whether any was found.
bool CLeftView::ScanDirectory(const fs::path& dir, QTreeWidgetItem* parent, int depth,
                              std::set<fs::path>& visited) {
    if (depth > kMaxScanDepth) return false;
    std::error_code ec;
    fs::path canonical = fs::canonical(dir, ec);
    if (ec || !visited.insert(canonical).second) return false;  // unreadable, or a link loop
    bool found = false;
    for (const Entry& entry : ListDirectory(dir)) {
        if (entry.directory) {
            QTreeWidgetItem* item = AddItem(parent, entry.path);
            if (ScanDirectory(entry.path, item, depth + 1, visited)) {
                found = true;
            } else {
                delete item;
            }
        } else if (IsArchiveName(entry.name)) {
            AddItem(parent, entry.path);
            found = true;
        }
    }
    visited.erase(canonical);
    return found;
}

void CLeftView::OnSelectionChanged() {
    BrowseState& state = ctx_.session.state;
    auto refused = [&] { return state.busy || state.batch_running || ctx_.batch_active; };
    if (refused()) {
        ctx_.dialogs.Message(window(), ToQt(kBusyRefusal), ToQt(kDefaultCaption));
        return;
    }
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr || item == root_) return;
    fs::path full = ItemPath(item);
    if (full.empty() || IsDirectory(full)) return;
    if (!FlushPendingBlock(ctx_)) return;
    // A batch may have started meanwhile: then the open archive (and its name, which names
    // its temporary copies) must stay as it is.
    if (refused()) {
        ctx_.dialogs.Message(window(), ToQt(kBusyRefusal), ToQt(kDefaultCaption));
        return;
    }
    state.archive.archive_name = full.filename().string();
    state.archive.archive_path = full;
    SendPrivateMessage(ctx_, kMsgOpenSelectedArchive);
}

}  // namespace tavrel::shell
