#include "ShellText.h"

#include <QFile>

namespace tavrel::shell {

QString PathToQt(const std::filesystem::path& path) {
    const std::string& native = path.native();
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

std::filesystem::path PathFromQt(const QString& text) {
    QByteArray bytes = QFile::encodeName(text);
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace tavrel::shell
