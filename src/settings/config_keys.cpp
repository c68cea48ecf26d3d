#include "settings/config_keys.h"

#include <array>
#include <vector>

#include "genesis/io/key_map.h"
#include "settings/config_paths.h"

namespace varn {

namespace {

constexpr std::array<const char*, static_cast<std::size_t>(KeySection::kCount)> kHeaders = {
    "[File IO]", "[Graphics]", "[Sound]", "[Input]", "[GUI]", "[Machine]"};

// Limits shared by several keys.
constexpr KeyLimits kFlag{0, 1, 0, 1};  // any non-zero value becomes 1

class TableBuilder {
  public:
    explicit TableBuilder(std::vector<ConfigKey>& keys) : keys_(keys) {}

    void section(KeySection s) { section_ = s; }

    ConfigKey& number(const char* name, KeyForm form, ConfigWord& word, u32 def) {
        ConfigKey& k    = add(name, form);
        k.word          = &word;
        k.default_value = def;
        return k;
    }
    ConfigKey& hex1(const char* name, ConfigWord& word, u32 def) {
        return number(name, KeyForm::kHex1, word, def);
    }
    ConfigKey& limited(const char* name, ConfigWord& word, u32 def, KeyLimits limits) {
        ConfigKey& k = hex1(name, word, def);
        k.limits     = limits;
        k.limited    = true;
        return k;
    }
    ConfigKey& dec4(const char* name, ConfigWord& word, u32 def) {
        ConfigKey& k = number(name, KeyForm::kDec4, word, def);
        k.limits     = {1, 9999, def, 9999};
        k.limited    = true;
        return k;
    }
    ConfigKey& text(const char* name, std::string& target, const char* def) {
        ConfigKey& k   = add(name, KeyForm::kText);
        k.text         = &target;
        k.default_text = def;
        return k;
    }
    ConfigKey& key_byte(std::string name, int slot, u8 offset) {
        ConfigKey& k = add(std::move(name), KeyForm::kHex2);
        k.key_slot   = slot;
        k.key_offset = offset;
        return k;
    }
    ConfigKey& add(std::string name, KeyForm form) {
        ConfigKey& k = keys_.emplace_back();
        k.name       = std::move(name);
        k.section    = section_;
        k.form       = form;
        return k;
    }

