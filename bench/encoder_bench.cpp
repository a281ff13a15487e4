// BC1/BC3 encoder benchmark: fidelity and single-thread speed of the built-in encoder
// against libsquish (cluster fit) and stb_dxt (high quality) on a folder of PNG photographs.
//
//   build/bench/bench_encoder_bench [png folder] [name filter]
//   (default folder /work/shared/bench-images/kodak; with a filter, comma-separated name
//   parts, only the encoders whose name contains one of them run, and the ratio columns are
//   left out)
//
// Headline colour score: the PSNR of each channel over the whole set, combined with the Rec. 601
// weights (0.299 red, 0.587 green, 0.114 blue), decoded with the common BC1 decoder (endpoints
// widened by bit replication) whose middle colours are cut, (2a + b) / 3. This is the
// convention that reproduces the published figures of the two peers. Also shown: the plain
// mean of the channel PSNRs and one PSNR over all samples (middle colours rounded,
// (2a + b + 1) / 3), the same with the tool's own display decoder, and the mean of
// per-picture PSNRs.
#include <png.h>
#include <squish.h>

#include <cstring>
#define STB_DXT_IMPLEMENTATION
#include <stb/stb_dxt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "picture/TextureEncoder.h"

namespace {

namespace fs = std::filesystem;
using tavrel::Bytes;
using tavrel::Picture;

// ---------------------------------------------------------------- corpus

bool LoadPng(const fs::path& path, Picture& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;
    out = Picture(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return false;
    return true;
}

std::vector<Picture> LoadCorpus(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() == ".png") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Picture> pictures;
    for (const auto& f : files) {
        Picture p;
        if (LoadPng(f, p))
            pictures.push_back(std::move(p));
        else
            std::fprintf(stderr, "cannot read %s\n", f.c_str());
    }
    return pictures;
}

// Alpha test pictures made from the photographs: a soft radial mask, a hard cut-out
// (a disc and bars), and alpha from the luminance.
std::vector<Picture> AlphaPictures(const std::vector<Picture>& corpus) {
    std::vector<Picture> out;
    for (std::size_t i = 0; i < corpus.size() && i < 6; ++i) {
        Picture p = corpus[i];
        const double cx = p.width / 2.0, cy = p.height / 2.0, radius = std::min(cx, cy);
        for (std::int32_t y = 0; y < p.height; ++y) {
            for (std::int32_t x = 0; x < p.width; ++x) {
                std::uint8_t* px = p.row(y) + x * 4;
                const double d = std::hypot(x - cx, y - cy) / radius;
                int a = 0;
                switch (i % 3) {
                    case 0:
                        a = static_cast<int>(std::lround(255 * std::clamp(1.2 - d, 0.0, 1.0)));
                        break;
                    case 1:
                        a = (d < 0.8 || (x / 24) % 3 == 0) ? 255 : 0;
                        break;
                    case 2:
                        a = (px[0] * 29 + px[1] * 150 + px[2] * 77 + 128) >> 8;
                        break;
                }
                px[3] = static_cast<std::uint8_t>(a);
            }
        }
        out.push_back(std::move(p));
    }
    return out;
}

// ---------------------------------------------------------------- decoders

struct Widening {
    int (*five)(int);
    int (*six)(int);
};
int Replicate5(int x) { return (x << 3) | (x >> 2); }
int Replicate6(int x) { return (x << 2) | (x >> 4); }
int Tool5(int x) { return (x * 255) >> 5; }
int Tool6(int x) { return (x * 255) >> 6; }

// A BC1 colour decoder: how endpoints are widened and whether the two middle colours are
// rounded ((2a + b + 1) / 3) or cut ((2a + b) / 3).
struct Decoder {
    Widening widening;
    int bias;
};
constexpr Decoder kStandard{{Replicate5, Replicate6}, 1};
constexpr Decoder kUnbiased{{Replicate5, Replicate6}, 0};
constexpr Decoder kTool{{Tool5, Tool6}, 1};

// Adds the squared error of one four-colour block against the 16 source pixels (BGRA) to
// `err`, per channel (blue, green, red).
void AddBlockError(const std::uint8_t* block, const std::uint8_t* src, Decoder dec, double* err) {
    const Widening w = dec.widening;
    const int c0 = block[0] | block[1] << 8, c1 = block[2] | block[3] << 8;
    int pal[4][3];
    const int e0[3] = {w.five(c0 & 31), w.six((c0 >> 5) & 63), w.five(c0 >> 11)};
    const int e1[3] = {w.five(c1 & 31), w.six((c1 >> 5) & 63), w.five(c1 >> 11)};
    for (int ch = 0; ch < 3; ++ch) {
        pal[0][ch] = e0[ch];
        pal[1][ch] = e1[ch];
        pal[2][ch] = (2 * e0[ch] + e1[ch] + dec.bias) / 3;
        pal[3][ch] = (e0[ch] + 2 * e1[ch] + dec.bias) / 3;
    }
    const std::uint32_t idx =
        block[4] | block[5] << 8 | block[6] << 16 | static_cast<std::uint32_t>(block[7]) << 24;
    for (int i = 0; i < 16; ++i) {
        const int k = (idx >> (2 * i)) & 3;
        for (int ch = 0; ch < 3; ++ch) {
            const double d = pal[k][ch] - src[4 * i + ch];
            err[ch] += d * d;
        }
    }
}

double AlphaBlockError(const std::uint8_t* block, const std::uint8_t* src) {
    const int a0 = block[0], a1 = block[1];
    int v[8] = {a0, a1};
    if (a0 > a1) {
        for (int k = 1; k <= 6; ++k) v[k + 1] = ((7 - k) * a0 + k * a1 + 3) / 7;
    } else {
        for (int k = 1; k <= 4; ++k) v[k + 1] = ((5 - k) * a0 + k * a1 + 2) / 5;
        v[6] = 0;
        v[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    double err = 0;
    for (int i = 0; i < 16; ++i) {
        const double d = v[(bits >> (3 * i)) & 7] - src[4 * i + 3];
        err += d * d;
    }
    return err;
}

void Gather(const Picture& p, int bx, int by, std::uint8_t* bgra) {
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int sx = std::min(bx * 4 + x, p.width - 1),
                      sy = std::min(by * 4 + y, p.height - 1);
            std::memcpy(bgra + (y * 4 + x) * 4, p.row(sy) + sx * 4, 4);
        }
    }
}

double Psnr(double sq_error, double samples) {
    return sq_error <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * samples / sq_error);
}

