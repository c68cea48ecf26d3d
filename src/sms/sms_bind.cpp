#include "sms/sms_bind.h"

#include "media/machine_boot.h"
#include "media/system_roms.h"
#include "sms/sms.h"

namespace varn {

void sms_bind_unit() {
    sms_z80_init();
    system_rom_targets[kRomSmsUs]   = sms_bios;
    system_rom_targets[kRomSmsEu]   = sms_bios;
    system_rom_targets[kRomSmsJp]   = sms_bios;
    machine_hooks.sms_detect_region = [] { sms_region_select(); };
    machine_hooks.sms_power_on      = sms_power_on;
}

}  // namespace varn
