// The save-state container and the Genesis block over a powered-on machine running a busy
// test cartridge: the stream's size and framing, save/load/save round trips, wide ids,
// trailing bytes, and streams that must fail without changing the machine.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/config.h"
#include "base/endian.h"
#include "base/host.h"
#include "genesis/bus/bus.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "support/machine_records.h"
#include "support/test_files.h"
#include "support/test_machine.h"

namespace varn::test {
namespace {

using Bytes = std::vector<u8>;

// A Genesis block taken apart: its chunks in stream order.
struct ChunkBytes {
    u32 id;
    Bytes data;
};

// Splits a stream written with one-byte ids into its chunks.
std::vector<ChunkBytes> split_chunks(const Bytes& s) {
    std::vector<ChunkBytes> chunks;
    const u32 block_length = load_le32(&s[9]);
    std::size_t pos        = 13;
    const std::size_t end  = 13 + block_length;
    while (pos < end) {
        const u32 length = load_le32(&s[pos + 1]);
        chunks.push_back({s[pos], Bytes(s.begin() + pos + 5, s.begin() + pos + 5 + length)});
        pos += 5 + length;
    }
    return chunks;
}

void put_id(Bytes& out, u32 id, u32 width) {
    for (u32 i = 0; i < width; ++i) out.push_back(static_cast<u8>(id >> (8 * i)));
}
void put_le32(Bytes& out, u32 v) {
    for (u32 i = 0; i < 4; ++i) out.push_back(static_cast<u8>(v >> (8 * i)));
}

// Frames chunks into a stream with ids `width` bytes wide.
Bytes build_stream(const std::vector<ChunkBytes>& chunks, u32 width = 1, u32 block_id = 1) {
    Bytes block;
    for (const auto& c : chunks) {
        put_id(block, c.id, width);
        put_le32(block, static_cast<u32>(c.data.size()));
        block.insert(block.end(), c.data.begin(), c.data.end());
    }
    Bytes s = {'S', 'S', '!', static_cast<u8>(width), 0, 0, 0, 0};
    put_id(s, block_id, width);
    put_le32(s, static_cast<u32>(block.size()));
    s.insert(s.end(), block.begin(), block.end());
    return s;
}

class StateTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::compose_machines(); }

    void SetUp() override {
        emu_set_host(&host);
        test::reset_runtime_records();
        cfg_set(cfg_frame_skip, 15);
        cfg_set(cfg_brm_in_states, 0);
        test::reset_genesis_records();

        const auto image = read_program("state_busy_cart");
        ASSERT_FALSE(image.empty());
        std::copy(image.begin(), image.end(), cart_rom.begin());
        genesis_power_on_machine();
        scheduler_reset();
    }
    void TearDown() override {
        cfg_set(cfg_brm_in_states, 0);
        cart_bank_load = nullptr;
        emu_set_host(nullptr);
    }

    static void run_frames(int n) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    }

    static Bytes save() {
        Bytes out(kStateMaxBytes);
        out.resize(state_save(out));
        return out;
    }

    // The machine after `frames` frames, saved; then moved on so that it differs from the
    // save in every chunk the cartridge keeps changing.
    Bytes save_then_move_on(int frames, int more) {
        run_frames(frames);
        Bytes s = save();
        run_frames(more);
        return s;
    }

    // Every load below must fail and leave the machine as it was.
    void expect_refused(const Bytes& stream, const std::string& what) {
        const Bytes before = save();
        EXPECT_EQ(state_load(stream), -1) << what;
        EXPECT_EQ(save(), before) << what;
    }

    NullHost host;
};

