#include "views/recorddetail.h"

void RecordDetailBuilder::follow(const LevelledPiece &piece)
{
    if (!track_) {
        track_.emplace(piece.sampleRate);
        detail_.samples.reserve(piece.count);
        detail_.levels.reserve(piece.count);
    }
    track_->follow(piece);
    detail_.samples.add(piece.samples, piece.n);
    detail_.levels.add(piece.levels, piece.n);
}

RecordDetail RecordDetailBuilder::finish(std::optional<int64_t> startTime)
{
    detail_.samples.finish();
    detail_.levels.finish();
    if (track_)
        detail_.exceedances = track_->finish();
    detail_.startTime = startTime;
    return std::move(detail_);
}
