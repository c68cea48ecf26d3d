#include "legacy/frontend/legacy_config.h"

#include <array>
#include <string>
#include <vector>

#include "genesis/io/key_map.h"
#include "settings/config_paths.h"
#include "settings/option_model.h"

namespace varn {

namespace {

constexpr KeyLimits kFlag{0, 1, 0, 1};  // any non-zero value becomes 1

// The Sega CD system ROM files of the earlier release have names of their own.
constexpr std::array<const char*, 3> kScdRomDefaults = {".\\SCD_BIOS_U.BIN", ".\\SCD_BIOS_E.BIN",
                                                        ".\\SCD_BIOS_J.BIN"};

// The first joystick button's offset in the joystick record, and the last one's.
constexpr u8 kJoyFirst = 0x30;
constexpr u8 kJoyLast  = 0x4F;

ConfigKey& add(std::vector<ConfigKey>& keys, KeySection section, std::string name, KeyForm form) {
    ConfigKey& k = keys.emplace_back();
    k.name       = std::move(name);
    k.section    = section;
    k.form       = form;
    return k;
}

ConfigKey& text(std::vector<ConfigKey>& keys, const char* name, std::string& target,
                const char* def) {
    ConfigKey& k   = add(keys, KeySection::kFileIo, name, KeyForm::kText);
    k.text         = &target;
    k.default_text = def;
    return k;
}

ConfigKey& number(std::vector<ConfigKey>& keys, KeySection section, const char* name, KeyForm form,
                  ConfigWord& word, u32 def) {
    ConfigKey& k    = add(keys, section, name, form);
    k.word          = &word;
    k.default_value = def;
    return k;
}

ConfigKey& limited(std::vector<ConfigKey>& keys, KeySection section, const char* name,
                   ConfigWord& word, u32 def, KeyLimits limits) {
    ConfigKey& k = number(keys, section, name, KeyForm::kHex1, word, def);
    k.limits     = limits;
    k.limited    = true;
    return k;
}

std::vector<ConfigKey> build_legacy_keys() {
    std::vector<ConfigKey> keys;
    constexpr const char* kHere = ".\\";
    const auto file_io          = KeySection::kFileIo;

    text(keys, "ROMPath", cfg_rom_path, kHere);
    limited(keys, file_io, "ROMFilterIndex", cfg_rom_filter_index, 0, {0, 4, 0, 0});  // 4 filters
    text(keys, "BRMPath", cfg_brm_path, kHere);
    text(keys, "GSSPath", cfg_state_path, kHere);
    limited(keys, file_io, "GSSFilterIndex", cfg_state_filter_index, 1, {1, 2, 1, 1});
    text(keys, "PATPath", cfg_patch_path, kHere);
    text(keys, "SHTPath", cfg_screenshot_path, kHere);
    text(keys, "DEMPath", cfg_demo_path, kHere);
    static constexpr std::array<const char*, 15> kRomKeys = {
        "GenSysRom0UPath", "GenSysRom0EPath", "GenSysRom0JPath", "32XSysRom0UPath",
        "32XSysRom1UPath", "32XSysRom2UPath", "32XSysRom0EPath", "32XSysRom1EPath",
        "32XSysRom2EPath", "32XSysRom0JPath", "32XSysRom1JPath", "32XSysRom2JPath",
        "SCDSysRom0UPath", "SCDSysRom0EPath", "SCDSysRom0JPath"};
    for (u32 i = 0; i < kRomKeys.size(); ++i) {
        const char* def =
            i >= kScdSysRom0U ? kScdRomDefaults[i - kScdSysRom0U] : kSystemRomDefaultPaths[i];
        text(keys, kRomKeys[i], cfg_system_rom_paths[i], def);
    }
    add(keys, file_io, "CDD", KeyForm::kDrive).text = &cfg_cd_drive_text;
    number(keys, file_io, "ANGSS", KeyForm::kHex1, cfg_autoname_states, 1);
    number(keys, file_io, "ANPAT", KeyForm::kHex1, cfg_autoname_patches, 0);
    number(keys, file_io, "ANSHT", KeyForm::kHex1, cfg_autoname_screenshots, 1);
    number(keys, file_io, "ANDEM", KeyForm::kHex1, cfg_autoname_demos, 0);

    const auto graphics = KeySection::kGraphics;
    number(keys, graphics, "Frameskip", KeyForm::kHex1, cfg_frame_skip, 15);
    number(keys, graphics, "ScreenSize", KeyForm::kHex1, cfg_screen_size, 0).write_word =
        &screen_size_windowed;
    number(keys, graphics, "Scanlines", KeyForm::kHex1, cfg_scanlines, 0);
    number(keys, graphics, "EnhanceVisibility", KeyForm::kHex1, cfg_enhance_visibility, 0);
    // Read from a hand-edited file, never written: it lives in memory only.
    number(keys, graphics, "Layers", KeyForm::kHex2, legacy_layers, 0).written = false;

    // [Sound] has no keys: the earlier release makes no sound.
    const auto input                                              = KeySection::kInput;
    static constexpr std::array<const char*, kPlayerSlots> kSlots = {"1A", "1B", "1C", "1D",
                                                                     "2A", "2B", "2C", "2D"};
    for (u32 s = 0; s < kPlayerSlots; ++s) {
        const std::string name = "Player" + std::string(kSlots[s]) + "Device";
        // Keyboard, joystick, mouse, network.
        limited(keys, input, name.c_str(), cfg_input_device[s], 0, {0, 3, 0, 0});
    }
    static constexpr char kKeyNames[]    = "UDLRSABCXYZM";
    static constexpr char kButtonNames[] = "SABCXYZM";
    for (u32 s = 0; s < kPlayerSlots; ++s) {
        const std::string prefix = "Player" + std::string(kSlots[s]);
        for (u8 i = 0; i < kKeyMapKeys; ++i) {
            ConfigKey& k = add(keys, input, prefix + "Key" + kKeyNames[i], KeyForm::kHex2);
            k.key_slot   = static_cast<int>(s);
            k.key_offset = i;
        }
        for (u8 i = 0; i < kKeyMapJoyButtons; ++i) {
            ConfigKey& k = add(keys, input, prefix + "Joy" + kButtonNames[i], KeyForm::kHex2);
            k.key_slot   = static_cast<int>(s);
            k.key_offset = static_cast<u8>(kKeyMapBytes - kKeyMapJoyButtons + i);
        }
    }

    const auto gui = KeySection::kGui;
    limited(keys, gui, "ErrorMsg_RVF", cfg_error_msg_rvf, 1, kFlag);
    limited(keys, gui, "ErrorMsg_UNR", cfg_error_msg_unr, 1, kFlag);
    limited(keys, gui, "ErrorMsg_ZLB", cfg_error_msg_zlb, 1, kFlag);

    const auto machine = KeySection::kMachine;
    number(keys, machine, "Region", KeyForm::kHex1, cfg_region, 4);  // applied after reading
    limited(keys, machine, "RegionOrder", cfg_region_order, 0, {0, 5, 0, 0});
    number(keys, machine, "Port1", KeyForm::kHex1, cfg_port_device[0], 0);
    number(keys, machine, "Port2", KeyForm::kHex1, cfg_port_device[1], 0);
    static constexpr std::array<const char*, 8> kTapPorts = {
        "TeamplayerPort1A", "TeamplayerPort1B", "TeamplayerPort1C", "TeamplayerPort1D",
        "TeamplayerPort2A", "TeamplayerPort2B", "TeamplayerPort2C", "TeamplayerPort2D"};
    for (u32 i = 0; i < kTapPorts.size(); ++i)
        number(keys, machine, kTapPorts[i], KeyForm::kHex1, cfg_port_device[2 + i], 0);
    number(keys, machine, "GENUseSystemROM", KeyForm::kHex1, cfg_gen_use_bios, 0);
    // The Z80 is off unless the file says otherwise.
    limited(keys, machine, "GENDisableZ80", cfg_disable_z80, 1, kFlag);
    number(keys, machine, "GENAutoFixChecksum", KeyForm::kHex1, cfg_gen_autofix_checksum, 0);
    limited(keys, machine, "32XUseSystemROMs", cfg_32x_use_bios, 1, kFlag);
    number(keys, machine, "32XMSH2Speed", KeyForm::kHex2, cfg_32x_msh2_speed, 117);
    number(keys, machine, "32XSSH2Speed", KeyForm::kHex2, cfg_32x_ssh2_speed, 117);
    number(keys, machine, "SCDUseCartridgeBatteryRAMs", KeyForm::kHex1, legacy_scd_cartridge_brms,
           0);
    return keys;
}

u32 hex_value(char c, u32 before) {
    if (c >= '0' && c <= '9') return static_cast<u32>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<u32>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<u32>(c - 'a' + 10);
    return before;
}

}  // namespace

std::span<const ConfigKey> legacy_config_keys() {
    static const std::vector<ConfigKey> keys = build_legacy_keys();
    return keys;
}

u32 parse_hex_u32_v024(std::string_view text, int n) {
    u32 value = 0, digit = 0;
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        digit         = hex_value(at < text.size() ? text[at] : '\0', digit);
        value         = (value << 4) | digit;
    }
    return value;
}

