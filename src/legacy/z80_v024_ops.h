#pragma once
// The older Z80 instruction set over any bus the core takes (the earlier machine's map, a
// flat bus for the exerciser): a copy of the core's dispatch tables with the instructions
// of the older design in place, and the older run loop over them.
//
// The older forms: HALT stays on itself (4 T-states a round); EI charges its 4 T-states at
// once; LD A,(BC) and LD A,(DE) read through the map; RLCA, RRCA, RLA and RRA clear bits 3
// and 5 of F; ADD HL/IX/IY,rr, ADC HL,rr and SBC HL,rr take H from the carry out of bit 3;
// INI, IND, OUTI, OUTD and their repeats take S, Z, H and P/V from B's decrement; IM 0/1/2
// store nothing; the 42 DD and FD forms on the halves of IX and IY are undefined. Prefixes
// add no cost and count no R; the loop counts no R either.

#include "base/types.h"
#include "z80/z80.h"
#include "z80/z80_core.h"

namespace varn {

template <class Bus>
struct Z80OlderSet {
    using C    = z80_cpu_context;
    using Core = Z80Core<Bus>;

    static inline Z80DispatchTables tables{};

    // ---- Flags ---------------------------------------------------------------------------

    static constexpr u8 kS = 0x80, kZ = 0x40, kH = 0x10, kP = 0x04, kN = 0x02, kC = 0x01;
    static constexpr u8 k35 = 0x28;

    static u8 f_of(const C& c) { return static_cast<u8>(c.af); }
    static u8 a_of(const C& c) { return static_cast<u8>(c.af >> 8); }
    static void set_af(C& c, u32 a, u32 f) {
        c.af = static_cast<u16>(((a & 0xFF) << 8) | (f & 0xFF));
    }
    static void advance(C& c, u32 n) { c.pc = static_cast<u16>(c.pc + n); }

    // ---- The older instructions ----------------------------------------------------------

    // HALT: the PC stays on it, so it runs again every 4 T-states until an interrupt (which
    // pushes the HALT's own address) or a reset.
    static u32 op_halt(C&, u32) { return 4; }

    // EI: both flip-flops on, its 4 T-states charged at once.
    static u32 op_ei(C& c, u32) {
        c.iff1 = c.iff2 = kZ80IffOn;
        advance(c, 1);
        return 4;
    }

    template <int Pair>  // 0 BC, 1 DE
    static u32 op_ld_a_indirect(C& c, u32) {
        const u16 addr = Pair == 0 ? c.bc : c.de;
        set_af(c, Bus::read_byte(addr), f_of(c));
        advance(c, 1);
        return 7;
    }

    // RLCA, RRCA, RLA, RRA: H and N cleared, S, Z and P/V kept, bits 3 and 5 cleared.
    template <int Kind>  // 0 RLCA, 1 RRCA, 2 RLA, 3 RRA
    static u32 op_rotate_a(C& c, u32) {
        const u32 a = a_of(c), f = f_of(c);
        u32 r = 0, carry = 0;
        if constexpr (Kind == 0) {
            carry = a >> 7;
            r     = (a << 1) | carry;
        } else if constexpr (Kind == 1) {
            carry = a & 1;
            r     = (a >> 1) | (carry << 7);
        } else if constexpr (Kind == 2) {
            carry = a >> 7;
            r     = (a << 1) | (f & kC);
        } else {
            carry = a & 1;
            r     = (a >> 1) | ((f & kC) << 7);
        }
        set_af(c, r, (f & (kS | kZ | kP)) | carry);
        advance(c, 1);
        return 4;
    }

    static u16& pair_of(C& c, int x, int p) {
        switch (p) {
            case 0:
                return c.bc;
            case 1:
                return c.de;
            case 2:
                return x == 0 ? c.hl : x == 1 ? c.ix : c.iy;
            default:
                return c.sp;
        }
    }

    // ADD HL/IX/IY,rr: as the core's, with H the carry out of bit 3.
    template <int X, int P>
    static u32 op_add16(C& c, u32) {
        u16& d        = pair_of(c, X, 2);
        const u32 v   = pair_of(c, X, P);
        const u32 old = d;
        const u32 r   = old + v;
        c.af          = static_cast<u16>((c.af & 0xFF00) | (f_of(c) & (kS | kZ | kP | k35)) |
                                ((old ^ v ^ r) & kH) | ((r >> 16) & kC));
        d             = static_cast<u16>(r);
        advance(c, X ? 2 : 1);
        return X ? 15 : 11;
    }

