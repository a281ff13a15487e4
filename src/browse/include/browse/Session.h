#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "archive/ArchiveIndex.h"
#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"
#include "browse/UiPort.h"
#include "picture/Picture.h"
#include "picture/TextureEncoder.h"

// The browsing state of the one open archive and everything the browsing operations share.
namespace tavrel {

inline constexpr const char* kAppTitle = "Tavrel 1.0    by Kelvane";

struct BrowseState {
    ArchiveIndex archive;
    BlockTree tree;
    std::uint32_t block_count = 0;
    std::uint32_t current_block = 0;
    std::uint32_t frame_count = 0;
    std::uint32_t current_frame = 0;
    std::atomic<bool> has_frames{false};
    std::atomic<bool> archive_open{false};
    std::atomic<bool> frames_available{false};
    std::atomic<bool> save_enabled{false};
    std::atomic<bool> restore_enabled{false};
    std::atomic<bool> portrait_import_enabled{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> show_start_picture{true};
    // Set while a batch (import or export) runs on its worker thread: the commands that
    // would change the browsing state under the worker are held off (CommandsHeldOff).
    std::atomic<bool> batch_running{false};

    // Where `tree` was loaded from (tree_block 0: nothing loaded). A pending modification is
    // written to the copy of exactly that block of exactly that archive, even when the
    // selection in the file tree has moved on in the meantime.
    std::uint32_t tree_block = 0;
    std::filesystem::path tree_archive_path;
    std::string tree_archive_name;
};

struct PictureDisplay {
    Picture bitmap;  // the decoded current frame; empty when released
    bool picture_shown = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string size_text;  // status-bar pane 10000
};

// One per application object; tests create as many as they like.
struct Session {
    BrowseState state;
    PictureDisplay display;
    UiPort* ui = nullptr;
    std::filesystem::path program_dir;  // everything the tool keeps for itself lives here
    std::atomic<bool> logout{false};    // LOGOUT setting
    std::unique_ptr<LwCodec> codec;     // LoadLwCodec(program_dir)
    EncodeOptions encode_options;  // single and portrait imports
    // The batch import encodes hundreds of pictures in one go: the fast level (still at least
    // as good as the common fast encoders) keeps a large batch to seconds instead of minutes.
    EncodeOptions batch_encode_options{EncodeQuality::Fast};
};

}  // namespace tavrel
