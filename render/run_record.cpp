#include "render/run_record.h"

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

void recordFrameEnd(RunRecord& record, double now)
{
    if (!record.started) {
        record.started = true;
        record.firstFrameEnd = now;
    } else {
        ++record.frames;
    }
    record.lastFrameEnd = now;
}

double recordedSeconds(const RunRecord& record)
{
    return record.lastFrameEnd - record.firstFrameEnd;
}

bool limitReached(const RunRecord& record, const RunLimit& limit)
{
    if (!record.started)
        return false;
    return (hasFrameLimit(limit) && record.frames >= limit.frames) ||
           (hasSecondsLimit(limit) && recordedSeconds(record) >= limit.seconds);
}
