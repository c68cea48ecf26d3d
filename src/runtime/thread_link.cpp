#include "runtime/thread_link.h"

#include "runtime/pacing.h"

namespace varn {

std::atomic<RunEntry> emu_thread_target{nullptr};
std::atomic<u8> emu_thread_state{kThreadIdle};
std::atomic<u32> emu_pause_req{0};
std::atomic<u32> emu_pause_ack{0};
std::atomic<u32> emu_stop_req{0};
std::atomic<u32> emu_stop_ack{0};
std::atomic<u32> emu_state_flags{0};
void (*machine_boot_slot)(u32 mode)            = nullptr;
void (*machine_save_backup_ram_slot)(u32 mode) = nullptr;

namespace {

NullHost null_host;
Host* current_host = &null_host;

std::atomic<bool> thread_alive{false};
// Written and read by the emulation thread only.
RunEntry running_entry = nullptr;

void set_thread_state(u8 state) {
    emu_thread_state.store(state);
    gui_post_to_frame(0, kRequestThreadStateChanged);
}

// A stop or a halt abandons the run. Any run entry stored while the machine ran (a reboot
// under a pause that was never released) belongs to the machine being closed: drop it, so
// a stop always leaves the thread idle. A fresh entry is stored only after the stop has
// been acknowledged, which happens after this.
void abandon_run() { emu_thread_target.store(nullptr); }

// User-interface side: yields until `done` holds or no emulation thread is left to answer.
template <typename Done>
void wait_for_thread(Done done) {
    while (!done() && thread_alive.load()) thread_yield();
}

}  // namespace

void emu_set_host(Host* host) { current_host = host != nullptr ? host : &null_host; }
Host& emu_host() { return *current_host; }

void gui_post_to_frame(u32 param, u32 code) { current_host->post_request(code, param); }
void thread_yield() { current_host->sleep_ms(0); }
u32 sys_time_ms() { return current_host->now_ms(); }

bool emu_thread_alive() { return thread_alive.load(); }
RunEntry emu_running_entry() { return running_entry; }

void emu_thread_exit() {}

std::thread emu_thread_start() {
    thread_alive.store(true);
    return std::thread(emu_thread_main);
}

int emu_thread_main() {
    thread_alive.store(true);
    for (;;) {
        // Idle loop: acknowledge every request while waiting for a run entry.
        set_thread_state(kThreadIdle);
        while (emu_thread_target.load() == nullptr) {
            thread_yield();
            emu_pause_ack.store(emu_pause_req.load());
            emu_stop_ack.store(emu_stop_req.load());
        }
        set_thread_state(kThreadRunning);
        emu_clear_cpu_halts();
        // The stop words are cleared before the entry is taken: a stop-and-wait that reads
        // the target empty and then the acknowledgement set knows the thread came back to
        // this loop after taking it.
        emu_stop_ack.store(0);
        emu_stop_req.store(0);
        const RunEntry entry = emu_thread_target.exchange(nullptr);
        if (entry == emu_thread_exit) {
            thread_alive.store(false);
            return 0;
        }
        // A machine started after a long idle must neither freeze nor skip.
        pace_rebase(sys_time_ms());
        running_entry = entry;
        entry();
        running_entry = nullptr;
    }
}

bool emu_check_pause_stop() {
    if ((emu_stop_req.load() & 0xFF) != 0) {
        abandon_run();
        return false;
    }
    const u32 pause = emu_pause_req.load();
    if ((pause & 0xFF) == 0) {
        // A machine booted under a pause that was released before this frame end still
        // holds the idle loop's copy of that pause: the release is acknowledged here.
        if (emu_pause_ack.load() != pause) emu_pause_ack.store(pause);
        return true;
    }

    set_thread_state(kThreadPaused);
    for (;;) {
        thread_yield();
        const u32 request = emu_pause_req.load();
        emu_pause_ack.store(request);
        if ((request & 0xFF) == 0) break;
        if ((emu_stop_req.load() & 0xFF) != 0) {
            abandon_run();
            return false;
        }
    }
    set_thread_state(kThreadRunning);
    pace_rebase(sys_time_ms());

    // A reboot under the pause stored a run entry. The machine it reset is the one this
    // loop runs, so it is consumed here; an entry of another machine is taken by the idle
    // loop.
    RunEntry pending = emu_thread_target.load();
    if (pending != nullptr) {
        if (pending != running_entry) return false;
        emu_thread_target.compare_exchange_strong(pending, nullptr);
    }
    return true;
}

void emu_fast_forward_on() {
    set_thread_state(kThreadFastForward);
    current_host->sound_pause();
}

void emu_fast_forward_off() {
    set_thread_state(kThreadRunning);
    current_host->sound_resume();
}

bool emu_fast_forward() { return emu_thread_state.load(std::memory_order_relaxed) == 3; }

void emu_pause_request(u32 reasons) {
    current_host->sound_pause();
    emu_pause_req.fetch_or(reasons);
    wait_for_thread([] { return emu_pause_ack.load() == emu_pause_req.load(); });
    emu_state_flags.fetch_or(kStatePaused);
}

void emu_resume_request(u32 reasons) {
    emu_pause_req.fetch_and(~reasons);
    wait_for_thread([] { return emu_pause_ack.load() == emu_pause_req.load(); });
    if (emu_pause_ack.load() == 0) {
        emu_state_flags.fetch_and(~kStatePaused);
        current_host->sound_resume();
    }
}

void emu_stop_and_wait() {
    current_host->sound_stop_clear();
    // The request is stored again on every pass: a thread that was just taking a run entry
    // clears it, and must still see it at that run's first frame end.
    for (;;) {
        emu_stop_req.store(1);
        if (emu_thread_target.load() == nullptr && emu_stop_ack.load() == 1) return;
        if (!thread_alive.load()) return;
        thread_yield();
    }
}

void emu_reboot_sequence(u32 mode) {
    emu_pause_request(kPauseUser);
    current_host->sound_stop_clear();
    if (machine_boot_slot != nullptr) machine_boot_slot(mode);
    if (machine_save_backup_ram_slot != nullptr) machine_save_backup_ram_slot(mode);
    emu_resume_request(kPauseUser);
}

void thread_link_reset() {
    emu_thread_target.store(nullptr);
    emu_thread_state.store(kThreadIdle);
    emu_pause_req.store(0);
    emu_pause_ack.store(0);
    emu_stop_req.store(0);
    emu_stop_ack.store(0);
    emu_state_flags.store(0);
    running_entry = nullptr;
}

}  // namespace varn