// Per-channel squared errors (blue, green, red) summed over a set.
struct ChannelErrors {
    double c[3] = {0, 0, 0};
    double Total() const { return c[0] + c[1] + c[2]; }
};

// One MSE over all blue, green and red samples.
double PsnrAllSamples(const ChannelErrors& e, double pixels) { return Psnr(e.Total(), 3 * pixels); }

// PSNR of each channel over the whole set, combined as a weighted mean (blue, green, red).
double PsnrPerChannel(const ChannelErrors& e, double pixels, const double (&weights)[3]) {
    double sum = 0;
    for (int ch = 0; ch < 3; ++ch) sum += weights[ch] * Psnr(e.c[ch], pixels);
    return sum;
}
constexpr double kRec601[3] = {0.114, 0.587, 0.299};
constexpr double kEqual[3] = {1.0 / 3, 1.0 / 3, 1.0 / 3};

// ---------------------------------------------------------------- encoders under test

// Encodes a whole picture; returns the block stream with `stride` bytes per block and the
// colour half at `colour_at`.
struct Encoder {
    const char* name;
    std::size_t stride;
    std::size_t colour_at;
    std::function<Bytes(const Picture&)> encode;
};

Bytes EncodePerBlock(const Picture& p, std::size_t stride,
                     const std::function<void(const std::uint8_t* rgba, std::uint8_t* out)>& fn) {
    const int bw = (p.width + 3) / 4, bh = (p.height + 3) / 4;
    Bytes out(static_cast<std::size_t>(bw) * bh * stride);
    std::uint8_t bgra[64], rgba[64];
    for (int by = 0; by < bh; ++by) {
        for (int bx = 0; bx < bw; ++bx) {
            Gather(p, bx, by, bgra);
            for (int i = 0; i < 16; ++i) {
                rgba[4 * i] = bgra[4 * i + 2];
                rgba[4 * i + 1] = bgra[4 * i + 1];
                rgba[4 * i + 2] = bgra[4 * i];
                rgba[4 * i + 3] = bgra[4 * i + 3];
            }
            fn(rgba, out.data() + (static_cast<std::size_t>(by) * bw + bx) * stride);
        }
    }
    return out;
}

Encoder Ours(const char* name, tavrel::EncodeQuality q, bool bc3, int threads = 1) {
    tavrel::EncodeOptions o;
    o.quality = q;
    o.threads = threads;
    if (bc3) return {name, 16, 8, [o](const Picture& p) { return tavrel::EncodeBc3(p, o); }};
    return {name, 8, 0, [o](const Picture& p) { return tavrel::EncodeBc1(p, o); }};
}