TEST_F(StateTest, GenesisBlockHasTheDocumentedSizeAndOrder) {
    run_frames(3);
    const Bytes s = save();
    ASSERT_EQ(s.size(), kStateBytesWithoutSram);
    EXPECT_EQ(s.size(), 139934u);
    EXPECT_EQ(Bytes(s.begin(), s.begin() + 9), (Bytes{'S', 'S', '!', 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(load_le32(&s[9]), 139921u);
    EXPECT_EQ(state_id_width, 1u);

    std::vector<u32> ids, lengths;
    for (const auto& c : split_chunks(s)) {
        ids.push_back(c.id);
        lengths.push_back(static_cast<u32>(c.data.size()));
    }
    EXPECT_EQ(ids, (std::vector<u32>{0x80, 0x81, 0x82, 0x83, 0x84, 0x01, 0x02, 0x87, 0x88, 0x89,
                                     0x86, 0x8A, 0x8B}));
    EXPECT_EQ(lengths, (std::vector<u32>{0x10000, 0x10000, 0x80, 0x50, 0x2000, 0x4C, 0x1C, 0x21,
                                         0xD5, 0x0A, 1, 0x0F, 8}));
    Bytes small(s.size() - 1);
    EXPECT_EQ(state_save(small), 0u) << "a buffer too small";
}

TEST_F(StateTest, SaveLoadSaveIsByteIdenticalOnARunningCartridge) {
    const Bytes first = save_then_move_on(40, 7);
    ASSERT_NE(save(), first) << "the cartridge must keep changing the machine";
    ASSERT_EQ(state_load(first), 0);
    EXPECT_EQ(save(), first);

    // The loaded machine runs on as the saved one did: the same interrupts, the same Z80
    // and video memory. (The 68000's cycle carry within its slice is not part of a state,
    // so the main loop may stand a few instructions apart.)
    run_frames(5);
    const auto later_a = split_chunks(save());
    const u32 vints_a  = m68k_context.regs[7];
    ASSERT_EQ(state_load(first), 0);
    run_frames(5);
    const auto later_b = split_chunks(save());
    EXPECT_EQ(m68k_context.regs[7], vints_a);
    for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(later_b[i].data, later_a[i].data) << i;
    EXPECT_EQ(run_stats.frames, 57u) << "the load does not move the frame count";
}

TEST_F(StateTest, LoadsFourByteIdsTrailingBytesAndChunksInAnyOrder) {
    const Bytes saved = save_then_move_on(20, 3);
    auto chunks       = split_chunks(saved);

    const Bytes wide = build_stream(chunks, 4);
    EXPECT_EQ(wide.size(), saved.size() + 3 * (1 + chunks.size()));
    ASSERT_EQ(state_load(wide), 0);
    EXPECT_EQ(state_id_width, 4u);
    EXPECT_EQ(save(), saved);
    EXPECT_EQ(state_id_width, 1u) << "a save always writes one-byte ids";

    run_frames(2);
    Bytes trailing = saved;
    trailing.insert(trailing.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x00});
    ASSERT_EQ(state_load(trailing), 0);
    EXPECT_EQ(save(), saved);

    run_frames(2);
    std::reverse(chunks.begin(), chunks.end());
    ASSERT_EQ(state_load(build_stream(chunks, 2)), 0);
    EXPECT_EQ(save(), saved);
}

TEST_F(StateTest, EveryTruncationFailsAndChangesNothing) {
    const Bytes saved = save_then_move_on(20, 3);
    // The I/O reset of a load would show in these, so a partial load cannot hide.
    z80_busreq_latch   = 0xFFFFFFFF;
    const Bytes before = save();
    ASSERT_NE(before, saved);
    std::size_t accepted = 0;
    for (std::size_t n = 0; n < saved.size(); ++n)
        if (state_load(std::span<const u8>(saved.data(), n)) != -1) ++accepted;
    EXPECT_EQ(accepted, 0u);
    EXPECT_EQ(save(), before);
    EXPECT_EQ(z80_busreq_latch, 0xFFFFFFFFu);
}

TEST_F(StateTest, DamagedFramingFailsAndChangesNothing) {
    const Bytes saved = save_then_move_on(20, 3);
    z80_busreq_latch  = 0xFFFFFFFF;
    const auto chunks = split_chunks(saved);

    auto with = [&](auto&& edit) {
        auto c = chunks;
        edit(c);
        return build_stream(c);
    };
    auto patched = [&](std::size_t offset, u8 value) {
        Bytes s   = saved;
        s[offset] = value;
        return s;
    };
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"magic", patched(2, '?')},
        {"id width 0", patched(3, 0)},
        {"id width 5", patched(3, 5)},
        {"block id 0", build_stream(chunks, 1, 0)},
        {"32X block", build_stream(chunks, 1, 2)},
        {"Sega CD block", build_stream(chunks, 1, 3)},
        {"Master System block", build_stream(chunks, 1, 4)},
        {"block id 5", build_stream(chunks, 1, 5)},
        {"block longer than the data", patched(9, static_cast<u8>(saved[9] + 1))},
        {"unknown chunk id last", with([](auto& c) {
             c.push_back({0x8C, Bytes(4)});
         })},
        {"unknown chunk id among known", with([](auto& c) {
             c.insert(c.begin() + 6, ChunkBytes{0x00, Bytes(1)});
         })},
        {"68000 chunk one byte short", with([](auto& c) { c[5].data.pop_back(); })},
        {"Z80 chunk empty", with([](auto& c) { c[6].data.clear(); })},
        {"VDP chunk short", with([](auto& c) { c[7].data.resize(0x20); })},
        {"YM2612 chunk short", with([](auto& c) { c[8].data.resize(0xD4); })},
        {"PSG chunk short", with([](auto& c) { c[9].data.resize(9); })},
        {"work RAM short", with([](auto& c) { c[0].data.resize(0xFFFF); })},
        {"CRAM short", with([](auto& c) { c[2].data.resize(0x7F); })},
        {"Z80 bus empty", with([](auto& c) { c[10].data.clear(); })},
        {"bank registers short", with([](auto& c) { c[12].data.resize(7); })},
    };
    for (const auto& [what, stream] : cases) expect_refused(stream, what);

    // A chunk whose stated length runs past the block, and a block ending inside a chunk
    // header: the block length is cut, the data stay.
    Bytes past = saved;
    store_le32(&past[9], load_le32(&past[9]) - 1);
    expect_refused(past, "last chunk past its block");
    Bytes half_header = build_stream({chunks[12]});
    half_header.insert(half_header.end(), {0x8B, 8, 0});
    store_le32(&half_header[9], load_le32(&half_header[9]) + 3);
    expect_refused(half_header, "block ending inside a chunk header");
    EXPECT_EQ(z80_busreq_latch, 0xFFFFFFFFu);
}

