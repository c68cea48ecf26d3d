// The earlier release's 68000 core: records, bus accessors, fetch pages, PC loads,
// exceptions, interrupts, the slice loop, reset and the Genecyst register load.

#include "legacy/m68k/m68k_v024.h"

#include "base/config.h"
#include "legacy/m68k/m68k_v024_core.h"
#include "m68k/m68k_bus.h"
#include "m68k/m68k_gs_registers.h"

namespace varn {

M68kCpuContextV024 m68k_context_v024{.slice_cycles = kM68kSliceCyclesV024};
M68kCpuContextV024 s68k_context_v024{.slice_cycles = kS68kSliceCyclesV024};
const M68kCpuContextV024* cpu_current_context_v024 = nullptr;

M68kFetchPages m68k_fetch_pages_v024     = m68k_startup_fetch_pages();
M68kFetchPages m68k_fetch_pages_scd_v024 = m68k_startup_fetch_pages_scd();
M68kFetchPages s68k_fetch_pages_v024     = s68k_startup_fetch_pages();

M68kChainFn m68k_z80_successor_v024       = nullptr;
M68kChainFn m68k_successor_v024           = nullptr;
bool (*m68k_z80_bus_held_v024)()          = nullptr;
M68kChainFn s68k_successor_v024           = nullptr;
M68kChainFn m68k_halt_slot_v024           = nullptr;
void (*s68k_irq_ack_slot_v024)(u32 level) = nullptr;

void m68k_clear_slots_v024() {
    m68k_z80_successor_v024 = nullptr;
    m68k_successor_v024     = nullptr;
    m68k_z80_bus_held_v024  = nullptr;
    s68k_successor_v024     = nullptr;
    m68k_halt_slot_v024     = nullptr;
    s68k_irq_ack_slot_v024  = nullptr;
}

void m68k_reset_records_v024() {
    m68k_context_v024         = M68kCpuContextV024{.slice_cycles = kM68kSliceCyclesV024};
    s68k_context_v024         = M68kCpuContextV024{.slice_cycles = kS68kSliceCyclesV024};
    cpu_current_context_v024  = nullptr;
    m68k_fetch_pages_v024     = m68k_startup_fetch_pages();
    m68k_fetch_pages_scd_v024 = m68k_startup_fetch_pages_scd();
    s68k_fetch_pages_v024     = s68k_startup_fetch_pages();
    m68k_page_table_fill_v024(m68k_shared_bus_set_v024);
    m68k_clear_slots_v024();
}

void m68k_init_fetch_pages_v024(u32 cart_enable_latch) {
    m68k_fill_cart_fetch_pages(m68k_fetch_pages_v024, cart_enable_latch);
}
void m68k_restore_fetch_pages_v024() {
    m68k_copy_scd_fetch_pages(m68k_fetch_pages_v024, m68k_fetch_pages_scd_v024);
}

// The main CPU's page table; at start every page hands its accesses to the shared bus.
const M68kHandlerSet m68k_shared_bus_set_v024{m68k_read_byte,  m68k_read_word,  m68k_read_long,
                                              m68k_write_byte, m68k_write_word, m68k_write_long};
M68kPageTableV024 m68k_page_table_v024 = [] {
    M68kPageTableV024 t{};
    t.fill(&m68k_shared_bus_set_v024);
    return t;
}();

void m68k_page_table_fill_v024(const M68kHandlerSet& set) { m68k_page_table_v024.fill(&set); }

u32 m68k_read_byte_v024(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_table_v024[addr >> 12]->read_byte(addr);
}
u32 m68k_read_word_v024(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_table_v024[addr >> 12]->read_word(addr);
}
u32 m68k_read_long_v024(u32 addr) {
    addr &= kM68kAddressMask;
    return m68k_page_table_v024[addr >> 12]->read_long(addr);
}
void m68k_write_byte_v024(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_table_v024[addr >> 12]->write_byte(addr, value);
}
void m68k_write_word_v024(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_table_v024[addr >> 12]->write_word(addr, value);
}
void m68k_write_long_v024(u32 addr, u32 value) {
    addr &= kM68kAddressMask;
    m68k_page_table_v024[addr >> 12]->write_long(addr, value);
}
// The sub-CPU serves the pages of the shared sub-CPU bus.
u32 s68k_read_byte_v024(u32 addr) { return s68k_read_byte(addr); }
u32 s68k_read_word_v024(u32 addr) { return s68k_read_word(addr); }
u32 s68k_read_long_v024(u32 addr) { return s68k_read_long(addr); }
void s68k_write_byte_v024(u32 addr, u32 value) { s68k_write_byte(addr, value); }
void s68k_write_word_v024(u32 addr, u32 value) { s68k_write_word(addr, value); }
void s68k_write_long_v024(u32 addr, u32 value) { s68k_write_long(addr, value); }

namespace m68k_v024 {

template <class I>
bool halt_here() {
    auto& c = I::cpu();
    c.pc    = insn_address<I>();
    c.status |= kM68kStatusHalted;
    if (m68k_halt_slot_v024) m68k_halt_slot_v024();
    return true;
}

template <class I>
bool load_pc(u32 target) {
    auto& c               = I::cpu();
    c.pc                  = insn_address<I>();
    const u32 pc          = target & 0xFFFFFF;
    const M68kFetchPage e = I::pages()[pc >> 16];
    if (e.kind == M68kFetchKind::kNone) {
        c.status |= kM68kStatusHalted;
        if (m68k_halt_slot_v024) m68k_halt_slot_v024();
        return false;
    }
    u32 base = e.offset;
    if constexpr (I::kIsMain) {
        // The older core applies every page rule at every PC load, jumps and returns included.
        if (e.kind == M68kFetchKind::kS32xBios) {
            if (pc >= 0x100) base = kCartRomOffset;
        } else if (e.kind == M68kFetchKind::kBankedRom) {
            if (m68k_banked_rom_offset) base += m68k_banked_rom_offset();
        } else if (e.kind == M68kFetchKind::kWordRam) {
            if (m68k_word_ram_bank_offset) base += m68k_word_ram_bank_offset();
        }
    }
    c.fetch_base = base;
    c.host_pc    = base + pc;
    return true;
}

// Stacks PC and SR on the supervisor stack and loads the vector; `stacked_pc` is the PC the
// host position stands at.
template <class I>
bool enter_exception(u32 vector, u32 old_sr) {
    auto& c                         = I::cpu();
    const u32 stacked_pc            = insn_address<I>();
    c.sp_slots[c.sp_slot_index / 4] = c.regs[15];
    c.sp_slot_index                 = kSupervisorSlotIndexV024;
    u32& a7                         = sp<I>();
    a7                              = c.sp_slots[kM68kSupervisorSlot];
    I::write32(a7 - 4, stacked_pc);
    a7 -= 6;
    I::write16(a7, old_sr);
    return load_pc<I>(I::read32(vector * 4));
}

template <class I>
bool raise_exception(u32 vector) {
    auto& c = I::cpu();
    c.host_pc += c.insn_length;
    const u32 old_sr = c.sr;
    if (!enter_exception<I>(vector, old_sr)) return true;
    c.sr          = static_cast<u16>(old_sr | kM68kSrS);
    c.insn_length = 0;
    return false;
}

template <class I>
bool check_irq() {
    auto& c         = I::cpu();
    c.irq_check     = 0;
    const u32 level = m68k_acceptable_irq_level(c.sr, c.irq_pending);
    if (level == 0) return true;
    c.irq_taken   = 1;
    c.irq_pending = static_cast<u8>(c.irq_pending & ~(1u << level));
    if constexpr (!I::kIsMain) {
        if (level == 2 && s68k_irq_ack_slot_v024) s68k_irq_ack_slot_v024(level);
    }
    const u32 old_sr = c.sr;
    if (!enter_exception<I>(24 + level, old_sr)) return false;
    c.sr          = static_cast<u16>((old_sr & ~0x0700u) | (level << 8) | kM68kSrS);
    c.insn_length = 2;
    return true;
}

template bool halt_here<Main>();
template bool halt_here<Sub>();
template bool load_pc<Main>(u32);
template bool load_pc<Sub>(u32);
template bool raise_exception<Main>(u32);
template bool raise_exception<Sub>(u32);
template bool check_irq<Main>();
template bool check_irq<Sub>();

namespace {

// The dispatch loop: charges the cost the last handler stored (an unsigned addition whose
// carry ends the slice), then runs the handler of the opcode at the host PC and steps over
// the instruction. True when a handler ended the slice itself.
template <class I>
bool dispatch() {
    auto& c                        = I::cpu();
    const M68kJumpTableV024& table = I::table();
    for (;;) {
        const u32 before = static_cast<u32>(c.cycle_counter);
        const u32 after  = before + c.cycle_cost;
        c.cycle_counter  = static_cast<s32>(after);
        if (after < before) return false;
        if (c.host_pc > kFetchLimit) [[unlikely]]
            return halt_here<I>();
        if (table[load_be16(memory_arena + c.host_pc)]()) return true;
        c.host_pc += c.insn_length;
        c.insn_length = 2;
    }
}

template <class I>
void hand_off() {
    if constexpr (I::kIsMain) {
        const bool z80 = cfg(cfg_disable_z80) == 0 && m68k_z80_bus_held_v024 != nullptr &&
                         !m68k_z80_bus_held_v024();
        if (z80) {
            if (m68k_z80_successor_v024) m68k_z80_successor_v024();
        } else if (m68k_successor_v024) {
            m68k_successor_v024();
        }
    } else if (s68k_successor_v024) {
        s68k_successor_v024();
    }
}

template <class I>
void run_slice() {
    auto& c = I::cpu();
    if (c.status & kM68kStatusHalted) return;
    c.cycle_cost             = 0;
    c.cycle_counter          = c.slice_cycles;  // the last slice's overshoot is dropped
    c.host_pc                = c.fetch_base + c.pc;
    cpu_current_context_v024 = &c;
    c.insn_length            = 2;
    if (c.irq_check == 1) {
        if (check_irq<I>()) dispatch<I>();
    } else {
        dispatch<I>();
    }
    if (c.status & kM68kStatusHalted) return;
    c.pc = insn_address<I>();
    hand_off<I>();
}

template <class I>
void reset() {
    auto& c                  = I::cpu();
    cpu_current_context_v024 = &c;
    c.cycle_cost             = 0;
    c.sr                     = 0x2700;
    c.sp_slot_index          = kSupervisorSlotIndexV024;
    c.stopped                = 0;
    c.irq_taken              = 0;
    c.insn_length            = 2;
    c.pc                     = 0;
    if constexpr (!I::kIsMain) {
        c.cycle_counter = 0;
        c.irq_pending   = 0;
        c.irq_check     = 0;
    }
    // A vector table outside every image halts.
    u32 ssp = 0, new_pc = 0;
    if (!m68k_read_reset_vectors(c.fetch_base, ssp, new_pc)) {
        c.status |= kM68kStatusHalted;
        if (m68k_halt_slot_v024) m68k_halt_slot_v024();
        return;
    }
    c.regs[15] = ssp;
    c.host_pc  = c.fetch_base;
    if (load_pc<I>(new_pc)) c.pc = insn_address<I>();
}

}  // namespace
}  // namespace m68k_v024

void m68k_run_slice_v024() { m68k_v024::run_slice<m68k_v024::Main>(); }
void s68k_run_slice_v024() { m68k_v024::run_slice<m68k_v024::Sub>(); }
void m68k_reset_v024() { m68k_v024::reset<m68k_v024::Main>(); }
void s68k_reset_v024() { m68k_v024::reset<m68k_v024::Sub>(); }

bool m68k_load_gs_registers_v024(std::span<const u8> image) {
    M68kCpuContextV024& c = m68k_context_v024;
    const bool loaded     = m68k_load_gs_registers_into(
            c, image, kUserSlotIndexV024, kSupervisorSlotIndexV024, [&](u32 pc) {
            c.pc                  = pc;
            const M68kFetchPage e = m68k_fetch_pages_v024[pc >> 16];
            if (e.kind == M68kFetchKind::kNone) {
                c.status |= kM68kStatusHalted;
                if (m68k_halt_slot_v024) m68k_halt_slot_v024();
            } else {
                c.fetch_base = e.offset;
            }
        });
    if (loaded) c.cycle_cost = 0;
    return loaded;
}

}  // namespace varn
