#include "segacd/scd_bind.h"

#include <array>

#include "media/image_decoder.h"
#include "media/machine_boot.h"
#include "media/system_roms.h"
#include "segacd/segacd.h"

namespace varn {

namespace {

// The BIOS of a Sega CD region from the file its setting names (Japan, USA, Europe).
bool load_bios(u32 region) {
    static constexpr u32 (*kLoaders[3])() = {bios_load_scd_jp, bios_load_scd_us, bios_load_scd_eu};
    return region < 3 && kLoaders[region]() != 0;
}

// The region from the disc's own header; an unreadable sector matches no region.
void detect_region() {
    std::array<u8, kCdSectorBytes> sector{};
    machine_read_disc_sector0(sector);
    scd_detect_disc_region(sector);
}

}  // namespace

void scd_bind_unit() {
    scd_sub_cpu_init();
    scd_bios_loader                     = load_bios;
    machine_hooks.scd_power_on_reset    = scd_power_on_reset;
    machine_hooks.scd_detect_region     = detect_region;
    machine_hooks.scd_format_backup_ram = scd_format_backup_ram;
    machine_hooks.scd_format_ram_cart   = scd_format_ram_cart;
    machine_hooks.scd_backup_ram        = scd_backup_ram;
    scd_bind_disc();
}

}  // namespace varn
