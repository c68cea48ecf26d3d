// The Master System instance of the Z80 core: its context, bus binding, code windows, run
// entry and resets.

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "memory/memory.h"
#include "runtime/thread_link.h"
#include "sms/sms.h"
#include "sms/sms_bus.h"
#include "sms/sms_z80_bus.h"

namespace varn {

constinit z80_cpu_context sms_z80_context = z80_initial_context();

void sms_z80_run() { SmsZ80::run(sms_z80_context); }

void sms_z80_reset() { SmsZ80::reset(sms_z80_context, 0); }

void sms_z80_reset_no_bios() { SmsZ80::reset(sms_z80_context, 0xDFF0); }

bool sms_z80_is_stopped() { return (sms_z80_context.status & kZ80StatusHalted) != 0; }

void sms_z80_clear_stopped() { sms_z80_context.status &= ~kZ80StatusHalted; }

void sms_z80_refresh_code() {
    // The memory behind the current code window has moved (a mapper or system ROM switch):
    // the next fetch takes a new window.
    sms_z80_context.fetch_lo   = 0;
    sms_z80_context.fetch_size = 0;
}

void sms_z80_init() {
    sms_z80_context = z80_initial_context();
    sms_ports_init();
}

}  // namespace varn
