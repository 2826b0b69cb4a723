#pragma once

// File dialogs that answer from a queue the test fills and record what they
// were asked: the user picks `Answer(path)`, or cancels with `Cancel()`. A
// dialog asked with nothing queued is cancelled.

#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/ui/file_dialogs.h"

namespace halvorn::test {

class RecordingFileDialogs : public ui::IFileDialogs {
public:
    struct Request {
        bool save = false;
        ui::FileDialogOptions options;
    };

    void Answer(std::filesystem::path path) { answers_.emplace_back(std::move(path)); }
    void Cancel() { answers_.emplace_back(std::nullopt); }

    std::optional<std::filesystem::path> OpenFile(const ui::FileDialogOptions& options) override {
        return Next(false, options);
    }
    std::optional<std::filesystem::path> SaveFile(const ui::FileDialogOptions& options) override {
        return Next(true, options);
    }

    const std::vector<Request>& Requests() const { return requests_; }
    size_t Unanswered() const { return answers_.size(); }

private:
    std::optional<std::filesystem::path> Next(bool save, const ui::FileDialogOptions& options) {
        requests_.push_back({save, options});
        if (answers_.empty()) return std::nullopt;
        std::optional<std::filesystem::path> answer = std::move(answers_.front());
        answers_.pop_front();
        return answer;
    }

    std::deque<std::optional<std::filesystem::path>> answers_;
    std::vector<Request> requests_;
};

}  // namespace halvorn::test
