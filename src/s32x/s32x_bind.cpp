#include "s32x/s32x_bind.h"

#include <algorithm>

#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/system_roms.h"
#include "s32x/s32x.h"
#include "sh2/sh2_bus.h"

namespace varn {

void s32x_bind_unit() {
    s32x_init_sh2_cores();
    system_rom_targets[kRom32xMaster] = sh2_boot_rom;
    system_rom_targets[kRom32xSlave]  = sh2s_boot_rom;
    machine_hooks.s32x_fit            = s32x_set_fitted;
    machine_hooks.s32x_reset          = [] {
        sh2_set_cart_size(static_cast<u32>(std::min<u64>(image_loader.image_size, 0x400000)));
        s32x_reset();
    };
}

}  // namespace varn
