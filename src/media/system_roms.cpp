#include "media/system_roms.h"

#include <fstream>

#include "media/media_ui.h"
#include "memory/memory.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

std::array<std::span<u8>, kSystemRomCount> system_rom_targets = {
    gen_boot_rom, {}, {}, s32x_m68k_bios, scd_bios, scd_bios, scd_bios, {}, {}, {}};

namespace {

// The settings key of each loader's file.
constexpr std::array<SystemRomPath, kSystemRomCount> kRomPathKeys = {
    kGenSysRom0U, k32xSysRom0U, k32xSysRom1U, k32xSysRom2U, kScdSysRom0U,
    kScdSysRom0E, kScdSysRom0J, kSmsSysRom0U, kSmsSysRom0E, kSmsSysRom0J,
};

}  // namespace

u32 bios_load(SystemRom rom) {
    const std::string& stored = cfg_system_rom_paths[kRomPathKeys[rom]];
    std::ifstream in(config_host_path(stored), std::ios::binary);
    if (!in) {
        // The path as the user configured it.
        media_ui().message_box(stored + " " + lang_text(lang::ERM_FIO_NF));
        media_ui().set_title("VARN");
        return 0;
    }
    const auto target = system_rom_targets[rom];
    const auto bytes  = std::min<std::size_t>(kSystemRomBytes[rom], target.size());
    in.read(reinterpret_cast<char*>(target.data()), static_cast<std::streamsize>(bytes));
    return 1;
}

u32 bios_load_genesis() { return bios_load(kRomGenesis); }
u32 bios_load_32x_master() { return bios_load(kRom32xMaster); }
u32 bios_load_32x_slave() { return bios_load(kRom32xSlave); }
u32 bios_load_32x_68k() { return bios_load(kRom32x68k); }
u32 bios_load_scd_us() { return bios_load(kRomScdUs); }
u32 bios_load_scd_eu() { return bios_load(kRomScdEu); }
u32 bios_load_scd_jp() { return bios_load(kRomScdJp); }
u32 bios_load_sms_us() { return bios_load(kRomSmsUs); }
u32 bios_load_sms_eu() { return bios_load(kRomSmsEu); }
u32 bios_load_sms_jp() { return bios_load(kRomSmsJp); }

u32 bios_load_32x() {
    return bios_load_32x_master() != 0 && bios_load_32x_slave() != 0 && bios_load_32x_68k() != 0
               ? 1
               : 0;
}

}  // namespace varn
