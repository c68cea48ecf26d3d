#pragma once
// The fixture of the instruction tests that run one instruction at a time from kCode.

#include <initializer_list>

#include "m68k_test_support.h"

namespace varn::test {

class M68kStepFixture : public M68kFixture {
  protected:
    static constexpr u32 kCode = 0x1000;

    // Runs one instruction at kCode with the CCR `ccr`; returns its cycles.
    u32 run(std::initializer_list<u16> words, u32 ccr = 0) {
        start_at(kCode, words);
        m68k_context.sr = static_cast<u16>(0x2700 | ccr);
        return step();
    }
    static u32 ccr() { return m68k_context.sr & 0xFF; }
};

}  // namespace varn::test
