// What the tick does when the engine has reported the end of the track: the play-mode rule.
#pragma once

struct AppState;
class PlaylistModel;
class TrackOps;

// Acts on PlayEnd once and clears it. Unless a WAV conversion runs, CurrentIndex advances by
// PlayMode and the chosen row is opened and played (normal mode stops after the last row).
void ApplyEndOfTrack(AppState& state, PlaylistModel& playlist, TrackOps& ops);
