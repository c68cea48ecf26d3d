#include "settings/option_model.h"

#include <algorithm>
#include <vector>

#include "config_fixture.h"
#include "genesis/vdp/vdp.h"
#include "runtime/pacing.h"
#include "runtime/region.h"
#include "settings/config_paths.h"

namespace varn::test {
namespace {

struct Choice {
    u32 id;
    ConfigWord* word;
    u32 value;
    std::vector<u32> siblings;  // the option's other items, unchecked afterwards
    u32 item = 0;               // the item that takes the mark, when not `id`
};

std::vector<Choice> choice_commands() {
    std::vector<Choice> c = {
        {32790, &cfg_frame_skip, 15, {32791, 32792, 32793, 32794}},
        {32791, &cfg_frame_skip, 0, {32790, 32792, 32793, 32794}},
        {32792, &cfg_frame_skip, 1, {32790, 32791, 32793, 32794}},
        {32793, &cfg_frame_skip, 3, {32790, 32791, 32792, 32794}},
        {32794, &cfg_frame_skip, 7, {32790, 32791, 32792, 32793}},
        {32795, &cfg_screen_size, 0, {32796, 32797}},
        {32796, &cfg_screen_size, 1, {32795, 32797}},
        {36012, &cfg_screen_size, 0, {32796, 32797}, 32795},
        {36002, &cfg_screen_size, 1, {32795, 32797}, 32796},
        {32798, &cfg_scanlines, 0, {32799, 32800}},
        {32799, &cfg_scanlines, 1, {32798, 32800}},
        {32800, &cfg_scanlines, 2, {32798, 32799}},
        {32823, &cfg_sound_rate, 0, {32822, 32821}},
        {32822, &cfg_sound_rate, 1, {32823, 32821}},
        {32821, &cfg_sound_rate, 2, {32823, 32822}},
        {32941, &cfg_region, 4, {32945, 32946, 32947}},
        {32945, &cfg_region, 1, {32941, 32946, 32947}},
        {32946, &cfg_region, 0, {32941, 32945, 32947}},
        {32947, &cfg_region, 2, {32941, 32945, 32946}},
    };
    for (u32 i = 1; i < 6; ++i) {
        std::vector<u32> others;
        for (u32 j = 0; j < 6; ++j) {
            if (j != i) others.push_back(33910 + j);
        }
        c.push_back({33910 + i, &cfg_frame_stretch_behavior, i, others});
    }
    for (u32 i = 0; i < 4; ++i) {
        std::vector<u32> others;
        for (u32 j = 0; j < 4; ++j) {
            if (j != i) others.push_back(33899 + j);
        }
        c.push_back({33899 + i, &cfg_scd_ram_cart_size, i, others});
    }
    for (u32 slot = 0; slot < 8; ++slot) {
        for (u32 k : {0u, 1u, 2u, 3u}) {
            std::vector<u32> others;
            for (u32 j = 0; j < 4; ++j) {
                if (j != k) others.push_back(32850 + 10 * slot + j);
            }
            c.push_back({32850 + 10 * slot + k, &cfg_input_device[slot], k, others});
        }
    }
    for (u32 port = 0; port < 2; ++port) {
        const u32 first = port == 0 ? 32951 : 32962;
        for (u32 type : {0u, 1u, 2u, 4u}) {
            std::vector<u32> others;
            for (u32 j = 0; j < 6; ++j) {
                if (j != type) others.push_back(first + j);
            }
            c.push_back({first + type, &cfg_port_device[port], type, others});
        }
    }
    for (u32 sub = 0; sub < 8; ++sub) {
        for (u32 type = 0; type < 3; ++type) {
            std::vector<u32> others;
            for (u32 j = 0; j < 3; ++j) {
                if (j != type) others.push_back(kExpansionPortItems[sub][j]);
            }
            c.push_back({kExpansionPortItems[sub][type], &cfg_port_device[2 + sub], type, others});
        }
    }
    return c;
}

TEST_F(ConfigTest, EveryChoiceCommandStoresItsValueAndMovesTheCheckMark) {
    host.joystick = true;
    for (const Choice& c : choice_commands()) {
        SCOPED_TRACE(c.id);
        reset_config();
        // Start from another value so that every command has something to change.
        cfg_set(*c.word, c.value == 0 ? 1 : 0);
        menu.checked.clear();
        ASSERT_TRUE(options.command(c.id));
        EXPECT_EQ(cfg(*c.word), c.value);
        EXPECT_EQ(menu.mark(c.item ? c.item : c.id), 1);
        for (u32 other : c.siblings) EXPECT_EQ(menu.mark(other), 0) << other;
    }
}

TEST_F(ConfigTest, EveryToggleFlipsTheLowBitAndSetsItsMark) {
    struct Toggle {
        u32 id;
        ConfigWord* word;
        int mark_id = -1;  // when the mark sits on another item
    } toggles[] = {
        {32787, &cfg_brm_in_states},        {33881, &cfg_autoname_states},
        {33884, &cfg_autoname_demos},       {33882, &cfg_autoname_patches},
        {33883, &cfg_autoname_screenshots}, {33885, &cfg_autoname_waves},
        {33886, &cfg_autoname_vgm},         {33887, &cfg_autoname_movies},
        {32813, &cfg_force_display},        {33869, &cfg_error_msg_rvf},
        {33870, &cfg_error_msg_asp},        {33871, &cfg_error_msg_unr},
        {33872, &cfg_error_msg_zlb},        {33873, &cfg_error_msg_kestgen},
        {33874, &cfg_error_msg_kest32x},    {33875, &cfg_error_msg_kestsms},
        {33878, &cfg_auto_pause_focus},     {33806, &cfg_gen_use_bios},
        {32972, &cfg_disable_z80},          {36013, &cfg_disable_z80, 32972},
        {32973, &cfg_gen_autofix_checksum}, {32974, &cfg_gen_sprite_limit},
        {32975, &cfg_gen_squash_interlace}, {32976, &cfg_32x_use_bios},
        {33898, &cfg_scd_enable_32x},       {33863, &cfg_scd_ram_cart},
        {33930, &cfg_scd_jp_bios_fix},      {33849, &cfg_sms_use_bios},
        {32977, &cfg_sms_sprite_limit},     {32839, &cfg_sound_aliasing},
    };
    for (const Toggle& t : toggles) {
        const u32 mark_id = t.mark_id < 0 ? t.id : static_cast<u32>(t.mark_id);
        for (u32 before : {0u, 1u, 2u, 3u, 0x1FEu}) {
            SCOPED_TRACE(testing::Message() << t.id << " from " << before);
            cfg_set(*t.word, before);
            menu.checked.clear();
            ASSERT_TRUE(options.command(t.id));
            const u32 after = (before & 1) ^ 1;
            EXPECT_EQ(cfg(*t.word), after);
            if (!menu.absent.count(mark_id)) {
                EXPECT_EQ(menu.mark(mark_id), int(after));
            }
        }
    }
    cfg_set(cfg_gen_squash_interlace, 1);
    options.command(32975);
    EXPECT_EQ(cfg(cfg_squash_interlace), 0u);  // the renderers' copy follows
}

TEST_F(ConfigTest, OrderCommandsMoveTheChosenEntryToTheFront) {
    // After choosing the item at position 2 and 3, from each of the six orders.
    const u32 second[] = {2, 4, 0, 5, 1, 3};
    const u32 third[]  = {4, 2, 5, 0, 3, 1};
    for (u32 v = 0; v < 6; ++v) {
        EXPECT_EQ(OptionModel::order_after_choice(v, 1), v);
        EXPECT_EQ(OptionModel::order_after_choice(v, 2), second[v]);
        EXPECT_EQ(OptionModel::order_after_choice(v, 3), third[v]);
    }
    EXPECT_EQ(OptionModel::order_after_choice(9, 2), 9u);

    // From the default N F H, the third item ("&Header") gives H N F.
    options.menu_refresh_checks();
    EXPECT_EQ(menu.texts[33922], "&Header");
    options.command(33922);
    EXPECT_EQ(cfg(cfg_game_name_search_order), 2u);
    EXPECT_EQ(menu.texts[33920], "&Header");
    EXPECT_EQ(menu.texts[33921], "&ROM Namer");
    options.command(32943);
    EXPECT_EQ(cfg(cfg_region_order), 2u);
    EXPECT_EQ(menu.texts[32942], "&Europe");
    // Outside 0-5 the texts and the value stay.
    cfg_set(cfg_region_order, 7);
    menu.texts.clear();
    options.command(32944);
    EXPECT_EQ(cfg(cfg_region_order), 7u);
    EXPECT_EQ(menu.texts.count(32942), 0u);
}

TEST_F(ConfigTest, RefreshLeavesMarksOfValuesThatAreNoChoice) {
    options.menu_refresh_checks();
    EXPECT_EQ(menu.mark(32790), 1);
    cfg_set(cfg_frame_skip, 2);
    cfg_set(cfg_autoname_states, 2);
    cfg_set(cfg_port_device[0], 9);
    cfg_set(cfg_sound_stereo, 6);
    menu.checked[32951] = true;
    options.menu_refresh_checks();
    EXPECT_EQ(menu.mark(32790), 1);  // frame skip 2: marks as they were
    EXPECT_EQ(menu.mark(33881), 1);  // flag 2: unchanged
    EXPECT_EQ(menu.mark(32951), 1);
    EXPECT_EQ(menu.mark(32820), 1);  // stereo: any non-zero value
}

TEST_F(ConfigTest, RegionCommandsSetTheConsoleLinesAtOnce) {
    options.command(32945);  // USA while Auto
    EXPECT_EQ(host.pal, 0u);
    EXPECT_EQ(host.overseas, 1u);
    EXPECT_EQ(host.scd_region, 1u);
    options.command(32947);
    EXPECT_EQ(host.pal, 1u);
    EXPECT_EQ(host.scd_region, 2u);
    host.pal = host.overseas = host.scd_region = 9;
    options.command(32941);  // Auto leaves them for the next boot
    EXPECT_EQ(host.pal, 9u);
    EXPECT_EQ(cfg(cfg_region), 4u);
    // A refresh re-asserts a fixed region's console lines but not the Sega CD region.
    cfg_set(cfg_region, 0);
    options.menu_refresh_checks();
    EXPECT_EQ(host.pal, 0u);
    EXPECT_EQ(host.overseas, 0u);
    EXPECT_EQ(host.scd_region, 9u);
}

TEST_F(ConfigTest, ScreenSizeAndFullScreen) {
    cfg_set(cfg_scanlines, 1);
    options.command(32796);
    EXPECT_TRUE(host.scanline_render);
    EXPECT_EQ(cfg(screen_size_windowed), 1u);
    host.calls.clear();
    options.command(32797);  // into full screen
    EXPECT_EQ(cfg(cfg_screen_size), 2u);
    EXPECT_EQ(menu.mark(32797), 1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"pause 8", "fullscreen", "fit", "resume 26"}));
    options.command(32795);  // Single and Double do nothing in full screen
    options.command(32796);
    EXPECT_EQ(cfg(cfg_screen_size), 2u);
    host.calls.clear();
    host.not16 = true;
    options.command(36006);  // back to the last windowed size
    EXPECT_EQ(cfg(cfg_screen_size), 1u);
    EXPECT_EQ(menu.mark(32796), 1);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{
                  "pause 8", "pause 16", "windowed", "clear", "fit", "status", "resume 10",
                  "msg VARN is paused until you return to fullscreen mode."}));
}

