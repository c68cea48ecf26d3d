#pragma once
// The link between the user-interface thread and the emulation thread.
//
// All emulation runs on one thread that lives from start-up to exit. While no machine runs
// it waits in the idle loop; a power-on hands it a run entry, and from then on it stays
// inside that machine's frame loop until a stop request or a CPU halt sends it back. The
// two threads share the words below and no lock: every exchange is a request word set by
// one side and copied into an acknowledge word by the other, polled with yields. The
// handshake words are sequentially consistent atomics; the pause and stop requests of the
// user-interface side wait for the acknowledgement, so when they return the machine may be
// read and changed until the matching release.

#include <atomic>
#include <thread>

#include "base/host.h"
#include "base/types.h"

namespace varn {

// A run entry: the frame loop of a booted machine. It returns when a stop request or a CPU
// halt abandons the run (the idle loop then takes over again).
using RunEntry = void (*)();

// Thread states (`emu_thread_state`).
inline constexpr u8 kThreadIdle        = 0;
inline constexpr u8 kThreadPaused      = 1;
inline constexpr u8 kThreadRunning     = 2;
inline constexpr u8 kThreadFastForward = 3;

// The codes of the requests the emulation thread posts to the user interface
// (`gui_post_to_frame`), with the parameter each takes. The CD requests are the range the
// window hands to the drive layer.
enum RequestCode : u32 {
    kRequestReboot             = 1,  // param: the reboot mode
    kRequestStop               = 2,
    kRequestDisplaySizeChanged = 0x20000000,
    kRequestThreadStateChanged = 0x20000001,
    kRequestCdPoll             = 0x30000000,  // once a frame while a Sega CD runs
    kRequestCdReadSector       = 0x30000001,  // param: image sector
    kRequestCdPlayAudio        = 0x30000002,  // param: packed-BCD start time
    kRequestCdStopAudio        = 0x30000003,
    kRequestCdPauseAudio       = 0x30000004,
    kRequestCdResumeAudio      = 0x30000005,  // param: kCdResumeWithSound or 0
    kRequestCdCloseTray        = 0x30000006,
    kRequestCdOpenTray         = 0x30000007,
    kRequestCdFirst            = kRequestCdPoll,
    kRequestCdLast             = kRequestCdOpenTray,
};

// Pause reasons (`emu_pause_req` bits, set and cleared by the front end). The thread looks
// only at the low byte.
inline constexpr u32 kPauseUser       = 0x01;
inline constexpr u32 kPauseMenu       = 0x02;
inline constexpr u32 kPauseFocus      = 0x04;
inline constexpr u32 kPauseFile       = 0x08;
inline constexpr u32 kPauseFullScreen = 0x10;

// `emu_state_flags` bits.
inline constexpr u32 kStateMachineRunning = 0x01;  // a machine is booted (boot and close)
inline constexpr u32 kStatePaused         = 0x02;  // paused as the front end sees it
inline constexpr u32 kState32xActive      = 0x08;  // the 32X unit takes part in the frame

// The thread link.
extern std::atomic<RunEntry> emu_thread_target;  // entry the idle loop is to enter; null none
extern std::atomic<u8> emu_thread_state;         // written by the emulation thread only
extern std::atomic<u32> emu_pause_req;           // front end: OR of pause reasons
extern std::atomic<u32> emu_pause_ack;           // thread: copy taken while idle or paused
extern std::atomic<u32> emu_stop_req;            // front end sets 1; the thread clears it
extern std::atomic<u32> emu_stop_ack;            // thread: copy taken in the idle loop
extern std::atomic<u32> emu_state_flags;

// The host the emulation thread and the link requests talk to. Set it while no emulation
// thread runs; a null argument selects a built-in null host (no requests, no sound, real
// clock).
void emu_set_host(Host* host);
Host& emu_host();

// Asks the user interface for work (request code with its word parameter).
void gui_post_to_frame(u32 param, u32 code);
void thread_yield();
u32 sys_time_ms();

// ---- Emulation-thread side ----

// The thread procedure: runs the idle loop until it accepts `emu_thread_exit`.
int emu_thread_main();
// Starts a thread on `emu_thread_main`; the user-interface requests wait for it from the
// moment this returns.
std::thread emu_thread_start();
// The exit entry; the front end stores it in `emu_thread_target` at exit.
void emu_thread_exit();

// End-of-frame check, called by the frame loops after pacing. Returns true when the thread
// may go on; false when a stop was requested (the caller abandons the run and returns to
// the idle loop). Waits in place while a pause is requested.
bool emu_check_pause_stop();

// Fast-forward (the F12 key, edge-triggered by the per-frame input update).
void emu_fast_forward_on();
void emu_fast_forward_off();
bool emu_fast_forward();

// True while `emu_thread_main` runs (the user-interface requests wait only then).
bool emu_thread_alive();

// The entry that is being run now (null while idle). Frame loops leave it alone.
RunEntry emu_running_entry();

// Clears the halt bits of every CPU context (done when a run entry is accepted).
void emu_clear_cpu_halts();

// ---- User-interface side ----

// Stops the sound, adds the pause reasons and waits until the thread has acknowledged them
// (it then sits in its pause loop or its idle loop).
void emu_pause_request(u32 reasons);
// Drops the pause reasons and waits for the thread's copy; once no reason is left the
// paused flag is cleared and the sound restarted.
void emu_resume_request(u32 reasons);
// Stops the sound, requests a stop and waits until the thread is idle with no run entry
// pending.
void emu_stop_and_wait();

// The reboot (the reset command, and request 1 from the emulation side): pause, stop the
// sound, boot the loaded image again with `mode`, save the backup RAM, release the pause.
// The boot stores its run entry under the pause; the thread consumes it when the pause is
// released and goes on with the reset machine.
void emu_reboot_sequence(u32 mode);
// The image loader's boot and backup-RAM save that the reboot runs. Null until image
// loading is bound (the reboot then only pauses and resumes).
extern void (*machine_boot_slot)(u32 mode);
extern void (*machine_save_backup_ram_slot)(u32 mode);

// Resets the link words (tests; never while a thread runs).
void thread_link_reset();

}  // namespace varn
