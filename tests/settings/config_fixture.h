#pragma once
// Shared fixture: every configuration word, text and language slot back at its default,
// a menu that records what it was told, and a host that records what the options did.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/config.h"
#include "settings/config_keys.h"
#include "settings/lang_texts.h"
#include "settings/menu_view.h"
#include "settings/option_host.h"
#include "settings/option_model.h"

namespace varn::test {

// The menu as the window holds it; ids in `absent` are not in it.
class RecordingMenu : public MenuView {
  public:
    std::set<u32> absent = {33886, 33887, 33896, 33897, 33877, 33879, 33907, 33903, 32814};
    std::map<u32, bool> checked;
    std::map<u32, std::string> texts;
    std::map<std::vector<u32>, std::string> popup_texts;

    bool set_checked(u32 id, bool on) override {
        if (absent.count(id)) return false;
        checked[id] = on;
        return true;
    }
    bool set_text(u32 id, std::string_view text) override {
        if (absent.count(id)) return false;
        texts[id] = std::string(text);
        return true;
    }
    bool set_text_at(std::span<const u32> path, std::string_view text) override {
        popup_texts[std::vector<u32>(path.begin(), path.end())] = std::string(text);
        return true;
    }
    // The item's mark, or -1 when it was never set.
    int mark(u32 id) const {
        const auto it = checked.find(id);
        return it == checked.end() ? -1 : it->second;
    }
};

class RecordingHost : public OptionHost {
  public:
    std::vector<std::string> calls;
    bool joystick = false;
    bool not16    = false;
    bool captured = false;
    u32 pal = 9, overseas = 9, scd_region = 9, skip_level = 99;
    bool scanline_render = false;
    std::optional<std::string> rom_choice, brm_choice;

    void set_console_lines(u32 p, u32 o) override {
        pal      = p;
        overseas = o;
    }
    void set_scd_region(u32 r) override { scd_region = r; }
    void input_apply_config() override { calls.push_back("apply ports"); }
    void set_frame_skip_level(u32 level) override { skip_level = level; }
    void set_scanline_render(bool on) override { scanline_render = on; }
    void pause_request(u32 r) override { calls.push_back("pause " + std::to_string(r)); }
    void resume_request(u32 r) override { calls.push_back("resume " + std::to_string(r)); }
    void clear_surfaces() override { calls.push_back("clear"); }
    void window_fit_to_mode() override { calls.push_back("fit"); }
    void status_bar_update() override { calls.push_back("status"); }
    void enter_fullscreen() override { calls.push_back("fullscreen"); }
    void enter_windowed() override { calls.push_back("windowed"); }
    bool display_not16_warned() override { return not16; }
    void set_frame_resizable(bool on) override { calls.push_back(on ? "sizable" : "fixed"); }
    void set_stream_rate(u32 hz) override { calls.push_back("rate " + std::to_string(hz)); }
    void rebuild_sound_output() override { calls.push_back("rebuild sound"); }
    bool joystick_ok() override { return joystick; }
    bool mouse_captured() override { return captured; }
    void mouse_acquire() override { calls.push_back("acquire"); }
    void mouse_release() override { calls.push_back("release"); }
    void show_message(std::string_view text) override {
        calls.push_back("msg " + std::string(text));
    }
    void open_define_input(u32 slot, DefineInputPart part) override {
        calls.push_back("define " + std::to_string(slot) +
                        (part == DefineInputPart::kKeys ? " keys" : " joystick"));
    }
    void open_cd_drive_chooser() override { calls.push_back("cd chooser"); }
    std::optional<std::string> choose_brm_folder() override { return brm_choice; }
    std::optional<std::string> choose_system_rom(std::string_view) override { return rom_choice; }
};

class ConfigTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_config(); }
    void TearDown() override { reset_config(); }

    static void reset_config() {
        config_load_defaults(config_keys());
        lang_texts_reset();
        cfg_set(sound_output_mask, 0xFFFFFFFF);
        cfg_set(ym2612_output_mask, 0xFFFFFFFF);
    }

    RecordingMenu menu;
    RecordingHost host;
    OptionModel options{menu, host};
};

}  // namespace varn::test