    // ADC HL,rr and SBC HL,rr: as the core's, with H the carry or borrow out of bit 3.
    template <bool kSub, int P>
    static u32 op_adc_sbc16(C& c, u32) {
        const u32 h  = c.hl;
        const u32 v  = pair_of(c, 0, P);
        const u32 cy = f_of(c) & kC;
        const u32 r  = kSub ? h - v - cy : h + v + cy;
        const u32 overflow =
            kSub ? ((h ^ v) & (h ^ r) & 0x8000) >> 13 : ((h ^ r) & (v ^ r) & 0x8000) >> 13;
        const u32 f = (f_of(c) & k35) | ((r >> 8) & kS) | ((r & 0xFFFF) == 0 ? kZ : 0) |
                      ((h ^ v ^ r) & kH) | overflow | (kSub ? kN : 0) | ((r >> 16) & kC);
        c.af = static_cast<u16>((c.af & 0xFF00) | f);
        c.hl = static_cast<u16>(r);
        advance(c, 2);
        return 15;
    }

    // INI, IND, OUTI, OUTD and their repeating forms: the flags of B's decrement (S, Z, H from
    // it, P/V its overflow, N set; C and bits 3 and 5 kept).
    template <bool kIn, bool kDown, bool kRepeat>
    static u32 op_block_io(C& c, u32) {
        const u8 port = static_cast<u8>(c.bc);
        if constexpr (kIn) {
            Bus::write_byte(c.hl, Bus::port_in(port));
        } else {
            Bus::port_out(port, Bus::read_byte(c.hl));
        }
        c.hl         = static_cast<u16>(kDown ? c.hl - 1 : c.hl + 1);
        const u32 b0 = c.bc >> 8;
        const u32 b  = (b0 - 1) & 0xFF;
        c.bc         = static_cast<u16>((b << 8) | (c.bc & 0xFF));
        const u32 f  = (f_of(c) & (kC | k35)) | (b & kS) | (b == 0 ? kZ : 0) |
                      ((b0 & 0x0F) == 0 ? kH : 0) | (b0 == 0x80 ? kP : 0) | kN;
        c.af = static_cast<u16>((c.af & 0xFF00) | f);
        if (kRepeat && b != 0) return 21;  // the PC stays on the instruction
        advance(c, 2);
        return 16;
    }

    // IM 0, 1, 2: nothing is stored.
    static u32 op_im(C& c, u32) {
        advance(c, 2);
        return 8;
    }

    // Prefixes: the second byte indexes the group's table; no R count, no cost of their own.
    static u32 prefix_cb(C& c, u32 op) { return tables.cb[(op >> 8) & 0xFF](c, op); }
    static u32 prefix_dd(C& c, u32 op) { return tables.dd[(op >> 8) & 0xFF](c, op); }
    static u32 prefix_ed(C& c, u32 op) { return tables.ed[(op >> 8) & 0xFF](c, op); }
    static u32 prefix_fd(C& c, u32 op) { return tables.fd[(op >> 8) & 0xFF](c, op); }

    // The opcodes on the halves of IX and IY: undefined in the older set.
    static constexpr u8 kIndexHalfOps[] = {
        0x26, 0x2E, 0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D, 0x60, 0x61, 0x62, 0x63,
        0x64, 0x65, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x7C, 0x7D, 0x84, 0x85,
        0x8C, 0x8D, 0x94, 0x95, 0x9C, 0x9D, 0xA4, 0xA5, 0xAC, 0xAD, 0xB4, 0xB5, 0xBC, 0xBD};
    static_assert(sizeof kIndexHalfOps == 42);

    // Interrupt acceptance at slice entry: NMI first, then IRQ while IFF1 is on (to 0x38 in
    // every mode). None costs T-states; at most one is taken.
    static bool accept_interrupt(C& c) {
        c.irq_check = 0;
        if (c.irq_lines & kZ80LineNmi) {
            c.irq_lines &= static_cast<u8>(~kZ80LineNmi);
            c.iff1 = 0;
            c.sp   = static_cast<u16>(c.sp - 2);
            Bus::write_word(c.sp, c.pc);
            return Core::set_pc(c, 0x66);
        }
        if ((c.irq_lines & kZ80LineIrq) && c.iff1) {
            c.irq_lines &= static_cast<u8>(~kZ80LineIrq);
            c.iff1 = c.iff2 = 0;
            c.sp            = static_cast<u16>(c.sp - 2);
            Bus::write_word(c.sp, c.pc);
            return Core::set_pc(c, 0x38);
        }
        return true;
    }

    // ---- Tables ----

