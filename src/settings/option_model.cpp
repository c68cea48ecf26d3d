#include "settings/option_model.h"

#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

u32 low(const ConfigWord& w) { return cfg(w) & 0xFF; }

// The six orders of three entries a, b, c (game name: namer, header, file name; region:
// USA, Europe, Japan), as entry indexes from first to last.
constexpr std::array<std::array<u32, 3>, 6> kOrders = {{
    {0, 1, 2},
    {0, 2, 1},
    {1, 0, 2},
    {1, 2, 0},
    {2, 0, 1},
    {2, 1, 0},
}};

// The system ROM path each of the ten Load System ROM items sets.
constexpr std::array<u32, 10> kSystemRomItems = {
    kGenSysRom0U, k32xSysRom0U, k32xSysRom1U, k32xSysRom2U, kScdSysRom0U,
    kScdSysRom0E, kScdSysRom0J, kSmsSysRom0U, kSmsSysRom0E, kSmsSysRom0J};

ConfigWord* error_msg_word(u32 i) {
    static const std::array<ConfigWord*, 7> words = {
        &cfg_error_msg_rvf,     &cfg_error_msg_asp,     &cfg_error_msg_unr,    &cfg_error_msg_zlb,
        &cfg_error_msg_kestgen, &cfg_error_msg_kest32x, &cfg_error_msg_kestsms};
    return words[i];
}

struct FlagItem {
    ConfigWord* word;
    u32 item;
};

// The on/off options: a toggle command each, and a check mark that shows 0 and 1 only.
const std::array<FlagItem, 21>& flag_items() {
    static const std::array<FlagItem, 21> items = {{
        {&cfg_brm_in_states, cmd::kBrmInStates},
        {&cfg_autoname_states, cmd::kAutonameStates},
        {&cfg_autoname_demos, cmd::kAutonameDemos},
        {&cfg_autoname_patches, cmd::kAutonamePatches},
        {&cfg_autoname_screenshots, cmd::kAutonameScreenshots},
        {&cfg_autoname_waves, cmd::kAutonameWaves},
        {&cfg_autoname_vgm, cmd::kAutonameVgm},
        {&cfg_autoname_movies, cmd::kAutonameMovies},
        {&cfg_force_display, cmd::kForceDisplay},
        {&cfg_auto_pause_focus, cmd::kAutoPauseFocus},
        {&cfg_gen_use_bios, cmd::kGenUseBios},
        {&cfg_disable_z80, cmd::kDisableZ80},
        {&cfg_gen_autofix_checksum, cmd::kAutofixChecksum},
        {&cfg_gen_sprite_limit, cmd::kGenSpriteLimit},
        {&cfg_gen_squash_interlace, cmd::kSquashInterlace},
        {&cfg_32x_use_bios, cmd::k32xUseBios},
        {&cfg_scd_enable_32x, cmd::kScdEnable32x},
        {&cfg_scd_ram_cart, cmd::kScdRamCart},
        {&cfg_scd_jp_bios_fix, cmd::kScdJpBiosFix},
        {&cfg_sms_use_bios, cmd::kSmsUseBios},
        {&cfg_sms_sprite_limit, cmd::kSmsSpriteLimit},
    }};
    return items;
}

constexpr std::array<u32, 5> kFrameSkipValues = {15, 0, 1, 3, 7};
constexpr std::array<u32, 5> kFrameSkipItems  = {cmd::kFrameSkipAuto, 32791, 32792, 32793, 32794};
constexpr std::array<u32, 4> kFrameSkipLevels = {0, 8, 24, 56};  // of 0, 1, 3, 7
constexpr std::array<u32, 3> kRateHz          = {44100, 22050, 11025};
constexpr std::array<u32, 3> kRateItems       = {cmd::kRate44100, cmd::kRate22050, cmd::kRate11025};
constexpr std::array<u32, 4> kRegionValues    = {0, 1, 2, 4};
constexpr std::array<u32, 4> kRegionItems = {cmd::kRegionJapan, cmd::kRegionUsa, cmd::kRegionEurope,
                                             cmd::kRegionAuto};
constexpr std::array<u32, 6> kZeroToFive  = {0, 1, 2, 3, 4, 5};