Encoder Stb(const char* name, int mode, bool bc3) {
    const std::size_t stride = bc3 ? 16 : 8;
    return {name, stride, bc3 ? 8u : 0u, [=](const Picture& p) {
                return EncodePerBlock(p, stride, [=](const std::uint8_t* rgba, std::uint8_t* out) {
                    stb_compress_dxt_block(out, rgba, bc3 ? 1 : 0, mode);
                });
            }};
}

Encoder Squish(const char* name, int fit) {
    return {name, 16, 8, [=](const Picture& p) {
                return EncodePerBlock(p, 16, [=](const std::uint8_t* rgba, std::uint8_t* out) {
                    squish::Compress(rgba, out, squish::kDxt5 | fit);
                });
            }};
}

struct Score {
    double psnr_headline = 0;  // Rec. 601 weighted mean of per-channel PSNRs, unbiased decoder
    double psnr_channels_equal = 0;  // plain mean of per-channel PSNRs, standard decoder
    double psnr_standard = 0, psnr_tool = 0, psnr_alpha = 0, mpx_per_s = 0;
    double mean_image_psnr = 0;  // mean over the pictures of each one's PSNR (standard decoder)
    ChannelErrors standard;      // per-channel errors with the standard decoder
    long ordered_blocks = 0, blocks = 0;  // blocks with colour 0 > colour 1
};

Score Judge(const Encoder& enc, const std::vector<Picture>& set, const std::vector<Bytes>& encoded,
            double seconds) {
    Score s;
    ChannelErrors unbiased, tool;
    double err_alpha = 0, pixels = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
        const Picture& p = set[i];
        const int bw = (p.width + 3) / 4, bh = (p.height + 3) / 4;
        std::uint8_t src[64];
        const double before = s.standard.Total();
        for (int by = 0; by < bh; ++by) {
            for (int bx = 0; bx < bw; ++bx) {
                Gather(p, bx, by, src);
                const std::uint8_t* block =
                    encoded[i].data() + (static_cast<std::size_t>(by) * bw + bx) * enc.stride;
                AddBlockError(block + enc.colour_at, src, kStandard, s.standard.c);
                AddBlockError(block + enc.colour_at, src, kUnbiased, unbiased.c);
                AddBlockError(block + enc.colour_at, src, kTool, tool.c);
                if (enc.stride == 16) err_alpha += AlphaBlockError(block, src);
                const int c0 = block[enc.colour_at] | block[enc.colour_at + 1] << 8;
                const int c1 = block[enc.colour_at + 2] | block[enc.colour_at + 3] << 8;
                s.ordered_blocks += c0 > c1;
                ++s.blocks;
            }
        }
        pixels += static_cast<double>(p.width) * p.height;
        s.mean_image_psnr +=
            Psnr(s.standard.Total() - before, 3.0 * p.width * p.height) / set.size();
    }
    s.psnr_headline = PsnrPerChannel(unbiased, pixels, kRec601);
    s.psnr_channels_equal = PsnrPerChannel(s.standard, pixels, kEqual);
    s.psnr_standard = PsnrAllSamples(s.standard, pixels);
    s.psnr_tool = PsnrAllSamples(tool, pixels);
    s.psnr_alpha = Psnr(err_alpha, pixels);
    s.mpx_per_s = pixels / 1e6 / seconds;
    return s;
}

// Times every encoder on every picture, the encoders taking turns picture by picture so
// that a change in the machine's load hits all of them alike; each (encoder, picture) keeps
// its fastest of `turns` runs. Encoders slower than a few seconds per set run once.
std::vector<Score> MeasureAll(const std::vector<Encoder>& encoders, const std::vector<Picture>& set,
                              int turns) {
    const std::size_t count = encoders.size();
    std::vector<std::vector<double>> best(count, std::vector<double>(set.size(), 1e30));
    std::vector<std::vector<Bytes>> encoded(count, std::vector<Bytes>(set.size()));
    std::vector<bool> slow(count, false);
    for (int t = 0; t < turns; ++t) {
        for (std::size_t i = 0; i < set.size(); ++i) {
            for (std::size_t e = 0; e < count; ++e) {
                if (slow[e]) continue;
                const auto t0 = std::chrono::steady_clock::now();
                encoded[e][i] = encoders[e].encode(set[i]);
                const double s =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
                best[e][i] = std::min(best[e][i], s);
            }
        }
        for (std::size_t e = 0; e < count; ++e) {
            double total = 0;
            for (double s : best[e]) total += s;
            if (total > 4.0) slow[e] = true;
        }
    }
    std::vector<Score> scores;
    for (std::size_t e = 0; e < count; ++e) {
        double total = 0;
        for (double s : best[e]) total += s;
        scores.push_back(Judge(encoders[e], set, encoded[e], total));
    }
    return scores;
}

