#pragma once
// Demo stream: every frame's controller input from a power-on, recorded into a buffer and
// replayed from it. The buffer's layout is also the demo file's (the file commands move it
// byte for byte). Multi-byte values are little-endian.
//
//   offset  size  contents
//        0     8  "VARNDEMO"
//        8     4  zero
//       12     4  port 1 device bytes: a multitap gives its four sub-port types + 1 (1-3);
//                 any other device its type + 1 in the first byte, then three zeros
//       16     4  port 2 device bytes, likewise
//       20   ...  records
//
// Records, by their first byte:
//   0x00       wait: a u16 count n follows. The frame that reaches it ends there, and n
//              further frames pass without input. A wait that opens the stream (offset 20)
//              stands for exactly n frames without input, from the first frame on.
//   0x01-0x08  input of player n (1-4 port 1 A-D, 5-8 port 2 A-D) in this frame. Players
//              rise within a frame, so a player number not above the last one begins the
//              next frame. The length follows from the player's device byte: three-button
//              pad 2, six-button pad 3, mouse 4 (the number, then its payload).
//   0x09       end of frame, where two frames would otherwise read as one
//   0x0A-0xFF  invalid
// A player whose input is all released gets no record.

#include <array>
#include <atomic>

#include "base/host.h"
#include "base/types.h"

namespace varn {

inline constexpr u32 kDemoBufferBytes  = 0x20000;
inline constexpr u32 kDemoHeaderBytes  = 20;  // where the records start
inline constexpr u32 kDemoDeviceOffset = 12;

extern std::array<u8, kDemoBufferBytes> demo_buffer;

// Non-zero while recording / 1 while playing. The user-interface thread sets them (while
// the emulation thread is paused) and the reset command clears both.
extern std::atomic<u32> demo_recording;
extern std::atomic<u32> demo_mode;

// Recording -----------------------------------------------------------------------------

// Lays the header from the live port types and the opening wait record. The caller sets
// `demo_recording` and powers the machine on.
void demo_record_start();
// Bytes of the recorded stream so far (the file is demo_buffer[0, length)).
u32 demo_record_length();
// True once the recorder has stopped appending because the buffer is nearly full; the
// stream recorded so far stays whole and playable.
bool demo_record_full();

// Device slots: append {player, payload} to this frame when recording and the payload is
// not zero.
void demo_record_pad3(u32 player, u32 payload);
void demo_record_pad6(u32 player, u32 payload);
void demo_record_mouse(u32 player, u32 payload);

// End of a recorded frame (the input update's last step; acts only while recording).
void demo_event_writer();

// Playback ------------------------------------------------------------------------------

// Starts playback of the first `length` bytes of demo_buffer (at most its size): checks
// the device bytes and makes them the live port types. On failure playback ends at once
// (see demo_playback_end) and the result is false.
bool demo_playback_start(u32 length, Host& host);
// One frame of playback, in place of the live input (the input update calls it while
// `demo_mode` is 1): reads this frame's records and rebuilds both ports' tables. Reaching
// the end of the stream, an invalid or a truncated record ends playback.
void demo_playback_step(Host& host);
// Ends playback: `demo_mode` := 0, the port types back from the configuration, and the
// user interface is asked to reboot (kDemoEndRequest).
void demo_playback_end(Host& host);

// The event words of the last played frame, by player 1-8 (index 0-7).
const std::array<u32, 8>& demo_events();

// Program-start state (tests).
void demo_reset();

// What playback's end asks of the user interface: a reboot (request 1, parameter 0).
inline constexpr u32 kDemoEndRequest = 1;

}  // namespace varn