template <std::size_t N>
constexpr std::array<u32, N> run_of(u32 first) {
    std::array<u32, N> ids{};
    for (u32 i = 0; i < N; ++i) ids[i] = first + i;
    return ids;
}

}  // namespace

u32 OptionModel::order_after_choice(u32 value, u32 position) {
    if (value > 5 || position < 1 || position > 3) return value;
    // The entry shown at `position` moves to the front; the other two keep their order.
    const auto& order = kOrders[value];
    std::array<u32, 3> next{order[position - 1], 0, 0};
    for (u32 i = 0, n = 1; i < 3; ++i) {
        if (i != position - 1) next[n++] = order[i];
    }
    for (u32 v = 0; v < kOrders.size(); ++v) {
        if (kOrders[v] == next) return v;
    }
    return value;
}

void OptionModel::toggle(ConfigWord& w) {
    cfg_set(w, (low(w) & 1) ^ 1);
    finish();
}

bool OptionModel::command(u32 id) {
    for (const FlagItem& f : flag_items()) {
        if (f.item == id) {
            toggle(*f.word);
            if (id == cmd::kSquashInterlace) {
                // The renderers read their own copy.
                cfg_set(cfg_squash_interlace, cfg(cfg_gen_squash_interlace));
            }
            return true;
        }
    }
    if (id >= cmd::kErrorMsgFirst && id < cmd::kErrorMsgFirst + 7) {
        toggle(*error_msg_word(id - cmd::kErrorMsgFirst));
        return true;
    }
    if (id >= cmd::kSystemRomFirst && id <= cmd::kSystemRomLast) {
        choose_system_rom(kSystemRomItems[id - cmd::kSystemRomFirst]);
        return true;
    }
    for (u32 i = 0; i < kFrameSkipItems.size(); ++i) {
        if (kFrameSkipItems[i] == id) {
            select_frame_skip(kFrameSkipValues[i]);
            return true;
        }
    }
    for (u32 i = 0; i < kRateItems.size(); ++i) {
        if (kRateItems[i] == id) {
            select_sound_rate(i);
            return true;
        }
    }
    if (id >= cmd::kPlayerFirst && id < cmd::kPlayerFirst + 80 && (id - cmd::kPlayerFirst) % 10 < 6)
        return player_command((id - cmd::kPlayerFirst) / 10, (id - cmd::kPlayerFirst) % 10);
    if (id >= cmd::kStretchFirst && id < cmd::kStretchFirst + 6) {
        stretch_command(id - cmd::kStretchFirst);
        return true;
    }
    if (id >= cmd::kNameOrderFirst && id < cmd::kNameOrderFirst + 3) {
        cfg_set(cfg_game_name_search_order,
                order_after_choice(cfg(cfg_game_name_search_order), id - cmd::kNameOrderFirst + 1));
        finish();
        return true;
    }
    if (id >= cmd::kRegionOrderFirst && id < cmd::kRegionOrderFirst + 3) {
        cfg_set(cfg_region_order,
                order_after_choice(cfg(cfg_region_order), id - cmd::kRegionOrderFirst + 1));
        finish();
        return true;
    }
    if (id >= cmd::kRamCartSizeFirst && id < cmd::kRamCartSizeFirst + 4) {
        cfg_set(cfg_scd_ram_cart_size, id - cmd::kRamCartSizeFirst);
        finish();
        return true;
    }
    // Port items with a handler: 3-button, 6-button, mouse, Teamplayer (Menacer and
    // Justifier are reached only through a stored setting).
    for (u32 port = 0; port < 2; ++port) {
        const u32 first = port == 0 ? cmd::kPort1First : cmd::kPort2First;
        for (u32 type : {0u, 1u, 2u, 4u}) {
            if (id == first + (type == 4 ? 4 : type)) {
                select_port(port, type);
                return true;
            }
        }
    }
    for (u32 sub = 0; sub < kExpansionPortItems.size(); ++sub) {
        for (u32 type = 0; type < 3; ++type) {
            if (kExpansionPortItems[sub][type] == id) {
                select_sub_port(sub, type);
                return true;
            }
        }
    }
    switch (id) {
        case cmd::kSetBrmPath:
            if (auto folder = host_.choose_brm_folder()) keep_path(cfg_brm_path, *folder);
            return true;
        case cmd::kCdDriveChooser:
            host_.open_cd_drive_chooser();
            return true;
        case cmd::kScreenSingle:
        case cmd::kAccelScreenSingle:
            select_screen_size(0);
            return true;
        case cmd::kScreenDouble:
        case cmd::kAccelScreenDouble:
            select_screen_size(1);
            return true;
        case cmd::kScreenFull:
        case cmd::kAccelScreenFull:
            switch_fullscreen();
            return true;
        case cmd::kScanlinesNone:
        case cmd::kScanlinesHalf:
        case cmd::kScanlinesBlank:
            select_scanlines(id - cmd::kScanlinesNone);
            return true;
        case cmd::kSoundAll:
            cfg_set(sound_output_mask, cfg(sound_output_mask) != 0 ? 0 : 0xFFFFFFFF);
            finish();
            return true;
        case cmd::kSoundYm2612:
            cfg_set(ym2612_output_mask, cfg(ym2612_output_mask) != 0 ? 0 : 0xFFFFFFFF);
            finish();
            return true;
        case cmd::kAllowAliasing:
            toggle(cfg_sound_aliasing);
            return true;
        case cmd::kMouseCapture:
            if (host_.mouse_captured()) {
                host_.mouse_release();
            } else {
                host_.mouse_acquire();
            }
            return true;
        case cmd::kAccelDisableZ80:
            toggle(cfg_disable_z80);
            return true;
        case cmd::kRegionAuto:
            select_region(4);
            return true;
        case cmd::kRegionUsa:
            select_region(1);
            return true;
        case cmd::kRegionJapan:
            select_region(0);
            return true;
        case cmd::kRegionEurope:
            select_region(2);
            return true;
        default:
            return false;
    }
}

