// Status register moves (line 4): MOVE from SR (6 cycles), MOVE to CCR (12) and MOVE to SR
// (12, leaving through the interrupt check). SR is held raw: every bit given is stored and
// read back, the flagless ones included. No privilege test.

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr u32 kFromSrCycles  = 6;
inline constexpr u32 kToCcrSrCycles = 12;

// MOVE from SR writes its word without reading the destination first.
template <class I, Mode M>
u32 op_move_from_sr(u32 ir) {
    ea_write<I, Size::kWord, M, 2>(ir, ir >> 16, I::cpu().sr);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    return kFromSrCycles;
}

// The source is a word; its low byte becomes the CCR, all eight bits.
template <class I, Mode M>
u32 op_move_to_ccr(u32 ir) {
    const u32 v = ea_read<I, Size::kWord, M, 2>(ir, ir >> 16);
    set_ccr<I>(v);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    return kToCcrSrCycles;
}

// The source is read (stepping A7 if it is the operand) before the stack pointer follows the
// new S bit; an interrupt the new mask allows is taken before the next instruction.
template <class I, Mode M>
u32 op_move_to_sr(u32 ir) {
    const u32 v = ea_read<I, Size::kWord, M, 2>(ir, ir >> 16);
    auto& c     = I::cpu();
    c.sr        = static_cast<u16>(v);
    c.irq_check = 1;
    switch_stack_for_sr<I>();
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    return check_irq<I>(kToCcrSrCycles);
}

}  // namespace

M68K_FAMILY(sr_move) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<&op_move_from_sr<I, handler_mode<Size::kWord>(F.mode)>>(out, 0x40C0 | F.bits,
                                                                            0xFFC0 | F.mask);
    });
    for_each_form<kDataSource>([&]<EaForm F>() {
        constexpr Mode m = handler_mode<Size::kWord>(F.mode);
        add_pattern<&op_move_to_ccr<I, m>>(out, 0x44C0 | F.bits, 0xFFC0 | F.mask);
        add_pattern<&op_move_to_sr<I, m>>(out, 0x46C0 | F.bits, 0xFFC0 | F.mask);
    });
}

}  // namespace varn::m68k
