#pragma once
// The composition point: the one function that binds every unit the program links. The
// window program, the headless runner and the test fixtures call it at start-up, before
// any image is loaded; nothing else binds a unit.
//
// Code on a lower floor reaches a unit above it only through the machine table or a named
// slot: a function pointer (or a record of them) declared by the lower code, null until
// filled, and called only when filled. Every slot of the program, where it is declared, who
// fills it and when:
//
// clang-format off
//   slot                              declared in          filled by               when
//   --------------------------------  -------------------  ----------------------  ---------------
//   machine table records             runtime              compose_varn            start-up
//   machine_boot_slot,                runtime/thread_link  media_bind_slots        start-up
//     machine_save_backup_ram_slot
//   system_rom_targets (32X, SMS)     media/system_roms    compose_varn            start-up
//   scd_bios_loader                   segacd               compose_varn            start-up
//   cd_toc_builder, cd_request_slots  segacd, cddrive      scd_bind_disc           start-up
//   m68k_successor, m68k_halt_slot,   m68k, genesis/z80    scheduler_bind_slots    start-up,
//     m68k_z80_successor,                                                          power-on
//     m68k_z80_released, z80_halt_slot
//   m68k_irq_ack_slot,                m68k, genesis/bus,   emu_bind_slots          start-up,
//     io_version_bits,                  genesis/io,                                power-on
//     input_runtime_slots,              genesis/vdp
//     vdp_runtime_slots
//   io_port_device_read/_write,       genesis/bus          input_power_on          Genesis
//     pad_timeout_expired                                                          power-on
//   m68k_steady_read                  m68k                 the Genesis memory map  map builds
//   frame_slots.segacd_*,             genesis/runtime,     scd_power_on_reset      Sega CD
//     s68k_irq_ack_slot,                m68k, segacd                               power-on
//     scd_disc_slots
//   frame_slots.s32x_*,               genesis/runtime,     s32x_reset              32X boot
//     m68k_s32x_active,                 genesis/bus
//     cart_is_32x_image
//   sh2_successor, sh2_halt_slot,     sh2                  s32x_init_sh2_cores     start-up
//     sh2_onchip_reset_slots,
//     sh2_dma_board_slots
//   frame_slots.clear_addon_halts     genesis/runtime      the 32X unit, the       power-on
//                                                          SMS power-on
//   cue_parse_slot, cd_cache_wait     media, segacd        preset; tests replace   -
//   sound_log_slot                    runtime              the sound log (WAV)     while it records
//   slice_end_slot                    genesis/runtime      the differential check  checked runs
//   cart_bank_load                    genesis/bus          nothing yet: bank-switched images stream
//                                                          no windows again on a state load
//   vdp_cpu_links, vdp_window_rect,   genesis/vdp          the earlier release's   its power-on
//     vdp_sprite_limit_always,                               power-on (vdp_reset_all
//     vdp_visibility_palette_flat,                         restores the main ones)
//     vdp_interlace_one_field
//   m68k_s32x_sets_v024,              legacy               the earlier release's   start-up
//     render_mode_table_v024                               32X unit
// clang-format on
//
// The host (picture, sound, input, requests, clock) is bound by each program itself with
// emu_set_host: the window program binds its Qt/SDL host, the runner and the tests their
// own.

namespace varn {

// Binds the units of the program (the Genesis and its 68000 and Z80, the 32X, the Sega CD,
// the Master System, the media boot) and places their records in the machine table. Safe to
// call again: every step binds the same values.
void compose_varn();

}  // namespace varn