TEST_F(ConfigTest, ScanlineCommandsSetMasksAndTheLineCopyOnlyWhenDoubled) {
    options.command(32799);
    EXPECT_EQ(cfg(scanline_masks[0]), 0x7BCF7BCFu);
    EXPECT_EQ(cfg(scanline_masks[2]), 0u);
    EXPECT_FALSE(host.scanline_render);  // single size keeps the plain copy
    cfg_set(cfg_screen_size, 1);
    options.command(32800);
    EXPECT_TRUE(host.scanline_render);
    EXPECT_EQ(cfg(scanline_masks[0]), 0u);
    options.command(32798);
    EXPECT_FALSE(host.scanline_render);
    EXPECT_EQ(cfg(scanline_masks[3]), 0xFFFFFFFFu);
}

TEST_F(ConfigTest, RateChangeRebuildsTheSoundOutputOnce) {
    options.command(32822);
    options.command(32822);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "rebuild sound"), 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "rate 22050"), 2);
    EXPECT_EQ(host.calls[1], "pause 8");
    EXPECT_EQ(host.calls[3], "resume 10");
}

TEST_F(ConfigTest, StretchSameValueDoesNothingAndResizeableModesGetABorder) {
    EXPECT_TRUE(options.command(33910));
    EXPECT_TRUE(host.calls.empty());
    options.command(33914);
    options.command(33911);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"sizable", "fit", "fixed", "fit"}));
}

