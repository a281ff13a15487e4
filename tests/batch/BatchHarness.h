#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "batch/BatchState.h"
#include "support/Harness.h"

namespace tavrel::test {

// The progress dialog of the tests: records what it was told and on which thread.
struct RecordingProgress : BatchProgress {
    explicit RecordingProgress(FakeUi& ui) : ui(ui) {}
    FakeUi& ui;
    std::vector<std::string> texts;
    std::vector<std::uint16_t> ranges;
    std::vector<std::int32_t> positions;
    int closed = 0;
    int off_ui_thread = 0;
    std::function<void(const std::string&)> on_text;

    void Reset() {
        texts.clear();
        ranges.clear();
        positions.clear();
        closed = 0;
        off_ui_thread = 0;
    }
    void Note() {
        if (!ui.OnUiThread()) ++off_ui_thread;
    }
    void SetProgressText(const std::string& text) override {
        Note();
        texts.push_back(text);
        if (on_text) on_text(text);
    }
    void SetRange(std::uint16_t maximum) override {
        Note();
        ranges.push_back(maximum);
    }
    void SetPosition(std::int32_t position) override {
        Note();
        positions.push_back(position);
    }
    void Close() override {
        Note();
        ++closed;
    }
};

// A harness whose window runs on a UI thread of its own, and a worker to run batches on.
struct BatchHarness : Harness {
    BatchState batch;
    RecordingProgress progress{ui};

    BatchHarness() { ui.StartUiThread(); }
    ~BatchHarness() { ui.StopUiThread(); }

    void OnUi(const std::function<void()>& task) { ui.RunOnUiThread(task); }
    void SelectOnUi(const std::filesystem::path& archive) {
        OnUi([&] { Select(archive); });
    }
    // The "开始" button: the worker runs the batch on its own thread.
    void RunWorker() {
        std::thread worker([&] { BatchWorker(s, batch, progress); });
        worker.join();
    }
    void Export(const std::string& first, const std::string& last,
                const std::filesystem::path& folder) {
        ASSERT_EQ(CheckExportParameters(batch, first, last, folder.string()), "");
        OnUi([&] { OpenBatch(s, batch, BatchMode::Export); });
        RunWorker();
    }
    void Import(const std::filesystem::path& folder) {
        s.state.busy = true;  // the import's parameter dialog sets it
        ASSERT_EQ(CheckImportParameters(batch, folder.string()), "");
        OnUi([&] { OpenBatch(s, batch, BatchMode::Import); });
        RunWorker();
    }
};

}  // namespace tavrel::test
