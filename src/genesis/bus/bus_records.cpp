#include "genesis/bus/bus.h"

namespace varn {

void genesis_bus_reset_records() {
    save_ram_reset();
    boot_rom_latch = 1;
    io_ports_power_on();
    io_port_device_read  = nullptr;
    io_port_device_write = nullptr;
    io_version_bits      = nullptr;
    cart_bank_regs_power_on();
    cart_bank_load    = nullptr;
    cart_is_32x_image = nullptr;
    scd_ram_cart_id.fill(0);
    m68k_reset_unit_slots();
    m68k_a15_tables_reset();
    m68k_s32x_active           = nullptr;
    m68k_s32x_sdram_view       = {};
    m68k_s32x_framebuffer_view = {};
    m68k_build_memory_map();
}

}  // namespace varn
