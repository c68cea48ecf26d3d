#pragma once
// The SH-2 core's speed path (base/speed_paths.h): loops that only wait.
//
// Much of what the two SH-2s run is waiting: a loop that reads a communication word or an
// SDRAM flag that only the other side changes, often bumping a heartbeat byte on the way
// round. Within one slice of a core nothing but that core touches the machine (the other
// core, the 68000, the DMA controllers and the interrupt choice all run between slices), so
// once one whole round of such a loop has left the core exactly as it found it, every further
// round of the slice does the same. The rest of the slice is then counted off at once: the
// counter moves on to where plain execution would stop the slice (a delay slot that crosses
// its end included), the core takes the registers the round had at that instruction, the
// round's stores are made and a heartbeat moves on by as many steps as rounds went by. The
// next slice does the same from where the last one stopped, when what the loop reads still
// holds what it read.
//
// A round is recorded instruction by instruction (the position, the counter and the
// registers before each) between two backward jumps to the same place. A round longer than
// what is left of the slice is recorded on in the next slice when the core is taken up where
// it stopped (no interrupt taken, its registers as they were); since other units ran in
// between, such a round is counted off only when what it read still holds. It is counted off
// only when:
//   - the core's registers at its end are those at its start (SR, GBR, VBR, MACH, MACL, PR,
//     the division bits and R0-R15);
//   - every read is of a location whose read changes nothing (not the DREQ FIFO, not the
//     on-chip modules), every store is to plain memory (SDRAM, frame buffers, palette,
//     communication words, cache array), no store reaches the loop's code, and no location
//     is stored twice with different values;
//   - a location read before the round stores it holds what the round stores there, except
//     a heartbeat: MOV.x @Ra,Rx / ADD #imm,Rx / MOV.x Rx,@Ra, whose Rx is overwritten before
//     anything reads it, and whose location nothing else in the round reaches.
// Anything else (a TAS, a MAC, an exception, a jump out of the fetch region, a round longer
// than the record holds) leaves the loop to plain execution.
//
// With the switch off none of this runs: the dispatch loop takes the plain instantiation.

#include <array>

#include "base/types.h"
#include "sh2/sh2.h"

namespace varn {

// The registers a round must leave as it found them.
struct Sh2LoopState {
    std::array<u32, 16> r{};
    u32 sr = 0, gbr = 0, vbr = 0, mach = 0, macl = 0, pr = 0, div_q = 0, div_m = 0, status = 0;
    bool operator==(const Sh2LoopState&) const = default;
};

// A read or store of the recorded round: address, bytes, the value read or stored, and the
// instruction's place in the round.
struct Sh2LoopAccess {
    u32 addr  = 0;
    u32 size  = 0;
    u32 value = 0;
    u32 step  = 0;
};

// A heartbeat: the location, the step each round adds, and the places in the round of its
// load and store and of the instruction that overwrites the register it counted in.
struct Sh2LoopCounter {
    u32 addr = 0;
    u32 size = 0;
    u32 step = 0;
    u32 load = 0, store = 0, overwrite = 0;
};

// Where the dispatch goes on after an entry point: the cycles to add to the counter and the offset
// of the next instruction. When the cycles bring the counter to zero or above, the slice ends
// there, the core's registers set as plain execution would have left them.
struct Sh2LoopJump {
    s32 cycles = 0;
    u32 to     = 0;
};

inline constexpr u32 kSh2LoopSteps    = 128;  // instructions of a round the record holds
inline constexpr u32 kSh2LoopAccesses = 32;   // reads and stores of a round

enum class Sh2LoopMode : u8 {
    kIdle,       // nothing watched
    kRecording,  // a round from `head` is being recorded
    kAsleep,     // the loop was counted off; the slice ended (or ends) inside it
};

// A jump back: the region, the target and the end of the instruction that jumped.
struct Sh2LoopPlace {
    u32 region = 0xFFFFFFFFu, head = 0, end = 0;
    bool operator==(const Sh2LoopPlace&) const = default;
};

inline constexpr u32 kSh2LoopRejectSlices = 4096;

struct Sh2LoopReject {
    Sh2LoopPlace place;
    u32 until = 0;  // the core's slice serial from which it may be recorded again
};

struct Sh2LoopStep {
    u32 cur   = 0;  // offset in the fetch region
    u16 ir    = 0;
    u8 kind   = 0;  // kNone, kLoad, kStore (sh2_speed_paths.cpp)
    u8 size   = 0;
    u32 addr  = 0;
    u32 value = 0;
    s32 at    = 0;       // the counter before it, less the counter at the round's start
    Sh2LoopState state;  // the registers before it
};

// A stretch of the round's code: its offset in the fetch region, its length in bytes and
// where its bytes start in `code_bytes`.
struct Sh2LoopCodeRun {
    u32 cur = 0, bytes = 0, at = 0;
};

struct Sh2LoopWatch {
    Sh2LoopMode mode = Sh2LoopMode::kIdle;
    u32 serial       = 0;  // slices of this core run with the speed path
    u32 region       = 0;  // fetch_start of the loop's region
    u32 head = 0, end = 0;
    s32 started_at = 0;          // the counter, pending cycles included, when the record began
                                 // (moved on by the budgets of later slices the record goes on in)
    bool last_complete = false;  // the last step's stored value is filed
    // Where a record cut by the slice's end left the core, to go on with it in the next one.
    s32 leave_counter = 0;  // the counter then, the cycles a delayed branch carried included
    u32 leave_cur     = 0;
    Sh2LoopState leave_state;
    u32 attempts = 0;  // records of this loop that ended unequal, this slice
    Sh2LoopState start;
    u32 steps = 0;
    std::array<Sh2LoopStep, kSh2LoopSteps> trace{};
    // Jumps back seen lately: a round is recorded only from one that came round again.
    std::array<Sh2LoopPlace, 8> seen{};
    u32 seen_next = 0;
    // Loops found not to qualify lately, not recorded again before `until`.
    std::array<Sh2LoopReject, 32> rejected{};
    u32 rejected_next = 0;
    // Loops left alone come round often: by a hash of the place (sh2_speed_paths.cpp), the
    // entry that matched last, and a bit set for every entry's place.
    std::array<u8, 64> rejected_hint{};
    u64 rejected_bits = 1;

