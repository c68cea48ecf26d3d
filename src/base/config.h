#pragma once
// The configuration block: the option words the front end reads from the settings file
// and changes from the menu, and that the emulation thread reads directly. Each word is
// an atomic read and written relaxed: the user-interface thread may change an option
// while a frame runs, and the emulation thread picks it up at its next read.
//
// Defaults are those of a missing settings file. Paths, key maps and drive names live with
// the front end. The CPU speed words hold the low byte of each CPU's slice length as the
// settings file carries it; the upper 24 bits are all ones, so the slice length is the
// byte minus 256 (-256 to -1). The power-on routines copy them into the CPU contexts.

#include <array>
#include <atomic>

#include "base/types.h"

namespace varn {

using ConfigWord = std::atomic<u32>;

// [File IO]
inline ConfigWord cfg_rom_filter_index{0};    // file-dialog filter chosen last (1-5; 0 none)
inline ConfigWord cfg_state_filter_index{1};  // 1 own state files, 2 Genecyst states
inline ConfigWord cfg_vgm_filter_index{0};    // kept in the file only
inline ConfigWord cfg_brm_in_states{0};
inline ConfigWord cfg_autoname_states{1};
inline ConfigWord cfg_autoname_demos{0};
inline ConfigWord cfg_autoname_patches{0};
inline ConfigWord cfg_autoname_screenshots{1};
inline ConfigWord cfg_autoname_waves{1};
inline ConfigWord cfg_autoname_vgm{1};     // no menu item reaches it
inline ConfigWord cfg_autoname_movies{1};  // no menu item reaches it
inline ConfigWord cfg_png_compression_level{9};

// [Graphics]
inline ConfigWord cfg_frame_skip{15};       // 15 automatic; 0, 1, 3, 7 draw one frame of 1/2/4/8
inline ConfigWord cfg_screen_size{0};       // 0 single, 1 double, 2 full screen
inline ConfigWord screen_size_windowed{0};  // last windowed size, what the file keeps
inline ConfigWord cfg_scanlines{0};
inline ConfigWord cfg_force_display{0};
inline ConfigWord cfg_enhance_visibility{0};  // read from the file, never written back
inline ConfigWord cfg_custom_fullscreen_x{640};
inline ConfigWord cfg_custom_fullscreen_y{480};
inline ConfigWord cfg_custom_window_x{320};
inline ConfigWord cfg_custom_window_y{224};

// The scan-line line copy: the four mask words it applies to the doubled lines, and the
// half-intensity mask of the display's pixel format (5-6-5 here).
inline std::array<ConfigWord, 4> scanline_masks{0, 0, 0xFFFFFFFF, 0xFFFFFFFF};
inline ConfigWord scanline_half_mask{0x7BCF7BCF};

// [Sound]
inline ConfigWord cfg_sound_rate{0};  // 0 44100 Hz, 1 22050 Hz, 2 11025 Hz
inline ConfigWord cfg_sound_stereo{0};
inline ConfigWord cfg_sound_aliasing{1};
// The menu's sound switches: all ones lets the output through, 0 silences it.
inline ConfigWord sound_output_mask{0xFFFFFFFF};
inline ConfigWord ym2612_output_mask{0xFFFFFFFF};

// [Input]
inline std::array<ConfigWord, 8> cfg_input_device{};    // slots 1A-1D, 2A-2D: 0 keyboard
inline ConfigWord cfg_mouse_sensitivity_multiplier{1};  // 1-8

// [GUI]
// 0 self adjust, 1 static/square pixels, 2 static/stretched, 3 resizeable/square pixels,
// 4 resizeable/custom ratio, 5 resizeable/stretched
inline ConfigWord cfg_frame_stretch_behavior{0};
inline ConfigWord cfg_game_name_search_order{1};  // one of six orders of namer, header, file name
inline ConfigWord cfg_error_msg_rvf{1};           // warn when an image fails the header tests
inline ConfigWord cfg_error_msg_asp{1};
inline ConfigWord cfg_error_msg_unr{0};
inline ConfigWord cfg_error_msg_zlb{0};
inline ConfigWord cfg_error_msg_kestgen{0};
inline ConfigWord cfg_error_msg_kest32x{0};
inline ConfigWord cfg_error_msg_kestsms{0};
inline ConfigWord cfg_auto_pause_menu{0};
inline ConfigWord cfg_auto_pause_focus{1};
inline ConfigWord cfg_enable_status_bar{0};

// [Machine]
inline ConfigWord cfg_region{4};        // 0 Japan, 1 USA, 2 Europe, 4 auto
inline ConfigWord cfg_region_order{0};  // one of six detection orders
// Port 1, port 2, then the multitap sub-ports 1A-1D and 2A-2D.
inline std::array<ConfigWord, 10> cfg_port_device{};
inline ConfigWord cfg_gen_use_bios{0};
inline ConfigWord cfg_disable_z80{0};
inline ConfigWord cfg_gen_autofix_checksum{0};
inline ConfigWord cfg_gen_sprite_limit{1};
inline ConfigWord cfg_gen_squash_interlace{1};
inline ConfigWord cfg_squash_interlace{1};
inline ConfigWord cfg_32x_use_bios{1};
inline ConfigWord cfg_scd_enable_32x{0};
inline ConfigWord cfg_scd_ram_cart{1};
inline ConfigWord cfg_scd_ram_cart_size{3};  // 8 KB << value
inline ConfigWord cfg_scd_jp_bios_fix{1};
inline ConfigWord cfg_sms_use_bios{0};
inline ConfigWord cfg_sms_vdp_model{0};    // no effect on the machine
inline ConfigWord cfg_sms_enable_fm{0};    // no effect on the machine
inline ConfigWord cfg_sms_red_blue_3d{0};  // no effect on the machine
inline ConfigWord cfg_sms_sprite_limit{1};

// The chosen CD drive: an index into the drive list, 0 for "<none>".
inline ConfigWord cfg_cd_drive{0};

// CPU speeds: low byte of the slice length.
inline ConfigWord cfg_gen_m68k_speed{0xCA};  // -54 cycles
inline ConfigWord cfg_gen_z80_speed{0xEB};   // -21 T-states
inline ConfigWord cfg_scd_m68k_speed{0xB5};  // -75 cycles
inline ConfigWord cfg_32x_msh2_speed{0x75};  // -139 cycles
inline ConfigWord cfg_32x_ssh2_speed{0x75};  // -139 cycles
inline ConfigWord cfg_sms_z80_speed{0xEB};   // -21 T-states

// Reads a word for emulation use.
inline u32 cfg(const ConfigWord& w) { return w.load(std::memory_order_relaxed); }
inline void cfg_set(ConfigWord& w, u32 v) { w.store(v, std::memory_order_relaxed); }

// The slice length a speed word stands for: its low byte with the upper bits all ones.
inline s32 cfg_slice_length(const ConfigWord& w) { return static_cast<s32>(cfg(w) & 0xFF) - 256; }

}  // namespace varn