TEST_F(StateTest, PartialBlockResetsTheIoSideAndKeepsTheRest) {
    run_frames(10);
    const Bytes before              = save();
    z80_busreq_latch                = 0xFFFFFFFF;
    z80_reset_latch                 = 0;
    controller_ports[0].pad_phase   = 6;
    controller_ports[1].mouse_state = 4;

    // A block of one chunk: the bank registers as they are.
    const auto chunks = split_chunks(before);
    ASSERT_EQ(state_load(build_stream({chunks[12]})), 0);
    EXPECT_EQ(controller_ports[0].pad_phase, 1u) << "read sequences from their start";
    EXPECT_EQ(controller_ports[1].mouse_state, 0u);
    EXPECT_EQ(z80_busreq_latch, 0u);
    EXPECT_EQ(z80_reset_latch, 0xFFFFFFFFu);
    u8 io[kIoPortStateBytes];
    io_ports_save(io);
    EXPECT_EQ(Bytes(io, io + 6), (Bytes{0xFF, 0xFF, 0xFF, 0x40, 0x40, 0x00}));
    // An empty block loads too, and only resets the I/O side.
    controller_ports[0].pad_phase = 6;
    ASSERT_EQ(state_load(build_stream({})), 0);
    EXPECT_EQ(controller_ports[0].pad_phase, 1u);
    auto after = split_chunks(save());
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(after[i].data, chunks[i].data) << i;
}

// The load resets the I/O side first and then takes the fifteen registers as saved: a game
// that drives other lines than TH (a light gun, a serial link) gets its directions back.
TEST_F(StateTest, IoRegistersRoundTripWithTheirDirections) {
    run_frames(3);
    io_port_regs.data      = {0x12, 0x34, 0x56};
    io_port_regs.control   = {0x7F, 0x00, 0x83};
    io_port_regs.serial[0] = 0xA5;
    const IoPortRegs saved = io_port_regs;
    const Bytes state      = save();
    io_ports_power_on();
    ASSERT_EQ(state_load(state), 0);
    EXPECT_EQ(io_port_regs.data, saved.data);
    EXPECT_EQ(io_port_regs.control, saved.control);
    EXPECT_EQ(io_port_regs.serial, saved.serial);
    EXPECT_EQ(save(), state);
}

TEST_F(StateTest, Z80BusBitsRoundTrip) {
    for (u8 bits = 0; bits < 4; ++bits) {
        auto chunks        = split_chunks(save());
        chunks[10].data[0] = bits;
        ASSERT_EQ(state_load(build_stream(chunks)), 0);
        EXPECT_EQ(z80_busreq_latch, (bits & 1) ? 0xFFFFFFFFu : 0u);
        EXPECT_EQ(z80_reset_latch, (bits & 2) ? 0xFFFFFFFFu : 0u);
        EXPECT_EQ(split_chunks(save())[10].data[0], bits);
    }
}