void OptionModel::choose_system_rom(u32 index) {
    std::string& path = cfg_system_rom_paths[index];
    const auto chosen = host_.choose_system_rom(path);
    if (chosen && !chosen->empty()) keep_path(path, *chosen);
}

void OptionModel::keep_path(std::string& path, const std::string& chosen) {
    if (chosen.size() > kConfigPathMax) {
        // The settings file keeps at most 255 bytes a path; a longer one would not come back.
        host_.show_message("The path chosen is too long to be kept (at most 255 characters).");
        return;
    }
    path = chosen;
}

void OptionModel::select_region(u32 value) {
    if (value <= 2) {
        cfg_set(cfg_region, value);
        host_.set_scd_region(value);
        console_lines_for_region();
    } else {
        // The console lines stay until the next boot detects them.
        cfg_set(cfg_region, 4);
    }
    finish();
}

void OptionModel::console_lines_for_region() {
    switch (low(cfg_region)) {
        case 0:  // Japan: 60 Hz, domestic
            host_.set_console_lines(0, 0);
            break;
        case 1:  // USA: 60 Hz, export
            host_.set_console_lines(0, 1);
            break;
        case 2:  // Europe: 50 Hz, export
            host_.set_console_lines(1, 1);
            break;
        default:
            break;
    }
}

void OptionModel::select_port(u32 port, u32 type) {
    cfg_set(cfg_port_device[port & 1], type);
    host_.input_apply_config();
    finish();
}

void OptionModel::select_sub_port(u32 sub, u32 type) {
    cfg_set(cfg_port_device[2 + (sub & 7)], type);
    host_.input_apply_config();
    finish();
}

void OptionModel::select_frame_skip(u32 setting) {
    u32 level = 0;
    for (u32 i = 1; i < kFrameSkipValues.size(); ++i) {
        if (kFrameSkipValues[i] == setting) level = kFrameSkipLevels[i - 1];
    }
    cfg_set(cfg_frame_skip, setting);
    host_.set_frame_skip_level(level);
    finish();
}

void OptionModel::select_screen_size(u32 size) {
    if (cfg(cfg_screen_size) == 2) return;  // the windowed size is chosen out of full screen
    cfg_set(cfg_screen_size, size);
    cfg_set(screen_size_windowed, size);
    host_.set_scanline_render(size == 1 && cfg(cfg_scanlines) != 0);
    size_command_tail();
}

