#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "demo/DemoPlan.h"
#include "format/Bytes.h"

// Writes the demo game folder: `dir`/RES/... with archives of every recognised entry count,
// one unrecognised archive, a folder without archives and a few other files. The output is
// the same on every run. Tests use DemoSize::Fixture for a small folder of the same layout.
namespace tavrel {
class LwCodec;
}

namespace tavrel::demo {

struct DemoResult {
    bool ok = false;
    std::string error;         // what failed, with the path concerned
    std::size_t files = 0;     // files written
    std::uintmax_t bytes = 0;  // bytes written
    std::size_t frames = 0;    // pictures generated
};

// Writes the plan's files below `dir` (folders are created; existing files are replaced).
DemoResult WriteGame(const GamePlan& plan, const std::filesystem::path& dir);

// WriteGame(MakeGamePlan(size), dir).
DemoResult WriteDemoGame(const std::filesystem::path& dir, DemoSize size = DemoSize::Full);

// One texture entry with a generated picture: header (level byte, format code, size byte,
// tag) and the top level in the entry's pixel class.
Bytes RenderFrame(const FrameSpec& frame);

// The bytes of one node of a block (a whole block for a block's root); nullopt (with
// `error` set) when the codec refuses to compress an entry.
std::optional<Bytes> RenderNode(const NodeSpec& node, LwCodec& codec, std::string& error);

}  // namespace tavrel::demo
