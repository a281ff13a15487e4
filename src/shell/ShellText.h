#pragma once

#include <QString>
#include <filesystem>
#include <string>

// Conversions between the core's UTF-8 texts and paths and Qt's strings.
namespace tavrel::shell {

inline QString ToQt(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline QString ToQt(const char* utf8) { return QString::fromUtf8(utf8); }
inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

// Paths go through the platform's file-name encoding so that any name on disk survives.
QString PathToQt(const std::filesystem::path& path);
std::filesystem::path PathFromQt(const QString& text);

}  // namespace tavrel::shell
