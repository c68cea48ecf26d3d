// The settings reader on arbitrary bytes, with the checks it runs after reading. Whatever
// the file held, every value that indexes or divides must be in range afterwards, and the
// file the writer makes from it must read back to the same file (unless a stored text holds
// "key=" of a later key, which the reader finds first by design).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/config.h"
#include "settings/config_keys.h"
#include "settings/config_paths.h"
#include "settings/ini_file.h"
#include "settings/option_model.h"

namespace {

class NullMenu : public varn::MenuView {
  public:
    bool set_checked(varn::u32, bool) override { return true; }
    bool set_text(varn::u32, std::string_view text) override { return text.size() <= 255; }
    bool set_text_at(std::span<const varn::u32>, std::string_view) override { return true; }
};

class NullHost : public varn::OptionHost {
  public:
    void set_console_lines(varn::u32, varn::u32) override {}
    void set_scd_region(varn::u32) override {}
    void input_apply_config() override {}
    void set_frame_skip_level(varn::u32) override {}
    void set_scanline_render(bool) override {}
};

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varn;
    static NullMenu menu;
    static NullHost host;
    static OptionModel options(menu, host);
    const auto keys = config_keys();

    config_load_defaults(keys);
    ini_parse(std::string_view(reinterpret_cast<const char*>(data), size), keys);
    config_post_read(keys, options);

    check(cfg(cfg_frame_stretch_behavior) <= 5);
    check(cfg(cfg_game_name_search_order) <= 5);
    check(cfg(cfg_region_order) <= 5);
    check(cfg(cfg_scd_ram_cart_size) <= 3);
    check(cfg(cfg_rom_filter_index) <= 5);
    check(cfg(cfg_state_filter_index) >= 1 && cfg(cfg_state_filter_index) <= 2);
    check(cfg(cfg_png_compression_level) <= 9);
    check(cfg(cfg_mouse_sensitivity_multiplier) >= 1 && cfg(cfg_mouse_sensitivity_multiplier) <= 8);
    check(cfg(cfg_custom_window_x) != 0 && cfg(cfg_custom_window_y) != 0);
    check(cfg(cfg_custom_fullscreen_x) != 0 && cfg(cfg_custom_fullscreen_y) != 0);
    check(cfg(cfg_port_device[0]) <= 5 && cfg(cfg_port_device[1]) <= 5);
    check(cfg_rom_path.size() <= kConfigPathMax && cfg_cd_drive_text.size() <= kConfigPathMax);

    // Written and read again, the file comes back byte for byte.
    const std::string written = ini_format(keys, cd_drive_none());
    for (const ConfigKey& k : keys) {
        if (k.text && k.text->find('=') != std::string::npos) return 0;
    }
    config_load_defaults(keys);
    ini_parse(written, keys);
    config_post_read(keys, options);
    check(ini_format(keys, cd_drive_none()) == written);
    return 0;
}
