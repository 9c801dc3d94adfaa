// Playback control wrappers.

#include <trovaplay/sdk/play_control.h>

void play_control_start(play_control& p_control, std::uint32_t p_command, bool p_paused) {
  p_control.start(p_command, p_paused);
}

void play_control_play_or_pause(play_control& p_control) {
  if (p_control.is_playing())
    play_control_toggle_pause(p_control);
  else
    p_control.start(play_control::track_command_play, false);
}

void play_control_toggle_pause(play_control& p_control) { p_control.pause(!p_control.is_paused()); }

void play_control_stop(play_control& p_control) { p_control.stop(); }