void OptionModel::size_command_tail() {
    host_.clear_surfaces();
    host_.window_fit_to_mode();
    finish();
    host_.status_bar_update();
}

void OptionModel::switch_fullscreen() {
    if (cfg(cfg_screen_size) != 2) {
        host_.pause_request(8);
        cfg_set(cfg_screen_size, 2);
        finish();
        host_.set_scanline_render(cfg(cfg_scanlines) != 0);
        host_.enter_fullscreen();
        host_.window_fit_to_mode();
        host_.resume_request(0x1A);
        return;
    }
    const bool warned = host_.display_not16_warned();
    host_.pause_request(8);
    if (warned) host_.pause_request(0x10);
    const u32 size = cfg(screen_size_windowed);
    cfg_set(cfg_screen_size, size);
    host_.enter_windowed();
    host_.set_scanline_render(size == 1 && cfg(cfg_scanlines) != 0);
    size_command_tail();
    host_.resume_request(0x0A);
    // Reason 0x10 stays until full screen is entered again.
    if (warned) host_.show_message(lang_text(lang::ERM_GFX_N16_2));
}

void OptionModel::select_scanlines(u32 mode) {
    static constexpr std::array<std::array<u32, 4>, 3> kMasks = {{
        {0, 0, 0xFFFFFFFF, 0xFFFFFFFF},
        {1, 1, 0, 0},  // 1: the half-intensity mask
        {0, 0, 0, 0},
    }};
    mode                                                      = mode > 2 ? 0 : mode;
    cfg_set(cfg_scanlines, mode);
    for (u32 i = 0; i < 4; ++i) {
        const u32 m = kMasks[mode][i];
        cfg_set(scanline_masks[i], mode == 1 && m == 1 ? cfg(scanline_half_mask) : m);
    }
    if (cfg(cfg_screen_size) != 0) host_.set_scanline_render(mode != 0);
    host_.window_fit_to_mode();
    finish();
}

void OptionModel::select_sound_rate(u32 index) {
    index            = index > 2 ? 0 : index;
    const bool moved = cfg(cfg_sound_rate) != index;
    cfg_set(cfg_sound_rate, index);
    host_.set_stream_rate(kRateHz[index]);
    if (moved) {
        host_.pause_request(8);
        host_.rebuild_sound_output();
        host_.resume_request(0x0A);
    }
    finish();
}

void OptionModel::stretch_command(u32 value) {
    if (cfg(cfg_frame_stretch_behavior) == value) return;
    cfg_set(cfg_frame_stretch_behavior, value);
    host_.set_frame_resizable(value >= 3);
    host_.window_fit_to_mode();
    finish();
}

void OptionModel::select_input_device(u32 slot, u32 device) {
    player_command(slot & 7, device > 3 ? 0 : device);
}

bool OptionModel::player_command(u32 slot, u32 k) {
    switch (k) {
        case 1:
            if (!host_.joystick_ok()) {
                host_.show_message(lang_text(lang::ERM_INP_JOY));
                return true;
            }
            [[fallthrough]];
        case 0:
        case 2:
        case 3:
            cfg_set(cfg_input_device[slot], k);
            finish();
            return true;
        case 4:
            host_.open_define_input(slot, DefineInputPart::kKeys);
            return true;
        case 5:
            if (!host_.joystick_ok()) {
                host_.show_message(lang_text(lang::ERM_INP_JOY));
            } else {
                host_.open_define_input(slot, DefineInputPart::kJoystick);
            }
            return true;
        default:
            return false;
    }
}

void OptionModel::apply_display_setup() {
    const u32 skip = low(cfg_frame_skip);
    select_frame_skip(skip == 0 || skip == 1 || skip == 3 || skip == 7 ? skip : 15);
    const u32 size = low(cfg_screen_size);
    if (size != 2) select_screen_size(size == 0 ? 0 : 1);
    const u32 lines = low(cfg_scanlines);
    select_scanlines(lines == 1 || lines == 2 ? lines : 0);
}

void OptionModel::apply_sound_setup() {
    const u32 rate = low(cfg_sound_rate);
    select_sound_rate(rate == 1 || rate == 2 ? rate : 0);
}