u8 parse_hex_u8_v024(std::string_view text, int n) {
    return static_cast<u8>(parse_hex_u32_v024(text, n));
}

HexReader legacy_hex_reader() { return {parse_hex_u32_v024, parse_hex_u8_v024}; }

void legacy_config_post_read(OptionModel& options) {
    const auto keys = legacy_config_keys();
    // The message flags, the region order and the flags: their table limits.
    config_apply_limits(keys);
    options.select_region(cfg(cfg_region) & 0xFF);
    for (u32 port = 0; port < 2; ++port) {
        // 3-button pad, 6-button pad, mouse, Menacer, multitap.
        const u32 type = cfg(cfg_port_device[port]);
        options.select_port(port, type <= 4 ? type : 0);
    }
    for (u32 sub = 0; sub < 8; ++sub) {
        const u32 type = cfg(cfg_port_device[2 + sub]);
        options.select_sub_port(sub, type == 1 || type == 2 ? type : 0);
    }
    // A joystick button is an offset into the joystick record; anything else reads none.
    for (u32 slot = 0; slot < kPlayerSlots; ++slot) {
        for (u32 i = 0; i < kKeyMapJoyButtons; ++i) {
            const u32 offset = kKeyMapBytes - kKeyMapJoyButtons + i;
            const u8 button  = key_map_byte(slot, offset);
            if (button != 0 && (button < kJoyFirst || button > kJoyLast))
                key_map_set_byte(slot, offset, 0);
        }
    }
    options.menu_refresh_checks();
}

IniReadResult legacy_ini_read(const std::filesystem::path& file, OptionModel& options,
                              IniMissing missing) {
    return ini_read_keys(file, legacy_config_keys(), legacy_hex_reader(), missing,
                         [&options] { legacy_config_post_read(options); });
}

std::string legacy_ini_format(const CdDriveName& drive) {
    return ini_format(legacy_config_keys(), drive);
}

FileWriteResult legacy_ini_write(const CdDriveName& drive) {
    return ini_write_keys(legacy_config_keys(), drive);
}

}  // namespace varn