TEST_F(StateTest, ChangedBanksAreStreamedAgainAndSaveRamEnableIsKept) {
    static std::vector<std::pair<u32, u32>> loads;
    loads.clear();
    cart_bank_load   = [](u32 window, u32 bank) { loads.push_back({window, bank}); };
    cart_sram_enable = 0;

    auto chunks     = split_chunks(save());
    chunks[12].data = {0x01, 1, 0x1A, 3, 4, 0x0B, 6, 7};  // windows 2 and 5 change
    ASSERT_EQ(state_load(build_stream(chunks)), 0);
    EXPECT_EQ(loads, (std::vector<std::pair<u32, u32>>{{2, 0xA}, {5, 0xB}}));
    EXPECT_EQ(Bytes(cart_bank_regs.begin(), cart_bank_regs.end()), chunks[12].data);
    EXPECT_EQ(cart_sram_enable, 0u);

    loads.clear();
    ASSERT_EQ(state_load(build_stream(chunks)), 0);
    EXPECT_TRUE(loads.empty()) << "unchanged banks are not streamed again";
}

TEST_F(StateTest, SaveRamChunkFollowsTheOption) {
    run_frames(1);            // the cartridge sets the pad ports up as a load leaves them
    cart_sram_size = 0x3FFF;  // an odd window such as 0x200001-0x203FFF
    for (u32 i = 0; i < kCartSramBytes; ++i) cart_sram[i] = static_cast<u8>(i * 7 + 1);
    EXPECT_EQ(save().size(), kStateBytesWithoutSram) << "option off: no save RAM chunk";

    cfg_set(cfg_brm_in_states, 1);
    const Bytes with_sram = save();
    ASSERT_EQ(with_sram.size(), kStateBytesWithoutSram + 5 + 0x3FFF);
    const auto chunks = split_chunks(with_sram);
    EXPECT_EQ(chunks.back().id, 0x85u);

    std::fill_n(cart_sram, kCartSramBytes, u8{0});
    cart_sram_size = 0;
    ASSERT_EQ(state_load(with_sram), 0);
    EXPECT_EQ(cart_sram_size, 0x3FFFu);
    EXPECT_EQ(save(), with_sram);
    EXPECT_EQ(cart_sram[0x3FFF], 0) << "only the chunk's bytes are copied";

    // Option off: the size is taken over, the contents are not.
    cfg_set(cfg_brm_in_states, 0);
    std::fill_n(cart_sram, kCartSramBytes, u8{0x55});
    cart_sram_size = 2;
    ASSERT_EQ(state_load(with_sram), 0);
    EXPECT_EQ(cart_sram_size, 0x3FFFu);
    EXPECT_EQ(cart_sram[0], 0x55);

    // A chunk longer than the save RAM is cut to it.
    cfg_set(cfg_brm_in_states, 1);
    auto big        = chunks;
    big.back().data = Bytes(0x10010, 0xA5);
    ASSERT_EQ(state_load(build_stream(big)), 0);
    EXPECT_EQ(cart_sram_size, kCartSramBytes);
    EXPECT_EQ(cart_sram[kCartSramBytes - 1], 0xA5);
}

TEST_F(StateTest, GenecystRegisterImport) {
    run_frames(5);
    Bytes image(kGsRegistersImageBytes, 0);
    store_le32(&image[0x80], 0x12345678);  // D0
    store_le32(&image[0xC8], 0x000200);    // PC in the cartridge
    store_le16(&image[0xD0], 0x2700);
    store_le32(&image[0x404], 0xBEEF);  // Z80 AF
    image[0xFA + 15] = 0x04;            // VDP register 15
    ASSERT_TRUE(gs_state_load_registers(image));
    EXPECT_EQ(m68k_context.regs[0], 0x12345678u);
    EXPECT_EQ(m68k_context.pc, 0x200u);
    EXPECT_EQ(vdp_registers[15], 0x04);

    const Bytes before = save();
    Bytes no_code      = image;
    store_le32(&no_code[0xC8], 0xA00000);  // the Z80 area holds no 68000 code
    store_le32(&no_code[0x80], 0x55555555);
    EXPECT_FALSE(gs_state_load_registers(no_code));
    EXPECT_FALSE(gs_state_load_registers(std::span<const u8>(image.data(), image.size() - 1)));
    EXPECT_EQ(save(), before);
    EXPECT_EQ(m68k_context.halt_pending, 0);
}

}  // namespace
}  // namespace varn::test