    // What the loop is, to resume it at the next slice or when it comes round again.
    bool known        = false;  // the record below is a qualified round
    u32 asleep_serial = 0;
    u32 round         = 0;  // cycles of one round

    u32 reads = 0, stores = 0, counters = 0;
    std::array<Sh2LoopAccess, kSh2LoopAccesses> read{};
    std::array<Sh2LoopAccess, kSh2LoopAccesses> store{};
    std::array<Sh2LoopCounter, 2> counter{};
    std::array<u16, kSh2LoopSteps> code{};  // the round's instruction words as run
    // The same words as stretches of consecutive code, to check in few compares.
    u32 code_runs = 0;
    std::array<Sh2LoopCodeRun, kSh2LoopSteps> code_run{};
    std::array<u8, 2 * kSh2LoopSteps> code_bytes{};  // the stretches' bytes, one after another
    std::array<u8, kSh2LoopSteps> resumable{};       // 1 where a slice may stop and resume
    std::array<u8, kSh2LoopSteps> delayed{};         // 1 where the step is a delayed branch
    u32 sr_loads = 0;                                // steps that load SR (an interrupt may be due)
    std::array<u8, kSh2LoopSteps> sr_load{};         // their places in the round
    u32 exit_step   = 0;                             // the round's step the slice ended at
    u32 exit_serial = 0;      // the slice whose count off ended it at `exit_step` (0: none)
    Sh2LoopState exit_state;  // the registers the slice ended with there
    // Heartbeats the slice ended between the load and the store of: the count their register
    // holds must still be in their place for the loop to be resumed.
    u32 exit_holds = 0;
    std::array<Sh2LoopAccess, 2> exit_hold{};
    std::array<s32, kSh2LoopSteps> at{};  // cycles from the round's start to each step
    u64 rounds_counted = 0;               // rounds counted off since power-on (tests)
};
extern std::array<Sh2LoopWatch, 2> sh2_loop_watch;  // master, slave

// Nothing watched (power-on, tests).
void sh2_loop_watch_reset();

// The entry points of the dispatch loop (sh2.cpp), for core 0 or 1.
//   enter     at the start of a slice's dispatch, the core at `cur`, `pending` the cycles of
//             an interrupt just taken: resumes a loop asleep since the last slice
//   record    before each instruction while a round is recorded, with the counter then
//   back      after a jump backwards within the region to `head`, the instruction before
//             `end` the last one run; `counter` includes its cycles
//   left      the region changed
//   leave     the slice ended with the core at `cur`
Sh2LoopJump sh2_loop_enter(u32 core, Sh2CpuContext& c, s32 counter, u32 cur, u32 pending);
void sh2_loop_record(u32 core, const Sh2CpuContext& c, u32 cur, s32 counter);
Sh2LoopJump sh2_loop_back(u32 core, Sh2CpuContext& c, u32 head, u32 end, s32 counter);
void sh2_loop_left(u32 core);
void sh2_loop_leave(u32 core, const Sh2CpuContext& c, u32 cur);

}  // namespace varn