    static void build() {
        Z80DispatchTables& t = tables;
        t                    = Core::tables;
        const Z80Handler bad = Core::tables.ed[0x00];  // an ED slot without an instruction
        t.main[0xCB]         = prefix_cb;
        t.main[0xDD]         = prefix_dd;
        t.main[0xED]         = prefix_ed;
        t.main[0xFD]         = prefix_fd;

        t.main[0x76] = op_halt;
        t.main[0xFB] = op_ei;
        t.main[0x0A] = op_ld_a_indirect<0>;
        t.main[0x1A] = op_ld_a_indirect<1>;
        t.main[0x07] = op_rotate_a<0>;
        t.main[0x0F] = op_rotate_a<1>;
        t.main[0x17] = op_rotate_a<2>;
        t.main[0x1F] = op_rotate_a<3>;
        t.main[0x09] = op_add16<0, 0>;
        t.main[0x19] = op_add16<0, 1>;
        t.main[0x29] = op_add16<0, 2>;
        t.main[0x39] = op_add16<0, 3>;
        t.dd[0x09]   = op_add16<1, 0>;
        t.dd[0x19]   = op_add16<1, 1>;
        t.dd[0x29]   = op_add16<1, 2>;
        t.dd[0x39]   = op_add16<1, 3>;
        t.fd[0x09]   = op_add16<2, 0>;
        t.fd[0x19]   = op_add16<2, 1>;
        t.fd[0x29]   = op_add16<2, 2>;
        t.fd[0x39]   = op_add16<2, 3>;
        t.ed[0x4A]   = op_adc_sbc16<false, 0>;
        t.ed[0x5A]   = op_adc_sbc16<false, 1>;
        t.ed[0x6A]   = op_adc_sbc16<false, 2>;
        t.ed[0x7A]   = op_adc_sbc16<false, 3>;
        t.ed[0x42]   = op_adc_sbc16<true, 0>;
        t.ed[0x52]   = op_adc_sbc16<true, 1>;
        t.ed[0x62]   = op_adc_sbc16<true, 2>;
        t.ed[0x72]   = op_adc_sbc16<true, 3>;
        t.ed[0xA2]   = op_block_io<true, false, false>;   // INI
        t.ed[0xA3]   = op_block_io<false, false, false>;  // OUTI
        t.ed[0xAA]   = op_block_io<true, true, false>;    // IND
        t.ed[0xAB]   = op_block_io<false, true, false>;   // OUTD
        t.ed[0xB2]   = op_block_io<true, false, true>;    // INIR
        t.ed[0xB3]   = op_block_io<false, false, true>;   // OTIR
        t.ed[0xBA]   = op_block_io<true, true, true>;     // INDR
        t.ed[0xBB]   = op_block_io<false, true, true>;    // OTDR
        t.ed[0x46]   = op_im;
        t.ed[0x56]   = op_im;
        t.ed[0x5E]   = op_im;
        for (const u8 op : kIndexHalfOps) {
            t.dd[op] = bad;
            t.fd[op] = bad;
        }
    }

    static u32 overridden() {
        const Z80DispatchTables& t = tables;
        const Z80DispatchTables& m = Core::tables;
        u32 n                      = 0;
        auto count = [&](const std::array<Z80Handler, 256>& a, const std::array<Z80Handler, 256>& b,
                         bool skip_prefixes) {
            for (u32 i = 0; i < 256; ++i) {
                if (skip_prefixes && (i == 0xCB || i == 0xDD || i == 0xED || i == 0xFD)) continue;
                if (a[i] != b[i]) ++n;
            }
        };
        count(t.main, m.main, true);
        count(t.cb, m.cb, false);
        count(t.ed, m.ed, false);
        count(t.dd, m.dd, false);
        count(t.fd, m.fd, false);
        count(t.ddcb, m.ddcb, false);
        count(t.fdcb, m.fdcb, false);
        return n;
    }

    // ---- Run loop ----

    static void run(C& c) {
        if (c.status & kZ80StatusHalted) return;
        c.last_tstates = 0;
        c.cycle_counter += static_cast<u32>(c.slice_budget);
        if (c.irq_check == 1 && !accept_interrupt(c)) return;
        u32 cost = 0;
        for (;;) {
            c.cycle_counter += cost;
            if (static_cast<s32>(c.cycle_counter) >= 0) break;
            u32 op = 0;
            if (!Core::fetch(c, op)) return;  // no code at PC: the core has stopped
            cost = tables.main[op & 0xFF](c, op);
            if (c.status & kZ80StatusHalted) {
                c.cycle_counter = 0;
                return;
            }
        }
        c.last_tstates = cost;
    }
};

}  // namespace varn
