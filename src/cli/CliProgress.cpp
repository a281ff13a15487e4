#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "CliUi.h"

namespace tavrel::cli {

CliProgress::CliProgress() : enabled_(isatty(STDERR_FILENO) == 1) {}

void CliProgress::SetProgressText(const std::string& text) {
    text_ = text;
    Draw();
}

void CliProgress::SetRange(std::uint16_t maximum) {
    total_ = maximum;
    Draw();
}

void CliProgress::SetPosition(std::int32_t position) {
    done_ = position;
    Draw();
}

void CliProgress::Update(std::int64_t done, std::int64_t total, const std::string& text) {
    done_ = done;
    total_ = total;
    text_ = text;
    Draw();
}

void CliProgress::Close() {
    if (enabled_ && drawn_) std::fputs("\n", stderr);
    drawn_ = false;
}

void CliProgress::Draw() {
    if (!enabled_) return;
    constexpr int kWidth = 30;
    const std::int64_t total = std::max<std::int64_t>(total_, 1);
    const int filled = static_cast<int>(std::clamp<std::int64_t>(done_ * kWidth / total, 0, kWidth));
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '-');
    std::fprintf(stderr, "\r[%s] %lld/%lld %s\033[K", bar.c_str(), static_cast<long long>(done_),
                 static_cast<long long>(total_), text_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace tavrel::cli