  private:
    std::vector<ConfigKey>& keys_;
    KeySection section_ = KeySection::kFileIo;
};

std::vector<ConfigKey> build_main_keys() {
    std::vector<ConfigKey> keys;
    TableBuilder t(keys);
    constexpr const char* kHere = ".\\";

    t.section(KeySection::kFileIo);
    t.text("ROMPath", cfg_rom_path, kHere);
    t.limited("ROMFilterIndex", cfg_rom_filter_index, 0, {0, 5, 0, 0});  // 0 none, 1-5 filters
    t.text("BRMPath", cfg_brm_path, kHere);
    t.text("GSSPath", cfg_state_path, kHere);
    t.limited("GSSFilterIndex", cfg_state_filter_index, 1, {1, 2, 1, 1});  // own or Genecyst
    t.text("PATPath", cfg_patch_path, kHere);
    t.text("SHTPath", cfg_screenshot_path, kHere);
    t.text("DEMPath", cfg_demo_path, kHere);
    t.text("WAVPath", cfg_wave_path, kHere);
    t.text("VGMPath", cfg_vgm_path, kHere);
    t.hex1("VGMFilterIndex", cfg_vgm_filter_index, 0);
    t.text("MOVPath", cfg_movie_path, kHere);
    t.text("GCDPath", help_folder, kHere);
    static constexpr std::array<const char*, kSystemRomPaths> kRomKeys = {
        "GenSysRom0UPath", "GenSysRom0EPath", "GenSysRom0JPath", "32XSysRom0UPath",
        "32XSysRom1UPath", "32XSysRom2UPath", "32XSysRom0EPath", "32XSysRom1EPath",
        "32XSysRom2EPath", "32XSysRom0JPath", "32XSysRom1JPath", "32XSysRom2JPath",
        "SCDSysRom0UPath", "SCDSysRom0EPath", "SCDSysRom0JPath", "SMSSysRom0UPath",
        "SMSSysRom0EPath", "SMSSysRom0JPath"};
    for (u32 i = 0; i < kSystemRomPaths; ++i)
        t.text(kRomKeys[i], cfg_system_rom_paths[i], kSystemRomDefaultPaths[i]);
    t.add("CDD", KeyForm::kDrive).text = &cfg_cd_drive_text;
    t.hex1("UseBRMsInSaveStates", cfg_brm_in_states, 0);
    t.hex1("ANGSS", cfg_autoname_states, 1);
    t.hex1("ANDEM", cfg_autoname_demos, 0);
    t.hex1("ANPAT", cfg_autoname_patches, 0);
    t.hex1("ANSHT", cfg_autoname_screenshots, 1);
    t.hex1("ANWAV", cfg_autoname_waves, 1);
    t.hex1("ANVGM", cfg_autoname_vgm, 1);
    t.hex1("ANMOV", cfg_autoname_movies, 1);
    // Above 9 is not a deflate level; 6 is the library's usual balance.
    t.limited("PNGCompressionLevel", cfg_png_compression_level, 9, {0, 9, 0, 6});

    t.section(KeySection::kGraphics);
    t.hex1("Frameskip", cfg_frame_skip, 15);
    t.hex1("ScreenSize", cfg_screen_size, 0).write_word = &screen_size_windowed;
    t.hex1("Scanlines", cfg_scanlines, 0);
    t.hex1("ForceDisplay", cfg_force_display, 0);
    t.hex1("EnhanceVisibility", cfg_enhance_visibility, 0).written = false;
    // A size of 0 would divide by zero where the picture is fitted; it means the default.
    t.dec4("CustomFullscreenX", cfg_custom_fullscreen_x, 640);
    t.dec4("CustomFullscreenY", cfg_custom_fullscreen_y, 480);
    t.dec4("CustomWindowX", cfg_custom_window_x, 320);
    t.dec4("CustomWindowY", cfg_custom_window_y, 224);

    t.section(KeySection::kSound);
    t.hex1("SamplesPerSecond", cfg_sound_rate, 0);
    t.hex1("Stereo", cfg_sound_stereo, 0);
    t.hex1("AllowAliasing", cfg_sound_aliasing, 1);

    t.section(KeySection::kInput);
    static constexpr std::array<const char*, kPlayerSlots> kSlots = {"1A", "1B", "1C", "1D",
                                                                     "2A", "2B", "2C", "2D"};
    for (u32 s = 0; s < kPlayerSlots; ++s)
        t.hex1(("Player" + std::string(kSlots[s]) + "Device").c_str(), cfg_input_device[s], 0);
    t.limited("MouseSensitivityMultiplier", cfg_mouse_sensitivity_multiplier, 1, {1, 8, 1, 8});
    static constexpr char kKeyNames[]    = "UDLRSABCXYZM";
    static constexpr char kButtonNames[] = "SABCXYZM";
    for (u32 s = 0; s < kPlayerSlots; ++s) {
        const std::string prefix = "Player" + std::string(kSlots[s]);
        for (u8 i = 0; i < kKeyMapKeys; ++i)
            t.key_byte(prefix + "Key" + kKeyNames[i], static_cast<int>(s), i);
        for (u8 i = 0; i < kKeyMapJoyButtons; ++i)
            t.key_byte(prefix + "Joy" + kButtonNames[i], static_cast<int>(s),
                       static_cast<u8>(kKeyMapBytes - kKeyMapJoyButtons + i));
    }

    t.section(KeySection::kGui);
    t.limited("FrameStretchBehavior", cfg_frame_stretch_behavior, 0, {0, 5, 0, 0});
    t.limited("GameNameSearchOrder", cfg_game_name_search_order, 1, {0, 5, 1, 1});
    t.limited("ErrorMsg_RVF", cfg_error_msg_rvf, 1, kFlag);
    t.limited("ErrorMsg_ASP", cfg_error_msg_asp, 1, kFlag);
    t.limited("ErrorMsg_UNR", cfg_error_msg_unr, 0, kFlag);
    t.limited("ErrorMsg_ZLB", cfg_error_msg_zlb, 0, kFlag);
    t.limited("ErrorMsg_KestGen", cfg_error_msg_kestgen, 0, kFlag);
    t.limited("ErrorMsg_Kest32X", cfg_error_msg_kest32x, 0, kFlag);
    t.limited("ErrorMsg_KestSMS", cfg_error_msg_kestsms, 0, kFlag);
    t.limited("AutoPauseMenu", cfg_auto_pause_menu, 0, kFlag);
    t.limited("AutoPauseFocus", cfg_auto_pause_focus, 1, kFlag);
    t.limited("EnableStatusBar", cfg_enable_status_bar, 0, kFlag);

    t.section(KeySection::kMachine);
    t.hex1("Region", cfg_region, 4);  // applied through the region commands
    t.limited("RegionOrder", cfg_region_order, 0, {0, 5, 0, 0});
    t.hex1("Port1", cfg_port_device[0], 0);  // applied through the port commands
    t.hex1("Port2", cfg_port_device[1], 0);
    static constexpr std::array<const char*, 8> kTapPorts = {
        "TeamplayerPort1A", "TeamplayerPort1B", "TeamplayerPort1C", "TeamplayerPort1D",
        "TeamplayerPort2A", "TeamplayerPort2B", "TeamplayerPort2C", "TeamplayerPort2D"};
    for (u32 i = 0; i < kTapPorts.size(); ++i) t.hex1(kTapPorts[i], cfg_port_device[2 + i], 0);
    t.hex1("GENUseSystemROM", cfg_gen_use_bios, 0);
    t.limited("GENDisableZ80", cfg_disable_z80, 0, kFlag);
    t.hex1("GENAutoFixChecksum", cfg_gen_autofix_checksum, 0);
    t.hex1("GENSpriteLimit", cfg_gen_sprite_limit, 1);
    t.hex1("GENSquashInterlace", cfg_gen_squash_interlace, 1).copy_word = &cfg_squash_interlace;
    t.number("GENM68Speed", KeyForm::kHex2, cfg_gen_m68k_speed, 0xCA);
    t.number("GENZ80Speed", KeyForm::kHex2, cfg_gen_z80_speed, 0xEB);
    t.limited("32XUseSystemROMs", cfg_32x_use_bios, 1, kFlag);
    t.number("32XMSH2Speed", KeyForm::kHex2, cfg_32x_msh2_speed, 0x75);
    t.number("32XSSH2Speed", KeyForm::kHex2, cfg_32x_ssh2_speed, 0x75);
    t.hex1("SCDEnable32X", cfg_scd_enable_32x, 0);
    t.hex1("SCDUseRAMCartridges", cfg_scd_ram_cart, 1);
    // The size is a shift count: 8 KB << value; 64 KB is the largest cartridge.
    t.limited("SCDRAMCartridgeSize", cfg_scd_ram_cart_size, 3, {0, 3, 0, 3});
    t.hex1("SCDWeirdJapaneseBIOSFix", cfg_scd_jp_bios_fix, 1);
    t.number("SCDM68Speed", KeyForm::kHex2, cfg_scd_m68k_speed, 0xB5);
    t.limited("SMSUseSystemROM", cfg_sms_use_bios, 0, kFlag);
    t.hex1("SMSVDPModel", cfg_sms_vdp_model, 0);
    t.hex1("SMSEnableFM", cfg_sms_enable_fm, 0);
    t.hex1("SMSRedBlue3D", cfg_sms_red_blue_3d, 0);
    t.hex1("SMSSpriteLimit", cfg_sms_sprite_limit, 1);
    t.number("SMSZ80Speed", KeyForm::kHex2, cfg_sms_z80_speed, 0xEB);
    return keys;
}

}  // namespace

const char* key_section_header(KeySection section) {
    return kHeaders[static_cast<std::size_t>(section)];
}

std::span<const ConfigKey> config_keys() {
    static const std::vector<ConfigKey> keys = build_main_keys();
    return keys;
}

void config_load_defaults(std::span<const ConfigKey> keys) {
    bool key_maps = false;
    for (const ConfigKey& k : keys) {
        if (k.word) cfg_set(*k.word, k.default_value);
        if (k.write_word) cfg_set(*k.write_word, k.default_value);
        if (k.copy_word) cfg_set(*k.copy_word, k.default_value);
        if (k.text) *k.text = k.default_text;
        key_maps |= k.key_slot >= 0;
    }
    if (key_maps) key_maps_load_defaults();
    cfg_set(cfg_cd_drive, 0);
}

}  // namespace varn
