// The end-of-track rule of the four play modes.
#include "endoftrack.h"

#include "state/appstate.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"

void ApplyEndOfTrack(AppState& state, PlaylistModel& playlist, TrackOps& ops)
{
    if (!state.PlayEnd.exchange(false))
        return;
    if (state.Decoding)
        return;
    const int before = state.CurrentIndex;
    state.CurrentIndex += 1;
    switch (state.PlayMode) {
    case 0:
        if (state.CurrentIndex > playlist.count()) {
            state.CurrentIndex = 1;
            return;
        }
        break;
    case 2: {
        // A shuffled order that was never built (or went stale) falls back to list order
        // rather than reading past its end.
        const int row = NextRandomRow(state, playlist);
        if (playlist.isValidRow(row))
            state.CurrentIndex = row;
        else if (state.CurrentIndex > playlist.count())
            state.CurrentIndex = 1;
        break;
    }
    case 3:
        state.CurrentIndex = before;
        break;
    default:
        if (state.CurrentIndex > playlist.count())
            state.CurrentIndex = 1;
        break;
    }
    if (playlist.isValidRow(state.CurrentIndex))
        ops.PlayCurrent();
}