TEST_F(ConfigTest, JoystickCommandsNeedAJoystick) {
    options.command(32851);
    options.command(32855);
    EXPECT_EQ(cfg(cfg_input_device[0]), 0u);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"msg Could not initialize joystick.",
                                                    "msg Could not initialize joystick."}));
    host.joystick = true;
    host.calls.clear();
    options.command(32865);
    options.command(32924);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"define 1 joystick", "define 7 keys"}));
}

TEST_F(ConfigTest, FileCommandsKeepPathsThatFit) {
    host.rom_choice = "C:\\bios\\my_gen.bin";
    options.command(32771);
    EXPECT_EQ(cfg_system_rom_paths[kGenSysRom0U], "C:\\bios\\my_gen.bin");
    host.rom_choice = std::string(256, 'x');
    options.command(32777);
    EXPECT_EQ(cfg_system_rom_paths[kScdSysRom0J], ".\\jp_mcd1_9112.bin");
    EXPECT_EQ(host.calls.size(), 1u);  // told why the path was not kept
    host.rom_choice = std::nullopt;
    options.command(32780);
    EXPECT_EQ(cfg_system_rom_paths[kSmsSysRom0J], ".\\SMS_BIOS_J.BIN");
    host.rom_choice = "E:\\sms_j.bin";
    options.command(32780);
    EXPECT_EQ(cfg_system_rom_paths[kSmsSysRom0J], "E:\\sms_j.bin");
    host.brm_choice = std::string(300, 'y');
    options.command(32770);
    EXPECT_EQ(cfg_brm_path, ".\\");
    EXPECT_EQ(host.calls.size(), 2u);
    host.brm_choice = "D:\\saves\\";
    options.command(32770);
    EXPECT_EQ(cfg_brm_path, "D:\\saves\\");
    EXPECT_TRUE(menu.checked.empty());  // file commands refresh nothing
}

