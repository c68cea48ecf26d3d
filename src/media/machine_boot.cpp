#include "media/machine_boot.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "base/config.h"
#include "base/file_write.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "genesis/bus/save_ram.h"
#include "genesis/runtime/scheduler.h"
#include "media/cue_sheet.h"
#include "media/image_loader.h"
#include "media/load_detect.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "media/system_roms.h"
#include "memory/memory.h"
#include "runtime/low_level.h"
#include "runtime/machine_table.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

BootNames boot_names;
bool media_ram_files_enabled = true;

namespace {

constexpr u32 kHeaderNameDomestic = 0x120;
constexpr u32 kHeaderNameOverseas = 0x150;
constexpr u32 kHeaderNameBytes    = 48;
constexpr u32 kNamerNameBytes     = 256;

// Save RAM holds this before a game's save file is read, so a game without a file starts
// from the same blank memory every time.
constexpr u8 kBlankSaveRam = 0x00;

bool booted() { return (emu_state_flags.load() & kStateMachineRunning) != 0; }

std::string ram_file_path(const std::string& name) { return config_host_path(cfg_brm_path) + name; }

// Reads a RAM file into `memory`; false when it cannot be opened.
bool read_ram_file(const std::string& name, std::span<u8> memory) {
    if (!media_ram_files_enabled) return false;
    std::ifstream in(ram_file_path(name), std::ios::binary);
    if (!in) return false;
    in.read(reinterpret_cast<char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    return true;
}

bool ram_files_written = true;

void write_ram_file(const std::string& name, std::span<const u8> memory) {
    if (!media_ram_files_enabled || name.empty()) return;
    if (auto result = write_file_replacing(ram_file_path(name), memory); !result) {
        ram_files_written = false;
        media_ui().message_box(result.error);
    }
}

// Blank, tab and control characters at the end of a header field.
std::string trim_right(std::string text) {
    while (!text.empty() && static_cast<u8>(text.back()) <= 0x20) text.pop_back();
    return text;
}

// The 48-byte name field of a cartridge or disc header, up to its first NUL.
std::string header_name_at(std::span<const u8> header) {
    const u32 at = region.scd_region == kRegionJapan ? kHeaderNameDomestic : kHeaderNameOverseas;
    if (header.size() < at + kHeaderNameBytes) return {};
    std::string name(reinterpret_cast<const char*>(header.data() + at), kHeaderNameBytes);
    name.resize(std::min<std::size_t>(name.find('\0'), kHeaderNameBytes));
    return trim_right(std::move(name));
}

std::optional<std::string> namer_name(const NamerLibrary& lib) {
    const u32 size       = static_cast<u32>(std::min<u64>(image_loader.image_size, kCartRomSize));
    boot_names.namer_crc = static_cast<u32>(lib.crc(cart_rom.data(), size, 0));
    std::string buffer(kNamerNameBytes + 1, '\0');
    lib.name(buffer.data(), kNamerNameBytes, static_cast<int>(boot_names.namer_crc));
    buffer.resize(buffer.find('\0'));
    return buffer;
}

void choose_names() {
    auto& n = boot_names;
    n.namer_name.reset();
    n.header_name.reset();
    n.namer_crc    = 0;
    const u32 mode = image_loader.load_mode;
    if (mode == kModeGenesis && kestgen_available != 0) n.namer_name = namer_name(kestgen_lib);
    if (mode == kMode32x && kest32x_available != 0) n.namer_name = namer_name(kest32x_lib);
    if (mode == kModeGenesis || mode == kMode32x) n.header_name = header_name_at(cart_rom);
    if (mode == kModeSegaCd) {
        // The disc header is the start of sector 0.
        std::array<u8, kCdSectorBytes> sector{};
        if (machine_read_disc_sector0(sector) != 0) n.header_name = header_name_at(sector);
    }

    // N namer, H header, F file name: the first that exists and is not empty.
    static constexpr char kOrders[6][4] = {"NHF", "NFH", "HNF", "HFN", "FNH", "FHN"};
    const u32 order                     = cfg(cfg_game_name_search_order);
    const std::string file              = image_loader.image_file_name;
    std::optional<std::string> chosen;
    bool from_file = false;
    if (order < 6) {
        for (const char which : std::string_view(kOrders[order])) {
            const std::optional<std::string>& candidate = which == 'N'   ? n.namer_name
                                                          : which == 'H' ? n.header_name
                                                                         : std::optional(file);
            if (candidate && !candidate->empty()) {
                chosen    = candidate;
                from_file = which == 'F';
                break;
            }
        }
    }
    std::string name = chosen.value_or("ERROR");
    media_ui().set_title("VARN -- " + name);
    if (from_file) {
        // The title keeps the extension; the files do not.
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    }
    n.game_name     = safe_file_name(name);
    n.brm_file_name = n.game_name + ".BRM";
}

bool refuse(const char* machine) {
    media_ui().message_box(std::string(machine) + " games cannot be run by this build yet.");
    return false;
}

// The boot's clearing and resets before the machine's own power-on.
void reset_common() {
    video_reset_line_counters(sys_time_ms());
    sound_reset_positions();
    std::fill(std::begin(cart_sram), std::end(cart_sram), kBlankSaveRam);
}

// The boot's 32X-active word: whether the machine has a 32X. Its SH-2s join the frame
// only once the 68000 releases them (the unit's reset leaves them out until then).
void set_32x_active(bool on) {
    const MachineRecord* s32x = machine_record(kMachine32x);
    if (s32x != nullptr && s32x->unit_fit != nullptr) s32x->unit_fit(on);
}

// The 32X unit's reset, run for every cartridge and disc machine of a program that has the
// unit (a machine without it keeps the unit out).
void reset_32x_unit() {
    const MachineRecord* s32x = machine_record(kMachine32x);
    if (s32x != nullptr && s32x->unit_reset != nullptr) s32x->unit_reset();
}

u32 (*const kScdBiosLoaders[3])()       = {bios_load_scd_jp, bios_load_scd_us, bios_load_scd_eu};
constexpr SystemRomPath kScdBiosKeys[3] = {kScdSysRom0J, kScdSysRom0U, kScdSysRom0E};
u32 (*const kSmsBiosLoaders[3])()       = {bios_load_sms_jp, bios_load_sms_us, bios_load_sms_eu};

void detect_region(const MachineRecord* machine) {
    const u32 setting = cfg(cfg_region);
    if (setting != 4) {
        if (setting <= kRegionEurope) region_set(setting);
        return;
    }
    if (machine != nullptr && machine->detect_region != nullptr) machine->detect_region();
}

}  // namespace

bool media_boot_cartridge(const MachineRecord& machine) {
    const bool with_32x = machine.kind == kMachine32x;
    set_32x_active(with_32x);
    if (cfg(cfg_gen_use_bios) != 0 && bios_load_genesis() == 0) return false;
    if (with_32x && cfg(cfg_32x_use_bios) != 0 && bios_load_32x() == 0) return false;
    reset_common();
    machine.power_on();
    set_32x_active(with_32x);
    reset_32x_unit();
    read_ram_file(boot_names.brm_file_name,
                  std::span(cart_sram, std::min<u32>(cart_sram_size, kCartSramBytes)));
    emu_thread_target.store(machine.run_entry);
    return true;
}

bool media_boot_disc(const MachineRecord& machine) {
    const u32 r = std::min<u32>(region.scd_region, 2);
    if (kScdBiosLoaders[r]() == 0) return false;
    // The backup RAM file is named after the region's BIOS file.
    const std::string bios = config_host_path(cfg_system_rom_paths[kScdBiosKeys[r]]);
    std::string base       = std::string(file_base_name(bios));
    if (const auto dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
    boot_names.backup_ram_file_name = safe_file_name(base) + ".BRM";
    const bool with_32x             = cfg(cfg_scd_enable_32x) != 0;
    if (with_32x) {
        if (machine_record(kMachine32x) == nullptr) return refuse("Sega CD with 32X");
        if (cfg(cfg_32x_use_bios) == 0) {
            media_ui().message_box(lang_text(lang::ERM_FIO_SCD_32X));
            return false;
        }
        if (bios_load_32x() == 0) return false;
    }
    set_32x_active(with_32x);
    reset_common();
    machine.power_on();
    set_32x_active(with_32x);
    reset_32x_unit();
    machine.unit_reset();
    const auto backup = machine.backup_ram;
    if (!read_ram_file(boot_names.backup_ram_file_name,
                       backup.first(std::min<std::size_t>(backup.size(), kScdBackupRamBytes))) &&
        machine.format_backup_ram != nullptr) {
        machine.format_backup_ram();
    }
    if (cfg(cfg_scd_ram_cart) != 0 &&
        !read_ram_file(boot_names.brm_file_name, std::span(cart_sram, kCartSramBytes)) &&
        machine.format_ram_cart != nullptr) {
        machine.format_ram_cart();
    }
    emu_thread_target.store(machine.run_entry);
    return true;
}

bool media_boot_sms(const MachineRecord& machine) {
    if (cfg(cfg_sms_use_bios) != 0 && kSmsBiosLoaders[std::min<u32>(region.scd_region, 2)]() == 0) {
        return false;
    }
    reset_common();
    machine.power_on();
    read_ram_file(boot_names.brm_file_name, std::span(cart_sram, 0x8000));
    emu_thread_target.store(machine.run_entry);
    return true;
}

u32 machine_read_disc_sector0(std::span<u8, kCdSectorBytes> user_data) {
    const MachineRecord* scd = machine_record(kMachineSegaCd);
    if (scd != nullptr && scd->read_sector0 != nullptr) return scd->read_sector0(user_data);
    return cd_image_read_sector(0, user_data) ? 1 : 0;
}

std::string safe_file_name(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        const u8 b = static_cast<u8>(c);
        if (c == '/' || c == '\\' || c == ':' || b < 0x20 || b == 0x7F) c = '_';
    }
    return out;
}

bool machine_boot(u32 mode) {
    // A reboot keeps what the game saved: the RAM files are written before the boot reads
    // them back.
    if (booted()) machine_save_backup_ram(mode);
    const u32 kind               = image_loader.load_mode / 16;
    const MachineRecord* machine = machine_record(kind);
    // The disc's table of contents, and its sector 0 for the region and the name.
    if (image_loader.load_mode == kModeSegaCd && machine != nullptr &&
        machine->disc_boot != nullptr)
        machine->disc_boot();
    if (mode == 0) detect_region(machine);
    choose_names();
    if (mode == 2) return booted();

    // The machine's kind is in place before the boot hands the emulation thread its run
    // entry: the thread reads it from the first frame on (sound, the CD poll, 32X registers).
    machine_kind = kind;
    bool ok      = false;
    switch (image_loader.load_mode) {
        case kModeGenesis:
        case kMode32x:
        case kModeSegaCd:
        case kModeSms:
            ok = machine != nullptr && machine->media_boot != nullptr
                     ? machine->media_boot(*machine)
                     : refuse(machine_name(kind));
            break;
        default:
            break;
    }
    if (ok) {
        emu_state_flags.fetch_or(kStateMachineRunning);
    } else {
        machine_kind = 0;
        media_ui().set_title("VARN");
        emu_state_flags.fetch_and(~kStateMachineRunning);
    }
    return ok;
}

bool machine_ram_files_written() { return ram_files_written; }

void machine_save_backup_ram(u32) {
    if (!booted()) return;
    ram_files_written = true;
    if (cart_sram_size > 0) {
        write_ram_file(boot_names.brm_file_name,
                       std::span(cart_sram, std::min<u32>(cart_sram_size, kCartSramBytes)));
    }
    if (const MachineRecord* machine = machine_current();
        machine != nullptr && !machine->backup_ram.empty()) {
        const auto backup = machine->backup_ram;
        write_ram_file(boot_names.backup_ram_file_name,
                       backup.first(std::min<std::size_t>(backup.size(), kScdBackupRamBytes)));
    }
}

u32 machine_close() {
    emu_stop_and_wait();
    machine_save_backup_ram(0);
    boot_names = {};
    image_loader.image_file_name.clear();
    rom_release_source();
    emu_state_flags.fetch_and(~kStateMachineRunning);
    rom_buffer_clear();
    cue_clear_tables();
    return 1;
}

void boot_sega_cd_from_drive() {
    machine_close();
    // The Sega CD reads from the default drive chosen in the drive chooser.
    cd_drive_select(cfg(cfg_cd_drive));
    if (cd_drive_selected == 0) {
        media_ui().message_box(lang_text(lang::ERM_FIO_CDD));
        return;
    }
    image_loader.load_mode = kModeSegaCd;
    // The drive's device is opened afresh for this disc (a drive found hung before gets
    // another chance).
    mci_close_cdaudio();
    mci_open_cdaudio();
    machine_boot(0);
}

void media_bind_slots() {
    machine_boot_slot            = [](u32 mode) { machine_boot(mode); };
    machine_save_backup_ram_slot = machine_save_backup_ram;
}

}  // namespace varn
