#pragma once

#include <cstdint>
#include <vector>

// A plain 32-bit picture: width x height pixels of blue, green, red, alpha, rows from top to
// bottom, stride exactly width * 4. Shared by the decoder, the encoder and the BMP files.
namespace tavrel {

struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

    Picture() = default;
    Picture(std::int32_t w, std::int32_t h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0) {}
    bool empty() const { return pixels.empty(); }
    std::uint8_t* row(std::int32_t y) { return pixels.data() + static_cast<std::size_t>(y) * width * 4; }
    const std::uint8_t* row(std::int32_t y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width * 4;
    }
};

}  // namespace tavrel
