#include "media/state_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/byte_io.h"
#include "base/file_write.h"
#include "genesis/state/save_state.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "settings/lang_texts.h"
#include "sms/sms.h"

namespace varn {

u32 state_slot                                       = 0;
bool (*gs_registers_slot)(std::span<const u8> image) = gs_state_load_registers;

namespace {

// Where the Genecyst image keeps the memories.
constexpr u32 kGsCram   = 0x112;
constexpr u32 kGsVsram  = 0x192;
constexpr u32 kGsZ80Ram = 0x474;
constexpr u32 kGsRam    = 0x2478;
constexpr u32 kGsVram   = 0x12478;

static_assert(kGsCram + kCramBytes <= kGsRegistersImageBytes &&
                  kGsVsram + kVsramBytes <= kGsRegistersImageBytes,
              "an image that holds the registers holds the palette and scroll RAM too");

char slot_digit(u32 slot) { return static_cast<char>('0' + slot % 10); }

// The bytes of `image` in [offset, offset + length), cut to what the image holds.
std::span<const u8> reached(std::span<const u8> image, u32 offset, u32 length) {
    if (offset >= image.size()) return {};
    return image.subspan(offset, std::min<std::size_t>(length, image.size() - offset));
}

// The VDP keeps its memories as host-order words and loads them as little-endian words.
// `console` holds big-endian words (console byte order) from the start of the memory,
// possibly fewer than the memory has: those bytes replace the memory's first bytes and the
// rest keeps its contents.
std::vector<u8> vdp_words_over(std::span<const u8> console, bool (*save)(ByteWriter&), u32 bytes) {
    std::vector<u8> words(bytes);
    ByteWriter out(words);
    save(out);
    for (std::size_t i = 0; i < console.size(); ++i) words[i ^ 1] = console[i];
    return words;
}

void load_gs_memories(std::span<const u8> image) {
    // Palette and scroll RAM: present in every image that passes the size test.
    {
        auto cram =
            vdp_words_over(reached(image, kGsCram, kCramBytes), vdp_save_cram_data, kCramBytes);
        ByteReader in(cram);
        vdp_load_cram_data(in);
        ByteReader vsram(reached(image, kGsVsram, kVsramBytes));
        vdp_load_vsram_data(vsram);
    }
    const auto z80 = reached(image, kGsZ80Ram, static_cast<u32>(z80_ram.size()));
    std::copy(z80.begin(), z80.end(), z80_ram.begin());
    const auto ram = reached(image, kGsRam, kWorkRamSize);
    std::copy(ram.begin(), ram.end(), m68k_ram.begin());
    const auto vram_bytes = reached(image, kGsVram, kVramBytes);
    if (!vram_bytes.empty()) {
        auto vram = vdp_words_over(vram_bytes, vdp_save_vram_data, kVramBytes);
        ByteReader in(vram);
        vdp_load_vram_data(in);
    }
}

// A Genecyst file holds a Genesis alone; a machine without states says so in its own words.
const char* gs_refusal_text() {
    const char* refused = state_unsupported_text(true);
    return refused != nullptr ? refused : kGsStateGenesisOnlyText;
}

}  // namespace

u32 state_slot_from_name(std::string_view name) {
    if (name.empty()) return 0;
    const char c = name.back();
    return c >= '0' && c <= '9' ? static_cast<u32>(c - '0') : 0;
}

std::string state_save_name(std::string name, u32 slot) {
    // The extension test looks at the three characters before the last one, so the name
    // must be long enough to have them.
    const bool has_extension =
        name.size() >= kStateExtension.size() + 1 &&
        ends_with_nocase(std::string_view(name).substr(0, name.size() - 1), kStateExtension);
    if (!has_extension) {
        name += kStateExtension;
        name += slot_digit(slot);
    }
    return name;
}

std::filesystem::path state_automatic_name(const std::filesystem::path& folder,
                                           std::string_view game_name, bool genecyst, u32 slot) {
    std::string extension(genecyst ? kGsStateExtension : kStateExtension);
    extension += slot_digit(slot);
    return automatic_file_name(folder, game_name, extension);
}

const char* state_unsupported_text(bool loading) {
    // A machine takes a state only through its record's own reader and writer: the Genesis,
    // and the Sega CD with its block after the Genesis block. Any other machine would be
    // saved as a Genesis alone, or would take a Genesis block over a unit that keeps its own
    // state: it would load as a broken machine.
    if (machine_kind == 0) return kStateNoMachineText;
    if (machine_kind == kMachineSms) return kSmsNoStateText;
    const MachineRecord* machine = machine_current();
    if (machine != nullptr &&
        (loading ? machine->state_load != nullptr : machine->state_save != nullptr))
        return nullptr;
    return loading ? kStateLoadUnsupportedText : kStateSaveUnsupportedText;
}

MediaResult state_file_save(const std::filesystem::path& path) {
    if (const char* refused = state_unsupported_text(false)) return MediaResult::failed(refused);
    const MachineRecord* machine = machine_current();
    std::vector<u8> state(machine->state_max_bytes);
    state.resize(machine->state_save(state));
    if (state.empty()) return MediaResult::failed("cannot save the state");
    if (auto written = write_file_replacing(path, state); !written) {
        return MediaResult::failed(written.error);
    }
    return MediaResult::ok();
}

MediaResult state_file_load(const std::filesystem::path& path) {
    if (const char* refused = state_unsupported_text(true)) return MediaResult::failed(refused);
    std::vector<u8> data;
    const auto read = read_file_capped(path, kStateFileCap, data);
    if (read.status == FileReadStatus::kCannotOpen) return MediaResult::not_opened(read.error);
    if (!read || machine_state_load(data) != 0)
        return MediaResult::failed(lang_text(lang::TXT_STATE_LOAD_FAILED));
    return MediaResult::ok();
}

MediaResult gs_state_file_load(const std::filesystem::path& path) {
    if (machine_kind != kMachineGenesis) return MediaResult::failed(gs_refusal_text());
    std::vector<u8> image;
    const auto read = read_file_capped(path, kGsStateFileBytes, image);
    if (read.status == FileReadStatus::kCannotOpen) return MediaResult::not_opened(read.error);
    if (read.status == FileReadStatus::kReadError)
        return MediaResult::failed(lang_text(lang::TXT_STATE_LOAD_FAILED));
    return gs_state_import(image);
}

MediaResult gs_state_import(std::span<const u8> image) {
    if (machine_kind != kMachineGenesis) return MediaResult::failed(gs_refusal_text());
    if (image.size() > kGsStateFileBytes) image = image.first(kGsStateFileBytes);
    if (image.size() < kGsRegistersImageBytes)
        return MediaResult::failed(lang_text(lang::TXT_STATE_LOAD_FAILED));
    // The register loader may still refuse the file (a PC where no code is); the memories
    // are copied before it runs, so keep the machine to put it back.
    std::vector<u8> before(kStateMaxBytes);
    before.resize(state_save(before));
    load_gs_memories(image);
    if (gs_registers_slot == nullptr || !gs_registers_slot(image)) {
        state_load(before);
        return MediaResult::failed(lang_text(lang::TXT_STATE_LOAD_FAILED));
    }
    return MediaResult::ok();
}

}  // namespace varn
