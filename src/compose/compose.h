#pragma once
// The composition point: the one function that binds every unit the program links. The
// window program, the headless runner and the test fixtures call it at start-up, before
// any image is loaded; nothing else binds a unit.
//
// Code on a lower floor reaches a unit above it only through the machine table or a named
// slot: a function pointer (or a record of them) declared by the lower code, null until
// filled, and called only when filled. Every slot of the program, who fills it and when:
//
//   slot                                   declared in            filled by                 when
//   ------------------------------------   --------------------   -----------------------
//   ------------------- machine table records                  runtime/machine_table  compose_varn
//   start-up machine_boot_hook,                     runtime/thread_link    media_bind_slots
//   start-up
//     machine_save_backup_ram_hook
//   system_rom_targets (32X, SMS)          media/system_roms      compose_varn start-up
//   scd_bios_loader                        segacd/segacd          compose_varn start-up
//   cd_toc_builder, cd_request_seams       segacd, cddrive        scd_bind_disc start-up
//   m68k_successor, m68k_z80_successor,    m68k, genesis/z80      scheduler_bind_hooks start-up,
//   power-on
//     m68k_z80_released, m68k_halt_hook,
//     z80_halt_hook
//   m68k_irq_ack_hook, io_version_bits,    m68k, genesis/bus,     emu_bind_hooks start-up, power-on
//     input_runtime_links,                   genesis/io,
//     vdp_runtime_links                      genesis/vdp
//   io_port_device_read/_write,            genesis/bus            input_power_on            Genesis
//   power-on
//     pad_timeout_expired
//   m68k_steady_read                       m68k                   the Genesis memory map power-on,
//   map change frame_seams.segacd_*,                  genesis/runtime, m68k, scd_power_on_reset
//   Sega CD power-on
//     s68k_irq_ack_hook, scd_disc_hooks      segacd
//   frame_seams.s32x_*, m68k_s32x_active,  genesis/runtime,       s32x_set_fitted,          32X
//   boot
//     cart_is_32x_image, sh2_halt_hook,      genesis/bus, sh2       s32x_reset
//     sh2_onchip_reset_hooks
//   frame_seams.clear_addon_halts          genesis/runtime        the 32X unit, the SMS power-on
//                                                                   power-on
//   cue_parse_hook, cd_cache_wait          media, segacd          preset; tests replace     -
//   sound_log_hook                         runtime/sound_output   the sound log (WAV)       while
//   it records slice_end_probe                        genesis/runtime        the differential check
//   per checked run cart_bank_load                         genesis/bus            nothing yet
//   (bank-switched images stream no
//                                                                   windows again; the state load
//                                                                   leaves them)
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
