#include "render/run_record.h"

#include <algorithm>
#include <cmath>

bool hasFrameLimit(const RunLimit& limit)
{
    return limit.frames >= 1;
}

bool hasSecondsLimit(const RunLimit& limit)
{
    return limit.seconds > 0.0 && std::isfinite(limit.seconds);
}

bool isLimited(const RunLimit& limit)
{
    return hasFrameLimit(limit) || hasSecondsLimit(limit);
}

RunRecord openRecord(double now)
{
    RunRecord record;
    record.opened = now;
    return record;
}

namespace {

FrameDuration lastFrame(const RunRecord& record, double previousEnd)
{
    return {record.frames, record.lastFrameEnd - record.firstFrameEnd, record.lastFrameEnd - previousEnd};
}

} // namespace

std::optional<FrameDuration> recordFrameEnd(RunRecord& record, double now, double triangles, int width,
                                            int height)
{
    std::optional<FrameDuration> settled = settleLastFrame(record);
    if (!record.started) {
        record.started = true;
        record.firstFrameEnd = now;
        record.width = width;
        record.height = height;
        // Hidden time before the start is not part of the run's figures.
        record.hiddenSeconds = 0.0;
    } else {
        ++record.frames;
        record.triangles += triangles;
        record.resized = record.resized || width != record.width || height != record.height;
        record.lastFramePending = true;
    }
    record.pendingStart = record.lastFrameEnd;
    record.lastFrameEnd = now;
    return settled;
}

std::optional<FrameDuration> settleLastFrame(RunRecord& record)
{
    if (!record.lastFramePending)
        return std::nullopt;
    record.lastFramePending = false;
    const FrameDuration frame = lastFrame(record, record.pendingStart);
    record.times.add(frame.duration);
    return frame;
}

void recordLastFrameFinished(RunRecord& record, double now)
{
    if (record.lastFramePending && !record.hidden)
        record.lastFrameEnd = std::max(record.lastFrameEnd, now);
}

void recordHidden(RunRecord& record, bool hidden, double now)
{
    if (hidden == record.hidden)
        return;
    if (hidden)
        record.hiddenSince = now;
    else
        record.hiddenSeconds += now - std::max(record.hiddenSince, recordStart(record));
    record.hidden = hidden;
}

double recordStart(const RunRecord& record)
{
    return record.started ? record.firstFrameEnd : record.opened;
}

double recordEnd(const RunRecord& record, double now)
{
    return record.started && !record.hidden ? record.lastFrameEnd : now;
}

double recordedSeconds(const RunRecord& record, double now)
{
    return recordEnd(record, now) - recordStart(record);
}

double hiddenSeconds(const RunRecord& record, double now)
{
    if (!record.hidden)
        return record.hiddenSeconds;
    return record.hiddenSeconds + std::max(0.0, now - std::max(record.hiddenSince, recordStart(record)));
}

double meanTrianglesPerFrame(const RunRecord& record, double fallback)
{
    return record.frames > 0 ? record.triangles / static_cast<double>(record.frames) : fallback;
}

bool limitReached(const RunRecord& record, const RunLimit& limit, double now)
{
    return (hasFrameLimit(limit) && record.frames >= limit.frames) ||
           (hasSecondsLimit(limit) && now - recordStart(record) >= limit.seconds);
}
