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
    const RowAfter after = RowAfterCurrent(state, playlist);
    state.CurrentIndex = after.index;
    state.RandomPos = after.randomPos;
    if (after.plays)
        ops.PlayCurrent();
}