TEST_F(ConfigTest, SoundSwitchesMouseCaptureAndCommandsWithoutHandler) {
    options.command(32824);
    EXPECT_EQ(cfg(sound_output_mask), 0u);
    EXPECT_EQ(menu.mark(32824), 0);
    options.command(32825);
    options.command(32825);
    EXPECT_EQ(cfg(ym2612_output_mask), 0xFFFFFFFFu);
    EXPECT_EQ(menu.mark(32825), 1);
    options.command(33848);
    host.captured = true;
    options.command(33848);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"acquire", "release"}));
    for (u32 id : {32820u, 32826u, 32833u, 33867u, 32930u, 32950u, 32954u, 32956u, 32957u, 33810u,
                   33818u, 33040u, 12345u}) {
        EXPECT_FALSE(options.command(id)) << id;
    }
}

TEST_F(ConfigTest, DeviceSetupsMapStoredValuesToTheirCommands) {
    struct Setup {
        u32 skip, size, lines, rate, device;
        u32 want_skip, want_size, want_lines, want_rate, want_device;
    } cases[] = {
        {2, 5, 3, 3, 4, 15, 1, 0, 0, 0},
        {7, 0, 2, 2, 2, 7, 0, 2, 2, 2},
        {0, 2, 1, 1, 3, 0, 2, 1, 1, 3},  // a full-screen size stays as read
    };
    for (const Setup& c : cases) {
        reset_config();
        cfg_set(cfg_frame_skip, c.skip);
        cfg_set(cfg_screen_size, c.size);
        cfg_set(cfg_scanlines, c.lines);
        cfg_set(cfg_sound_rate, c.rate);
        cfg_set(cfg_input_device[2], c.device);
        options.apply_display_setup();
        options.apply_sound_setup();
        options.apply_input_setup();
        EXPECT_EQ(cfg(cfg_frame_skip), c.want_skip);
        EXPECT_EQ(cfg(cfg_screen_size), c.want_size);
        EXPECT_EQ(cfg(cfg_scanlines), c.want_lines);
        EXPECT_EQ(cfg(cfg_sound_rate), c.want_rate);
        EXPECT_EQ(cfg(cfg_input_device[2]), c.want_device);
    }
    EXPECT_EQ(host.skip_level, 0u);
}

TEST(MachineOptionHost, DrivesTheMachineWithoutTouchingOtherRenderBits) {
    MachineOptionHost machine;
    render_mode = 0x0B;
    machine.set_scanline_render(true);
    EXPECT_EQ(render_mode, 0x0Fu);
    machine.set_scanline_render(false);
    EXPECT_EQ(render_mode, 0x0Bu);
    machine.set_console_lines(1, 1);
    machine.set_scd_region(2);
    EXPECT_EQ(region.pal_flag, 1u);
    EXPECT_EQ(region.overseas_flag, 1u);
    EXPECT_EQ(region.scd_region, 2u);
    machine.set_frame_skip_level(24);
    EXPECT_EQ(pace.frame_skip_level, 24);
    render_mode = 0;
}

}  // namespace
}  // namespace varn::test
