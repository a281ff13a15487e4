// tavrel-cli make-demo DIR [--small]: writes the demo game folder DIR/RES.

#include <chrono>
#include <cstdio>

#include "CliCommand.h"
#include "demo/DemoGame.h"

namespace tavrel::cli {
namespace {

int RunMakeDemo(const Args& args) {
    if (args.positional.size() != 1) {
        std::fputs("usage: tavrel-cli make-demo DIR [--small]\n", stderr);
        return kUsage;
    }
    const std::filesystem::path dir = args.positional[0];
    const auto size = args.Has("small") ? demo::DemoSize::Fixture : demo::DemoSize::Full;
    const auto start = std::chrono::steady_clock::now();
    const demo::DemoResult result = demo::WriteDemoGame(dir, size);
    if (!result.ok) {
        std::fprintf(stderr, "make-demo: %s\n", result.error.c_str());
        return kFatal;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("wrote %zu files (%ju bytes, %zu pictures) below %s in %.2f s\n", result.files,
                result.bytes, result.frames, (dir / "RES").string().c_str(), seconds);
    return kOk;
}

Registrar registrar{
    {"make-demo", "make-demo DIR [--small]   write a demo game folder DIR/RES", {}, RunMakeDemo}};

}  // namespace
}  // namespace tavrel::cli