std::vector<Encoder> Filtered(std::vector<Encoder> encoders, const char* filter) {
    if (!filter) return encoders;
    // Comma-separated parts; an encoder stays when its name contains one of them.
    std::vector<std::string> parts;
    for (std::string rest = filter;;) {
        const std::size_t comma = rest.find(',');
        parts.push_back(rest.substr(0, comma));
        if (comma == std::string::npos) break;
        rest = rest.substr(comma + 1);
    }
    std::erase_if(encoders, [&](const Encoder& e) {
        return std::none_of(parts.begin(), parts.end(), [&](const std::string& part) {
            return std::strstr(e.name, part.c_str()) != nullptr;
        });
    });
    return encoders;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? argv[1] : "/work/shared/bench-images/kodak";
    const char* filter = argc > 2 ? argv[2] : nullptr;
    const std::vector<Picture> corpus = LoadCorpus(dir);
    if (corpus.empty()) {
        std::fprintf(stderr, "no PNG pictures in %s\n", dir.c_str());
        return 1;
    }
    using tavrel::EncodeQuality;
    const std::vector<Encoder> colour = Filtered(
        {
            Stb("stb_dxt HIGHQUAL", STB_DXT_HIGHQUAL, false),
            Squish("squish cluster fit", squish::kColourClusterFit),
            Ours("tavrel Fast", EncodeQuality::Fast, false),
            Ours("tavrel Default", EncodeQuality::Default, false),
            Ours("tavrel Best", EncodeQuality::Best, false),
            Ours("tavrel Default, 2 threads", EncodeQuality::Default, false, 2),
        },
        filter);
    const std::vector<Score> scores = MeasureAll(colour, corpus, 5);
    std::printf("Colour (BC1), %zu pictures, one thread unless named\n\n", corpus.size());
    std::printf(
        "| encoder | PSNR per channel, 601 weights (dB) | mean of channel PSNRs (dB) | PSNR all "
        "samples (dB) | PSNR tool decoder (dB) | mean of per-picture PSNR (dB) | PSNR R / G / B "
        "(dB) | Mpx/s | speed / stb | speed / squish | blocks c0>c1 |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (std::size_t i = 0; i < colour.size(); ++i) {
        const Score& s = scores[i];
        const double stb = filter ? 0 : s.mpx_per_s / scores[0].mpx_per_s;
        const double squish = filter ? 0 : s.mpx_per_s / scores[1].mpx_per_s;
        const double px = s.blocks * 16.0;
        std::printf(
            "| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %.2f / %.2f / %.2f | %.2f | %.2f | %.2f | "
            "%.1f%% |\n",
            colour[i].name, s.psnr_headline, s.psnr_channels_equal, s.psnr_standard, s.psnr_tool,
            s.mean_image_psnr, Psnr(s.standard.c[2], px), Psnr(s.standard.c[1], px),
            Psnr(s.standard.c[0], px), s.mpx_per_s, stb, squish,
            100.0 * s.ordered_blocks / s.blocks);
    }

    const std::vector<Picture> alpha_set = AlphaPictures(corpus);
    const std::vector<Encoder> alpha = Filtered(
        {
            Stb("stb_dxt HIGHQUAL (BC3)", STB_DXT_HIGHQUAL, true),
            Squish("squish cluster fit (BC3)", squish::kColourClusterFit),
            Ours("tavrel Fast (BC3)", EncodeQuality::Fast, true),
            Ours("tavrel Default (BC3)", EncodeQuality::Default, true),
        },
        filter);
    const std::vector<Score> alpha_scores = MeasureAll(alpha, alpha_set, 3);
    std::printf("\nAlpha (BC3), %zu pictures with soft, hard and luminance masks, one thread\n\n",
                alpha_set.size());
    std::printf(
        "| encoder | alpha PSNR (dB) | colour PSNR standard (dB) | Mpx/s |\n|---|---|---|---|\n");
    for (std::size_t i = 0; i < alpha.size(); ++i) {
        const Score& s = alpha_scores[i];
        std::printf("| %s | %.3f | %.3f | %.2f |\n", alpha[i].name, s.psnr_alpha, s.psnr_standard,
                    s.mpx_per_s);
    }
    return 0;
}
