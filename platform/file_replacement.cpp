#include "platform/replace_file.h"
#include "platform/replacement_target.h"

namespace {

// A file's rows are written out in pieces of this size: no allocation after
// opening. A pipe's go out at once, as the run goes on.
constexpr std::size_t bufferSize = 1 << 16;

} // namespace

struct FileReplacement::State {
    ReplacementTarget* target = nullptr;
    std::string buffer;

    void flush()
    {
        writeReplacementTarget(*target, buffer.data(), buffer.size());
        buffer.clear();
    }
};

FileReplacement::FileReplacement() : state_(std::make_unique<State>()) {}

FileReplacement::~FileReplacement()
{
    if (state_->target)
        finishReplacementTarget(state_->target, true);
}

std::string FileReplacement::open(const std::string& path)
{
    std::string problem;
    state_->target = openReplacementTarget(path, problem);
    if (state_->target)
        state_->buffer.reserve(bufferSize);
    return problem;
}

void FileReplacement::write(const char* data, std::size_t size)
{
    if (!state_->target)
        return;
    if (replacementTargetStreams(*state_->target)) {
        writeReplacementTarget(*state_->target, data, size);
        return;
    }
    if (state_->buffer.size() + size > bufferSize)
        state_->flush();
    state_->buffer.append(data, size);
}

std::string FileReplacement::commit()
{
    if (!state_->target)
        return "";
    state_->flush();
    ReplacementTarget* const target = state_->target;
    state_->target = nullptr;
    return finishReplacementTarget(target, false);
}