void OptionModel::apply_input_setup() {
    for (u32 slot = 0; slot < cfg_input_device.size(); ++slot) {
        const u32 device = low(cfg_input_device[slot]);
        select_input_device(slot, device <= 3 ? device : 0);
    }
}

void OptionModel::check_choice(const ConfigWord& w, std::span<const u32> values,
                               std::span<const u32> items) {
    const u32 v = low(w);
    u32 match   = static_cast<u32>(values.size());
    for (u32 i = 0; i < values.size(); ++i) {
        if (values[i] == v) match = i;
    }
    if (match == values.size()) return;  // not a choice: the marks stay as they were
    for (u32 i = 0; i < items.size(); ++i) menu_.set_checked(items[i], i == match);
}

void OptionModel::check_flag(const ConfigWord& w, u32 item) {
    const u32 v = low(w);
    if (v <= 1) menu_.set_checked(item, v == 1);
}

void OptionModel::check_nonzero(const ConfigWord& w, u32 item) {
    menu_.set_checked(item, cfg(w) != 0);
}

void OptionModel::order_texts(const ConfigWord& w, u32 first_item, u32 first_slot) {
    const u32 v = low(w);
    if (v > 5) return;
    for (u32 i = 0; i < 3; ++i)
        menu_.set_text(first_item + i, lang_texts[first_slot + kOrders[v][i]]);
}

void OptionModel::menu_refresh_checks() {
    check_choice(cfg_frame_skip, kFrameSkipValues, kFrameSkipItems);
    static constexpr std::array<u32, 3> kSizeItems = {cmd::kScreenSingle, cmd::kScreenDouble,
                                                      cmd::kScreenFull};
    check_choice(cfg_screen_size, std::span(kZeroToFive).first(3), kSizeItems);
    static constexpr auto kScanlineItems = run_of<3>(cmd::kScanlinesNone);
    check_choice(cfg_scanlines, std::span(kZeroToFive).first(3), kScanlineItems);
    check_choice(cfg_sound_rate, std::span(kZeroToFive).first(3), kRateItems);
    for (u32 slot = 0; slot < cfg_input_device.size(); ++slot) {
        const auto items = run_of<4>(cmd::kPlayerFirst + 10 * slot);
        check_choice(cfg_input_device[slot], std::span(kZeroToFive).first(4), items);
    }
    static constexpr auto kStretchItems = run_of<6>(cmd::kStretchFirst);
    check_choice(cfg_frame_stretch_behavior, kZeroToFive, kStretchItems);
    static constexpr auto kPort1Items = run_of<6>(cmd::kPort1First);
    static constexpr auto kPort2Items = run_of<6>(cmd::kPort2First);
    check_choice(cfg_port_device[0], kZeroToFive, kPort1Items);
    check_choice(cfg_port_device[1], kZeroToFive, kPort2Items);
    for (u32 sub = 0; sub < kExpansionPortItems.size(); ++sub)
        check_choice(cfg_port_device[2 + sub], std::span(kZeroToFive).first(3),
                     kExpansionPortItems[sub]);
    static constexpr auto kRamCartItems = run_of<4>(cmd::kRamCartSizeFirst);
    check_choice(cfg_scd_ram_cart_size, std::span(kZeroToFive).first(4), kRamCartItems);
    check_choice(cfg_region, kRegionValues, kRegionItems);

    // A fixed region's console lines are asserted again at every refresh.
    console_lines_for_region();

    for (const FlagItem& f : flag_items()) check_flag(*f.word, f.item);
    for (u32 i = 0; i < 7; ++i) check_flag(*error_msg_word(i), cmd::kErrorMsgFirst + i);
    check_nonzero(cfg_sound_stereo, cmd::kStereo);
    check_nonzero(cfg_sound_aliasing, cmd::kAllowAliasing);
    check_nonzero(sound_output_mask, cmd::kSoundAll);
    check_nonzero(ym2612_output_mask, cmd::kSoundYm2612);

    order_texts(cfg_game_name_search_order, cmd::kNameOrderFirst, lang::MEN_CFG_GUI_GNM_ROM);
    order_texts(cfg_region_order, cmd::kRegionOrderFirst, lang::MEN_CFG_MAC_MSC_CTR_U);
}

}  // namespace varn
